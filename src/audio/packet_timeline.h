#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

// Where each packet's samples start in the decoded output, for codecs whose packets say how
// many samples they give. Packet lengths are codec samples, brought to the output rate; the one
// packet whose output decoding had to show (some codecs hold the first packet back) is counted
// in output samples as it came.
class PacketTimeline {
 public:
  PacketTimeline() = default;
  PacketTimeline(uint32_t outputRate, uint32_t codecRate);

  // Appends a packet that gives `samples` codec samples.
  void Add(uint32_t samples);
  // Appends the packet whose output decoding showed: `samples` output samples. Once.
  void AddDecoded(uint64_t samples);

  size_t Count() const { return codec_.size() - 1; }
  // The output sample where packet `packet` starts; Start(Count()) is the whole length.
  uint64_t Start(size_t packet) const;
  uint64_t Total() const { return Start(Count()); }
  // The packet whose samples hold output sample `sample`, passing packets that give nothing;
  // Count() past the end.
  size_t PacketAt(uint64_t sample) const;

 private:
  uint32_t outputRate_ = 1;
  uint32_t codecRate_ = 1;
  // At index k the codec samples of the packets before packet k.
  std::vector<uint64_t> codec_ = {0};
  size_t decodedPacket_ = SIZE_MAX;
  uint64_t decoded_ = 0;
};

}  // namespace audio
