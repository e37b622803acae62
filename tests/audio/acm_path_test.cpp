#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "stream_fixture.h"

namespace {

using audiotest::MakeStream;
using testsupport::WaveFormatBytes;

// Records the requests a stage makes and passes them on to the stream.
std::vector<std::pair<int, uint64_t>> requests;

int64_t RecordingCallback(int stage, int kind, avi::AudioStream* stream, intptr_t first, intptr_t second,
                          intptr_t third, intptr_t fourth) {
  uint64_t value = kind == avi::kChainSourcePosition ? *reinterpret_cast<const uint64_t*>(first) : 0;
  requests.emplace_back(kind, value);
  return avi::AudioStream::ChainCallback(stage, kind, stream, first, second, third, fourth);
}

class AcmPath : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string file = dir_.File("ms.avi");
    ASSERT_TRUE(
        audiotest::RunFfmpeg("-f lavfi -i color=s=16x16:r=10:d=2 -f lavfi -i sine=f=500:r=22050:d=2 "
                             "-c:v mjpeg -c:a adpcm_ms -ac 2 " +
                             file));
    movie_ = audiotest::OpenMovie(file);
    ASSERT_TRUE(movie_ && movie_->audioStreams.Count() == 1);
    stream_ = movie_->audioStreams.Get(0);
  }

  uint32_t Read(audio::AudioDecoder& decoder, int64_t position, std::vector<uint8_t>& out) {
    return decoder.Read(0, &RecordingCallback, stream_, position, static_cast<uint32_t>(out.size()),
                        out.data());
  }

  testsupport::TempDir dir_;
  std::unique_ptr<avi::Movie> movie_;
  avi::AudioStream* stream_ = nullptr;
};

TEST_F(AcmPath, NewPositionIsMappedThroughTheChainBeforeDecoding) {
  audio::AudioDecoder decoder(*stream_);
  ASSERT_FALSE(decoder.Failed());
  EXPECT_EQ(decoder.OutputFormat()->bitsPerSample, 16);
  EXPECT_EQ(decoder.OutputFormat()->channels, 2);
  std::vector<uint8_t> out(10000);
  requests.clear();
  ASSERT_EQ(Read(decoder, 0, out), out.size());
  ASSERT_EQ(Read(decoder, 10000, out), out.size());
  for (auto [kind, value] : requests) EXPECT_NE(kind, avi::kChainSourcePosition);

  requests.clear();
  ASSERT_EQ(Read(decoder, 40000, out), out.size());
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.front(), std::make_pair(int{avi::kChainSourcePosition}, uint64_t{40000}));
  EXPECT_EQ(decoder.Position(), 50000);

  // What follows the jump is what a fresh decoder gives from the mapped block.
  audio::AudioDecoder fresh(*stream_);
  std::vector<uint8_t> again(10000);
  ASSERT_EQ(Read(fresh, 40000, again), again.size());
  EXPECT_EQ(again, out);
}

TEST(AcmFormats, RefusesBrokenFormats) {
  testsupport::TempDir dir;
  const std::vector<uint8_t> refused[] = {
      WaveFormatBytes({0x0002, 0, 22050, 11155, 1024, 4, 0}),
      WaveFormatBytes({0x0002, 2, 22050, 11155, 0, 4, 0}),
      WaveFormatBytes({0x0002, 2, 0, 11155, 1024, 4, 0}),
      WaveFormatBytes({0x1234, 2, 22050, 11155, 1024, 4, 0}),
      WaveFormatBytes({0x2000, 2, 48000, 0, 1536, 0, 0}),
      WaveFormatBytes({0x2000, 2, 1, 4000000, 1536, 0, 0}),
      WaveFormatBytes({0x0055, 2, 44100, 0xFFFFFFF0, 1, 0, 0}),
      WaveFormatBytes({0xFFFE, 2, 44100, 176400, 4, 16, 60000}, std::vector<uint8_t>(10, 0)),
  };
  for (const std::vector<uint8_t>& format : refused) {
    auto stream = MakeStream(dir, format, std::vector<uint8_t>(5000, 0x55));
    audio::AudioDecoder decoder(*stream);
    EXPECT_TRUE(decoder.Failed()) << std::hex << stream->SourceFormat()->formatTag;
  }
}

TEST(AcmFormats, RefusalsSayWhyOnStderrUnderTheStreamsName) {
  testsupport::TempDir dir;
  struct Case {
    riff::WaveFormat format;
    std::vector<uint8_t> data;
    const char* line;
  };
  const Case cases[] = {
      {{0x1234, 2, 22050, 11155, 1024, 4, 0},
       {1},
       "audio format 0x1234 (unknown) refused: unknown format tag"},
      {{0x0001, 2, 44100, 705600, 16, 64, 0}, {1}, "audio format 0x0001 (PCM) refused: 64-bit samples"},
      {{0x0002, 9, 22050, 11155, 1024, 4, 0}, {1}, "audio format 0x0002 (ADPCM_MS) refused: 9 channels"},
      {{0x2081, 2, 44100, 50400, 48, 4, 0},
       {1},
       "audio format 0x2081 (filter ADPCM) refused: block align 48 is no whole number of 32-byte blocks"},
      // No bit rate stored and no frame to take it from.
      {{0x0055, 2, 44100, 0, 1, 0, 0},
       std::vector<uint8_t>(5000, 0x55),
       "audio format 0x0055 (MP3) refused: byte rate 0 and no MPEG audio frame in the first 65536 bytes"},
  };
  for (const Case& c : cases) {
    auto stream = MakeStream(dir, WaveFormatBytes(c.format), c.data);
    ::testing::internal::CaptureStderr();
    audio::AudioDecoder decoder(*stream);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), std::string("vistrel: audio: ") + c.line + "\n");
    EXPECT_TRUE(decoder.Failed());
  }
}

TEST(AcmFormats, MpegLayer3ExtensionIsRewritten) {
  testsupport::TempDir dir;
  std::vector<uint8_t> extension(12, 0);
  auto stream =
      MakeStream(dir, WaveFormatBytes({0x0055, 2, 44100, 16000, 1, 0, 12}, extension), {0xFF, 0xFB});
  audio::AudioDecoder decoder(*stream);
  ASSERT_FALSE(decoder.Failed());
  const uint8_t* kept = reinterpret_cast<const uint8_t*>(decoder.InputFormat()) + sizeof(riff::WaveFormat);
  const uint8_t expected[12] = {1, 0, 2, 0, 0, 0, 0xC0, 0x03, 1, 0, 0x71, 0x05};
  EXPECT_EQ(0, std::memcmp(kept, expected, 12));
}

TEST(AcmFormats, GarbageAndCutFramesEndReadsWithoutHanging) {
  testsupport::TempDir dir;
  std::vector<uint8_t> garbage(200000);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
  // A lone MPEG audio header promising a frame that never comes.
  std::vector<uint8_t> cut = {0xFF, 0xFB, 0x90, 0x64, 1, 2, 3};
  for (const std::vector<uint8_t>& data : {garbage, cut}) {
    auto stream = MakeStream(dir, WaveFormatBytes({0x0055, 2, 44100, 16000, 1, 0, 0}), data);
    ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
    std::vector<uint8_t> out(176400);
    stream->Read(0, static_cast<uint32_t>(out.size()), out.data());
    stream->Read(176400, static_cast<uint32_t>(out.size()), out.data());
  }
  auto ac3 = MakeStream(dir, WaveFormatBytes({0x2000, 2, 48000, 24000, 768, 0, 0}), garbage);
  ASSERT_NE(audiotest::AddDecoder(*ac3), nullptr);
  std::vector<uint8_t> out(192000);
  // Frames that decode to nothing play as silence, so every whole frame is still there.
  EXPECT_EQ(ac3->Read(0, static_cast<uint32_t>(out.size()), out.data()), out.size());
  // A byte rate that makes frames of a single byte.
  auto tiny = MakeStream(dir, WaveFormatBytes({0x2000, 2, 48000, 32, 1, 0, 0}), {0x0B, 0x77, 0x0B});
  ASSERT_NE(audiotest::AddDecoder(*tiny), nullptr);
  EXPECT_EQ(tiny->Read(0, 3 * 6144, out.data()), 3u * 6144);
}

}  // namespace
