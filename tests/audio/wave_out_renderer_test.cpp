#include "audio/wave_out_renderer.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "fake_wave_out.h"
#include "renderer_notes.h"
#include "riff/wave_format_extensible.h"
#include "stream_fixture.h"
#include "support/manual_ticks.h"
#include "support/wait_until.h"

namespace audio {
namespace {

using testsupport::WaitUntil;
namespace waveout = platform::waveout;

using audiotest::Noise;
using audiotest::PcmFormat;

std::vector<uint8_t> Slice(const std::vector<uint8_t>& data, size_t from, size_t bytes) {
  std::vector<uint8_t> slice(bytes, 0);
  if (from < data.size()) {
    std::copy(data.begin() + from, data.begin() + std::min(data.size(), from + bytes), slice.begin());
  }
  return slice;
}

// A renderer over a fake output and a hand-moved clock, with the notifications it sent.
class RendererTest : public ::testing::Test {
 protected:
  RendererTest() { renderer_.SetNotification(&audiotest::RendererNotes::Record, &notes_); }

  std::shared_ptr<avi::AudioStream> Stream(const riff::WaveFormat& format, const std::vector<uint8_t>& data) {
    return audiotest::MakeStream(dir_, testsupport::WaveFormatBytes(format), data);
  }
  std::vector<int32_t> Notes() { return notes_.Get(); }
  bool WaitForWrites(size_t count) {
    return WaitUntil([&] { return out_.Written().size() >= count; });
  }
  bool WaitForState(int32_t state) {
    return WaitUntil([&] { return renderer_.State() == state; });
  }

  // Declared before the renderer, whose thread uses them until it is destroyed.
  audiotest::RendererNotes notes_;
  testsupport::TempDir dir_;
  testsupport::ManualTicks ticks_;
  common::PlaybackClock clock_{ticks_};
  audiotest::FakeWaveOut out_;
  WaveOutRenderer renderer_{clock_, out_.Factory()};
};

TEST_F(RendererTest, PcmPlaysThroughFourOneSecondBuffersRefilledAsTheyReturn) {
  const riff::WaveFormat format = PcmFormat(2, 44100, 16);
  const std::vector<uint8_t> data = Noise(176400 * 5 + 88200);
  ASSERT_FALSE(renderer_.SetStream(Stream(format, data)));
  EXPECT_EQ(renderer_.Kind(), kRendererWaveOut);
  EXPECT_EQ(renderer_.OutputFormat()->avgBytesPerSec, 176400u);

  EXPECT_FALSE(renderer_.Play());
  EXPECT_EQ(renderer_.State(), kRendererPlaying);
  EXPECT_EQ(out_.OpenedFormat(), testsupport::WaveFormatBytes(format));
  EXPECT_EQ(out_.Calls(), (std::vector<std::string>{"open", "pause", "restart"}));
  auto written = out_.Written();
  ASSERT_EQ(written.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(written[i], Slice(data, i * 176400, 176400)) << i;

  out_.Finish(1);
  ASSERT_TRUE(WaitForWrites(5));
  out_.Finish(1);
  ASSERT_TRUE(WaitForWrites(6));
  written = out_.Written();
  EXPECT_EQ(written[4], Slice(data, 4 * 176400, 176400));
  EXPECT_EQ(written[5], Slice(data, 5 * 176400, 176400));  // the last half second, then silence

  renderer_.Stop();
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_EQ(renderer_.DecodedPosition(), 0);
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded}));
  const auto calls = out_.Calls();
  EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
            (std::vector<std::string>{"reset", "close"}));
}

TEST_F(RendererTest, WideDecodedSamplesPlayAsTheirTop16Bits) {
  // Non-PCM is refused until a decoder turns it into wide PCM.
  riff::WaveFormat adpcm = PcmFormat(2, 8000, 4);
  adpcm.formatTag = kWaveFormatStepAdpcm;
  auto coded = Stream(adpcm, Noise(36 * 100));
  EXPECT_TRUE(renderer_.SetStream(coded));
  EXPECT_EQ(renderer_.OutputFormat(), nullptr);
  ASSERT_NE(audiotest::AddDecoder(*coded), nullptr);
  EXPECT_FALSE(renderer_.SetStream(coded));

  const riff::WaveFormat wide = PcmFormat(2, 8000, 64);
  const std::vector<uint8_t> data = Noise(128000 + 64000, 3);
  ASSERT_FALSE(renderer_.SetStream(Stream(wide, data)));
  renderer_.Play();
  riff::WaveFormat device;
  std::memcpy(&device, out_.OpenedFormat().data(), sizeof device);
  EXPECT_EQ(device.formatTag, riff::kWaveFormatPcm);
  EXPECT_EQ(device.bitsPerSample, 16);
  EXPECT_EQ(device.blockAlign, 4);
  EXPECT_EQ(device.avgBytesPerSec, 32000u);

  const auto written = out_.Written();
  ASSERT_EQ(written.size(), 4u);
  const std::vector<int16_t> top = audiotest::Top16(data);
  EXPECT_EQ(audiotest::AsInt16(written[0]), std::vector<int16_t>(top.begin(), top.begin() + 16000));
  std::vector<int16_t> second(top.begin() + 16000, top.end());
  second.resize(16000, 0);
  EXPECT_EQ(audiotest::AsInt16(written[1]), second);
}

TEST_F(RendererTest, SixChannelsOpenTheDeviceWithTheExtensibleDescription) {
  const riff::WaveFormat format = PcmFormat(6, 48000, 16);
  ASSERT_FALSE(renderer_.SetStream(Stream(format, Noise(1200))));
  renderer_.Play();
  const std::vector<uint8_t> opened = out_.OpenedFormat();
  ASSERT_EQ(opened.size(), sizeof(riff::WaveFormatExtensible));
  riff::WaveFormatExtensible device;
  std::memcpy(&device, opened.data(), sizeof device);
  EXPECT_EQ(device.format.formatTag, riff::kWaveFormatExtensible);
  EXPECT_EQ(device.format.cbSize, 22);
  EXPECT_EQ(device.format.channels, 6);
  EXPECT_EQ(device.format.avgBytesPerSec, 576000u);
  EXPECT_EQ(device.validBitsPerSample, 16);
  EXPECT_EQ(device.channelMask, 0x3Fu);
  EXPECT_TRUE(device.subFormat == riff::kSubtypePcm);
}

TEST_F(RendererTest, SeekUsesWholeBlocksAndTheNextPlayStartsThere) {
  EXPECT_EQ(renderer_.Seek(1234), 1234);  // no stream yet
  const std::vector<uint8_t> data = Noise(176400 * 6);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), data)));
  EXPECT_EQ(renderer_.Seek(1234), 1233);
  EXPECT_EQ(renderer_.DecodedPosition(), 217676);
  EXPECT_EQ(renderer_.Seek(-5), 0);
  renderer_.Seek(1234);

  renderer_.Play();
  EXPECT_EQ(clock_.Now(), 1233u);
  EXPECT_EQ(out_.Written()[0], Slice(data, 217676, 176400));

  // Seeking while playing starts again from the new place.
  EXPECT_EQ(renderer_.Seek(3000), 3000);
  EXPECT_EQ(renderer_.State(), kRendererPlaying);
  EXPECT_EQ(clock_.Now(), 3000u);
  EXPECT_EQ(out_.Written()[0], Slice(data, 529200, 176400));
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded, kNotifyStarted}));
}

TEST_F(RendererTest, TheEndPlaysTheQueuedBuffersOutThenNotifies) {
  const std::vector<uint8_t> data = Noise(176400 + 88200);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), data)));
  renderer_.Play();
  // Everything is queued by the prefill; three buffers come back and are refilled with silence.
  for (size_t returned = 1; returned <= 3; ++returned) {
    out_.Finish(1);
    ASSERT_TRUE(WaitForWrites(4 + returned));
  }
  EXPECT_EQ(renderer_.State(), kRendererPlaying);
  EXPECT_EQ(Notes(), std::vector<int32_t>{kNotifyStarted});

  out_.Finish(1);  // the last buffer queued when the data ended
  ASSERT_TRUE(WaitForState(kRendererStopped));
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyEnded}));
  const auto written = out_.Written();
  ASSERT_EQ(written.size(), 7u);
  EXPECT_EQ(written[1], Slice(data, 176400, 176400));
  for (size_t i = 2; i < 7; ++i) EXPECT_EQ(written[i], std::vector<uint8_t>(176400, 0)) << i;
  EXPECT_EQ(out_.Calls().back(), "close");
  EXPECT_EQ(renderer_.DecodedPosition(), 0);
}

TEST_F(RendererTest, EightBitSilenceIsTheMiddleValue) {
  const std::vector<uint8_t> data = Noise(4000);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(1, 8000, 8), data)));
  renderer_.Play();
  const auto written = out_.Written();
  ASSERT_EQ(written.size(), 4u);
  std::vector<uint8_t> first = data;
  first.resize(8000, 0x80);
  EXPECT_EQ(written[0], first);
  EXPECT_EQ(written[3], std::vector<uint8_t>(8000, 0x80));
}

TEST_F(RendererTest, ADeviceAnsweringInAnyKindGivesTheSameClock) {
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), Noise(176400 * 8))));
  // 5 s into the device, in each kind a driver may answer in.
  std::vector<waveout::Position> answers(4);
  answers[0] = {waveout::TimeKind::kMs, 5000, {}};
  answers[1] = {waveout::TimeKind::kBytes, 5 * 176400, {}};
  answers[2] = {waveout::TimeKind::kSamples, 5 * 44100, {}};
  answers[3].kind = waveout::TimeKind::kSmpte;
  answers[3].smpte = {0, 0, 4, 30, 30};  // 4 s and a whole second of frames
  EXPECT_EQ(renderer_.HeardPositionMs(), -1);
  for (const waveout::Position& answer : answers) {
    renderer_.Seek(1000);
    out_.SetPosition({});
    renderer_.Play();
    ASSERT_EQ(clock_.Now(), 1000u);
    out_.SetPosition(answer);
    ticks_.AdvanceMs(1001);
    // Re-based: the device has played 5 s since the start at 1 s.
    EXPECT_TRUE(WaitUntil([&] { return clock_.Now() == 6000u; })) << static_cast<int>(answer.kind);
    EXPECT_EQ(renderer_.HeardPositionMs(), 6000);
    renderer_.Stop();
    EXPECT_EQ(renderer_.HeardPositionMs(), -1);
  }
}

TEST_F(RendererTest, WithoutADeviceTheFailureIsNotifiedAndPlayReturnsStopped) {
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), Noise(17640))));
  out_.RefuseOpen(true);
  EXPECT_FALSE(renderer_.Play());
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_FALSE(renderer_.Play());  // a retry fails the same way
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyDeviceFailed, kNotifyDeviceFailed}));
  EXPECT_TRUE(out_.Calls().empty());

  out_.RefuseOpen(false);
  renderer_.Play();
  EXPECT_EQ(renderer_.State(), kRendererPlaying);
}

TEST_F(RendererTest, ADeviceLostMidPlayEndsAsAFailureAndKeepsThePlace) {
  const std::vector<uint8_t> data = Noise(176400 * 8);
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), data)));
  renderer_.Play();
  out_.Lose(true);
  ticks_.AdvanceMs(2500);  // the next re-base finds the device gone
  ASSERT_TRUE(WaitForState(kRendererStopped));
  EXPECT_EQ(Notes(), (std::vector<int32_t>{kNotifyStarted, kNotifyDeviceFailed}));
  EXPECT_EQ(renderer_.DecodedPosition(), 441000);

  // The retry goes on from there.
  out_.Lose(false);
  renderer_.Stop();
  renderer_.Play();
  EXPECT_EQ(clock_.Now(), 2500u);
  EXPECT_EQ(out_.Written()[0], Slice(data, 441000, 176400));
}

TEST_F(RendererTest, PauseAndResumeAreAcknowledgedByTheThread) {
  ASSERT_FALSE(renderer_.SetStream(Stream(PcmFormat(2, 44100, 16), Noise(176400 * 6))));
  renderer_.Play();
  renderer_.Pause();
  ASSERT_TRUE(WaitForState(kRendererPaused));
  EXPECT_EQ(out_.Calls().back(), "pause");
  renderer_.Play();
  ASSERT_TRUE(WaitForState(kRendererPlaying));
  EXPECT_EQ(out_.Calls().back(), "restart");

  // A seek while paused keeps the renderer paused at the new place.
  renderer_.Pause();
  ASSERT_TRUE(WaitForState(kRendererPaused));
  renderer_.Seek(2000);
  ASSERT_TRUE(WaitForState(kRendererPaused));
  renderer_.Stop();
  EXPECT_EQ(renderer_.State(), kRendererStopped);
}

TEST_F(RendererTest, PcmWithFieldsThatDisagreeGoesThroughTheDecoder) {
  riff::WaveFormat format = PcmFormat(2, 44100, 16);
  format.avgBytesPerSec = 0;
  EXPECT_TRUE(renderer_.SetStream(Stream(format, Noise(400))));
  format = PcmFormat(2, 44100, 16);
  format.blockAlign = 0;
  EXPECT_TRUE(renderer_.SetStream(Stream(format, Noise(400))));
  EXPECT_TRUE(renderer_.SetStream(nullptr));
  renderer_.Play();
  EXPECT_EQ(renderer_.State(), kRendererStopped);
  EXPECT_TRUE(out_.Calls().empty());
}

// The whole path on the virtual output: what it captured is the stream, then silence.
TEST(WaveOutRendererVirtual, TheCaptureHoldsExactlyTheStreamsSamples) {
  testsupport::TempDir dir;
  const std::string capture = dir.File("heard.wav");
  setenv("VISTREL_AUDIO", "virtual", 1);
  setenv("VISTREL_AUDIO_CAPTURE", capture.c_str(), 1);
  const riff::WaveFormat format = PcmFormat(2, 8000, 16);
  const std::vector<uint8_t> data = Noise(32000 / 4, 9);
  {
    common::PlaybackClock clock;
    WaveOutRenderer renderer(clock);
    ASSERT_FALSE(renderer.SetStream(audiotest::MakeStream(dir, testsupport::WaveFormatBytes(format), data)));
    renderer.Play();
    ASSERT_EQ(renderer.State(), kRendererPlaying);
    ASSERT_TRUE(WaitUntil([&] { return renderer.State() == kRendererStopped; }));
  }
  unsetenv("VISTREL_AUDIO");
  unsetenv("VISTREL_AUDIO_CAPTURE");

  std::ifstream file(capture, std::ios::binary);
  const std::vector<uint8_t> wav{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_GE(wav.size(), 44 + 4 * 32000u);  // the four queued seconds at least
  EXPECT_TRUE(std::equal(data.begin(), data.end(), wav.begin() + 44));
  EXPECT_TRUE(std::all_of(wav.begin() + 44 + static_cast<ptrdiff_t>(data.size()), wav.end(),
                          [](uint8_t byte) { return byte == 0; }));
}

TEST(WaveOutRendererNoSound, AMachineWithoutASoundDeviceNotifiesTheFailure) {
  if (std::filesystem::exists("/proc/asound/cards")) GTEST_SKIP() << "this machine has sound cards";
  testsupport::TempDir dir;
  common::PlaybackClock clock;
  WaveOutRenderer renderer(clock);
  std::atomic<int32_t> note{-1};
  renderer.SetNotification(
      [](int32_t code, void* user, intptr_t) { static_cast<std::atomic<int32_t>*>(user)->store(code); },
      &note);
  const riff::WaveFormat format = PcmFormat(2, 44100, 16);
  ASSERT_FALSE(
      renderer.SetStream(audiotest::MakeStream(dir, testsupport::WaveFormatBytes(format), Noise(17640))));
  EXPECT_FALSE(renderer.Play());
  EXPECT_EQ(renderer.State(), kRendererStopped);
  EXPECT_EQ(note, kNotifyDeviceFailed);
}

}  // namespace
}  // namespace audio
