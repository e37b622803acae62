#include <gtest/gtest.h>

#include <cstring>

#include "stream_fixture.h"

namespace {

using audiotest::AddDecoder;
using audiotest::MakeStream;
using testsupport::WaveFormatBytes;

riff::WaveFormat Pcm(uint16_t channels, uint16_t bits) {
  uint16_t align = static_cast<uint16_t>(channels * bits / 8);
  return riff::WaveFormat{1, channels, 44100, 44100u * align, align, bits, 0};
}

uint64_t Wide(const uint8_t* bytes) {
  uint64_t value;
  std::memcpy(&value, bytes, 8);
  return value;
}

TEST(PcmDecoder, WidensEverySampleSizeWithOffsetBinaryRepetition) {
  testsupport::TempDir dir;
  struct Case {
    uint16_t bits;
    std::vector<uint8_t> sample;
    uint64_t wide;
  };
  const Case cases[] = {
      {8, {0x80}, 0x0080808080808080ull},
      {8, {0x00}, 0x8000000000000000ull},
      {16, {0x34, 0x12}, 0x1234923492349234ull},
      {24, {0x56, 0x34, 0x12}, 0x1234569234569234ull},
      {32, {0x78, 0x56, 0x34, 0x12}, 0x1234567892345678ull},
      {32, {0x00, 0x00, 0x00, 0x80}, 0x8000000000000000ull},
  };
  for (const Case& c : cases) {
    auto stream = MakeStream(dir, WaveFormatBytes(Pcm(1, c.bits)), c.sample);
    audio::AudioDecoder* decoder = AddDecoder(*stream);
    ASSERT_NE(decoder, nullptr) << c.bits;
    const riff::WaveFormat& out = *stream->OutputFormat();
    EXPECT_EQ(out.bitsPerSample, 64);
    EXPECT_EQ(out.blockAlign, 8);
    EXPECT_EQ(out.avgBytesPerSec, 8u * 44100);
    uint8_t buffer[16] = {};
    ASSERT_EQ(stream->Read(0, 16, buffer), 8u) << c.bits;
    EXPECT_EQ(Wide(buffer), c.wide) << c.bits;
    EXPECT_EQ(decoder->Position(), 8);
  }
}

TEST(PcmDecoder, ReadsByScaledSourcePositionAndDropsPartialSamples) {
  testsupport::TempDir dir;
  std::vector<uint8_t> data;
  for (int i = 0; i < 21; ++i) data.push_back(static_cast<uint8_t>(i));  // ten and a half 16-bit samples
  auto stream = MakeStream(dir, WaveFormatBytes(Pcm(2, 16)), data, 4);
  ASSERT_NE(AddDecoder(*stream), nullptr);
  EXPECT_EQ(stream->TotalLength(), 21u * 4);
  uint8_t buffer[200] = {};
  // Output byte 24 is the fourth sample, source byte 6.
  ASSERT_EQ(stream->Read(24, 16, buffer), 16u);
  EXPECT_EQ(buffer[6], 6);
  EXPECT_EQ(buffer[7], 7);
  EXPECT_EQ(buffer[14], 8);
  // Only whole samples come back at the end, and a count below one sample gives nothing.
  EXPECT_EQ(stream->Read(64, 200, buffer), 16u);
  EXPECT_EQ(stream->Read(0, 7, buffer), 0u);
}

TEST(PcmDecoder, ReadsOfAnySizeFollowEachOther) {
  testsupport::TempDir dir;
  std::vector<uint8_t> data(80000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + i / 256);
  auto decode = [&](uint32_t piece) {
    auto stream = MakeStream(dir, WaveFormatBytes(Pcm(2, 16)), data, 1000);
    EXPECT_NE(AddDecoder(*stream), nullptr);
    return audiotest::ReadAll(*stream, piece);
  };
  // Each left sample stays left: reads that are no whole number of samples neither repeat
  // nor shift what the next one returns.
  std::vector<uint8_t> whole = decode(1 << 20);
  ASSERT_EQ(whole.size(), 320000u);
  for (uint32_t piece : {12u, 100u, 4097u}) EXPECT_EQ(decode(piece), whole) << piece;
}

TEST(PcmDecoder, NominalZeroByteRateIsTakenFromTheLayout) {
  testsupport::TempDir dir;
  struct Case {
    riff::WaveFormat format;
    size_t bytes;
    uint64_t total;
  };
  const Case cases[] = {
      {{1, 2, 44100, 0, 4, 16, 0}, 1000, 4000},
      {{1, 1, 8000, 0, 0, 24, 0}, 999, 333 * 8},
  };
  for (const Case& c : cases) {
    auto stream = MakeStream(dir, WaveFormatBytes(c.format), std::vector<uint8_t>(c.bytes, 0x11));
    ASSERT_NE(AddDecoder(*stream), nullptr);
    EXPECT_EQ(stream->TotalLength(), c.total);
    EXPECT_EQ(audiotest::ReadAll(*stream, 4096).size(), c.total);
  }
}

TEST(PcmDecoder, RefusesWhatItCannotWiden) {
  testsupport::TempDir dir;
  const riff::WaveFormat refused[] = {
      Pcm(2, 64),
      Pcm(1, 96),
      Pcm(1, 12),
      Pcm(1, 13),
      Pcm(1, 0),
      riff::WaveFormat{1, 0, 44100, 0, 0, 16, 0},
      riff::WaveFormat{1, 2, 0, 0, 4, 16, 0},
      riff::WaveFormat{1, 9000, 44100, 0, 0, 16, 0},
  };
  for (const riff::WaveFormat& format : refused) {
    auto stream = MakeStream(dir, WaveFormatBytes(format), {1, 2, 3, 4});
    audio::AudioDecoder decoder(*stream);
    EXPECT_TRUE(decoder.Failed());
    EXPECT_EQ(decoder.InputFormat(), nullptr);
    EXPECT_EQ(stream->AddStage(std::make_unique<audio::AudioDecoder>(*stream)), 1);
    EXPECT_EQ(stream->StageCount(), 0u);
  }
}

}  // namespace
