#include "audio/audio_decoder.h"

#include <algorithm>
#include <cstring>

#include "audio/adpcm_units.h"
#include "audio/pcm_widening.h"
#include "avi/audio_stream.h"

namespace audio {

uint32_t AudioDecoder::Chain::Read(int64_t position, uint32_t count, uint8_t* destination) const {
  if (position < 0 || count == 0) return 0;
  int64_t got = callback(stage, avi::kChainRead, stream, static_cast<intptr_t>(position), 0,
                         static_cast<intptr_t>(count), reinterpret_cast<intptr_t>(destination));
  return got <= 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(got, count));
}

uint64_t AudioDecoder::Chain::TotalLength() const {
  uint64_t total = 0;
  callback(stage, avi::kChainTotalLength, stream, reinterpret_cast<intptr_t>(&total), 0, 0, 0);
  return total;
}

int64_t AudioDecoder::Chain::SourcePosition(int64_t position) const {
  uint64_t wanted = static_cast<uint64_t>(position);
  uint64_t copy = 0;
  int64_t source = callback(stage, avi::kChainSourcePosition, stream, reinterpret_cast<intptr_t>(&wanted),
                            reinterpret_cast<intptr_t>(&copy), 0, 0);
  return source < 0 ? 0 : source;
}

AudioDecoder::AudioDecoder(const avi::AudioStream& stream) {
  const riff::WaveFormat* format = stream.OutputFormat();
  size_t size = sizeof(riff::WaveFormat) + (format->formatTag == riff::kWaveFormatPcm ? 0 : format->cbSize);
  input_.assign(reinterpret_cast<const uint8_t*>(format), reinterpret_cast<const uint8_t*>(format) + size);
  if (format->formatTag == riff::kWaveFormatPcm) {
    // Widened samples carry at most 64 bits, so only narrower sources are taken.
    uint16_t bits = format->bitsPerSample;
    if (bits == 8 || bits == 16 || bits == 24 || bits == 32) {
      reinterpret_cast<riff::WaveFormat*>(input_.data())->cbSize = 0;
    } else {
      input_.clear();
    }
  }
  bool built;
  switch (format->formatTag) {
    case riff::kWaveFormatPcm:
      built = !input_.empty() && BuildWideOutput();
      break;
    case kWaveFormatStepAdpcm:
    case kWaveFormatFilterAdpcm:
    case kWaveFormatXaAdpcm:
      built = BuildWideOutput();
      break;
    default:
      built = OpenAcm();
      break;
  }
  if (!built) {
    CloseAcm();
    input_.clear();
    output_.clear();
  }
}

AudioDecoder::~AudioDecoder() { CloseAcm(); }

const riff::WaveFormat* AudioDecoder::InputFormat() const { return input_.empty() ? nullptr : &In(); }

const riff::WaveFormat* AudioDecoder::OutputFormat() const { return output_.empty() ? nullptr : &Out(); }

bool AudioDecoder::BuildWideOutput() {
  const riff::WaveFormat& in = In();
  uint64_t blockAlign = uint64_t{in.channels} * kWideSampleBytes;
  uint64_t byteRate = blockAlign * in.samplesPerSec;
  if (in.channels == 0 || in.samplesPerSec == 0 || blockAlign > UINT16_MAX || byteRate > UINT32_MAX)
    return false;

  uint16_t tag = in.formatTag;
  if (tag != riff::kWaveFormatPcm) {
    if (in.channels > 2) return false;
    bool stereo = in.channels == 2;
    if (tag == kWaveFormatXaAdpcm) {
      layout_ = {kXaGroupBytes, 1, kXaGroupOutput};
    } else if (tag == kWaveFormatStepAdpcm) {
      // One 18-byte block a channel: a mono stream is a run of single blocks.
      layout_ = {kStepBlockBytes * in.channels, 1, kStepBlockSamples * kWideSampleBytes * in.channels};
    } else if (stereo) {
      // Each block-aligned chunk holds the left blocks in its first half, the right in its second.
      if (in.blockAlign == 0 || in.blockAlign % (2 * kFilterBlockBytes) != 0) return false;
      layout_ = {in.blockAlign, in.blockAlign / (2 * kFilterBlockBytes),
                 2 * kFilterBlockSamples * kWideSampleBytes};
    } else {
      if (in.blockAlign == 0 || in.blockAlign % kFilterBlockBytes != 0) return false;
      layout_ = {kFilterBlockBytes, 1, kFilterBlockSamples * kWideSampleBytes};
    }
    carry_.resize(layout_.unitOutput);
    unit_.resize(layout_.unitOutput);
  }

  output_.assign(sizeof(riff::WaveFormat), 0);
  auto* out = reinterpret_cast<riff::WaveFormat*>(output_.data());
  out->formatTag = riff::kWaveFormatPcm;
  out->channels = in.channels;
  out->samplesPerSec = in.samplesPerSec;
  out->bitsPerSample = 64;
  out->blockAlign = static_cast<uint16_t>(blockAlign);
  out->avgBytesPerSec = static_cast<uint32_t>(byteRate);

  // A stored byte rate of 0 says nothing, but these layouts fix the source bytes of every
  // output byte: the stream's length is worked out from the rate they give.
  if (in.avgBytesPerSec == 0) {
    uint64_t sourceBytes = tag == riff::kWaveFormatPcm ? in.bitsPerSample / 8 : layout_.chunkBytes;
    uint64_t outputBytes =
        tag == riff::kWaveFormatPcm ? kWideSampleBytes : uint64_t{layout_.unitOutput} * layout_.unitsPerChunk;
    uint64_t derived = byteRate * sourceBytes / outputBytes;
    reinterpret_cast<riff::WaveFormat*>(input_.data())->avgBytesPerSec =
        static_cast<uint32_t>(std::max<uint64_t>(derived, 1));
  }
  return true;
}

uint32_t AudioDecoder::Read(int stage, avi::ChainCallback callback, avi::AudioStream* stream,
                            int64_t position, uint32_t count, uint8_t* destination) {
  if (Failed() || !callback || !destination || position < 0) return 0;
  Chain chain{stage, callback, stream};
  switch (In().formatTag) {
    case riff::kWaveFormatPcm:
      return ReadPcm(chain, position, count, destination);
    case kWaveFormatAc3:
      return ReadAc3(chain, position, count, destination);
    case kWaveFormatStepAdpcm:
    case kWaveFormatFilterAdpcm:
    case kWaveFormatXaAdpcm:
      return ReadAdpcm(chain, position, count, destination);
    default:
      return ReadAcm(chain, position, count, destination);
  }
}

uint32_t AudioDecoder::ReadPcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination) {
  uint32_t sampleBytes = In().bitsPerSample / 8;
  uint32_t samples = count / kWideSampleBytes;
  uint32_t produced = 0;
  if (samples > 0) {
    uint64_t wanted = uint64_t{samples} * sampleBytes;
    scratch_.resize(wanted);
    // The source sample of the output sample that holds the position: a count that is no whole
    // number of samples does not move it.
    int64_t source = position / kWideSampleBytes * sampleBytes;
    uint32_t got = chain.Read(source, static_cast<uint32_t>(wanted), scratch_.data());
    // A partial trailing sample is dropped.
    uint32_t whole = got / sampleBytes;
    WidenPcm(scratch_.data(), whole, In().bitsPerSample, destination);
    produced = whole * kWideSampleBytes;
  }
  position_ = position + produced;
  return produced;
}

}  // namespace audio
