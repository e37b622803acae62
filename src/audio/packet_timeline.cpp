#include "audio/packet_timeline.h"

namespace audio {

PacketTimeline::PacketTimeline(uint32_t outputRate, uint32_t codecRate)
    : outputRate_(outputRate ? outputRate : 1), codecRate_(codecRate ? codecRate : outputRate_) {}

void PacketTimeline::Add(uint32_t samples) { codec_.push_back(codec_.back() + samples); }

void PacketTimeline::AddDecoded(uint64_t samples) {
  decodedPacket_ = Count();
  decoded_ = samples;
  codec_.push_back(codec_.back());
}

uint64_t PacketTimeline::Start(size_t packet) const {
  if (packet > Count()) packet = Count();
  uint64_t codec = codec_[packet];
  // In two parts, so that the product of a long stream and a rate cannot pass 64 bits.
  uint64_t start = codec / codecRate_ * outputRate_ + codec % codecRate_ * outputRate_ / codecRate_;
  return packet > decodedPacket_ ? start + decoded_ : start;
}

size_t PacketTimeline::PacketAt(uint64_t sample) const {
  if (sample >= Total()) return Count();
  // The last packet that starts at or before the sample.
  size_t low = 0;
  size_t high = Count();
  while (high - low > 1) {
    size_t middle = low + (high - low) / 2;
    if (Start(middle) <= sample) {
      low = middle;
    } else {
      high = middle;
    }
  }
  return low;
}

}  // namespace audio
