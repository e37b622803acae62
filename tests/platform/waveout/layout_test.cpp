#include <gtest/gtest.h>

#include "platform/waveout/channel_order.h"
#include "platform/waveout/pcm_layout.h"
#include "platform/waveout/position.h"
#include "riff/wave_format_extensible.h"

namespace platform::waveout {
namespace {

riff::WaveFormat Pcm(uint16_t channels, uint32_t rate, uint16_t bits) {
  const auto block = static_cast<uint16_t>(channels * bits / 8);
  return {riff::kWaveFormatPcm, channels, rate, rate * block, block, bits, 0};
}

riff::WaveFormatExtensible Extensible(uint16_t channels, uint16_t bits, uint16_t validBits, uint32_t mask) {
  riff::WaveFormatExtensible format{Pcm(channels, 48000, bits), validBits, mask, riff::kSubtypePcm};
  format.format.formatTag = riff::kWaveFormatExtensible;
  format.format.cbSize = riff::kExtensibleExtraBytes;
  return format;
}

TEST(PcmLayout, TakesLinearPcmAndItsExtensibleDescription) {
  PcmLayout layout;
  const riff::WaveFormat stereo = Pcm(2, 44100, 16);
  ASSERT_TRUE(ReadPcmLayout(&stereo, &layout));
  EXPECT_EQ(layout.blockAlign, 4);
  EXPECT_FALSE(layout.extensible);

  const riff::WaveFormatExtensible surround = Extensible(6, 32, 24, 0x3F);
  ASSERT_TRUE(ReadPcmLayout(&surround.format, &layout));
  EXPECT_TRUE(layout.extensible);
  EXPECT_EQ(layout.bits, 32);
  EXPECT_EQ(layout.validBits, 24);
  EXPECT_EQ(layout.channelMask, 0x3Fu);
}

TEST(PcmLayout, RefusesWhatItCannotPlay) {
  PcmLayout layout;
  EXPECT_FALSE(ReadPcmLayout(nullptr, &layout));
  riff::WaveFormat format = Pcm(2, 44100, 16);
  format.formatTag = 0x55;
  EXPECT_FALSE(ReadPcmLayout(&format, &layout));
  for (const riff::WaveFormat& bad : {Pcm(2, 44100, 12), Pcm(0, 44100, 16), Pcm(9, 44100, 16), Pcm(2, 0, 16),
                                      Pcm(2, kMaxRate + 1, 16), Pcm(1, 8000, 64)}) {
    EXPECT_FALSE(ReadPcmLayout(&bad, &layout))
        << bad.channels << " " << bad.samplesPerSec << " " << bad.bitsPerSample;
  }
  format = Pcm(2, 44100, 16);
  format.avgBytesPerSec = 1;
  EXPECT_FALSE(ReadPcmLayout(&format, &layout));
  format = Pcm(2, 44100, 16);
  format.blockAlign = 2;
  EXPECT_FALSE(ReadPcmLayout(&format, &layout));

  riff::WaveFormatExtensible extensible = Extensible(2, 16, 17, 0x3);
  EXPECT_FALSE(ReadPcmLayout(&extensible.format, &layout));
  extensible = Extensible(2, 16, 16, 0x3);
  extensible.subFormat.data1 = 3;  // floating point
  EXPECT_FALSE(ReadPcmLayout(&extensible.format, &layout));
  extensible = Extensible(2, 16, 16, 0x3);
  extensible.format.cbSize = 0;
  EXPECT_FALSE(ReadPcmLayout(&extensible.format, &layout));
}

TEST(Position, AnswersInEveryKind) {
  PcmLayout layout;
  const riff::WaveFormat stereo = Pcm(2, 44100, 16);
  ASSERT_TRUE(ReadPcmLayout(&stereo, &layout));
  // 1 h 2 min 3 s and 441 samples: 10 ms, a third of a SMPTE frame.
  const uint64_t frames = (3723ull * 44100) + 441;
  EXPECT_EQ(PositionOf(frames, layout, TimeKind::kMs).value, 3723010u);
  EXPECT_EQ(PositionOf(frames, layout, TimeKind::kSamples).value, frames);
  EXPECT_EQ(PositionOf(frames, layout, TimeKind::kBytes).value, frames * 4);
  const Position smpte = PositionOf(frames + 44100 / 2, layout, TimeKind::kSmpte);
  EXPECT_EQ(smpte.kind, TimeKind::kSmpte);
  EXPECT_EQ(smpte.smpte.hour, 1);
  EXPECT_EQ(smpte.smpte.minute, 2);
  EXPECT_EQ(smpte.smpte.second, 3);
  EXPECT_EQ(smpte.smpte.frame, 15);
  EXPECT_EQ(smpte.smpte.fps, kSmpteFps);
}

TEST(ChannelOrder, SurroundLayoutsMoveCentreAndLfeBehindTheRearPair) {
  EXPECT_EQ(AlsaChannelOrder(6, 0x3F), (std::vector<uint8_t>{0, 1, 4, 5, 2, 3}));
  EXPECT_EQ(AlsaChannelOrder(6, 0x60F), (std::vector<uint8_t>{0, 1, 4, 5, 2, 3}));
  EXPECT_EQ(AlsaChannelOrder(8, 0xFF), (std::vector<uint8_t>{0, 1, 4, 5, 2, 3, 6, 7}));
  EXPECT_EQ(AlsaChannelOrder(8, 0x63F), (std::vector<uint8_t>{0, 1, 4, 5, 2, 3, 6, 7}));
  // Orders that already agree, and masks that say too little.
  EXPECT_TRUE(AlsaChannelOrder(2, 0x3).empty());
  EXPECT_TRUE(AlsaChannelOrder(4, 0x33).empty());
  EXPECT_TRUE(AlsaChannelOrder(6, 0).empty());
  EXPECT_TRUE(AlsaChannelOrder(6, 0x7).empty());
  EXPECT_TRUE(AlsaChannelOrder(6, 0x30F).empty());  // back centre and one side: no right rear
}

}  // namespace
}  // namespace platform::waveout
