// Files as the ffmpeg tool writes them, decoded sequentially and after random seeks, each
// picture compared with the MD5 that `ffmpeg -f framemd5` gives the frame of that time stamp.
#include "video/frame_md5.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "video/ffmpeg_fixture.h"
#include "video/packed_mpeg4.h"
#include "video/vcm_decoder.h"

namespace video {
namespace {

constexpr int kWidth = 96;
constexpr int kHeight = 64;
constexpr int kSeeks = 25;
// Frames decoded in order after each seek: playback must stay on the right pictures.
constexpr int kAfterSeek = 3;

struct Source {
  const char* name;
  const char* options;
  // How ffmpeg is told to hash the pictures as the decoder delivers them.
  const char* hashOptions;
};

void PrintTo(const Source& source, std::ostream* out) { *out << source.name; }

// Decodes every frame in order, then seeks at random; returns the frames whose picture differs
// from FFmpeg's, in the order they were decoded ("s" marks a frame reached by a seek).
std::string WrongFrames(VCMDecoder& decoder, const videotest::FrameMd5List& expected, size_t frames) {
  std::vector<uint8_t> picture(decoder.OutputSize());
  std::string wrong;
  auto check = [&](size_t frame, bool seek) {
    DecodedPicture record{};
    const int32_t result =
        decoder.DecodeForPlayback(static_cast<int32_t>(frame), picture.data(), &record, nullptr, nullptr);
    if (result == kFailed || record.format != kFormatYv12 ||
        videotest::Yv12Md5(picture.data(), kWidth, kHeight) != expected.Frame(static_cast<int64_t>(frame))) {
      wrong += (seek ? " s" : " ") + std::to_string(frame);
    }
  };
  for (size_t frame = 0; frame < frames; ++frame) check(frame, false);
  std::mt19937 random(20240611);
  for (int i = 0; i < kSeeks; ++i) {
    const size_t target = random() % frames;
    check(target, true);
    for (size_t next = target + 1; next < frames && next <= target + kAfterSeek; ++next) check(next, false);
  }
  return wrong;
}

// Every frame of the file at path, in order and after the seeks, against FFmpeg's hashes.
void ExpectFfmpegsPictures(const std::string& path, const videotest::FrameMd5List& expected) {
  auto movie = videotest::Parse(path);
  ASSERT_TRUE(movie);
  const size_t frames = movie->VideoTable()->Count();
  ASSERT_EQ(expected.rows, frames);
  VCMDecoder decoder(*movie, nullptr);
  ASSERT_EQ(decoder.Kind(), kKindYv12);
  EXPECT_EQ(WrongFrames(decoder, expected, frames), "");
  EXPECT_EQ(decoder.FailedDecompressions(), 0);
}

class FrameMd5Test : public ::testing::TestWithParam<Source> {
 protected:
  testsupport::TempDir dir_;
};

TEST_P(FrameMd5Test, EveryFrameShowsFfmpegsPictureOfItsTime) {
  const Source& source = GetParam();
  const std::string path =
      videotest::Encode(dir_, std::string(source.name) + ".avi", kWidth, kHeight, 2, source.options);
  ASSERT_FALSE(path.empty()) << "ffmpeg could not encode " << source.name;
  const videotest::FrameMd5List expected = videotest::FrameMd5(path, source.hashOptions);
  ExpectFfmpegsPictures(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Codecs, FrameMd5Test,
    ::testing::Values(
        Source{"mpeg4_open_gop", "-c:v mpeg4 -vtag XVID -bf 2 -g 12 -q:v 4", ""},
        Source{"mpeg4_closed_gop",
               "-c:v mpeg4 -vtag XVID -bf 2 -g 12 -flags +cgop -sc_threshold 1000000000 -q:v 4", ""},
        Source{"h264_bframes", "-c:v libx264 -bf 3 -g 15 -pix_fmt yuv420p", ""},
        Source{"h264_open_gop", "-c:v libx264 -bf 3 -g 15 -x264-params open-gop=1 -pix_fmt yuv420p", ""},
        // Full-range pictures come out in video range, through the scaler as the decoder
        // sets it up.
        Source{"mjpeg", "-c:v mjpeg -q:v 3", "-pix_fmt yuv420p -sws_flags bicubic+accurate_rnd"},
        // Lossless 4:2:0 without extradata and with a 24-bit depth in its header.
        Source{"ffv1_420", "-c:v ffv1 -pix_fmt yuv420p -g 10", ""}),
    [](const ::testing::TestParamInfo<Source>& param) { return std::string(param.param.name); });

class PackedBitstreamTest : public ::testing::TestWithParam<videotest::Placeholder> {
 protected:
  testsupport::TempDir dir_;
};

// DivX-style packed B-frames give the pictures of the same stream unpacked.
TEST_P(PackedBitstreamTest, PackedStreamsShowTheUnpackedPictures) {
  const std::string plain =
      videotest::Encode(dir_, "plain.avi", kWidth, kHeight, 2, "-c:v mpeg4 -vtag XVID -bf 2 -g 12 -q:v 4");
  ASSERT_FALSE(plain.empty());
  const videotest::FrameMd5List expected = videotest::FrameMd5(plain, "");
  auto source = videotest::Parse(plain);
  ASSERT_TRUE(source);
  const std::string path = dir_.File("packed.avi");
  ASSERT_TRUE(videotest::WritePacked(*source, path, GetParam()));
  ExpectFfmpegsPictures(path, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, PackedBitstreamTest,
    ::testing::Values(videotest::Placeholder::kNotCodedVop, videotest::Placeholder::kEmptyChunk),
    [](const ::testing::TestParamInfo<videotest::Placeholder>& param) {
      return std::string(param.param == videotest::Placeholder::kEmptyChunk ? "EmptyChunk" : "NotCodedVop");
    });

}  // namespace
}  // namespace video
