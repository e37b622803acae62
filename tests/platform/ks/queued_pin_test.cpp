#include "platform/ks/queued_pin.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <numeric>

#include "platform/ks/event_group.h"
#include "platform/ks/properties.h"
#include "platform/ks/results.h"
#include "support/fake_pcm.h"
#include "support/wait_until.h"

namespace platform::ks {
namespace {

using testsupport::FakePcm;
using testsupport::WaitUntil;

waveout::PcmLayout Stereo16() {
  waveout::PcmLayout layout;
  layout.channels = 2;
  layout.rate = 48000;
  layout.bits = layout.validBits = 16;
  layout.blockAlign = 4;
  return layout;
}

// Packets of distinct bytes written to a pin over a fake PCM, with their completion events.
class QueuedPinTest : public ::testing::Test {
 protected:
  struct Packet {
    std::vector<uint8_t> data;
    StreamHeader header{};
    WriteCompletion completion{};
  };

  void Open(const waveout::PcmLayout& layout, long capacity) {
    auto fake = std::make_unique<FakePcm>(layout.blockAlign, capacity);
    pcm_ = fake->GetState();
    pin_ = std::make_unique<QueuedPin>(std::move(fake), layout);
  }
  int32_t Write(size_t index, uint32_t bytes) {
    Packet& packet = packets_[index];
    packet.data.resize(bytes);
    std::iota(packet.data.begin(), packet.data.end(), static_cast<uint8_t>(index * 64));
    packet.header = {sizeof packet.header, 0, 0, 1, 1, 0, bytes, bytes, packet.data.data(), 0};
    packet.completion = {&events_, static_cast<uint32_t>(index), kOk, 0};
    return pin_->Write(packet.header, packet.completion);
  }
  int32_t SetState(uint32_t state) {
    const Property request{kPropertySetConnection, kConnectionState, kPropertySet};
    uint32_t returned = 0;
    return pin_->Property(&request, sizeof request, &state, sizeof state, &returned);
  }
  size_t Held() {
    std::lock_guard<std::mutex> lock(pcm_->mutex);
    return pcm_->held.size();
  }
  std::vector<uint8_t> Concatenated(std::initializer_list<size_t> indices) {
    std::vector<uint8_t> all;
    for (size_t i : indices) all.insert(all.end(), packets_[i].data.begin(), packets_[i].data.end());
    return all;
  }

  EventGroup events_{4, false};
  Packet packets_[4];
  std::shared_ptr<FakePcm::State> pcm_;
  std::unique_ptr<QueuedPin> pin_;
};

TEST_F(QueuedPinTest, PacketsPlayInOrderWhileRunningAndCompleteOnceHeard) {
  Open(Stereo16(), 1000);
  EXPECT_EQ(Write(0, 400), kErrorIoPending);
  EXPECT_EQ(Write(1, 402), kErrorIoPending);  // a trailing part frame is not played
  EXPECT_EQ(Write(2, 0), kErrorIoPending);
  EXPECT_EQ(packets_[0].completion.result, kErrorIoPending);
  EXPECT_EQ(events_.WaitAny(20), -1);
  EXPECT_EQ(Held(), 0u);  // stopped: nothing is written

  ASSERT_EQ(SetState(kStateRun), kOk);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 800; }));
  EXPECT_EQ(events_.WaitAny(20), -1);  // taken by the PCM, not yet heard
  pcm_->Play(100);
  ASSERT_EQ(events_.WaitAny(10000), 0);
  EXPECT_EQ(packets_[0].completion.result, kOk);
  EXPECT_EQ(packets_[0].completion.bytes, 400u);
  EXPECT_FALSE(events_.IsSet(1));
  pcm_->Play(100);
  ASSERT_TRUE(WaitUntil([&] { return events_.IsSet(1) && events_.IsSet(2); }));
  std::vector<uint8_t> heard = Concatenated({0, 1});
  heard.resize(800);
  EXPECT_EQ(pcm_->Heard(), heard);

  // Paused, the pin writes nothing more; running again, it goes on.
  ASSERT_EQ(SetState(kStatePause), kOk);
  EXPECT_EQ(Write(3, 40), kErrorIoPending);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(Held(), 0u);
  ASSERT_EQ(SetState(kStateRun), kOk);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 40; }));
}

TEST_F(QueuedPinTest, StoppingDropsWhatThePcmHoldsAndAbortsTheQueue) {
  Open(Stereo16(), 150);
  Write(0, 400);
  Write(1, 400);
  SetState(kStateRun);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 600; }));
  ASSERT_EQ(SetState(kStateStop), kOk);
  for (uint32_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(events_.IsSet(i));
    EXPECT_EQ(packets_[i].completion.result, kErrorOperationAborted);
  }
  EXPECT_EQ(packets_[0].completion.bytes, 400u);  // sent whole, dropped unheard
  EXPECT_EQ(packets_[1].completion.bytes, 200u);
  EXPECT_EQ(Held(), 0u);
  EXPECT_EQ(pcm_->drops, 1);

  // Running again after the stop, a packet completes once its own frames are heard.
  events_.Reset(0);
  events_.Reset(1);
  Write(0, 40);
  SetState(kStateRun);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 40; }));
  pcm_->Play(10);
  EXPECT_EQ(events_.WaitAny(10000), 0);

  // Closing the pin completes what is still queued.
  SetState(kStatePause);
  Write(1, 40);
  pin_.reset();
  EXPECT_EQ(packets_[1].completion.result, kErrorOperationAborted);
}

TEST_F(QueuedPinTest, AnUnderrunCountsAsHeardAndAPcmThatCannotRecoverFailsTheWrites) {
  Open(Stereo16(), 1000);
  Write(0, 400);
  SetState(kStateRun);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 400; }));
  pcm_->Underrun();
  ASSERT_EQ(events_.WaitAny(10000), 0);
  EXPECT_EQ(packets_[0].completion.result, kOk);
  EXPECT_EQ(Write(1, 40), kErrorIoPending);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 40; }));
  EXPECT_GE(pcm_->recoveries, 1);

  {
    std::lock_guard<std::mutex> lock(pcm_->mutex);
    pcm_->failure = -ENODEV;
  }
  ASSERT_TRUE(WaitUntil([&] { return events_.IsSet(1); }));
  EXPECT_EQ(packets_[1].completion.result, kErrorGenFailure);
  EXPECT_EQ(Write(2, 40), kErrorDeviceNotConnected);

  StreamHeader bad{};
  WriteCompletion completion{&events_, 0, 0, 0};
  EXPECT_EQ(pin_->Write(bad, completion), kErrorInvalidParameter);
  const uint32_t state = 9;
  const Property request{kPropertySetConnection, kConnectionState, kPropertySet};
  uint32_t returned = 0;
  EXPECT_EQ(pin_->Property(&request, sizeof request, const_cast<uint32_t*>(&state), sizeof state, &returned),
            kErrorInvalidParameter);
}

TEST_F(QueuedPinTest, SurroundPlaysInAlsaChannelOrder) {
  Open({6, 48000, 16, 16, 12, 0x3F, true}, 0);
  pcm_->instant = true;
  std::vector<int16_t> frames(6 * 5000);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int16_t>(i);
  packets_[0].data.assign(reinterpret_cast<uint8_t*>(frames.data()),
                          reinterpret_cast<uint8_t*>(frames.data() + frames.size()));
  packets_[0].header = {sizeof(StreamHeader), 0, 0, 1, 1, 0, 60000, 60000, packets_[0].data.data(), 0};
  packets_[0].completion = {&events_, 0, kOk, 0};
  ASSERT_EQ(pin_->Write(packets_[0].header, packets_[0].completion), kErrorIoPending);
  SetState(kStateRun);
  ASSERT_EQ(events_.WaitAny(10000), 0);
  const std::vector<uint8_t> heard = pcm_->Heard();
  ASSERT_EQ(heard.size(), 60000u);
  std::vector<int16_t> samples(heard.size() / 2);
  std::memcpy(samples.data(), heard.data(), heard.size());
  for (size_t frame = 0; frame < 5000; frame += 999) {
    const int16_t* in = &frames[frame * 6];
    const int16_t* out = &samples[frame * 6];
    EXPECT_EQ(std::vector<int16_t>(out, out + 6),
              (std::vector<int16_t>{in[0], in[1], in[4], in[5], in[2], in[3]}))
        << frame;
  }
}

}  // namespace
}  // namespace platform::ks
