#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

// Where each packet's samples start in the decoded output, for codecs whose packets say how
// many samples they give. Packet 0 gives what decoding it showed (some codecs hold the first
// packet back); the later ones their codec samples, brought to the output rate.
class PacketTimeline {
 public:
  // `count` packets: packet 0 gives `first` output samples, every later one `samples` codec
  // samples.
  void SetFixed(size_t count, uint64_t first, uint32_t samples, uint32_t outputRate, uint32_t codecRate);
  // Starts a timeline whose later packets are added one by one.
  void Begin(uint64_t first, uint32_t outputRate, uint32_t codecRate);
  // Appends the next packet, of `samples` codec samples.
  void Add(uint32_t samples);

  size_t Count() const { return count_; }
  // The output sample where packet `packet` starts; Start(Count()) is the whole length.
  uint64_t Start(size_t packet) const;
  uint64_t Total() const { return Start(count_); }
  // The packet whose samples hold output sample `sample`; Count() past the end.
  size_t PacketAt(uint64_t sample) const;

 private:
  size_t count_ = 0;
  uint64_t first_ = 0;
  uint32_t fixed_ = 0;
  uint32_t outputRate_ = 1;
  uint32_t codecRate_ = 1;
  // At index k the codec samples of packets 1 to k, when the packets differ.
  std::vector<uint64_t> after_;
};

}  // namespace audio
