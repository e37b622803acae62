#include "audio/packet_timeline.h"

namespace audio {

void PacketTimeline::SetFixed(size_t count, uint64_t first, uint32_t samples, uint32_t outputRate,
                              uint32_t codecRate) {
  count_ = count;
  first_ = first;
  fixed_ = samples;
  outputRate_ = outputRate ? outputRate : 1;
  codecRate_ = codecRate ? codecRate : outputRate_;
  after_.clear();
}

void PacketTimeline::Begin(uint64_t first, uint32_t outputRate, uint32_t codecRate) {
  SetFixed(1, first, 0, outputRate, codecRate);
  after_.push_back(0);
}

void PacketTimeline::Add(uint32_t samples) {
  after_.push_back(after_.back() + samples);
  ++count_;
}

uint64_t PacketTimeline::Start(size_t packet) const {
  if (packet == 0 || count_ == 0) return 0;
  if (packet > count_) packet = count_;
  uint64_t codecSamples = after_.empty() ? uint64_t{packet - 1} * fixed_ : after_[packet - 1];
  // In two parts, so that the product of a long stream and a rate cannot pass 64 bits.
  return first_ + codecSamples / codecRate_ * outputRate_ +
         codecSamples % codecRate_ * outputRate_ / codecRate_;
}

size_t PacketTimeline::PacketAt(uint64_t sample) const {
  if (sample >= Total()) return count_;
  // The last packet that starts at or before the sample: packets that give nothing are passed.
  size_t low = 0;
  size_t high = count_;
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
