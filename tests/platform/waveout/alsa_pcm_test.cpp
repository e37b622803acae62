#include "platform/waveout/alsa_pcm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>

#include "support/temp_dir.h"
#include "support/wait_until.h"
#include "platform/waveout/alsa_sink.h"
#include "platform/waveout/queued_device.h"

namespace platform::waveout {
namespace {

// ALSA's file plugin over its null device consumes at once and keeps every frame it was
// given: the real PCM calls, without a sound card.
TEST(AlsaPcm, FramesReachTheDeviceInOrderAndInAlsaChannelOrder) {
  testsupport::TempDir dir;
  const std::string path = dir.File("pcm.raw");
  PcmLayout layout;
  layout.channels = 6;
  layout.rate = 48000;
  layout.bits = layout.validBits = 16;
  layout.blockAlign = 12;
  layout.channelMask = 0x3F;
  layout.extensible = true;
  const std::string name = "file:'" + path + "',raw";
  auto pcm = OpenAlsaPcm(name.c_str(), layout);
  ASSERT_TRUE(pcm) << "ALSA's file plugin is not available";

  // Three buffers of 3000 frames whose every sample says its frame and channel.
  std::vector<std::vector<int16_t>> buffers(3, std::vector<int16_t>(3000 * 6));
  std::vector<int16_t> expected;
  for (size_t b = 0; b < buffers.size(); ++b) {
    for (size_t frame = 0; frame < 3000; ++frame) {
      for (int channel = 0; channel < 6; ++channel) {
        buffers[b][frame * 6 + channel] = static_cast<int16_t>((b * 3000 + frame) % 4000 * 8 + channel);
      }
      for (int channel : {0, 1, 4, 5, 2, 3}) expected.push_back(buffers[b][frame * 6 + channel]);
    }
  }
  std::atomic<int> done{0};
  {
    QueuedDevice device(layout, std::make_unique<AlsaSink>(std::move(pcm), layout),
                        [&] { done.fetch_add(1, std::memory_order_relaxed); });
    for (const auto& buffer : buffers) {
      ASSERT_TRUE(device.Write(reinterpret_cast<const uint8_t*>(buffer.data()),
                               static_cast<uint32_t>(buffer.size() * 2)));
    }
    ASSERT_TRUE(testsupport::WaitUntil([&] { return done == 3; }));
    Position position;
    ASSERT_TRUE(device.GetPosition(TimeKind::kSamples, &position));
    EXPECT_EQ(position.value, 9000u);
  }

  std::ifstream file(path, std::ios::binary);
  const std::vector<char> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_EQ(bytes.size(), expected.size() * 2);
  EXPECT_EQ(std::memcmp(bytes.data(), expected.data(), bytes.size()), 0);
}

}  // namespace
}  // namespace platform::waveout
