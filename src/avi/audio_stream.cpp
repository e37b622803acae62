#include "avi/audio_stream.h"

#include <cstring>

#include "avi/source_layout.h"

namespace avi {

using riff::kWaveFormatMpegLayer3;
using riff::kWaveFormatPcm;
using riff::WaveFormat;

namespace {

// value × mul / div without a 64-bit overflow of the product; 0 when div is 0.
uint64_t Scale(uint64_t value, uint64_t mul, uint64_t div) {
  if (div == 0) return 0;
  return value / div * mul + value % div * mul / div;
}

std::vector<uint8_t> NormalisedFormat(std::vector<uint8_t> format) {
  if (format.size() < sizeof(WaveFormat)) format.resize(sizeof(WaveFormat), 0);
  WaveFormat head;
  std::memcpy(&head, format.data(), sizeof head);
  size_t extra = format.size() - sizeof(WaveFormat);
  if (head.formatTag == kWaveFormatPcm) {
    head.cbSize = 0;
  } else if (head.cbSize > extra) {
    head.cbSize = static_cast<uint16_t>(extra);
  }
  format.resize(sizeof(WaveFormat) + head.cbSize);
  std::memcpy(format.data(), &head, sizeof head);
  return format;
}

}  // namespace

AudioStream::AudioStream(std::vector<uint8_t> format, std::unique_ptr<PacketTable> table, StreamName name,
                         int32_t delay)
    : format_(NormalisedFormat(std::move(format))), name_(std::move(name)), delay_(delay) {
  tables_.Append(std::move(table));
}

AudioStream::~AudioStream() {
  // Stages may still look at the packets while they go, so they go first, the last one first.
  chain_.Clear();
  tables_.Clear();
}

const WaveFormat* AudioStream::OutputFormat() const {
  size_t count = chain_.Count();
  return count ? chain_.Get(count - 1)->OutputFormat() : SourceFormat();
}

uint64_t AudioStream::PacketBytes() const {
  uint64_t total = 0;
  for (size_t t = 0; t < tables_.Count(); ++t) {
    const PacketTable& table = *tables_.Get(t);
    for (size_t j = 0; j < table.Count(); ++j) total += table.Size(j);
  }
  return total;
}

const WaveFormat& AudioStream::DecodedFormat() const {
  return chain_.Count() ? *chain_.Get(0)->InputFormat() : *SourceFormat();
}

uint64_t AudioStream::TotalLength() const {
  size_t count = chain_.Count();
  if (count == 0) return PacketBytes();
  const avi::IAudioFilter& last = *chain_.Get(count - 1);
  uint64_t known = 0;
  if (last.OutputLength(&known)) return known;
  const uint64_t total = PacketBytes();
  const WaveFormat& source = DecodedFormat();
  uint32_t outputRate = last.OutputFormat()->avgBytesPerSec;
  // Whole blocks of a known number of samples, whatever byte rate the stream states.
  if (uint32_t blockSamples = SamplesPerBlock(source)) {
    return Scale(total / source.blockAlign * blockSamples, outputRate, source.samplesPerSec);
  }
  // The first stage's copy of the source format: a stage that knows its layout gives it the
  // byte rate that a stored 0 leaves unknown.
  return Scale(total, outputRate, source.avgBytesPerSec);
}

uint64_t AudioStream::TotalLengthBefore(size_t stage) const {
  uint64_t total = TotalLength();
  for (size_t j = 0; j < stage && j < chain_.Count(); ++j) {
    const avi::IAudioFilter& filter = *chain_.Get(j);
    total = Scale(total, filter.OutputFormat()->avgBytesPerSec, filter.InputFormat()->avgBytesPerSec);
  }
  return total;
}

uint32_t AudioStream::ReadRaw(uint64_t position, uint32_t count, uint8_t* destination) const {
  uint32_t delivered = 0;
  for (size_t t = 0; t < tables_.Count() && count > 0; ++t) {
    const PacketTable& table = *tables_.Get(t);
    for (size_t j = 0; j < table.Count() && count > 0; ++j) {
      const PacketEntry& packet = table[j];
      if (packet.size <= position) {
        position -= packet.size;
        continue;
      }
      uint64_t available = packet.size - position;
      uint32_t want = available < count ? static_cast<uint32_t>(available) : count;
      uint32_t got = table.View().Read(packet.offset + position, want, destination + delivered);
      delivered += got;
      count -= got;
      position = 0;
    }
  }
  return delivered;
}

size_t AudioStream::PacketCount() const {
  size_t count = 0;
  for (size_t t = 0; t < tables_.Count(); ++t) count += tables_.Get(t)->Count();
  return count;
}

const PacketEntry* AudioStream::FindPacket(size_t index, const PacketTable** table) const {
  for (size_t t = 0; t < tables_.Count(); ++t) {
    *table = tables_.Get(t);
    if (index < (*table)->Count()) return &(**table)[index];
    index -= (*table)->Count();
  }
  return nullptr;
}

int64_t AudioStream::PacketSize(size_t index) const {
  const PacketTable* table = nullptr;
  const PacketEntry* packet = FindPacket(index, &table);
  return packet ? int64_t{packet->size} : -1;
}

int64_t AudioStream::ReadPacket(size_t index, uint32_t count, uint8_t* destination, uint32_t* size) const {
  const PacketTable* table = nullptr;
  const PacketEntry* packet = FindPacket(index, &table);
  if (!packet) return -1;
  if (size) *size = packet->size;
  return table->View().Read(packet->offset, packet->size < count ? packet->size : count, destination);
}

uint32_t AudioStream::Read(uint64_t position, uint32_t count, void* destination) {
  auto* out = static_cast<uint8_t*>(destination);
  size_t stages = chain_.Count();
  if (stages == 0) return ReadRaw(position, count, out);
  if (position > static_cast<uint64_t>(INT64_MAX)) return 0;
  return chain_.Get(stages - 1)
      ->Read(static_cast<int>(stages - 1), &AudioStream::ChainCallback, this, static_cast<int64_t>(position),
             count, out);
}

int64_t AudioStream::DecodedPosition() const {
  size_t count = chain_.Count();
  return count ? chain_.Get(count - 1)->Position() : 0;
}

int AudioStream::AddStage(std::unique_ptr<avi::IAudioFilter> stage) {
  if (!stage || stage->Failed()) return 1;
  chain_.Append(std::move(stage));
  return 0;
}

int AudioStream::RemoveLastStage() {
  size_t count = chain_.Count();
  if (count == 0) return 1;
  chain_.Remove(count - 1);
  return 0;
}

uint64_t AudioStream::SourcePosition(uint64_t position, uint64_t* start) const {
  const WaveFormat& source = DecodedFormat();
  const uint32_t outputBlock = OutputFormat()->blockAlign;
  if (start) *start = position;
  if (source.formatTag == kWaveFormatMpegLayer3) {
    // The decoded output is 16-bit samples.
    uint32_t frameSamples = Mp3FrameSamples(source.samplesPerSec);
    uint64_t frameOutput = uint64_t{frameSamples} * source.channels * 2;
    if (frameOutput == 0) return 0;
    uint64_t frames = position / frameOutput;
    if (start) *start = frames * frameOutput;
    if (source.avgBytesPerSec != 0 && source.avgBytesPerSec % 2000 == 0) {
      // Constant bit rate: the frames' sizes differ by a padding byte, so the offset is taken
      // from the exact byte rate, not from a whole frame size that falls behind frame by frame.
      return Scale(frames * frameSamples, source.avgBytesPerSec, source.samplesPerSec);
    }
    uint64_t bytes = 0;
    for (size_t t = 0; t < tables_.Count() && frames > 0; ++t) {
      const PacketTable& table = *tables_.Get(t);
      for (size_t j = 0; j < table.Count() && frames > 0; ++j, --frames) bytes += table.Size(j);
    }
    return bytes;
  }
  if (uint32_t blockSamples = SamplesPerBlock(source)) {
    if (outputBlock == 0) return 0;
    uint64_t blocks = position / outputBlock / blockSamples;
    if (start) *start = blocks * blockSamples * outputBlock;
    return blocks * source.blockAlign;
  }
  // Output bytes back to source bytes by the two byte rates, then down to a whole block, and
  // that block's start in output bytes.
  uint32_t outputRate = OutputFormat()->avgBytesPerSec;
  uint64_t bytes = Scale(position, source.avgBytesPerSec, outputRate);
  if (source.blockAlign > 1) bytes -= bytes % source.blockAlign;
  if (start && source.avgBytesPerSec != 0) {
    uint64_t back = Scale(bytes, outputRate, source.avgBytesPerSec);
    *start = outputBlock > 1 ? back - back % outputBlock : back;
  }
  return bytes;
}

int64_t AudioStream::ChainCallback(int stage, int kind, AudioStream* stream, intptr_t first, intptr_t second,
                                   intptr_t third, intptr_t fourth) {
  if (!stream || stage < 0) return 0;
  switch (kind) {
    case avi::kChainRead: {
      if (first < 0 || third <= 0 || !fourth) return 0;
      uint32_t count = third > INT32_MAX ? static_cast<uint32_t>(INT32_MAX) : static_cast<uint32_t>(third);
      auto* destination = reinterpret_cast<uint8_t*>(fourth);
      if (stage == 0) return stream->ReadRaw(static_cast<uint64_t>(first), count, destination);
      avi::IAudioFilter* below = stream->chain_.Get(static_cast<size_t>(stage - 1));
      if (!below) return 0;
      return below->Read(stage - 1, &AudioStream::ChainCallback, stream, first, count, destination);
    }
    case avi::kChainTotalLength:
      if (first) *reinterpret_cast<uint64_t*>(first) = stream->TotalLengthBefore(static_cast<size_t>(stage));
      return 1;
    case avi::kChainPacketCount:
      if (first) {
        const PacketTable* table = stream->tables_.Get(0);
        *reinterpret_cast<uint32_t*>(first) =
            stage == 0 ? (table ? static_cast<uint32_t>(table->Count()) : 0) : 1;
      }
      return 0;
    case avi::kChainTotalLengthShort:
      if (second) {
        *reinterpret_cast<uint32_t*>(second) = stage == 0 ? static_cast<uint32_t>(stream->TotalLength()) : 0;
      }
      return 0;
    case avi::kChainSourcePosition: {
      if (!first) return 0;
      uint64_t position = *reinterpret_cast<const uint64_t*>(first);
      uint64_t start = position;
      uint64_t source = stream->SourcePosition(position, &start);
      if (second) *reinterpret_cast<uint64_t*>(second) = start;
      return source > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(source);
    }
    case avi::kChainReadPacket: {
      if (stage != 0 || first < 0 || third < 0 || (third > 0 && !fourth)) return -1;
      uint32_t count = third > INT32_MAX ? static_cast<uint32_t>(INT32_MAX) : static_cast<uint32_t>(third);
      return stream->ReadPacket(static_cast<size_t>(first), count, reinterpret_cast<uint8_t*>(fourth),
                                reinterpret_cast<uint32_t*>(second));
    }
    default:
      return 0;
  }
}

}  // namespace avi
