#include "platform/waveout/queued_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "support/wait_until.h"
#include "support/fake_pcm.h"
#include "platform/waveout/alsa_sink.h"

namespace platform::waveout {
namespace {

using testsupport::WaitUntil;
using testsupport::FakePcm;

PcmLayout Layout(uint16_t channels, uint32_t mask = 0) {
  PcmLayout layout;
  layout.channels = channels;
  layout.rate = 8000;
  layout.bits = layout.validBits = 16;
  layout.blockAlign = static_cast<uint16_t>(channels * 2);
  layout.channelMask = mask;
  layout.extensible = mask != 0;
  return layout;
}

// Samples that differ from each other, so any frame lost, repeated or moved shows.
std::vector<uint8_t> Ramp(size_t samples, uint16_t first = 0) {
  std::vector<uint8_t> bytes(samples * 2);
  for (size_t i = 0; i < samples; ++i) {
    const auto value = static_cast<uint16_t>(first + i);
    std::memcpy(&bytes[i * 2], &value, 2);
  }
  return bytes;
}

// A device over a fake PCM of `capacity` frames that counts its reports.
class Rig {
 public:
  explicit Rig(long capacity, PcmLayout layout = Layout(1)) {
    auto fake = std::make_unique<FakePcm>(layout.blockAlign, capacity);
    pcm = fake->GetState();
    device = std::make_unique<QueuedDevice>(layout, std::make_unique<AlsaSink>(std::move(fake), layout),
                                            [this] { done.fetch_add(1, std::memory_order_relaxed); });
  }
  uint64_t Samples() {
    Position position;
    EXPECT_TRUE(device->GetPosition(TimeKind::kSamples, &position));
    EXPECT_EQ(position.kind, TimeKind::kSamples);
    return position.value;
  }
  long Held() {
    std::lock_guard<std::mutex> lock(pcm->mutex);
    return pcm->HeldFrames();
  }
  // Plays on in small steps until `bytes` bytes have been heard.
  bool HearAll(size_t bytes) {
    return WaitUntil([&] {
      pcm->Play(64);
      return pcm->Heard().size() >= bytes;
    });
  }

  std::shared_ptr<FakePcm::State> pcm;
  std::atomic<int> done{0};
  std::unique_ptr<QueuedDevice> device;
};

TEST(QueuedDevice, PlaysBuffersInOrderAndReportsEachOnceItIsHeard) {
  Rig rig(128);
  const std::vector<uint8_t> a = Ramp(100), b = Ramp(250, 100), c = Ramp(40, 350);
  ASSERT_TRUE(rig.device->Write(a.data(), static_cast<uint32_t>(a.size())));
  ASSERT_TRUE(rig.device->Write(b.data(), static_cast<uint32_t>(b.size())));
  ASSERT_TRUE(rig.device->Write(c.data(), static_cast<uint32_t>(c.size())));

  ASSERT_TRUE(WaitUntil([&] { return rig.Held() == 128; }));
  rig.pcm->Play(100);
  ASSERT_TRUE(WaitUntil([&] { return rig.done == 1; }));
  // The second buffer is sent in part but not heard: it is not done.
  EXPECT_EQ(rig.Samples(), 100u);
  EXPECT_EQ(rig.done, 1);

  ASSERT_TRUE(rig.HearAll(a.size() + b.size() + c.size()));
  ASSERT_TRUE(WaitUntil([&] { return rig.done == 3; }));
  std::vector<uint8_t> all = a;
  all.insert(all.end(), b.begin(), b.end());
  all.insert(all.end(), c.begin(), c.end());
  EXPECT_EQ(rig.pcm->Heard(), all);
  EXPECT_EQ(rig.Samples(), 390u);
  rig.device->Reset();
  EXPECT_EQ(rig.done, 3);
}

TEST(QueuedDevice, AnUnderrunIsRecoveredWithoutLosingThePosition) {
  Rig rig(300);
  const std::vector<uint8_t> data = Ramp(1000);
  ASSERT_TRUE(rig.device->Write(data.data(), static_cast<uint32_t>(data.size())));
  ASSERT_TRUE(WaitUntil([&] { return rig.Held() == 300; }));
  rig.pcm->Play(200);
  EXPECT_EQ(rig.Samples(), 200u);

  // Everything sent was heard before the PCM ran dry.
  rig.pcm->Underrun();
  const size_t heard = rig.pcm->Heard().size() / 2;
  ASSERT_TRUE(WaitUntil([&] {
    std::lock_guard<std::mutex> lock(rig.pcm->mutex);
    return rig.pcm->recoveries == 1;
  }));
  EXPECT_EQ(rig.Samples(), heard);

  ASSERT_TRUE(rig.HearAll(data.size()));
  ASSERT_TRUE(WaitUntil([&] { return rig.done == 1; }));
  EXPECT_EQ(rig.pcm->Heard(), data);
  EXPECT_EQ(rig.Samples(), 1000u);
}

TEST(QueuedDevice, PauseHoldsThePositionAndResumesWithNothingLostOrRepeated) {
  Rig rig(300);
  const std::vector<uint8_t> data = Ramp(1000);
  ASSERT_TRUE(rig.device->Write(data.data(), static_cast<uint32_t>(data.size())));
  ASSERT_TRUE(WaitUntil([&] { return rig.Held() == 300; }));
  rig.pcm->Play(100);

  rig.device->Pause();
  EXPECT_EQ(rig.Samples(), 100u);
  EXPECT_EQ(rig.Held(), 0);  // what the PCM held was dropped, to be sent again
  rig.pcm->Play(300);
  EXPECT_EQ(rig.Samples(), 100u);

  rig.device->Restart();
  ASSERT_TRUE(rig.HearAll(data.size()));
  EXPECT_EQ(rig.pcm->Heard(), data);
}

TEST(QueuedDevice, ResetReportsEveryQueuedBufferBeforeItReturns) {
  Rig rig(64);
  const std::vector<uint8_t> data = Ramp(100);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(rig.device->Write(data.data(), static_cast<uint32_t>(data.size())));
  rig.pcm->Play(30);
  rig.device->Reset();
  EXPECT_EQ(rig.done, 3);
  EXPECT_EQ(rig.Samples(), 0u);

  // Counting starts again with the next buffer.
  const std::vector<uint8_t> next = Ramp(10, 500);
  ASSERT_TRUE(rig.device->Write(next.data(), static_cast<uint32_t>(next.size())));
  ASSERT_TRUE(WaitUntil([&] {
    rig.pcm->Play(64);
    return rig.done == 4;
  }));
  EXPECT_EQ(rig.Samples(), 10u);
}

TEST(QueuedDevice, AVanishedDeviceRefusesWritesAndPositions) {
  Rig rig(64);
  const std::vector<uint8_t> data = Ramp(100);
  ASSERT_TRUE(rig.device->Write(data.data(), static_cast<uint32_t>(data.size())));
  {
    std::lock_guard<std::mutex> lock(rig.pcm->mutex);
    rig.pcm->failure = -ENODEV;
  }
  Position position;
  ASSERT_TRUE(WaitUntil([&] { return !rig.device->GetPosition(TimeKind::kMs, &position); }));
  EXPECT_FALSE(rig.device->Write(data.data(), static_cast<uint32_t>(data.size())));
  rig.device->Reset();
  EXPECT_EQ(rig.done, 1);
}

TEST(QueuedDevice, SurroundChannelsReachAlsaInItsOrder) {
  Rig rig(16, Layout(6, 0x3F));
  const std::vector<uint8_t> frame = Ramp(6);  // FL FR FC LFE BL BR
  ASSERT_TRUE(rig.device->Write(frame.data(), static_cast<uint32_t>(frame.size())));
  ASSERT_TRUE(rig.HearAll(frame.size()));
  const std::vector<uint8_t> heard = rig.pcm->Heard();
  std::vector<uint16_t> samples(6);
  std::memcpy(samples.data(), heard.data(), 12);
  EXPECT_EQ(samples, (std::vector<uint16_t>{0, 1, 4, 5, 2, 3}));
}

}  // namespace
}  // namespace platform::waveout
