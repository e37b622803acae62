#include "video/vcm_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "riff/fourcc.h"
#include "support/fake_codec_registry.h"
#include "video/test_movie.h"

namespace video {
namespace {

using platform::codec::OutputKind;
using riff::MakeFourcc;
using testsupport::FakeCodecTraits;
using testsupport::FakeRegistry;
using videotest::BuildMovie;
using videotest::MovieShape;
using videotest::Tagged;
using videotest::TestPacket;

constexpr OutputKind kAll[] = {OutputKind::kYv12, OutputKind::kYuy2, OutputKind::kRgb32, OutputKind::kRgb24};

class VCMDecoderTest : public ::testing::Test {
 protected:
  std::unique_ptr<avi::Movie> Movie(const MovieShape& shape, const std::vector<TestPacket>& packets) {
    return BuildMovie(dir_, shape, packets);
  }
  static MovieShape Shape(const char (&handler)[5], const char (&compression)[5]) {
    MovieShape shape;
    shape.handler = MakeFourcc(handler);
    shape.compression = MakeFourcc(compression);
    return shape;
  }
  void AddCodec(const char (&handler)[5], std::vector<OutputKind> outputs, int reorderDepth = 0,
                uint32_t compression = 0) {
    registry_.Add(FakeCodecTraits{MakeFourcc(handler), compression, std::move(outputs), reorderDepth});
  }

  // The tag of the picture DecodeForPlayback delivers for frame, or -1 with its result.
  int PlaybackTag(VCMDecoder& decoder, int32_t frame, int32_t* result = nullptr) {
    std::vector<uint8_t> out(decoder.OutputSize(), 0);
    DecodedPicture record{};
    const int32_t r = decoder.DecodeForPlayback(frame, out.data(), &record, nullptr, nullptr);
    if (result != nullptr) *result = r;
    return r == kFailed ? -1 : out[0];
  }

  testsupport::TempDir dir_;
  FakeRegistry registry_;
};

std::vector<TestPacket> Group(int count, int keyEvery) {
  std::vector<TestPacket> packets;
  for (int i = 0; i < count; ++i) packets.push_back(Tagged(static_cast<uint8_t>(10 + i), i % keyEvery == 0));
  return packets;
}

TEST_F(VCMDecoderTest, NegotiatesInOrderOfPreference) {
  struct Case {
    std::vector<OutputKind> outputs;
    const char* handler;
    int32_t kind;
  };
  const Case cases[] = {
      {{OutputKind::kYv12, OutputKind::kYuy2, OutputKind::kRgb32}, "XVID", kKindYv12},
      {{OutputKind::kYuy2, OutputKind::kRgb24}, "XVID", kKindYuy2},
      {{OutputKind::kRgb24}, "XVID", kKindRgb},
      {{OutputKind::kRgb32, OutputKind::kRgb24}, "XVID", kKindRgb},
      {{OutputKind::kRgb32}, "MP43", kKindRgbToYv12},
      {{OutputKind::kRgb24}, "MP43", kKindRgb},
      {{}, "XVID", kKindUnusable},
  };
  for (const Case& c : cases) {
    FakeRegistry registry;
    const uint32_t code = riff::LoadU32(reinterpret_cast<const uint8_t*>(c.handler));
    registry.Add(FakeCodecTraits{code, 0, c.outputs, 0});
    MovieShape shape;
    shape.handler = shape.compression = code;
    auto movie = Movie(shape, Group(3, 3));
    VCMDecoder decoder(*movie, nullptr, nullptr, registry);
    EXPECT_EQ(decoder.Kind(), c.kind) << c.handler;
    // Every output up to the accepted one was asked for, in order, and no further.
    const std::vector<OutputKind>& asked = registry.Log().asked;
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked[0], OutputKind::kYv12);
    for (size_t i = 1; i < asked.size(); ++i) EXPECT_EQ(asked[i], kAll[i]);
  }
}

TEST_F(VCMDecoderTest, OpensDivxHandlersThroughXvidAndReopensByCompression) {
  AddCodec("xvid", {OutputKind::kYv12}, 0, MakeFourcc("DIVX"));
  auto movie = Movie(Shape("DIVX", "DIVX"), Group(2, 1));
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  EXPECT_EQ(decoder.Kind(), kKindYv12);
  EXPECT_EQ(registry_.Log().opened, std::vector<uint32_t>{MakeFourcc("xvid")});

  // The handler's codec refuses the format; the format's own code opens one that takes it.
  FakeRegistry registry;
  registry.Add(FakeCodecTraits{MakeFourcc("H264"), MakeFourcc("avc1"), {OutputKind::kYv12}, 0});
  registry.Add(FakeCodecTraits{MakeFourcc("FMP4"), 0, {OutputKind::kRgb32}, 0});
  auto reopened = Movie(Shape("H264", "FMP4"), Group(2, 1));
  VCMDecoder second(*reopened, nullptr, nullptr, registry);
  EXPECT_EQ(second.Kind(), kKindRgb);
  EXPECT_EQ(registry.Log().opened, (std::vector<uint32_t>{MakeFourcc("H264"), MakeFourcc("FMP4")}));
  EXPECT_EQ(registry.Log().closed, 1);
}

TEST_F(VCMDecoderTest, WithoutCodecOnlyUncompressedStreamsAreUsable) {
  auto dib = Movie(Shape("DIB ", "\0\0\0\0"), Group(1, 1));
  EXPECT_EQ(VCMDecoder(*dib, nullptr, nullptr, registry_).Kind(), kKindDib);
  // Muxers write raw RGB with no handler at all.
  MovieShape zero;
  zero.bits = 24;
  auto unnamed = Movie(zero, Group(1, 1));
  EXPECT_EQ(VCMDecoder(*unnamed, nullptr, nullptr, registry_).Kind(), kKindDib);
  auto yv12 = Movie(Shape("YV12", "YV12"), Group(1, 1));
  EXPECT_EQ(VCMDecoder(*yv12, nullptr, nullptr, registry_).Kind(), kKindRawYv12);
  auto unknown = Movie(Shape("WXYZ", "WXYZ"), Group(1, 1));
  VCMDecoder none(*unknown, nullptr, nullptr, registry_);
  EXPECT_EQ(none.Kind(), kKindUnusable);
  DecodedPicture record{1, 1, 1, 1, 1, 1};
  none.GetOutputInfo(&record);
  EXPECT_EQ(record.width, 0);
  EXPECT_EQ(record.format, 0u);
  std::vector<uint8_t> out(64);
  EXPECT_EQ(none.DecodeForPlayback(0, out.data(), &record, nullptr, nullptr), kFailed);
  EXPECT_EQ(none.DecodeConverted(0, out.data(), 64, 0, false, 0), kFailed);
  EXPECT_EQ(none.DecodeFirst(), kFailed);
}

TEST_F(VCMDecoderTest, RefusesAbsurdPictureSizes) {
  AddCodec("XVID", {OutputKind::kYv12});
  for (int32_t width : {0, -4, 1 << 15}) {
    MovieShape shape = Shape("XVID", "XVID");
    shape.width = width;
    auto movie = Movie(shape, Group(1, 1));
    EXPECT_EQ(VCMDecoder(*movie, nullptr, nullptr, registry_).Kind(), kKindUnusable) << width;
  }
  MovieShape huge = Shape("XVID", "XVID");
  huge.width = huge.height = 16000;
  auto movie = Movie(huge, Group(1, 1));
  EXPECT_EQ(VCMDecoder(*movie, nullptr, nullptr, registry_).Kind(), kKindUnusable);
}

TEST_F(VCMDecoderTest, SeekingRestartsAtKeyFramesOnlyWhenItMust) {
  AddCodec("XVID", {OutputKind::kYv12});
  // Key frames at 0, 5 and 10.
  auto movie = Movie(Shape("XVID", "XVID"), Group(15, 5));
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  const testsupport::FakeLog& log = registry_.Log();

  EXPECT_EQ(PlaybackTag(decoder, 2), 12);
  EXPECT_EQ(log.fed, (std::vector<uint8_t>{10, 11, 12}));
  // Forward inside the group: continues from 3.
  EXPECT_EQ(PlaybackTag(decoder, 4), 14);
  EXPECT_EQ(log.fed.size(), 5u);
  // Backwards between key frames: restarts at the earlier one.
  EXPECT_EQ(PlaybackTag(decoder, 3), 13);
  EXPECT_EQ(std::vector<uint8_t>(log.fed.begin() + 5, log.fed.end()), (std::vector<uint8_t>{10, 11, 12, 13}));
  // Forward past the next key frame: restarts there.
  EXPECT_EQ(PlaybackTag(decoder, 12), 22);
  EXPECT_EQ(std::vector<uint8_t>(log.fed.begin() + 9, log.fed.end()), (std::vector<uint8_t>{20, 21, 22}));
  // The same frame again decodes nothing.
  int32_t result = 0;
  PlaybackTag(decoder, 12, &result);
  EXPECT_EQ(result, kNothingDecoded);
  EXPECT_EQ(log.startsWithoutKey, 0);
  EXPECT_EQ(decoder.DecodedPackets(), 12);
  EXPECT_EQ(PlaybackTag(decoder, 15), -1);
  EXPECT_EQ(PlaybackTag(decoder, -1), -1);
}

TEST_F(VCMDecoderTest, EmptyPacketsKeepThePreviousPicture) {
  AddCodec("XVID", {OutputKind::kYv12});
  std::vector<TestPacket> packets = Group(3, 8);
  packets.push_back(TestPacket{{}, false});
  packets.push_back(TestPacket{{}, false});
  packets.push_back(Tagged(40, false));
  auto movie = Movie(Shape("XVID", "XVID"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  int32_t result = 0;
  EXPECT_EQ(PlaybackTag(decoder, 2, &result), 12);
  EXPECT_EQ(result, kDecoded);
  PlaybackTag(decoder, 4, &result);
  EXPECT_EQ(result, kNothingDecoded);
  EXPECT_EQ(PlaybackTag(decoder, 5, &result), 40);
  EXPECT_EQ(result, kDecoded);
  EXPECT_EQ(decoder.DecodeNext(), kFailed);  // past the end
}

TEST_F(VCMDecoderTest, ReorderingCodecGivesEveryPictureOnceInDisplayOrder) {
  AddCodec("H264", {OutputKind::kYv12}, 2);
  // Decode order I0 P3 B1 B2 P6 B4 B5 | I7 P9 B8; the tags are display numbers.
  const uint8_t order[] = {0, 3, 1, 2, 6, 4, 5, 7, 9, 8};
  std::vector<TestPacket> packets;
  for (uint8_t tag : order) packets.push_back(Tagged(tag, tag == 0 || tag == 7));
  auto movie = Movie(Shape("H264", "H264"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(PlaybackTag(decoder, i), i) << "sequential " << i;
  // Random seeks land on the same pictures.
  for (int i : {8, 2, 5, 9, 0, 6, 7, 1, 4, 3}) EXPECT_EQ(PlaybackTag(decoder, i), i) << "seek " << i;
  EXPECT_EQ(registry_.Log().startsWithoutKey, 0);
}

TEST_F(VCMDecoderTest, OpenGroupsShowEveryFrameAfterAnySeek) {
  AddCodec("XVID", {OutputKind::kYv12}, 1);
  // Decode order I0 P3 B1 B2 P6 B4 B5 | I9 B7 B8 P12 B10 B11: B7 and B8 are shown before the
  // key frame I9 and need P6, so a restart at I9 cannot give them.
  const uint8_t order[] = {0, 3, 1, 2, 6, 4, 5, 9, 7, 8, 12, 10, 11};
  std::vector<TestPacket> packets;
  for (uint8_t tag : order) packets.push_back(Tagged(tag, tag == 0 || tag == 9));
  auto movie = Movie(Shape("XVID", "XVID"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(PlaybackTag(decoder, i), i) << "sequential " << i;
  // Each seek is followed by playback, which must stay on its frames.
  for (int seek : {7, 12, 8, 9, 0, 10, 7, 3}) {
    for (int i = seek; i < std::min(seek + 3, 13); ++i)
      EXPECT_EQ(PlaybackTag(decoder, i), i) << "seek " << seek;
  }
  EXPECT_GT(registry_.Log().leadingDropped, 0);
  EXPECT_EQ(registry_.Log().startsWithoutKey, 0);
}

TEST_F(VCMDecoderTest, AFrameWithoutPictureWaitsOnlyABoundedWay) {
  AddCodec("XVID", {OutputKind::kYv12});
  std::vector<TestPacket> packets = {Tagged(10, true)};
  for (int i = 0; i < 200; ++i) packets.push_back(Tagged(FakeRegistry::kFailByte, false));
  auto movie = Movie(Shape("XVID", "XVID"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  ::testing::internal::CaptureStderr();
  // Frame 1 never gets a picture; frame 0's stands.
  int32_t result = 0;
  EXPECT_EQ(PlaybackTag(decoder, 1, &result), 10);
  EXPECT_EQ(result, kDecoded);
  EXPECT_LE(registry_.Log().fed.size(), 2 + static_cast<size_t>(VCMDecoder::kMaxLookahead));
  EXPECT_EQ(decoder.DecodeTimed(2), kFailed);
  const std::string said = ::testing::internal::GetCapturedStderr();
  // One line a failure, up to the limit, each naming the file and the frame.
  size_t lines = 0;
  for (size_t at = said.find("vistrel: packets.bin: frame "); at != std::string::npos;
       at = said.find("vistrel: packets.bin: frame ", at + 1)) {
    ++lines;
  }
  EXPECT_EQ(lines, static_cast<size_t>(VCMDecoder::kMaxReportedFailures)) << said;
  EXPECT_NE(said.find("frame 1: codec 'XVID': the fake codec cannot decode this packet"), std::string::npos)
      << said;
}

TEST_F(VCMDecoderTest, FailuresToOpenSayWhy) {
  struct Case {
    MovieShape shape;
    const char* reason;
  };
  MovieShape unknown = Shape("WXYZ", "WXYZ");
  MovieShape oddYv12 = Shape("YV12", "YV12");
  oddYv12.width = 15;
  MovieShape refused = Shape("XVID", "XVID");
  MovieShape palette = Shape("DIB ", "\0\0\0\0");
  palette.bits = 8;
  const Case cases[] = {
      {unknown, "no codec for 'WXYZ'"},
      {oddYv12, "raw YV12 pictures need even sides, these are 15x8"},
      {refused,
       "codec 'XVID' refused the picture format 16x8 as YV12, YUY2, 32-bit and 24-bit RGB: the fake "
       "codec refuses this output"},
      {palette, "uncompressed pictures of 8 bits a pixel are not supported"},
  };
  AddCodec("XVID", {});
  for (const Case& c : cases) {
    auto movie = Movie(c.shape, Group(1, 1));
    ::testing::internal::CaptureStderr();
    VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              std::string("vistrel: packets.bin: ") + c.reason + "\n");
  }
}

TEST_F(VCMDecoderTest, TheFirstKeyFrameIsInspectedBeforeTheOutputIsChosen) {
  AddCodec("FFV1", {OutputKind::kYv12});
  std::vector<TestPacket> packets = {TestPacket{{}, true}, Tagged(20, false), Tagged(30, true),
                                     Tagged(31, false)};
  auto movie = Movie(Shape("FFV1", "FFV1"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  EXPECT_EQ(decoder.Kind(), kKindYv12);
  EXPECT_EQ(registry_.Log().inspected, std::vector<uint8_t>{30});
  EXPECT_TRUE(registry_.Log().fed.empty());
}

TEST_F(VCMDecoderTest, CodecErrorsKeepThePictureAndAreCounted) {
  AddCodec("XVID", {OutputKind::kYv12});
  std::vector<TestPacket> packets = Group(2, 8);
  packets.push_back(Tagged(FakeRegistry::kFailByte, false));
  packets.push_back(Tagged(50, false));
  auto movie = Movie(Shape("XVID", "XVID"), packets);
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  int32_t result = 0;
  EXPECT_EQ(PlaybackTag(decoder, 2, &result), 11);
  EXPECT_EQ(result, kDecoded);
  EXPECT_EQ(decoder.FailedDecompressions(), 1);
  EXPECT_EQ(PlaybackTag(decoder, 3), 50);
  // The single-picture operations report the error.
  EXPECT_EQ(decoder.DecodeTimed(2), kFailed);
  EXPECT_EQ(decoder.DecodeTimed(3), kDecoded);
  EXPECT_GE(decoder.DecodeSeconds(), 0.0);
}

TEST_F(VCMDecoderTest, FrameCallbackSeesKeyFramesAndYv12Pictures) {
  AddCodec("XVID", {OutputKind::kYv12});
  auto movie = Movie(Shape("XVID", "XVID"), Group(6, 3));
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  std::vector<int32_t> events;
  decoder.SetFrameCallback([](void* user, int32_t event, intptr_t,
                              intptr_t) { static_cast<std::vector<int32_t>*>(user)->push_back(event); },
                           &events);
  // Frame 4 starts at the key frame 3.
  PlaybackTag(decoder, 4);
  EXPECT_EQ(events, (std::vector<int32_t>{kEventKeyFrame, kEventPicture}));
  PlaybackTag(decoder, 5);
  EXPECT_EQ(events, (std::vector<int32_t>{kEventKeyFrame, kEventPicture, kEventPicture}));
}

TEST_F(VCMDecoderTest, FieldPairsDoubleTheHeightAndAlternateTheField) {
  AddCodec("XVID", {OutputKind::kYv12});
  MovieShape shape = Shape("XVID", "XVID");
  shape.fieldMode = 1;
  auto movie = Movie(shape, Group(4, 4));
  VCMDecoder decoder(*movie, nullptr, nullptr, registry_);
  ASSERT_TRUE(decoder.FieldPairs());
  DecodedPicture info{};
  decoder.GetOutputInfo(&info);
  EXPECT_EQ(info.width, 16);
  EXPECT_EQ(info.height, 16);
  EXPECT_EQ(info.format, kFormatRgb);
  EXPECT_EQ(info.size, 16 * 16 * 4);
  std::vector<uint8_t> out(decoder.OutputSize());
  for (int32_t frame = 0; frame < 4; ++frame) {
    DecodedPicture record{};
    ASSERT_EQ(decoder.DecodeForPlayback(frame, out.data(), &record, nullptr, nullptr), kDecoded);
    EXPECT_EQ(record.field, frame % 2 == 0 ? 1 : 2) << frame;
    EXPECT_EQ(record.height, 8);
    EXPECT_EQ(record.format, kFormatYv12);
    EXPECT_EQ(record.bits, 12);
  }
}

TEST_F(VCMDecoderTest, OutputSizeFollowsTheKind) {
  AddCodec("XVID", {OutputKind::kYv12});
  AddCodec("YUY2", {OutputKind::kYuy2});
  auto yv12 = Movie(Shape("XVID", "XVID"), Group(1, 1));
  EXPECT_EQ(VCMDecoder(*yv12, nullptr, nullptr, registry_).OutputSize(), 16u / 2 * 8 * 3);
  auto yuy2 = Movie(Shape("YUY2", "YUY2"), Group(1, 1));
  EXPECT_EQ(VCMDecoder(*yuy2, nullptr, nullptr, registry_).OutputSize(), 16u * 8 * 4);
}

}  // namespace
}  // namespace video
