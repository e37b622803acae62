#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "adpcm_reference.h"
#include "stream_fixture.h"

namespace {

using audiotest::AddDecoder;
using audiotest::MakeStream;
using audiotest::ReadAll;
using audiotest::Top16;
using testsupport::WaveFormatBytes;

std::vector<uint8_t> RandomBytes(size_t size, std::mt19937& random) {
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

std::vector<uint8_t> DecodeAll(const testsupport::TempDir& dir, const riff::WaveFormat& format,
                               const std::vector<uint8_t>& data, uint32_t piece = 1 << 20) {
  auto stream = MakeStream(dir, WaveFormatBytes(format), data, 1000);
  EXPECT_NE(AddDecoder(*stream), nullptr);
  return ReadAll(*stream, piece);
}

int32_t Upper(const std::vector<uint8_t>& wide, size_t sample) {
  int32_t value;
  std::memcpy(&value, wide.data() + sample * 8 + 4, 4);
  return value;
}

TEST(AdpcmDecoder, ReadsOfAnySizeJoinExactly) {
  testsupport::TempDir dir;
  std::mt19937 random(7);
  std::vector<uint8_t> data = RandomBytes(128 * 40, random);
  const riff::WaveFormat formats[] = {
      audiotest::XaFormat(2),         audiotest::XaFormat(1),         audiotest::FilterFormat(2, 64),
      audiotest::FilterFormat(1, 32), audiotest::FilterFormat(2, 32), audiotest::StepFormat(2),
      audiotest::StepFormat(1),
  };
  for (const riff::WaveFormat& format : formats) {
    std::vector<uint8_t> whole = DecodeAll(dir, format, data);
    ASSERT_FALSE(whole.empty()) << std::hex << format.formatTag;
    for (uint32_t piece : {8u, 40u, 1000u, 1800u, 4104u}) {
      EXPECT_EQ(DecodeAll(dir, format, data, piece), whole)
          << std::hex << format.formatTag << std::dec << " channels " << format.channels << " piece "
          << piece;
    }
  }
}

TEST(AdpcmDecoder, NominalZeroByteRateIsTakenFromTheLayout) {
  testsupport::TempDir dir;
  std::mt19937 random(11);
  std::vector<uint8_t> data = RandomBytes(128 * 36, random);
  const riff::WaveFormat formats[] = {audiotest::XaFormat(2), audiotest::XaFormat(1),
                                      audiotest::FilterFormat(2, 64), audiotest::StepFormat(1)};
  for (const riff::WaveFormat& format : formats) {
    riff::WaveFormat zero = format;
    zero.avgBytesPerSec = 0;
    auto nominal = MakeStream(dir, WaveFormatBytes(format), data, 1000);
    auto derived = MakeStream(dir, WaveFormatBytes(zero), data, 1000);
    ASSERT_NE(AddDecoder(*nominal), nullptr);
    ASSERT_NE(AddDecoder(*derived), nullptr);
    EXPECT_GT(derived->TotalLength(), 0u);
    EXPECT_EQ(derived->TotalLength(), nominal->TotalLength()) << std::hex << format.formatTag;
    EXPECT_EQ(ReadAll(*derived, 4096), ReadAll(*nominal, 4096)) << std::hex << format.formatTag;
  }
}

TEST(AdpcmDecoder, XaTakesFilterIndexesAboveFourAsFour) {
  testsupport::TempDir dir;
  std::mt19937 random(3);
  std::vector<uint8_t> group = RandomBytes(128, random);
  for (int i = 4; i < 12; ++i) group[i] = static_cast<uint8_t>(0x40 | (group[i] & 7));
  std::vector<uint8_t> high = group;
  for (int i = 4; i < 12; ++i) high[i] = static_cast<uint8_t>((5 + i % 11) << 4 | (group[i] & 15));
  for (uint16_t channels : {1, 2}) {
    std::vector<uint8_t> expected = DecodeAll(dir, audiotest::XaFormat(channels), group);
    ASSERT_EQ(expected.size(), 1792u);
    EXPECT_EQ(DecodeAll(dir, audiotest::XaFormat(channels), high), expected);
  }
}

TEST(AdpcmDecoder, XaCountIsLimitedToTheTotalLength) {
  testsupport::TempDir dir;
  std::mt19937 random(4);
  auto stream = MakeStream(dir, WaveFormatBytes(audiotest::XaFormat(2)), RandomBytes(256, random));
  ASSERT_NE(AddDecoder(*stream), nullptr);
  ASSERT_EQ(stream->TotalLength(), 2u * 1792);
  std::vector<uint8_t> buffer(8192);
  EXPECT_EQ(stream->Read(1000, 8192, buffer.data()), 2u * 1792 - 1000);
  EXPECT_EQ(stream->Read(2 * 1792, 8192, buffer.data()), 0u);
}

TEST(AdpcmDecoder, MarkedFilterBlockIsSilentAndKeepsThePredictor) {
  testsupport::TempDir dir;
  std::mt19937 random(5);
  std::vector<uint8_t> first = RandomBytes(16, random), marked = RandomBytes(16, random),
                       last = RandomBytes(16, random);
  first[0] = 0x23;
  first[1] = 0;
  last[0] = 0x44;
  last[1] = 0;
  marked[1] = 16;
  std::vector<uint8_t> withMark = first, without = first;
  withMark.insert(withMark.end(), marked.begin(), marked.end());
  withMark.insert(withMark.end(), last.begin(), last.end());
  without.insert(without.end(), last.begin(), last.end());

  std::vector<uint8_t> a = DecodeAll(dir, audiotest::FilterFormat(1, 16), withMark);
  std::vector<uint8_t> b = DecodeAll(dir, audiotest::FilterFormat(1, 16), without);
  ASSERT_EQ(a.size(), 3u * 224);
  ASSERT_EQ(b.size(), 2u * 224);
  for (size_t i = 28; i < 56; ++i) EXPECT_EQ(Upper(a, i), 0);
  EXPECT_TRUE(std::equal(a.begin() + 448, a.end(), b.begin() + 224));
}

TEST(AdpcmDecoder, FilterBlockPredictorArithmetic) {
  testsupport::TempDir dir;
  // Shift 12, filter 1: code 1 gives 2^16, then 240/256 of the last sample, rounded.
  std::vector<uint8_t> block(16, 0);
  block[0] = 0x1C;
  block[2] = 0x01;  // code 1, then code 0
  block[3] = 0x0F;  // code -1, then 0
  std::vector<uint8_t> out = DecodeAll(dir, audiotest::FilterFormat(1, 16), block);
  ASSERT_EQ(out.size(), 224u);
  EXPECT_EQ(Upper(out, 0), 65536);
  EXPECT_EQ(Upper(out, 1), 61440);
  EXPECT_EQ(Upper(out, 2), -65536 + 57600);
  uint64_t wide;
  std::memcpy(&wide, out.data(), 8);
  EXPECT_EQ(wide, 0x0001000080010000ull);
  // A filter index above 4 decodes as 4.
  std::vector<uint8_t> four = block, nine = block;
  four[0] = 0x4C;
  nine[0] = 0x9C;
  EXPECT_EQ(DecodeAll(dir, audiotest::FilterFormat(1, 16), nine),
            DecodeAll(dir, audiotest::FilterFormat(1, 16), four));
}

TEST(AdpcmDecoder, FilterStereoTakesLeftAndRightHalvesOfEachBlockAlign) {
  testsupport::TempDir dir;
  std::mt19937 random(6);
  std::vector<uint8_t> data = RandomBytes(64 * 6, random);
  for (size_t i = 0; i < data.size(); i += 16) data[i + 1] = 0;
  std::vector<uint8_t> left, right;
  for (size_t chunk = 0; chunk < data.size(); chunk += 64) {
    left.insert(left.end(), data.begin() + chunk, data.begin() + chunk + 32);
    right.insert(right.end(), data.begin() + chunk + 32, data.begin() + chunk + 64);
  }
  std::vector<uint8_t> stereo = DecodeAll(dir, audiotest::FilterFormat(2, 64), data);
  std::vector<uint8_t> monoLeft = DecodeAll(dir, audiotest::FilterFormat(1, 16), left);
  std::vector<uint8_t> monoRight = DecodeAll(dir, audiotest::FilterFormat(1, 16), right);
  ASSERT_EQ(stereo.size(), 2 * monoLeft.size());
  for (size_t i = 0; i < monoLeft.size() / 8; ++i) {
    ASSERT_EQ(0, std::memcmp(stereo.data() + 16 * i, monoLeft.data() + 8 * i, 8)) << i;
    ASSERT_EQ(0, std::memcmp(stereo.data() + 16 * i + 8, monoRight.data() + 8 * i, 8)) << i;
  }
}

TEST(AdpcmDecoder, StepBlockArithmeticAndLayouts) {
  testsupport::TempDir dir;
  std::vector<uint8_t> block(18, 0);
  block[0] = 0x01;
  block[1] = 0x00;  // step 256
  block[2] = 0x19;  // code 1, then 9 read as -7
  std::vector<uint8_t> mono = DecodeAll(dir, audiotest::StepFormat(1), block);
  ASSERT_EQ(mono.size(), 256u);
  int64_t s1 = 256 * 65536;
  EXPECT_EQ(Upper(mono, 0), s1);
  int64_t s2 = -7 * 256 * 65536 + ((s1 * 29336) >> 14);
  EXPECT_EQ(Upper(mono, 1), s2);
  EXPECT_EQ(Upper(mono, 2), ((s2 * 29336) >> 14) - ((s1 * 13136) >> 14));

  // Stereo: the left block then the right one, interleaved.
  std::vector<uint8_t> pair = block;
  std::vector<uint8_t> other(18, 0);
  other[1] = 3;
  other[2] = 0x80;
  pair.insert(pair.end(), other.begin(), other.end());
  std::vector<uint8_t> stereo = DecodeAll(dir, audiotest::StepFormat(2), pair);
  ASSERT_EQ(stereo.size(), 512u);
  EXPECT_EQ(Upper(stereo, 0), s1);
  EXPECT_EQ(Upper(stereo, 1), 8 * 3 * 65536);
  EXPECT_EQ(Upper(stereo, 2), s2);
}

TEST(AdpcmDecoder, RefusesAbsurdLayouts) {
  testsupport::TempDir dir;
  const riff::WaveFormat refused[] = {
      audiotest::FilterFormat(2, 0),
      audiotest::FilterFormat(2, 48),
      audiotest::FilterFormat(1, 20),
      audiotest::FilterFormat(3, 96),
      riff::WaveFormat{0x2082, 0, 37800, 43200, 128, 4, 0},
      riff::WaveFormat{0x2080, 2, 0, 0, 36, 4, 0},
  };
  for (const riff::WaveFormat& format : refused) {
    auto stream = MakeStream(dir, WaveFormatBytes(format), {1, 2, 3});
    EXPECT_TRUE(audio::AudioDecoder(*stream).Failed()) << std::hex << format.formatTag;
  }
}

TEST(AdpcmDecoder, TruncatedSourceEndsAtTheLastWholeUnit) {
  testsupport::TempDir dir;
  std::mt19937 random(8);
  std::vector<uint8_t> data = RandomBytes(128 * 3 + 100, random);
  EXPECT_EQ(DecodeAll(dir, audiotest::XaFormat(2), data).size(), 3u * 1792);
  EXPECT_EQ(DecodeAll(dir, audiotest::FilterFormat(2, 64), data).size(), 14u * 448);
  EXPECT_EQ(DecodeAll(dir, audiotest::StepFormat(2), data).size(), 13u * 512);
}

}  // namespace
