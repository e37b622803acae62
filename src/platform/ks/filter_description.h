#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ks/properties.h"

namespace platform::ks {

// What a filter says about one of its pins.
struct PinDescription {
  uint32_t communication = kCommunicationSink;
  uint32_t dataFlow = kDataFlowIn;
  std::vector<Identifier> interfaces{{kInterfaceSetStandard, kInterfaceStreaming, 0}};
  std::vector<Identifier> mediums{{kMediumSetStandard, kMediumAnyInstance, 0}};
  std::vector<AudioDataRange> dataRanges;
  PinInstances instances{1, 0};
  PinInstances globalInstances{1, 0};
  Guid category = kCategoryAudio;
  std::string name;
};

struct FilterDescription {
  std::vector<PinDescription> pins;
  std::vector<Guid> nodes;  // the type of each topology node
};

// PCM described by a wave format, up to `maxChannels` channels, in the given sample bits and
// rates.
inline AudioDataRange PcmRange(uint32_t maxChannels, uint32_t minBits, uint32_t maxBits, uint32_t minRate,
                               uint32_t maxRate) {
  AudioDataRange range{};
  range.range.formatSize = sizeof range;
  range.range.majorFormat = kFormatTypeAudio;
  range.range.subFormat = kSubtypePcm;
  range.range.specifier = kSpecifierWaveFormat;
  range.maximumChannels = maxChannels;
  range.minimumBitsPerSample = minBits;
  range.maximumBitsPerSample = maxBits;
  range.minimumSampleFrequency = minRate;
  range.maximumSampleFrequency = maxRate;
  return range;
}

}  // namespace platform::ks
