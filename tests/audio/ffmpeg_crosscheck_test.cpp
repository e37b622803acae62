// AVI files made by the ffmpeg command line decode to what `ffmpeg -i f.avi -f s16le` gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "audio/ac3_gain_table.h"
#include "stream_fixture.h"

namespace {

using audiotest::AsInt16;
using audiotest::FfmpegOutput;

constexpr const char* kStereoSource =
    "aevalsrc=0.4*sin(2*PI*440*t)+0.2*sin(2*PI*1234*t)+0.05*random(0)|0.3*sin(2*PI*660*t)+0.1*random(1)";
constexpr const char* kSixChannelSource =
    "aevalsrc=0.05*sin(2*PI*440*t)|0.05*sin(2*PI*550*t)|0.05*sin(2*PI*660*t)|0.05*sin(2*PI*70*t)"
    "|0.05*sin(2*PI*880*t)|0.04*random(0)";

class Crosscheck : public ::testing::Test {
 protected:
  // Makes f.avi with a small video stream and the given audio; returns its audio stream.
  avi::AudioStream* Make(const std::string& source, int rate, const std::string& codec,
                         void (*patch)(riff::WaveFormat&) = nullptr) {
    file_ = dir_.File("f" + std::to_string(count_++) + ".avi");
    bool made = audiotest::RunFfmpeg("-f lavfi -i color=s=16x16:r=10:d=3 -f lavfi -i \"" + source + ":s=" +
                                     std::to_string(rate) + ":d=3\" -c:v mjpeg " + codec + " " + file_);
    EXPECT_TRUE(made);
    if (patch) {
      EXPECT_TRUE(audiotest::PatchAudioFormat(file_, patch));
    }
    movie_ = audiotest::OpenMovie(file_);
    if (!movie_ || movie_->audioStreams.Count() != 1) return nullptr;
    return movie_->audioStreams.Get(0);
  }
  std::vector<uint8_t> Decoded(const std::string& format) {
    return FfmpegOutput("-i " + file_ + " -f " + format + " -");
  }

  testsupport::TempDir dir_;
  std::string file_;
  int count_ = 0;
  std::unique_ptr<avi::Movie> movie_;
};

// Pieces of awkward sizes, read back to back.
std::vector<uint8_t> ReadInPieces(avi::AudioStream& stream, std::mt19937& random, uint32_t align) {
  std::vector<uint8_t> all;
  std::vector<uint8_t> buffer(300000);
  for (;;) {
    uint32_t piece = static_cast<uint32_t>(1 + random() % buffer.size()) / align * align + align;
    uint32_t got = stream.Read(all.size(), std::min<uint32_t>(piece, buffer.size()), buffer.data());
    if (got == 0) break;
    all.insert(all.end(), buffer.begin(), buffer.begin() + got);
  }
  return all;
}

std::vector<uint8_t> ReadAt(avi::AudioStream& stream, uint64_t position, uint32_t count) {
  std::vector<uint8_t> out(count);
  out.resize(stream.Read(position, count, out.data()));
  return out;
}

TEST_F(Crosscheck, PcmTopBitsAreTheSourceSamples) {
  struct Case {
    const char* codec;
    const char* raw;
    int bytes;
  };
  const Case cases[] = {
      {"pcm_u8", "u8", 1}, {"pcm_s16le", "s16le", 2}, {"pcm_s24le", "s24le", 3}, {"pcm_s32le", "s32le", 4}};
  std::mt19937 random(21);
  // ffmpeg writes samples wider than 16 bits as an extensible format; here they are plain PCM.
  auto plain = [](riff::WaveFormat& format) { format.formatTag = 1; };
  for (const Case& c : cases) {
    avi::AudioStream* stream = Make(kStereoSource, 44100, std::string("-c:a ") + c.codec, plain);
    ASSERT_NE(stream, nullptr) << c.codec;
    ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
    std::vector<uint8_t> source = Decoded(c.raw);
    ASSERT_GT(source.size(), 100000u);
    auto check = [&](const std::vector<uint8_t>& wide, uint64_t firstSample) {
      for (size_t i = 0; i < wide.size() / 8; ++i) {
        const uint8_t* top = wide.data() + i * 8 + 8 - c.bytes;
        const uint8_t* expected = source.data() + (firstSample + i) * c.bytes;
        uint8_t sample[4];
        std::memcpy(sample, expected, c.bytes);
        if (c.bytes == 1) sample[0] ^= 0x80;  // unsigned source, signed top byte
        ASSERT_EQ(0, std::memcmp(top, sample, c.bytes)) << c.codec << " sample " << firstSample + i;
      }
    };
    std::vector<uint8_t> all = ReadInPieces(*stream, random, 16);
    ASSERT_EQ(all.size() / 8, source.size() / c.bytes) << c.codec;
    check(all, 0);
    for (int jump = 0; jump < 5; ++jump) {
      uint64_t sample = random() % (source.size() / c.bytes / 2) & ~uint64_t{1};
      check(ReadAt(*stream, sample * 8, 4000 * 8), sample);
    }
  }
}

TEST_F(Crosscheck, ExtensiblePcmGoesThroughTheCompressionLayer) {
  avi::AudioStream* stream = Make(kStereoSource, 44100, "-c:a pcm_s24le");
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(stream->SourceFormat()->formatTag, 0xFFFE);
  ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
  EXPECT_EQ(stream->OutputFormat()->bitsPerSample, 16);
  std::mt19937 random(25);
  EXPECT_EQ(ReadInPieces(*stream, random, 4), Decoded("s16le"));
}

TEST_F(Crosscheck, MsAdpcmMatchesExactlyWhateverByteRateTheStreamStates) {
  // ffmpeg writes a nominal byte rate (16000 for 44.1 kHz stereo) that its blocks do not have;
  // the blocks' sample count places every position, so the true rate gives the same.
  void (*const rates[])(riff::WaveFormat&) = {
      nullptr, [](riff::WaveFormat& format) { format.avgBytesPerSec = 44100 * 1024 / 1012; }};
  for (auto rate : rates) {
    avi::AudioStream* stream = Make(kStereoSource, 44100, "-c:a adpcm_ms", rate);
    ASSERT_NE(stream, nullptr);
    if (!rate) {
      EXPECT_EQ(stream->SourceFormat()->avgBytesPerSec, 16000u);
    }
    ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
    std::vector<int16_t> expected = AsInt16(Decoded("s16le"));
    EXPECT_EQ(stream->TotalLength(), expected.size() * 2);
    std::mt19937 random(22);
    EXPECT_TRUE(AsInt16(ReadInPieces(*stream, random, 4)) == expected);

    // A jump decodes the block that holds the position and starts at the very sample.
    for (int jump = 0; jump < 6; ++jump) {
      uint64_t sample = random() % (expected.size() / 2 - 10000) * 2;
      std::vector<int16_t> got = AsInt16(ReadAt(*stream, sample * 2, 20000));
      ASSERT_EQ(got.size(), 10000u);
      EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin() + static_cast<ptrdiff_t>(sample)))
          << sample;
    }
  }
}

TEST_F(Crosscheck, Mp3MatchesAndSettlesAfterAJump) {
  avi::AudioStream* stream = Make(kStereoSource, 44100, "-c:a libmp3lame -b:a 128k");
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
  std::vector<int16_t> expected = AsInt16(Decoded("s16le"));
  std::mt19937 random(23);
  std::vector<int16_t> all = AsInt16(ReadInPieces(*stream, random, 4));
  size_t common = std::min(all.size(), expected.size());
  ASSERT_GT(common + 2 * 1152 * 2, expected.size());
  EXPECT_TRUE(std::equal(all.begin(), all.begin() + common, expected.begin()));

  // A jump to frame n starts decoding at frame n without the bit reservoir and the filter bank
  // history of the frames before; three frames later the decoder is back on the exact samples.
  const size_t frame = 1152 * 2;
  for (size_t n : {10u, 37u, 80u}) {
    std::vector<int16_t> got = AsInt16(ReadAt(*stream, n * frame * 2, 8 * frame * 2));
    ASSERT_EQ(got.size(), 8 * frame);
    EXPECT_TRUE(std::equal(got.begin() + 3 * frame, got.end(), expected.begin() + (n + 3) * frame)) << n;
  }
}

class Ac3Crosscheck : public Crosscheck, public ::testing::WithParamInterface<int> {};

TEST_P(Ac3Crosscheck, MatchesFfmpegWithTheDialogueGain) {
  int channels = GetParam();
  avi::AudioStream* stream =
      channels == 2 ? Make(kStereoSource, 48000, "-c:a ac3 -b:a 192k -dialnorm -27")
                    // ffmpeg writes more than two channels as an extensible format; AC-3 proper has its tag.
                    : Make(kSixChannelSource, 48000, "-c:a ac3 -b:a 384k -channel_layout 5.1",
                           [](riff::WaveFormat& format) { format.formatTag = 0x2000; });
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(audiotest::AddDecoder(*stream), nullptr);
  ASSERT_EQ(stream->OutputFormat()->channels, channels);

  // The same table applied to FFmpeg's samples.
  std::vector<uint8_t> frame(64);
  ASSERT_EQ(stream->ReadRaw(0, 64, frame.data()), 64u);
  audio::Ac3GainTable table;
  ASSERT_TRUE(table.Build(frame.data(), frame.size()));
  std::vector<uint8_t> raw = Decoded("s16le");
  table.Apply(raw.data(), raw.size() / 2);
  std::vector<int16_t> expected = AsInt16(raw);

  std::mt19937 random(24);
  std::vector<int16_t> all = AsInt16(ReadInPieces(*stream, random, 2 * channels));
  ASSERT_EQ(all.size(), expected.size());
  EXPECT_TRUE(all == expected);

  // Any position maps to its own frame. Decoding a frame depends on the frames before it (the
  // overlap of its first block and the dither of unallocated mantissas), so a fresh decoder
  // that jumps there gives what FFmpeg gives for the stream cut at that frame.
  std::string elementary = dir_.File("cut.ac3");
  ASSERT_TRUE(audiotest::RunFfmpeg("-i " + file_ + " -vn -c:a copy -f ac3 " + elementary));
  std::ifstream in(elementary, std::ios::binary);
  std::vector<uint8_t> whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const uint32_t frameBytes = stream->SourceFormat()->avgBytesPerSec * 1536 / 48000;
  const size_t frameSamples = 1536 * channels;
  for (size_t sample : {size_t{20} * frameSamples, size_t{33} * frameSamples + 900 * channels,
                        size_t{7} * frameSamples + 100 * channels}) {
    size_t index = sample / frameSamples;
    std::vector<uint8_t> cut(whole.begin() + index * frameBytes, whole.end());
    std::string cutFile = dir_.Write("cut" + std::to_string(index) + ".ac3", cut);
    std::vector<uint8_t> cutRaw = FfmpegOutput("-i " + cutFile + " -f s16le -");
    table.Apply(cutRaw.data(), cutRaw.size() / 2);
    std::vector<int16_t> cold = AsInt16(cutRaw);

    auto fresh = std::make_shared<avi::AudioStream>(
        std::vector<uint8_t>(
            reinterpret_cast<const uint8_t*>(stream->SourceFormat()),
            reinterpret_cast<const uint8_t*>(stream->SourceFormat()) + stream->SourceFormatSize()),
        std::make_unique<avi::PacketTable>(*stream->PacketTables().Get(0)), std::string("jump"), 0);
    ASSERT_NE(audiotest::AddDecoder(*fresh), nullptr);
    std::vector<int16_t> got =
        AsInt16(ReadAt(*fresh, sample * 2, static_cast<uint32_t>(3 * frameSamples * 2)));
    ASSERT_EQ(got.size(), 3 * frameSamples);
    EXPECT_TRUE(std::equal(got.begin(), got.end(), cold.begin() + (sample - index * frameSamples))) << sample;
  }
}

INSTANTIATE_TEST_SUITE_P(Channels, Ac3Crosscheck, ::testing::Values(2, 6));

// Source bytes the decoder asked the chain for.
uint64_t sourceBytesAsked = 0;

int64_t CountingCallback(int stage, int kind, avi::AudioStream* stream, intptr_t first, intptr_t second,
                         intptr_t third, intptr_t fourth) {
  if (kind == avi::kChainRead) sourceBytesAsked += static_cast<uint64_t>(third);
  return avi::AudioStream::ChainCallback(stage, kind, stream, first, second, third, fourth);
}

TEST_F(Crosscheck, Ac3FramesOfAnotherRateThanTheStreamSays) {
  struct Case {
    int frameRate;
    uint32_t streamRate;
    void (*patch)(riff::WaveFormat&);
  };
  const Case cases[] = {
      {48000, 32000, [](riff::WaveFormat& format) { format.samplesPerSec = 32000; }},
      {32000, 48000, [](riff::WaveFormat& format) { format.samplesPerSec = 48000; }},
  };
  for (const Case& c : cases) {
    avi::AudioStream* stream = Make(kStereoSource, c.frameRate, "-c:a ac3 -b:a 192k", c.patch);
    ASSERT_NE(stream, nullptr);
    audio::AudioDecoder* decoder = audiotest::AddDecoder(*stream);
    ASSERT_NE(decoder, nullptr);
    const uint64_t total = stream->TotalLength();
    const uint64_t frameOutput = 4 * 1536;

    // Reads of 16 kB as the renderer makes them: each is full until the stream ends, and
    // costs the source it decodes, not the rest of the stream.
    std::vector<uint8_t> all;
    std::vector<uint8_t> buffer(16384);
    sourceBytesAsked = 0;
    for (;;) {
      uint32_t got = decoder->Read(0, &CountingCallback, stream, static_cast<int64_t>(all.size()),
                                   static_cast<uint32_t>(buffer.size()), buffer.data());
      all.insert(all.end(), buffer.begin(), buffer.begin() + got);
      if (got < buffer.size()) break;
    }
    EXPECT_NEAR(static_cast<double>(all.size()), static_cast<double>(total), frameOutput) << c.frameRate;
    const avi::PacketTable& packets = *stream->PacketTables().Get(0);
    uint64_t sourceBytes = 0;
    for (size_t j = 0; j < packets.Count(); ++j) sourceBytes += packets.Size(j);
    EXPECT_LE(sourceBytesAsked, 4 * sourceBytes) << c.frameRate;

    // What plays is the stream at its own rate, brought to the rate the stream claims by the
    // same resampler FFmpeg uses; FFmpeg also flushes the resampler's last few samples.
    std::vector<int16_t> expected =
        AsInt16(FfmpegOutput("-i " + file_ + " -ar " + std::to_string(c.streamRate) + " -f s16le -"));
    std::vector<int16_t> got = AsInt16(all);
    ASSERT_LE(got.size(), expected.size()) << c.frameRate;
    ASSERT_GT(got.size(), expected.size() - 64) << c.frameRate;
    EXPECT_TRUE(std::equal(got.begin(), got.end(), expected.begin())) << c.frameRate;
  }
}

}  // namespace
