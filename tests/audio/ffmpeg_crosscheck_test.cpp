// AVI files made by the ffmpeg command line decode to what `ffmpeg -i f.avi -f s16le` gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>

#include "audio/ac3_gain_table.h"
#include "crosscheck_fixture.h"
#include "stream_fixture.h"

namespace {

using audiotest::AsInt16;
using audiotest::Crosscheck;
using audiotest::FfmpegOutput;
using audiotest::kSixChannelSource;
using audiotest::kStereoSource;
using audiotest::ReadAt;
using audiotest::ReadInPieces;

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

class Mp3Crosscheck : public Crosscheck, public ::testing::WithParamInterface<const char*> {};

TEST_P(Mp3Crosscheck, MatchesAndSettlesAfterAJump) {
  // Without a bit rate ffmpeg stores a byte rate of 0; LAME's frames run at 128 kbit/s then too.
  avi::AudioStream* stream = Make(kStereoSource, 44100, audiotest::Mp3Codec() + GetParam());
  ASSERT_NE(stream, nullptr);
  const bool stated = std::string(GetParam()).find("-b:a") != std::string::npos;
  EXPECT_EQ(stream->SourceFormat()->avgBytesPerSec, stated ? 16000u : 0u);
  audio::AudioDecoder* decoder = audiotest::AddDecoder(*stream);
  ASSERT_NE(decoder, nullptr);
  EXPECT_EQ(decoder->InputFormat()->avgBytesPerSec, 16000u);

  std::vector<int16_t> expected = AsInt16(Decoded("s16le"));
  const size_t frame = 1152 * 2;
  EXPECT_NEAR(static_cast<double>(stream->TotalLength()), expected.size() * 2.0, frame * 2.0);
  std::mt19937 random(23);
  std::vector<int16_t> all = AsInt16(ReadInPieces(*stream, random, 4));
  size_t common = std::min(all.size(), expected.size());
  ASSERT_GT(common + 2 * frame, expected.size());
  EXPECT_TRUE(std::equal(all.begin(), all.begin() + common, expected.begin()));

  // The frames' padding bytes keep their offsets on the exact byte rate: frame n starts at the
  // offset worked out for it, or one byte after, where the frame before ends.
  uint64_t start = 0;
  const avi::PacketTable& packets = *stream->PacketTables().Get(0);
  for (size_t n = 0; n < packets.Count(); start += packets.Size(n++)) {
    uint64_t mapped = stream->SourcePosition(n * frame * 2);
    EXPECT_TRUE(mapped == start || mapped + 1 == start)
        << "frame " << n << ": " << mapped << " for " << start;
  }

  // A jump decodes from the frame that holds the position, without the bit reservoir and the
  // filter bank history of the frames before; three frames on the decoder is back on the exact
  // samples, each in its place.
  for (int jump = 0; jump < 6; ++jump) {
    size_t sample = random() % (expected.size() - 12 * frame) / 2 * 2;
    std::vector<int16_t> got = AsInt16(ReadAt(*stream, sample * 2, 8 * frame * 2));
    ASSERT_EQ(got.size(), 8 * frame);
    size_t settled = (sample / frame + 4) * frame - sample;
    EXPECT_TRUE(std::equal(got.begin() + static_cast<ptrdiff_t>(settled), got.end(),
                           expected.begin() + static_cast<ptrdiff_t>(sample + settled)))
        << sample;
  }
}

INSTANTIATE_TEST_SUITE_P(ByteRates, Mp3Crosscheck, ::testing::Values(" -b:a 128k", ""));

struct Ac3Case {
  int channels;
  // ffmpeg writes more than two channels as an extensible format whose sub-format is AC-3;
  // otherwise the stream is patched to carry the AC-3 tag itself.
  bool extensible;
};

void PrintTo(const Ac3Case& c, std::ostream* out) {
  *out << c.channels << " channels" << (c.extensible ? ", extensible" : "");
}

class Ac3Crosscheck : public Crosscheck, public ::testing::WithParamInterface<Ac3Case> {};

TEST_P(Ac3Crosscheck, MatchesFfmpegWithTheDialogueGain) {
  const int channels = GetParam().channels;
  void (*const tagAc3)(riff::WaveFormat&) = [](riff::WaveFormat& format) { format.formatTag = 0x2000; };
  avi::AudioStream* stream = channels == 2
                                 ? Make(kStereoSource, 48000, "-c:a ac3 -b:a 192k -dialnorm -27")
                                 : Make(kSixChannelSource, 48000, "-c:a ac3 -b:a 384k -channel_layout 5.1",
                                        GetParam().extensible ? nullptr : tagAc3);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->SourceFormat()->formatTag, GetParam().extensible ? 0xFFFE : 0x2000);
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

INSTANTIATE_TEST_SUITE_P(Channels, Ac3Crosscheck,
                         ::testing::Values(Ac3Case{2, false}, Ac3Case{6, false}, Ac3Case{6, true}));

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
