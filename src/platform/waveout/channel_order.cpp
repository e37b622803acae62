#include "platform/waveout/channel_order.h"

#include <bit>
#include <cstring>
#include <initializer_list>

namespace platform::waveout {
namespace {

// Speaker bits of a channel mask.
constexpr uint32_t kFrontLeft = 0x1;
constexpr uint32_t kFrontRight = 0x2;
constexpr uint32_t kFrontCenter = 0x4;
constexpr uint32_t kLowFrequency = 0x8;
constexpr uint32_t kBackLeft = 0x10;
constexpr uint32_t kBackRight = 0x20;
constexpr uint32_t kFrontLeftOfCenter = 0x40;
constexpr uint32_t kFrontRightOfCenter = 0x80;
constexpr uint32_t kSideLeft = 0x200;
constexpr uint32_t kSideRight = 0x400;

using Slot = std::initializer_list<uint32_t>;  // speakers that may fill it, best first

// Wave layouts already match ALSA's order for up to four channels; these two differ.
constexpr Slot kSurround51[] = {{kFrontLeft},           {kFrontRight},
                                {kBackLeft, kSideLeft}, {kBackRight, kSideRight},
                                {kFrontCenter},         {kLowFrequency}};
constexpr Slot kSurround71[] = {{kFrontLeft},
                                {kFrontRight},
                                {kBackLeft},
                                {kBackRight},
                                {kFrontCenter},
                                {kLowFrequency},
                                {kSideLeft, kFrontLeftOfCenter},
                                {kSideRight, kFrontRightOfCenter}};

}  // namespace

std::vector<uint8_t> AlsaChannelOrder(uint16_t channels, uint32_t channelMask) {
  const Slot* slots = channels == 6 ? kSurround51 : channels == 8 ? kSurround71 : nullptr;
  if (!slots || std::popcount(channelMask) < channels) return {};
  std::vector<uint8_t> order;
  uint32_t used = 0;
  for (int slot = 0; slot < channels; ++slot) {
    uint32_t chosen = 0;
    for (uint32_t speaker : slots[slot]) {
      if ((channelMask & speaker) && !(used & speaker)) {
        chosen = speaker;
        break;
      }
    }
    if (!chosen) return {};
    // A speaker past the first `channels` ones in the mask carries no channel.
    const auto index = std::popcount(channelMask & (chosen - 1));
    if (index >= channels) return {};
    used |= chosen;
    order.push_back(static_cast<uint8_t>(index));
  }
  for (int slot = 0; slot < channels; ++slot) {
    if (order[slot] != slot) return order;
  }
  return {};
}

void Reorder(const uint8_t* source, uint64_t frames, const std::vector<uint8_t>& order, uint16_t sampleBytes,
             uint8_t* destination) {
  const size_t frameBytes = order.size() * sampleBytes;
  for (uint64_t frame = 0; frame < frames; ++frame) {
    for (size_t slot = 0; slot < order.size(); ++slot) {
      std::memcpy(destination + slot * sampleBytes, source + order[slot] * sampleBytes, sampleBytes);
    }
    source += frameBytes;
    destination += frameBytes;
  }
}

}  // namespace platform::waveout
