#include "audio/mpeg_audio_header.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using audio::MpegAudioHeader;
using audio::MpegByteRate;
using audio::ParseMpegAudioHeader;

TEST(MpegAudioHeader, LengthsOfEveryLayerAndVersion) {
  struct Case {
    uint8_t bytes[4];
    MpegAudioHeader expected;
  };
  const Case cases[] = {
      {{0xFF, 0xFB, 0x90, 0x64}, {1, 3, 128000, 44100, 1152, 417}},
      {{0xFF, 0xFB, 0x92, 0x64}, {1, 3, 128000, 44100, 1152, 418}},  // padded
      {{0xFF, 0xF3, 0x84, 0x00}, {2, 3, 64000, 24000, 576, 192}},
      {{0xFF, 0xE3, 0x18, 0x00}, {25, 3, 8000, 8000, 576, 72}},
      {{0xFF, 0xFD, 0xA4, 0x00}, {1, 2, 192000, 48000, 1152, 576}},
      {{0xFF, 0xFF, 0x90, 0x00}, {1, 1, 288000, 44100, 384, 312}},
  };
  for (const Case& c : cases) {
    MpegAudioHeader header{};
    ASSERT_TRUE(ParseMpegAudioHeader(c.bytes, &header)) << c.expected.frameBytes;
    EXPECT_EQ(header.version, c.expected.version);
    EXPECT_EQ(header.layer, c.expected.layer);
    EXPECT_EQ(header.bitRate, c.expected.bitRate);
    EXPECT_EQ(header.sampleRate, c.expected.sampleRate);
    EXPECT_EQ(header.samples, c.expected.samples);
    EXPECT_EQ(header.frameBytes, c.expected.frameBytes);
  }
  // A free or invalid bit rate, a reserved version, layer or sample rate, no sync.
  const uint8_t refused[][4] = {{0xFF, 0xFB, 0xF0, 0}, {0xFF, 0xFB, 0x00, 0}, {0xFF, 0xEB, 0x90, 0},
                                {0xFF, 0xF9, 0x90, 0}, {0xFF, 0xFB, 0x9C, 0}, {0xFE, 0xFB, 0x90, 0}};
  for (const auto& bytes : refused) {
    MpegAudioHeader header{};
    EXPECT_FALSE(ParseMpegAudioHeader(bytes, &header)) << int{bytes[1]} << " " << int{bytes[2]};
  }
}

// MPEG-1 layer III frames at 44100 Hz of the given bit rate indexes, padded as `padded` says.
std::vector<uint8_t> Frames(const std::vector<int>& rates, const std::vector<bool>& padded) {
  std::vector<uint8_t> data;
  for (size_t i = 0; i < rates.size(); ++i) {
    uint8_t header[4] = {0xFF, 0xFB, static_cast<uint8_t>(rates[i] << 4 | (padded[i] ? 2 : 0)), 0x64};
    MpegAudioHeader parsed{};
    EXPECT_TRUE(ParseMpegAudioHeader(header, &parsed));
    data.insert(data.end(), header, header + 4);
    data.resize(data.size() + parsed.frameBytes - 4, 0);
  }
  return data;
}

TEST(MpegAudioHeader, ByteRateOfTheFramesAtTheStart) {
  // Constant rate behind stray bytes, one of them a false sync: the bit rate itself.
  std::vector<uint8_t> constant = {0x12, 0xFF, 0xFB, 0x34};
  std::vector<uint8_t> frames = Frames({9, 9, 9, 9, 9}, {false, true, true, false, true});
  constant.insert(constant.end(), frames.begin(), frames.end());
  EXPECT_EQ(MpegByteRate(constant.data(), constant.size()), 16000u);

  // Variable rate: the average of the frames walked.
  std::vector<uint8_t> variable = Frames({9, 10, 9, 10}, {false, false, false, false});
  EXPECT_EQ(MpegByteRate(variable.data(), variable.size()), (2 * 417 + 2 * 522) * 44100u / (4 * 1152));

  // One frame with nothing after it, and bytes that hold no frame.
  std::vector<uint8_t> single = Frames({9}, {false});
  EXPECT_EQ(MpegByteRate(single.data(), single.size()), 0u);
  std::vector<uint8_t> noise(5000);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 + 11);
  EXPECT_EQ(MpegByteRate(noise.data(), noise.size()), 0u);
}

}  // namespace
