#include "audio/device_format.h"

#include <gtest/gtest.h>

#include "audio/device_position.h"
#include "audio/pcm_narrowing.h"

namespace audio {
namespace {

namespace waveout = platform::waveout;

riff::WaveFormat Pcm(uint16_t channels, uint16_t bits) {
  const auto block = static_cast<uint16_t>(channels * bits / 8);
  return {riff::kWaveFormatPcm, channels, 44100, 44100u * block, block, bits, 0};
}

TEST(DeviceFormat, TakesTheExtensibleDescriptionBeyondTwoChannelsOr16Bits) {
  const riff::WaveFormatExtensible stereo = DeviceFormat(Pcm(2, 16));
  EXPECT_EQ(stereo.format.formatTag, riff::kWaveFormatPcm);
  EXPECT_EQ(stereo.format.cbSize, 0);

  const riff::WaveFormatExtensible deep = DeviceFormat(Pcm(2, 24));
  EXPECT_EQ(deep.format.formatTag, riff::kWaveFormatExtensible);
  EXPECT_EQ(deep.validBitsPerSample, 24);
  EXPECT_EQ(deep.channelMask, 0x3u);

  // Wide samples open the device at 16 bits, with the rate fields scaled to match.
  const riff::WaveFormatExtensible wide = DeviceFormat(Pcm(8, 64));
  EXPECT_EQ(wide.format.formatTag, riff::kWaveFormatExtensible);
  EXPECT_EQ(wide.format.bitsPerSample, 16);
  EXPECT_EQ(wide.format.blockAlign, 16);
  EXPECT_EQ(wide.format.avgBytesPerSec, 44100u * 16);
  EXPECT_EQ(wide.channelMask, 0xFFu);

  const uint32_t masks[] = {0, 0x4, 0x3, 0, 0x33, 0, 0x3F, 0, 0xFF};
  for (uint16_t channels = 1; channels <= 8; ++channels) EXPECT_EQ(ChannelMask(channels), masks[channels]);
}

TEST(DeviceFormat, PlaysOnlyPcmWhoseFieldsAgree) {
  EXPECT_TRUE(IsPlayablePcm(Pcm(2, 16)));
  EXPECT_TRUE(IsPlayablePcm(Pcm(6, 64)));
  EXPECT_FALSE(IsPlayablePcm(Pcm(2, 12)));
  EXPECT_FALSE(IsPlayablePcm(Pcm(9, 16)));
  riff::WaveFormat format = Pcm(2, 16);
  format.avgBytesPerSec += 4;
  EXPECT_FALSE(IsPlayablePcm(format));
  format = Pcm(2, 16);
  format.samplesPerSec = 100000000;
  format.avgBytesPerSec = 400000000;
  EXPECT_FALSE(IsPlayablePcm(format));
}

TEST(NarrowToTop16, KeepsTheTwoHighestBytes) {
  const uint64_t wide[] = {0x1122334455667788ull, 0x8000000000000001ull};
  uint8_t narrow[4];
  NarrowToTop16(reinterpret_cast<const uint8_t*>(wide), 2, narrow);
  EXPECT_EQ(narrow[0], 0x22);
  EXPECT_EQ(narrow[1], 0x11);
  EXPECT_EQ(narrow[2], 0x00);
  EXPECT_EQ(narrow[3], 0x80);
}

TEST(PositionMs, ConvertsEveryKindThroughTheDeviceFormat) {
  const riff::WaveFormat device = Pcm(2, 16);
  EXPECT_EQ(PositionMs({waveout::TimeKind::kMs, 1234, {}}, device), 1234);
  EXPECT_EQ(PositionMs({waveout::TimeKind::kSamples, 22050, {}}, device), 500);
  EXPECT_EQ(PositionMs({waveout::TimeKind::kSamples, 22, {}}, device), 0);     // 0.499 ms
  EXPECT_EQ(PositionMs({waveout::TimeKind::kSamples, 23, {}}, device), 1);     // 0.52 ms
  EXPECT_EQ(PositionMs({waveout::TimeKind::kBytes, 88202, {}}, device), 500);  // part blocks drop
  // Past 2^31 samples the 32-bit arithmetic would have failed.
  EXPECT_EQ(PositionMs({waveout::TimeKind::kSamples, 44100ull * 100000, {}}, device), 100000000);
  waveout::Position smpte{waveout::TimeKind::kSmpte, 0, {1, 2, 3, 15, 30}};
  EXPECT_EQ(PositionMs(smpte, device), 3723500);
  smpte.smpte.fps = 0;
  EXPECT_EQ(PositionMs(smpte, device), 3723000);
  EXPECT_EQ(PositionMs({static_cast<waveout::TimeKind>(16), 99, {}}, device), 0);
}

}  // namespace
}  // namespace audio
