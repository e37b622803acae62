// The three ADPCM readers. Each decodes whole units (an XA sound group, a pair of left and right
// blocks, or one mono block) and hands out the requested window of their output; the part of
// the last unit beyond the request waits in the carry for the next sequential read, so that
// reads of any size and alignment join without gaps or repeats.
#include <algorithm>
#include <cstring>

#include "audio/adpcm_units.h"
#include "audio/audio_decoder.h"

namespace audio {

namespace {

// Source bytes read at once, rounded to whole chunks (at least one).
constexpr uint32_t kSliceBytes = 65536;

}  // namespace

void AudioDecoder::DecodeAdpcmUnit(const uint8_t* chunk, uint32_t index, uint8_t* out) {
  const riff::WaveFormat& in = In();
  bool stereo = in.channels == 2;
  switch (in.formatTag) {
    case kWaveFormatXaAdpcm:
      DecodeXaGroup(chunk, stereo, history_, out);
      break;
    case kWaveFormatStepAdpcm:
      // Stereo: the left block, then the right one.
      DecodeStepBlock(chunk, history_[0], out, stereo ? 16 : 8);
      if (stereo) DecodeStepBlock(chunk + kStepBlockBytes, history_[1], out + 8, 16);
      break;
    default:
      if (stereo) {
        const uint8_t* left = chunk + index * kFilterBlockBytes;
        DecodeFilterBlock(left, history_[0], out, 16);
        DecodeFilterBlock(left + in.blockAlign / 2, history_[1], out + 8, 16);
      } else {
        DecodeFilterBlock(chunk, history_[0], out, 8);
      }
      break;
  }
}

uint32_t AudioDecoder::ReadAdpcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination) {
  if (In().formatTag == kWaveFormatXaAdpcm) {
    uint64_t total = chain.TotalLength();
    uint64_t left = total > static_cast<uint64_t>(position) ? total - static_cast<uint64_t>(position) : 0;
    count = static_cast<uint32_t>(std::min<uint64_t>(count, left));
  }
  uint32_t produced = 0;
  // A tail decoded for another position does not belong here.
  if (carryCount_ > 0 && carryPosition_ != position) carryCount_ = 0;
  if (carryCount_ > 0) {
    uint32_t take = std::min(carryCount_, count);
    std::memcpy(destination, carry_.data() + carryOffset_, take);
    carryOffset_ += take;
    carryCount_ -= take;
    carryPosition_ += take;
    produced = take;
  }

  const AdpcmLayout& layout = layout_;
  uint64_t chunkOutput = uint64_t{layout.unitOutput} * layout.unitsPerChunk;
  uint32_t chunksPerSlice = std::max<uint32_t>(1, kSliceBytes / layout.chunkBytes);
  scratch_.resize(uint64_t{chunksPerSlice} * layout.chunkBytes);
  while (produced < count) {
    uint64_t at = static_cast<uint64_t>(position) + produced;
    uint64_t end = static_cast<uint64_t>(position) + count;
    uint64_t firstChunk = at / chunkOutput;
    uint64_t chunks = std::min<uint64_t>(chunksPerSlice, (end - 1) / chunkOutput - firstChunk + 1);
    uint64_t sourceStart = firstChunk * layout.chunkBytes;
    if (sourceStart > static_cast<uint64_t>(INT64_MAX)) break;
    uint32_t got = chain.Read(static_cast<int64_t>(sourceStart),
                              static_cast<uint32_t>(chunks * layout.chunkBytes), scratch_.data());
    // Short source reads end at the last whole chunk.
    uint64_t whole = got / layout.chunkBytes;
    for (uint64_t c = 0; c < whole && produced < count; ++c) {
      const uint8_t* chunk = scratch_.data() + c * layout.chunkBytes;
      uint64_t chunkStart = (firstChunk + c) * chunkOutput;
      for (uint32_t u = 0; u < layout.unitsPerChunk && produced < count; ++u) {
        uint64_t unitStart = chunkStart + uint64_t{u} * layout.unitOutput;
        at = static_cast<uint64_t>(position) + produced;
        if (unitStart + layout.unitOutput <= at) continue;
        DecodeAdpcmUnit(chunk, u, unit_.data());
        uint32_t skip = static_cast<uint32_t>(at - unitStart);
        uint32_t take = std::min(layout.unitOutput - skip, count - produced);
        std::memcpy(destination + produced, unit_.data() + skip, take);
        produced += take;
        if (skip + take < layout.unitOutput) {
          carryCount_ = layout.unitOutput - skip - take;
          std::memcpy(carry_.data(), unit_.data() + skip + take, carryCount_);
          carryOffset_ = 0;
          carryPosition_ = position + produced;
        }
      }
    }
    if (whole < chunks) break;
  }
  position_ = position + produced;
  return produced;
}

}  // namespace audio
