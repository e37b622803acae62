#include "audio/ks/ks_renderer.h"

#include <gtest/gtest.h>

#include <mutex>

#include "../renderer_notes.h"
#include "../stream_fixture.h"
#include "platform/ks/properties.h"
#include "platform/waveout/channel_order.h"
#include "support/fake_device_tree.h"
#include "support/wait_until.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;
using testsupport::WaitUntil;

using audiotest::Noise;
using audiotest::PcmFormat;

// Tests that play the fake PCM by hand give the renderer time; the one about a quiet pin gives
// it less, but still enough for the test to play a packet first.
constexpr uint32_t kPatientMs = 60000;
constexpr uint32_t kQuietMs = 500;

// A renderer over a fake device tree of one card with a stereo and an eight-channel sink, with
// the notifications it sent.
class KsRendererTest : public ::testing::Test {
 protected:
  KsRendererTest() {
    testsupport::FakeDeviceTree::Device card;
    card.path = "card0";
    card.filter.pins = {testsupport::RenderSink(2), testsupport::RenderSink(8)};
    tree_.Add(card);
    renderer_.SetNotification(&audiotest::RendererNotes::Record, &notes_);
  }

  std::shared_ptr<avi::AudioStream> Stream(const riff::WaveFormat& format, const std::vector<uint8_t>& data) {
    return audiotest::MakeStream(dir_, testsupport::WaveFormatBytes(format), data);
  }
  std::vector<int32_t> Notes() { return notes_.Get(); }
  bool WaitForState(int32_t state) {
    return WaitUntil([&] { return renderer_.State() == state; });
  }
  std::shared_ptr<testsupport::FakePcm::State> Pcm0() { return tree_.Created().at(0).pcm; }
  size_t Held() {
    auto pcm = Pcm0();
    std::lock_guard<std::mutex> lock(pcm->mutex);
    return pcm->held.size();
  }

  // Declared before the renderer, whose thread uses them until it is destroyed.
  audiotest::RendererNotes notes_;
  testsupport::TempDir dir_;
  testsupport::FakeDeviceTree tree_;
  KSRenderer renderer_{tree_, kPatientMs};
};

TEST_F(KsRendererTest, PcmPlaysWholeThroughSmallPacketsAndTheTailIsHeardBeforeTheEnd) {
  const riff::WaveFormat format = PcmFormat(2, 44100, 16);
  EXPECT_EQ(KSRenderer::PacketCount(format), 6u);
  const std::vector<uint8_t> data = Noise(176400 * 2 + 1000);
  ASSERT_FALSE(renderer_.SetStream(Stream(format, data)));
  EXPECT_EQ(renderer_.Kind(), kRendererKs);
  EXPECT_EQ(renderer_.HeardPositionMs(), -1);

  EXPECT_FALSE(renderer_.Play());
  ASSERT_TRUE(WaitForState(kRendererStopped));
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded}));
  const auto created = tree_.Created();
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ(created[0].pinId, 0u);
  EXPECT_EQ(created[0].layout.rate, 44100u);
  EXPECT_EQ(created[0].layout.channels, 2);
  // Every byte was heard before the pin was paused and stopped.
  EXPECT_EQ(created[0].pcm->Heard(), data);
  EXPECT_EQ(created[0].states,
            (std::vector<uint32_t>{pks::kStateRun, pks::kStatePause, pks::kStateStop, pks::kStateStop}));
  EXPECT_EQ(renderer_.DecodedPosition(), 0);
}

TEST_F(KsRendererTest, ThePrefillQueuesOnePacketForEach32768BytesOfASecondAndOneMore) {
  tree_.SetPcmCapacity(1 << 20);
  const std::vector<uint8_t> data = Noise(176400 * 2);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), data)));
  EXPECT_FALSE(renderer_.Play());
  EXPECT_EQ(renderer_.State(), kRendererPlaying);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 6 * 8192u; }));
  EXPECT_EQ(renderer_.HeardPositionMs(), 0);

  // A packet heard is refilled with the next bytes.
  Pcm0()->Play(2048);
  ASSERT_TRUE(WaitUntil([&] { return Held() == 6 * 8192u; }));
  EXPECT_TRUE(WaitUntil([&] { return renderer_.HeardPositionMs() == 8192 * 1000 / 176400; }));
  renderer_.Stop();
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded}));
}

TEST_F(KsRendererTest, WideDecodedSamplesPlayAsTheirTop16BitsAndSurroundAsExtensible) {
  const std::vector<uint8_t> wide = Noise(48000 * 16 / 3, 5);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 48000, 64), wide)));
  renderer_.Play();
  ASSERT_TRUE(WaitForState(kRendererStopped));
  const std::vector<int16_t> top = audiotest::Top16(wide);
  EXPECT_EQ(audiotest::AsInt16(tree_.Created().at(0).pcm->Heard()), top);

  const std::vector<uint8_t> six = Noise(48000 * 12 / 4, 6);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(6, 48000, 16), six)));
  renderer_.Play();
  ASSERT_TRUE(WaitForState(kRendererStopped));
  const auto created = tree_.Created();
  ASSERT_EQ(created.size(), 2u);
  EXPECT_EQ(created[1].pinId, 1u);  // the stereo sink does not take six channels
  EXPECT_TRUE(created[1].layout.extensible);
  EXPECT_EQ(created[1].layout.channelMask, 0x3Fu);
  // Packets carry whole frames (8184 bytes of 12-byte frames), heard in ALSA's order.
  std::vector<uint8_t> alsaOrder(six.size());
  platform::waveout::Reorder(six.data(), six.size() / 12, platform::waveout::AlsaChannelOrder(6, 0x3F), 2,
                             alsaOrder.data());
  EXPECT_EQ(created[1].pcm->Heard(), alsaOrder);
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded, kNotifyStarted, kNotifyEnded}));
}

TEST_F(KsRendererTest, OnlyPcmAt44100Or48000HzIsTaken) {
  EXPECT_TRUE(renderer_.SetStream(Stream(PcmFormat(2, 32000, 16), Noise(1280))));
  EXPECT_EQ(renderer_.OutputFormat(), nullptr);
  EXPECT_TRUE(renderer_.Play());  // nothing to play
  EXPECT_TRUE(renderer_.SetStream(Stream(PcmFormat(2, 96000, 16), Noise(1280))));
  riff::WaveFormat disagreeing = PcmFormat(2, 48000, 16);
  disagreeing.avgBytesPerSec = 1;
  EXPECT_TRUE(renderer_.SetStream(Stream(disagreeing, Noise(1280))));
  EXPECT_FALSE(renderer_.SetStream(Stream(PcmFormat(1, 48000, 8), Noise(1280))));
  EXPECT_TRUE(tree_.Created().empty());
  EXPECT_TRUE(Notes().empty());
}

TEST_F(KsRendererTest, WithoutARenderPinPlayFailsAndTheFailureIsNotified) {
  testsupport::FakeDeviceTree empty;
  KSRenderer renderer(empty);
  renderer.SetNotification(&audiotest::RendererNotes::Record, &notes_);
  ASSERT_FALSE(renderer.SetStream(Stream(PcmFormat(2, 48000, 16), Noise(19200))));
  EXPECT_TRUE(renderer.Play());
  EXPECT_EQ(renderer.State(), kRendererStopped);
  EXPECT_TRUE(renderer.Play());  // a retry fails the same way
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyDeviceFailed, kNotifyDeviceFailed}));

  // A card whose only sink another program holds.
  testsupport::FakeDeviceTree::Device busy;
  busy.path = "card0";
  busy.filter.pins = {testsupport::RenderSink()};
  busy.busyPins = {0};
  empty.Add(busy);
  EXPECT_TRUE(renderer.Play());
  EXPECT_EQ(renderer.State(), kRendererStopped);
}

TEST_F(KsRendererTest, APinThatCompletesNothingEndsPlaybackAsAFailureAndKeepsThePlace) {
  KSRenderer renderer(tree_, kQuietMs);
  renderer.SetNotification(&audiotest::RendererNotes::Record, &notes_);
  tree_.SetPcmCapacity(1 << 20);
  const std::vector<uint8_t> data = Noise(192000 * 3);
  ASSERT_FALSE(renderer.SetStream(Stream(PcmFormat(2, 48000, 16), data)));
  EXPECT_FALSE(renderer.Play());
  ASSERT_TRUE(WaitUntil([&] { return Held() == 6 * 8192u; }));
  // Paused, a quiet pin is no failure.
  renderer.Pause();
  ASSERT_TRUE(WaitUntil([&] { return renderer.State() == kRendererPaused; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(kQuietMs + 100));
  EXPECT_EQ(renderer.State(), kRendererPaused);
  renderer.Play();
  Pcm0()->Play(2048);  // one packet heard, then the device goes quiet
  ASSERT_TRUE(WaitUntil([&] { return renderer.State() == kRendererStopped; }));
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyDeviceFailed}));
  EXPECT_EQ(renderer.DecodedPosition(), 8192);

  // The retry goes on with what was not heard.
  tree_.SetPcmCapacity(0);
  EXPECT_FALSE(renderer.Play());
  ASSERT_TRUE(WaitUntil([&] { return renderer.State() == kRendererStopped; }));
  const std::vector<uint8_t> rest(data.begin() + 8192, data.end());
  EXPECT_EQ(tree_.Created().at(1).pcm->Heard(), rest);
}

TEST_F(KsRendererTest, PauseHoldsThePinAndPlayResumesIt) {
  tree_.SetPcmCapacity(1 << 20);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 48000, 16), Noise(192000 * 3))));
  renderer_.Play();
  renderer_.Pause();
  ASSERT_TRUE(WaitForState(kRendererPaused));
  EXPECT_EQ(tree_.Created().at(0).states.back(), pks::kStatePause);

  {
    auto pcm = Pcm0();
    std::lock_guard<std::mutex> lock(pcm->mutex);
    pcm->instant = true;
  }
  Pcm0()->Play(1 << 20);
  EXPECT_FALSE(renderer_.Play());
  ASSERT_TRUE(WaitUntil([&] { return renderer_.State() != kRendererPaused; }));
  EXPECT_EQ(tree_.Created().at(0).states.at(2), pks::kStateRun);
  renderer_.Stop();
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded}));
}

TEST_F(KsRendererTest, ASeekMovesTheStartOfTheNextPlay) {
  const std::vector<uint8_t> data = Noise(176400 * 2);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), data)));
  EXPECT_EQ(renderer_.Seek(1234), 1233);
  EXPECT_EQ(renderer_.DecodedPosition(), 217676);
  renderer_.Play();
  ASSERT_TRUE(WaitForState(kRendererStopped));
  EXPECT_EQ(tree_.Created().at(0).pcm->Heard(), std::vector<uint8_t>(data.begin() + 217676, data.end()));
}

}  // namespace
}  // namespace audio::ks
