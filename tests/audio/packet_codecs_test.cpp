// Codecs that only the container's packets frame, in AVI files made by the ffmpeg command line:
// decoded packet by packet, every position placed by the packets' sample counts. ffmpeg's AVI
// muxer writes AAC, Vorbis and FLAC; it has no tag for Opus, so no such file can be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>

#include "crosscheck_fixture.h"
#include "stream_fixture.h"

namespace {

using audiotest::AsInt16;
using audiotest::ReadAt;

struct PacketCodec {
  const char* options;
  uint16_t tag;
  // AAC's perceptual noise substitution fills bands from the decoder's noise generator, whose
  // state comes from every packet decoded before: after a jump those bands hold other noise.
  bool noiseBands;
};

void PrintTo(const PacketCodec& codec, std::ostream* out) { *out << codec.options; }

// The energy of the difference over the energy of the expected samples.
double ErrorRatio(const std::vector<int16_t>& got, const int16_t* expected) {
  double error = 0;
  double signal = 0;
  for (size_t i = 0; i < got.size(); ++i) {
    double difference = got[i] - expected[i];
    error += difference * difference;
    signal += static_cast<double>(expected[i]) * expected[i];
  }
  return signal > 0 ? error / signal : error;
}

class PacketCodecs : public audiotest::Crosscheck, public ::testing::WithParamInterface<PacketCodec> {};

TEST_P(PacketCodecs, MatchFfmpegInOrderAndAfterJumps) {
  const PacketCodec& codec = GetParam();
  avi::AudioStream* stream = Make(audiotest::kStereoSource, 48000, codec.options);
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(stream->SourceFormat()->formatTag, codec.tag);
  ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
  ASSERT_EQ(stream->OutputFormat()->bitsPerSample, 16);
  ASSERT_EQ(stream->OutputFormat()->channels, 2);

  std::vector<int16_t> expected = AsInt16(Decoded("s16le"));
  ASSERT_GT(expected.size(), 200000u);
  // The length is the packets' samples, not a scaled byte count.
  EXPECT_EQ(stream->TotalLength(), expected.size() * 2);
  std::mt19937 random(31);
  EXPECT_TRUE(AsInt16(audiotest::ReadInPieces(*stream, random, 4)) == expected);

  // Jumps anywhere, packet starts and the first packet included: the packet before the target
  // is decoded and dropped, so the target's samples come out as in order.
  const size_t frames = expected.size() / 2;
  std::vector<uint64_t> samples = {0, 100, 1024, 4608, frames - 6000};
  for (int jump = 0; jump < 8; ++jump) samples.push_back(random() % (frames - 6000));
  for (uint64_t sample : samples) {
    std::vector<int16_t> got = AsInt16(ReadAt(*stream, sample * 4, 6000 * 4));
    ASSERT_EQ(got.size(), 6000u * 2) << sample;
    const int16_t* there = expected.data() + sample * 2;
    if (codec.noiseBands) {
      // A packet out of place would leave an error as large as the signal.
      EXPECT_LT(ErrorRatio(got, there), 0.01) << codec.options << " at sample " << sample;
    } else {
      EXPECT_TRUE(std::equal(got.begin(), got.end(), there)) << codec.options << " at sample " << sample;
    }
  }
  // Reading on past the end gives what is left, then nothing.
  EXPECT_EQ(ReadAt(*stream, expected.size() * 2 - 400, 4000).size(), 400u);
  EXPECT_TRUE(ReadAt(*stream, expected.size() * 2, 4000).empty());
}

INSTANTIATE_TEST_SUITE_P(Ffmpeg, PacketCodecs,
                         ::testing::Values(PacketCodec{"-c:a aac -b:a 128k", 0x00FF, true},
                                           PacketCodec{"-c:a aac -b:a 128k -aac_pns 0", 0x00FF, false},
                                           PacketCodec{"-c:a libvorbis", 0x566F, false},
                                           PacketCodec{"-c:a flac", 0xF1AC, false}));

}  // namespace
