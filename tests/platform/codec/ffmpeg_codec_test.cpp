#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "platform/codec/codec.h"
#include "platform/codec/output_format.h"
#include "riff/fourcc.h"
#include "video/ffmpeg_fixture.h"

namespace platform::codec {
namespace {

using riff::MakeFourcc;

// A stream of a file made by ffmpeg: its format, its packets and FFmpeg's own pictures.
struct Stream {
  std::vector<uint8_t> format;
  std::vector<std::vector<uint8_t>> packets;
  std::vector<bool> keys;
  std::vector<uint8_t> reference;
  uint32_t handler = 0;
};

class CodecLayerTest : public ::testing::Test {
 protected:
  Stream Make(const std::string& options, int width, int height, const std::string& referenceFormat) {
    Stream stream;
    const std::string path = videotest::Encode(dir_, "s.avi", width, height, 1, options);
    if (path.empty()) return stream;
    auto movie = videotest::Parse(path);
    if (!movie) return stream;
    stream.format = movie->format;
    stream.handler = movie->streamHeader.fccHandler;
    const avi::PacketTable& table = *movie->VideoTable();
    for (size_t i = 0; i < table.Count(); ++i) {
      std::vector<uint8_t> packet(table.Size(i) & ~avi::kNotKeyFrame);
      table.View().Read(table[i].offset, static_cast<uint32_t>(packet.size()), packet.data());
      stream.packets.push_back(std::move(packet));
      stream.keys.push_back((table.Size(i) & avi::kNotKeyFrame) == 0);
    }
    stream.reference = videotest::Reference(path, referenceFormat);
    return stream;
  }

  static std::vector<uint8_t> Output(const Stream& stream, uint32_t compression, uint16_t bits,
                                     int32_t sign = 1) {
    std::vector<uint8_t> output(stream.format.begin(),
                                stream.format.begin() + sizeof(riff::BitmapInfoHeader));
    auto* header = reinterpret_cast<riff::BitmapInfoHeader*>(output.data());
    header->compression = compression;
    header->bitCount = bits;
    header->sizeImage = 0;
    header->height *= sign;
    return output;
  }

  // Feeds packets from the first until a picture comes out (the decoder's threads hold a few).
  static int32_t FirstPicture(Codec& codec, const Stream& stream, uint8_t* picture) {
    int64_t frame = 0;
    for (size_t i = 0; i < stream.packets.size() && !codec.NextPicture(&frame); ++i) {
      const int32_t result =
          codec.Decompress(stream.keys[i] ? 0 : kNotKeyFrame, stream.packets[i].data(),
                           static_cast<uint32_t>(stream.packets[i].size()), static_cast<int64_t>(i));
      if (result < 0) return result;
    }
    if (!codec.NextPicture(&frame)) codec.Drain();
    return codec.TakePicture(picture);
  }

  // Feeds packets first to last with their frame numbers, then drains; every picture is
  // checked against FFmpeg's picture of the frame it is stamped with. Returns the stamps.
  static std::vector<int64_t> DecodeFrom(Codec& codec, const Stream& stream, size_t first, int width,
                                         int height) {
    const size_t bytes = static_cast<size_t>(width) * height * 3 / 2;
    std::vector<uint8_t> picture(bytes);
    std::vector<int64_t> stamps;
    auto takeReady = [&] {
      int64_t frame = 0;
      while (codec.NextPicture(&frame)) {
        EXPECT_EQ(codec.TakePicture(picture.data()), kOk);
        EXPECT_TRUE(frame >= 0 && static_cast<size_t>(frame) < stream.packets.size()) << frame;
        if (frame >= 0 && static_cast<size_t>(frame) < stream.packets.size()) {
          EXPECT_EQ(picture, videotest::Yv12From420p(&stream.reference[static_cast<size_t>(frame) * bytes],
                                                     width, height))
              << "frame " << frame;
        }
        stamps.push_back(frame);
      }
    };
    for (size_t i = first; i < stream.packets.size(); ++i) {
      EXPECT_EQ(codec.Decompress(stream.keys[i] ? 0 : kNotKeyFrame, stream.packets[i].data(),
                                 static_cast<uint32_t>(stream.packets[i].size()), static_cast<int64_t>(i)),
                kOk);
      takeReady();
    }
    EXPECT_EQ(codec.Drain(), kOk);
    takeReady();
    return stamps;
  }

  static std::vector<int64_t> Frames(int64_t first, int64_t end) {
    std::vector<int64_t> frames;
    for (int64_t f = first; f < end; ++f) frames.push_back(f);
    return frames;
  }

  testsupport::TempDir dir_;
};

TEST_F(CodecLayerTest, OpensCompressedCodesThroughTheTagTable) {
  Registry& registry = SystemRegistry();
  for (const char* code : {"XVID", "xvid", "DIVX", "DX50", "FMP4", "MP42", "MP43", "DIV3", "H264", "X264",
                           "AVC1", "MJPG", "HFYU", "FFV1"}) {
    EXPECT_NE(registry.Open(riff::LoadU32(reinterpret_cast<const uint8_t*>(code))), nullptr) << code;
  }
  // Uncompressed pictures are the decoder's own business.
  for (const char* code : {"DIB ", "YV12", "ZQZQ"}) {
    EXPECT_EQ(registry.Open(riff::LoadU32(reinterpret_cast<const uint8_t*>(code))), nullptr) << code;
  }
  EXPECT_EQ(registry.Open(0), nullptr);
}

TEST_F(CodecLayerTest, QueryAndBeginCheckTheFormats) {
  const Stream stream = Make("-c:v libx264 -bf 2 -g 10 -pix_fmt yuv420p", 64, 48, "yuv420p");
  ASSERT_FALSE(stream.packets.empty());
  auto codec = SystemRegistry().Open(MakeFourcc("H264"));
  ASSERT_TRUE(codec);
  EXPECT_TRUE(codec->Query(stream.format));
  std::vector<uint8_t> other = stream.format;
  reinterpret_cast<riff::BitmapInfoHeader*>(other.data())->compression = MakeFourcc("MJPG");
  EXPECT_FALSE(codec->Query(other));
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("I420"), 12)), kBadFormat);
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, 0, 16)), kBadFormat);
  std::vector<uint8_t> smaller = Output(stream, MakeFourcc("YV12"), 12);
  reinterpret_cast<riff::BitmapInfoHeader*>(smaller.data())->width = 32;
  EXPECT_EQ(codec->Begin(stream.format, smaller), kBadFormat);
  for (auto [compression, bits] :
       {std::pair{MakeFourcc("YV12"), 12}, {MakeFourcc("YUY2"), 16}, {0u, 32}, {0u, 24}}) {
    EXPECT_EQ(codec->Begin(stream.format, Output(stream, compression, static_cast<uint16_t>(bits))), kOk)
        << bits;
  }
}

TEST_F(CodecLayerTest, ReorderingDecodersStampEveryPictureWithItsFrame) {
  for (const char* options : {"-c:v libx264 -bf 3 -g 12 -pix_fmt yuv420p", "-c:v mpeg4 -bf 2 -g 12 -q:v 4"}) {
    const Stream stream = Make(options, 64, 48, "yuv420p");
    ASSERT_FALSE(stream.packets.empty());
    auto codec = SystemRegistry().Open(stream.handler);
    ASSERT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YV12"), 12)), kOk);
    const int64_t count = static_cast<int64_t>(stream.packets.size());
    EXPECT_EQ(DecodeFrom(*codec, stream, 0, 64, 48), Frames(0, count)) << options;
    // After a restart at a later key frame every picture from there on keeps its frame; the
    // B-frames an open group shows before its key frame give none.
    size_t key = stream.packets.size() / 2;
    while (!stream.keys[key]) --key;
    ASSERT_GT(key, 0u);
    codec->Restart();
    const std::vector<int64_t> stamps = DecodeFrom(*codec, stream, key, 64, 48);
    ASSERT_FALSE(stamps.empty());
    EXPECT_GE(stamps.front(), static_cast<int64_t>(key));
    EXPECT_EQ(stamps, Frames(stamps.front(), count)) << options;
  }
}

TEST_F(CodecLayerTest, LosslessPicturesAreOfferedAsWhatTheyAre) {
  // The header's depth says 24 bits for both; only a decoded picture tells them apart.
  const Stream yuv = Make("-c:v ffv1 -pix_fmt yuv420p", 64, 48, "yuv420p");
  const Stream rgb = Make("-c:v ffv1 -pix_fmt bgr0", 64, 48, "bgra");
  ASSERT_FALSE(yuv.packets.empty());
  ASSERT_FALSE(rgb.packets.empty());
  auto codec = SystemRegistry().Open(yuv.handler);
  ASSERT_TRUE(codec);
  EXPECT_EQ(codec->Begin(yuv.format, Output(yuv, MakeFourcc("YV12"), 12)), kBadFormat);
  EXPECT_NE(codec->Failure(), "");
  EXPECT_TRUE(codec->NeedsInspection(yuv.format));
  codec->Inspect(yuv.format, yuv.packets[0].data(), static_cast<uint32_t>(yuv.packets[0].size()));
  ASSERT_EQ(codec->Begin(yuv.format, Output(yuv, MakeFourcc("YV12"), 12)), kOk);
  EXPECT_EQ(codec->Failure(), "");
  EXPECT_EQ(DecodeFrom(*codec, yuv, 0, 64, 48), Frames(0, static_cast<int64_t>(yuv.packets.size())));

  auto other = SystemRegistry().Open(rgb.handler);
  other->Inspect(rgb.format, rgb.packets[0].data(), static_cast<uint32_t>(rgb.packets[0].size()));
  EXPECT_EQ(other->Begin(rgb.format, Output(rgb, MakeFourcc("YV12"), 12)), kBadFormat);
  EXPECT_EQ(other->Begin(rgb.format, Output(rgb, 0, 32)), kOk);
}

TEST_F(CodecLayerTest, RgbDecodersOfferOnlyRgbAndWriteDibs) {
  // An odd row length of 24-bit pixels (98 × 3 bytes) shows the rows' padding.
  constexpr int w = 98;
  constexpr int h = 20;
  const Stream stream = Make("-c:v huffyuv -pix_fmt rgb24", w, h, "bgra");
  ASSERT_FALSE(stream.packets.empty());
  auto codec = SystemRegistry().Open(stream.handler);
  ASSERT_TRUE(codec);
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YV12"), 12)), kBadFormat);
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YUY2"), 16)), kBadFormat);
  struct Case {
    uint16_t bits;
    int32_t sign;
  };
  for (const Case c : {Case{32, 1}, Case{32, -1}, Case{24, 1}}) {
    ASSERT_EQ(codec->Begin(stream.format, Output(stream, 0, c.bits, c.sign)), kOk);
    const size_t row = c.bits == 32 ? 4 * w : (3 * w + 3) & ~3;
    std::vector<uint8_t> picture(row * h);
    ASSERT_EQ(FirstPicture(*codec, stream, picture.data()), kOk);
    const uint8_t* expected = stream.reference.data();
    for (int y = 0; y < h; ++y) {
      const uint8_t* got = &picture[row * (c.sign > 0 ? h - 1 - y : y)];
      for (int x = 0; x < w; ++x) {
        for (int k = 0; k < 3; ++k) {
          ASSERT_EQ(got[x * (c.bits / 8) + k], expected[(y * w + x) * 4 + k])
              << x << "," << y << " bits " << c.bits;
        }
      }
    }
  }
}

TEST_F(CodecLayerTest, OddSizesAreOfferedAsRgbOnly) {
  const Stream stream = Make("-vf scale=33:17 -c:v mjpeg -pix_fmt yuvj444p", 64, 48, "bgra");
  ASSERT_FALSE(stream.packets.empty());
  auto codec = SystemRegistry().Open(stream.handler);
  ASSERT_TRUE(codec);
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YV12"), 12)), kBadFormat);
  EXPECT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YUY2"), 16)), kBadFormat);
  ASSERT_EQ(codec->Begin(stream.format, Output(stream, 0, 32)), kOk);
  std::vector<uint8_t> picture(33 * 17 * 4);
  EXPECT_EQ(FirstPicture(*codec, stream, picture.data()), kOk);
}

TEST_F(CodecLayerTest, DamagedPacketsFailWithoutHarm) {
  const Stream stream = Make("-c:v mpeg4 -bf 2 -g 6 -q:v 3", 64, 48, "yuv420p");
  ASSERT_FALSE(stream.packets.empty());
  auto codec = SystemRegistry().Open(stream.handler);
  // A codec whose header says what its pictures are needs no packet read at open.
  EXPECT_FALSE(codec->NeedsInspection(stream.format));
  ASSERT_EQ(codec->Begin(stream.format, Output(stream, MakeFourcc("YV12"), 12)), kOk);
  std::vector<uint8_t> picture(64 * 48 * 3 / 2);
  int64_t frame = 0;
  std::mt19937 random(3);
  for (size_t i = 0; i < stream.packets.size(); ++i) {
    std::vector<uint8_t> packet = stream.packets[i];
    for (size_t j = 0; j < packet.size(); j += 7) packet[j] = static_cast<uint8_t>(random());
    if (i % 5 == 0) packet.resize(packet.size() / 3 + 1);
    const int32_t result = codec->Decompress(stream.keys[i] ? 0 : kNotKeyFrame, packet.data(),
                                             static_cast<uint32_t>(packet.size()), static_cast<int64_t>(i));
    EXPECT_TRUE(result == kOk || (result < 0 && !codec->Failure().empty()));
    while (codec->NextPicture(&frame)) EXPECT_EQ(codec->TakePicture(picture.data()), kOk);
  }
  codec->Drain();
  for (int i = 0; i < 32 && codec->TakePicture(picture.data()) != kNoPicture; ++i) {
  }
  EXPECT_FALSE(codec->NextPicture(&frame));
  EXPECT_EQ(codec->TakePicture(picture.data()), kNoPicture);
}

}  // namespace
}  // namespace platform::codec
