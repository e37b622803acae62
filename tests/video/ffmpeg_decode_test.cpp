// Files made by the ffmpeg tool, decoded here and compared with FFmpeg's own decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

#include "video/ffmpeg_fixture.h"
#include "video/vcm_decoder.h"

namespace video {
namespace {

using videotest::Encode;
using videotest::Parse;
using videotest::Reference;
using videotest::Yv12From420p;

constexpr int kWidth = 96;
constexpr int kHeight = 64;

struct Source {
  const char* name;
  const char* options;
  int32_t kind;
  int tolerance;  // largest difference allowed in any sample
};

class FfmpegDecodeTest : public ::testing::TestWithParam<Source> {
 protected:
  testsupport::TempDir dir_;
};

int LargestDifference(const uint8_t* a, const uint8_t* b, size_t n) {
  int largest = 0;
  for (size_t i = 0; i < n; ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

// Sequential decoding, then random seeks: each frame index gives FFmpeg's picture of that
// index, as YV12 planes.
TEST_P(FfmpegDecodeTest, Yv12PicturesMatchFfmpegInDisplayOrder) {
  const Source& source = GetParam();
  const std::string path =
      Encode(dir_, std::string(source.name) + ".avi", kWidth, kHeight, 2, source.options);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not encode " << source.name;
  const std::vector<uint8_t> reference = Reference(path, "yuv420p");
  const size_t pictureBytes = kWidth * kHeight * 3 / 2;
  const size_t frames = reference.size() / pictureBytes;
  ASSERT_GT(frames, 10u);

  auto movie = Parse(path);
  ASSERT_TRUE(movie);
  ASSERT_EQ(movie->VideoTable()->Count(), frames);
  VCMDecoder decoder(*movie, nullptr);
  ASSERT_EQ(decoder.Kind(), source.kind);
  ASSERT_GE(decoder.OutputSize(), pictureBytes);

  std::vector<uint8_t> picture(decoder.OutputSize());
  auto check = [&](size_t frame, const char* how) {
    DecodedPicture record{};
    ASSERT_EQ(
        decoder.DecodeForPlayback(static_cast<int32_t>(frame), picture.data(), &record, nullptr, nullptr),
        kDecoded)
        << how << " " << frame;
    EXPECT_EQ(record.format, kFormatYv12);
    const std::vector<uint8_t> expected = Yv12From420p(&reference[frame * pictureBytes], kWidth, kHeight);
    EXPECT_LE(LargestDifference(picture.data(), expected.data(), pictureBytes), source.tolerance)
        << how << " frame " << frame;
  };
  for (size_t frame = 0; frame < frames; ++frame) check(frame, "sequential");
  std::vector<size_t> order(frames);
  std::iota(order.begin(), order.end(), 0);
  std::shuffle(order.begin(), order.end(), std::mt19937(7));
  for (size_t i = 0; i < 20; ++i) check(order[i], "seek");
  EXPECT_EQ(decoder.FailedDecompressions(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FfmpegDecodeTest,
    ::testing::Values(Source{"xvid_bframes",
                             "-c:v mpeg4 -vtag XVID -bf 2 -g 12 -flags +cgop -sc_threshold 1000000000 -q:v 4",
                             kKindYv12, 0},
                      Source{"divx_plain", "-c:v mpeg4 -vtag DIVX -bf 0 -g 10 -q:v 4", kKindYv12, 0},
                      Source{"h264_bframes", "-c:v libx264 -bf 3 -g 15 -pix_fmt yuv420p", kKindYv12, 0},
                      Source{"raw_yv12", "-c:v rawvideo -pix_fmt yuv420p -vtag YV12", kKindRawYv12, 0},
                      // Full-range 4:2:0 taken to video range by libswscale, as the ffmpeg tool does.
                      Source{"mjpeg", "-c:v mjpeg -q:v 3", kKindYv12, 2}),
    [](const ::testing::TestParamInfo<Source>& param) { return std::string(param.param.name); });

struct RgbSource {
  const char* name;
  const char* options;
  int32_t kind;
};

class FfmpegRgbTest : public ::testing::TestWithParam<RgbSource> {
 protected:
  testsupport::TempDir dir_;
};

// RGB sources keep their pixels exactly on the RGB path.
TEST_P(FfmpegRgbTest, RgbPicturesMatchFfmpeg) {
  const RgbSource& source = GetParam();
  const std::string path =
      Encode(dir_, std::string(source.name) + ".avi", kWidth, kHeight, 1, source.options);
  ASSERT_FALSE(path.empty());
  const std::vector<uint8_t> reference = Reference(path, "bgra");
  const size_t pictureBytes = kWidth * kHeight * 4;
  const size_t frames = reference.size() / pictureBytes;
  ASSERT_GT(frames, 10u);
  auto movie = Parse(path);
  ASSERT_TRUE(movie);
  VCMDecoder decoder(*movie, nullptr);
  ASSERT_EQ(decoder.Kind(), source.kind);
  std::vector<uint8_t> picture(pictureBytes);
  for (size_t frame : {size_t{0}, size_t{1}, frames - 1, size_t{5}, size_t{2}}) {
    ASSERT_EQ(decoder.DecodeToRgb(static_cast<int32_t>(frame), picture.data()), kDecoded) << frame;
    const uint8_t* expected = &reference[frame * pictureBytes];
    int largest = 0;
    for (size_t i = 0; i < pictureBytes; i += 4) {
      for (size_t c = 0; c < 3; ++c) largest = std::max(largest, std::abs(picture[i + c] - expected[i + c]));
    }
    EXPECT_EQ(largest, 0) << "frame " << frame;
  }
}

INSTANTIATE_TEST_SUITE_P(Codecs, FfmpegRgbTest,
                         ::testing::Values(RgbSource{"dib_bgr24", "-c:v rawvideo -pix_fmt bgr24", kKindDib},
                                           RgbSource{"ffv1_rgb", "-c:v ffv1 -pix_fmt bgr0 -g 5", kKindRgb},
                                           RgbSource{"huffyuv_rgb", "-c:v huffyuv -pix_fmt rgb24", kKindRgb}),
                         [](const ::testing::TestParamInfo<RgbSource>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace video
