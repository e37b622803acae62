// The converting paths: every kind and quality mode against the kernels and the frame
// processor run on FFmpeg's own pictures, and the field layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "avi_writer/avi_writer.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "color/line_doubling_kernel.h"
#include "color/picture_model.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "riff/fourcc.h"
#include "scale/normal_quality_converter.h"
#include "support/fake_codec_registry.h"
#include "video/ffmpeg_fixture.h"
#include "video/test_movie.h"
#include "video/vcm_decoder.h"

namespace video {
namespace {

using platform::codec::OutputKind;
using testsupport::FakeCodecTraits;
using testsupport::FakeRegistry;

class DecodeConvertedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    color::InitColour(1.0, 1.0, 1.0, 4, color::kTransferSrgb, color::kTransferSrgb, 100);
    color::BuildLevelTables();
  }
  void TearDown() override { color::ReleaseColour(); }

  // An mpeg4 file with B-frames in closed groups and FFmpeg's pictures of it as YV12.
  std::unique_ptr<avi::Movie> Mpeg4(int width, int height, std::vector<std::vector<uint8_t>>* pictures) {
    const std::string path =
        videotest::Encode(dir_, "m.avi", width, height, 1,
                          "-c:v mpeg4 -vtag XVID -bf 2 -g 8 -flags +cgop -sc_threshold 1000000000 -q:v 3");
    if (path.empty()) return nullptr;
    const std::vector<uint8_t> reference = videotest::Reference(path, "yuv420p");
    const size_t bytes = static_cast<size_t>(width) * height * 3 / 2;
    for (size_t at = 0; at + bytes <= reference.size(); at += bytes) {
      pictures->push_back(videotest::Yv12From420p(&reference[at], width, height));
      pictures->back().resize(bytes + 5);
    }
    return videotest::Parse(path);
  }

  testsupport::TempDir dir_;
  scale::NormalQualityConverter frameProcessor_{color::GetFieldInterpolator(), 2};
  common::Lock frameProcessorLock_;
};

TEST_F(DecodeConvertedTest, QualityModesUseTheirConverters) {
  constexpr int w = 96;
  constexpr int h = 64;
  std::vector<std::vector<uint8_t>> pictures;
  auto movie = Mpeg4(w, h, &pictures);
  ASSERT_TRUE(movie);
  VCMDecoder decoder(*movie, &frameProcessor_, &frameProcessorLock_);
  ASSERT_EQ(decoder.Kind(), kKindYv12);
  const ptrdiff_t pitch = 4 * w + 64;
  std::vector<uint8_t> played(decoder.OutputSize());
  for (int frame : {7, 3, 4}) {
    const uint8_t* source = pictures[frame].data();
    // The playback path puts its picture straight into its buffer; converting the same frame
    // afterwards must still find it.
    DecodedPicture record{};
    ASSERT_EQ(decoder.DecodeForPlayback(frame, played.data(), &record, nullptr, nullptr), kDecoded);

    for (int mode : {0, 1, 2}) {
      std::vector<uint8_t> out(pitch * h, 0), expected(pitch * h, 0);
      ASSERT_EQ(decoder.DecodeConverted(frame, out.data(), pitch, 1, false, mode),
                mode == 0 ? kDecoded : kNothingDecoded);
      if (mode == 0) {
        ASSERT_TRUE(frameProcessor_.Convert(source, expected.data(), w, h, pitch, 0));
      } else if (mode == 1) {
        ASSERT_TRUE(color::ConvertYv12Lanczos(source, expected.data(), w, h, pitch, 1, false, 0));
      } else {
        ASSERT_TRUE(color::ConvertYv12Fast(source, expected.data(), w, h, pitch, 1, false, 0));
      }
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          for (int c = 0; c < 3; ++c) {
            const size_t at = y * pitch + 4 * x + c;
            ASSERT_EQ(out[at], expected[at])
                << "frame " << frame << " mode " << mode << " at " << x << "," << y;
          }
        }
      }
    }
  }
}

TEST_F(DecodeConvertedTest, FrameProcessorWidthsNotAMultipleOfFourFitAnyPitch) {
  constexpr int w = 98;
  constexpr int h = 64;
  std::vector<std::vector<uint8_t>> pictures;
  auto movie = Mpeg4(w, h, &pictures);
  ASSERT_TRUE(movie);
  VCMDecoder decoder(*movie, &frameProcessor_, &frameProcessorLock_);
  ASSERT_EQ(decoder.Kind(), kKindYv12);
  std::vector<uint8_t> tight(4 * w * h), wide(4 * 100 * h);
  ASSERT_EQ(decoder.DecodeConverted(2, tight.data(), 4 * w, 0, false, 0), kDecoded);
  ASSERT_EQ(decoder.DecodeConverted(2, wide.data(), 4 * 100, 0, false, 0), kNothingDecoded);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < 4 * w; ++x) {
      if (x % 4 == 3) continue;
      ASSERT_EQ(tight[y * 4 * w + x], wide[y * 400 + x]) << x / 4 << "," << y;
    }
  }
}

TEST_F(DecodeConvertedTest, StackedFieldsAreLineDoubledFromOneDecode) {
  constexpr int w = 96;
  constexpr int h = 64;
  std::vector<std::vector<uint8_t>> pictures;
  auto movie = Mpeg4(w, h, &pictures);
  ASSERT_TRUE(movie);
  for (uint8_t mode : {3, 4}) {
    movie->colourInfo[3] = mode;
    VCMDecoder decoder(*movie, nullptr);
    ASSERT_TRUE(decoder.StackedFields());
    const ptrdiff_t pitch = 4 * w;
    std::vector<uint8_t> whole(pitch * h);
    ASSERT_TRUE(color::ConvertYv12Lanczos(pictures[5].data(), whole.data(), w, h, pitch, 0, false, 0));
    for (int parity : {0, 1}) {
      const int64_t decodedBefore = decoder.DecodedPackets();
      std::vector<uint8_t> out(pitch * h), expected(pitch * h);
      ASSERT_EQ(decoder.DecodeConverted(10 + parity, out.data(), pitch, 0, false, 1), kDecoded);
      const int field = (parity ^ (mode == 4 ? 1 : 0)) + 1;
      ASSERT_TRUE(color::DoubleStackedField(whole.data(), pitch, expected.data(), pitch, w, h, field));
      EXPECT_EQ(out, expected) << "mode " << int{mode} << " parity " << parity;
      // The second field of a frame comes from the field buffer.
      if (parity == 1) {
        EXPECT_EQ(decoder.DecodedPackets(), decodedBefore);
      }
    }
  }
}

TEST_F(DecodeConvertedTest, FieldPairsConvertToTwiceTheHeight) {
  constexpr int w = 96;
  constexpr int h = 64;
  std::vector<std::vector<uint8_t>> pictures;
  auto movie = Mpeg4(w, h, &pictures);
  ASSERT_TRUE(movie);
  movie->colourInfo[3] = 1;
  VCMDecoder decoder(*movie, nullptr);
  const ptrdiff_t pitch = 4 * w;
  for (int frame : {2, 3}) {
    std::vector<uint8_t> out(pitch * 2 * h), expected(pitch * 2 * h);
    ASSERT_EQ(decoder.DecodeConverted(frame, out.data(), pitch, 0, false, 2), kDecoded);
    ASSERT_TRUE(color::ConvertYv12Fast(pictures[frame].data(), expected.data(), w, h, pitch, 0, false,
                                       frame % 2 == 0 ? 1 : 2));
    EXPECT_EQ(out, expected) << frame;
  }
}

// A raw YV12 file of `frames` pictures, each bright in its upper half and dark in its lower,
// with `fieldMode` in its colour information.
std::unique_ptr<avi::Movie> RawFields(const testsupport::TempDir& dir, uint8_t fieldMode, int w, int h,
                                      int frames, std::vector<uint8_t>* picture) {
  using riff::MakeFourcc;
  aviwriter::StreamDescription video;
  video.header.fccType = MakeFourcc("vids");
  video.header.fccHandler = MakeFourcc("YV12");
  video.header.scale = 1;
  video.header.rate = 25;
  const uint32_t bytes = static_cast<uint32_t>(w * h * 3 / 2);
  const riff::BitmapInfoHeader bitmap{40, w, h, 1, 12, MakeFourcc("YV12"), bytes, 0, 0, 0, 0};
  video.format.assign(reinterpret_cast<const uint8_t*>(&bitmap),
                      reinterpret_cast<const uint8_t*>(&bitmap + 1));
  video.extraChunks.push_back({MakeFourcc("strc"), {0, 0, 0, fieldMode}});
  picture->assign(bytes + 5, 128);
  std::fill(picture->begin(), picture->begin() + w * h / 2, 200);
  std::fill(picture->begin() + w * h / 2, picture->begin() + w * h, 40);
  const std::string path = dir.File("fields" + std::to_string(fieldMode) + ".avi");
  aviwriter::AviWriter writer;
  if (!writer.Open(path, {video}, aviwriter::WriterOptions{})) return nullptr;
  for (int f = 0; f < frames; ++f) {
    if (!writer.WritePacket(0, picture->data(), bytes, true)) return nullptr;
  }
  return writer.Close() ? videotest::Parse(path) : nullptr;
}

TEST_F(DecodeConvertedTest, RawYv12PicturesTakeTheFieldModeOfTheirStream) {
  constexpr int w = 32;
  constexpr int h = 16;
  constexpr ptrdiff_t pitch = 4 * w;
  std::vector<uint8_t> picture;

  // Field pairs: each picture is one field, shown at twice its height, the fields alternating.
  auto pairs = RawFields(dir_, 1, w, h, 4, &picture);
  ASSERT_TRUE(pairs);
  VCMDecoder paired(*pairs, nullptr);
  ASSERT_EQ(paired.Kind(), kKindRawYv12);
  ASSERT_TRUE(paired.FieldPairs());
  DecodedPicture info{};
  paired.GetOutputInfo(&info);
  EXPECT_EQ(info.height, 2 * h);
  std::vector<uint8_t> raw(paired.OutputSize());
  for (int frame : {1, 2}) {
    DecodedPicture record{};
    ASSERT_EQ(paired.DecodeForPlayback(frame, raw.data(), &record, nullptr, nullptr), kDecoded);
    const int field = frame % 2 == 0 ? 1 : 2;
    EXPECT_EQ(record.field, field);
    std::vector<uint8_t> out(pitch * 2 * h), expected(pitch * 2 * h);
    ASSERT_EQ(paired.DecodeConverted(frame, out.data(), pitch, 0, false, 2), kDecoded);
    ASSERT_TRUE(color::ConvertYv12Fast(picture.data(), expected.data(), w, h, pitch, 0, false, field));
    EXPECT_EQ(out, expected) << frame;
  }

  // Stacked fields: every frame counts two fields, each line-doubled to the whole height.
  for (uint8_t mode : {3, 4}) {
    auto stacked = RawFields(dir_, mode, w, h, 3, &picture);
    ASSERT_TRUE(stacked);
    VCMDecoder decoder(*stacked, nullptr);
    ASSERT_TRUE(decoder.StackedFields());
    std::vector<uint8_t> whole(pitch * h);
    ASSERT_TRUE(color::ConvertYv12Fast(picture.data(), whole.data(), w, h, pitch, 0, false, 0));
    for (int parity : {0, 1}) {
      std::vector<uint8_t> out(pitch * h), expected(pitch * h);
      ASSERT_EQ(decoder.DecodeConverted(2 + parity, out.data(), pitch, 0, false, 2), kDecoded);
      const int field = (parity ^ (mode == 4 ? 1 : 0)) + 1;
      ASSERT_TRUE(color::DoubleStackedField(whole.data(), pitch, expected.data(), pitch, w, h, field));
      EXPECT_EQ(out, expected) << "mode " << int{mode} << " parity " << parity;
      // The upper field is bright to the last line, the lower dark from the first.
      const uint8_t corner = out[(field == 1 ? h - 1 : 0) * pitch];
      EXPECT_TRUE(field == 1 ? corner > 150 : corner < 80) << int{corner};
    }
  }
}

TEST_F(DecodeConvertedTest, SixteenBitDibsWidenAsFiveFiveFive) {
  videotest::MovieShape shape;
  shape.handler = riff::MakeFourcc("DIB ");
  shape.width = 2;
  shape.height = 2;
  shape.bits = 16;
  // Bottom-up: the last row first. Red, green / blue, white.
  const std::vector<uint8_t> dib = {0x1F, 0x00, 0xFF, 0x7F, 0x00, 0x7C, 0xE0, 0x03};
  auto movie = videotest::BuildMovie(dir_, shape, {videotest::TestPacket{dib, true}});
  VCMDecoder decoder(*movie, nullptr);
  ASSERT_EQ(decoder.Kind(), kKindDib);
  std::vector<uint8_t> out(2 * 12, 0);
  ASSERT_EQ(decoder.DecodeConverted(0, out.data(), 12, 0, false, 0), kDecoded);
  const std::vector<uint8_t> expected = {0,   0, 255, 255, 0,   255, 0,   255, 0, 0, 0, 0,
                                         255, 0, 0,   255, 255, 255, 255, 255, 0, 0, 0, 0};
  EXPECT_EQ(out, expected);
  DecodedPicture record{};
  std::vector<uint8_t> played(decoder.OutputSize());
  ASSERT_EQ(decoder.DecodeForPlayback(0, played.data(), &record, nullptr, nullptr), kDecoded);
  EXPECT_EQ(record.format, 0u);
  EXPECT_EQ(record.bits, 32);

  shape.bits = 8;
  auto palette = videotest::BuildMovie(dir_, shape, {videotest::TestPacket{dib, true}});
  VCMDecoder refused(*palette, nullptr);
  EXPECT_EQ(refused.DecodeForPlayback(0, played.data(), &record, nullptr, nullptr), kFailed);
}

// Flat pictures through the YUY2, RGB and RGB-to-YV12 kinds stay flat grey.
TEST_F(DecodeConvertedTest, YuyvAndRgbKindsKeepGrey) {
  struct Case {
    const char* handler;
    OutputKind output;
    int32_t kind;
    uint8_t tag;
    int grey;
  };
  const Case cases[] = {
      {"YUY2", OutputKind::kYuy2, kKindYuy2, 128, 130},
      {"XVID", OutputKind::kRgb24, kKindRgb, 100, 100},
      {"XVID", OutputKind::kRgb32, kKindRgb, 60, 60},
      {"MP43", OutputKind::kRgb32, kKindRgbToYv12, 200, 200},
  };
  for (const Case& c : cases) {
    FakeRegistry registry;
    const uint32_t code = riff::LoadU32(reinterpret_cast<const uint8_t*>(c.handler));
    registry.Add(FakeCodecTraits{code, 0, {c.output}, 0});
    videotest::MovieShape shape;
    shape.handler = shape.compression = code;
    shape.width = 20;
    shape.height = 6;
    auto movie = videotest::BuildMovie(dir_, shape, {videotest::Tagged(c.tag, true)});
    VCMDecoder decoder(*movie, nullptr, nullptr, registry);
    ASSERT_EQ(decoder.Kind(), c.kind) << c.handler;
    std::vector<uint8_t> played(decoder.OutputSize());
    DecodedPicture record{};
    ASSERT_EQ(decoder.DecodeForPlayback(0, played.data(), &record, nullptr, nullptr), kDecoded);
    EXPECT_EQ(record.format, 0u);
    for (size_t i = 0; i < played.size(); ++i) {
      if (i % 4 != 3) {
        ASSERT_NEAR(played[i], c.grey, 2) << c.handler << " playback at " << i;
      }
    }
    for (int mode : {0, 1, 2}) {
      std::vector<uint8_t> out(played.size());
      ASSERT_EQ(decoder.DecodeConverted(0, out.data(), 4 * 20, 0, false, mode), kNothingDecoded);
      for (size_t i = 0; i < out.size(); ++i) {
        if (i % 4 != 3) {
          ASSERT_NEAR(out[i], c.grey, 2) << c.handler << " mode " << mode << " at " << i;
        }
      }
    }
  }
}

}  // namespace
}  // namespace video
