#include "avi/audio_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "support/temp_dir.h"
#include "support/wave_format_builder.h"

namespace {

using avi::AudioStream;
using avi::FileView;
using avi::PacketTable;
using riff::WaveFormat;
using testsupport::WaveFormatBytes;

WaveFormat Pcm16Stereo() { return WaveFormat{1, 2, 44100, 176400, 4, 16, 0}; }

class AudioStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes(256);
    std::iota(bytes.begin(), bytes.end(), uint8_t{0});
    view_ = FileView::Open(dir_.Write("data.bin", bytes));
  }

  // Packets of the given sizes laid out at the given offsets of the counting file.
  std::shared_ptr<AudioStream> Stream(const std::vector<std::pair<uint64_t, uint32_t>>& packets,
                                      const WaveFormat& format = Pcm16Stereo()) {
    auto table = std::make_unique<PacketTable>(view_);
    for (auto [offset, size] : packets) table->Append(offset, size);
    return std::make_shared<AudioStream>(WaveFormatBytes(format), std::move(table), std::string("s"), 0);
  }

  testsupport::TempDir dir_;
  FileView view_;
};

TEST_F(AudioStreamTest, RawReadsJoinPacketsAndSkipWholeOnes) {
  auto stream = Stream({{10, 4}, {100, 3}, {200, 5}});
  EXPECT_EQ(stream->TotalLength(), 12u);
  uint8_t out[16] = {};
  // Spanning all three packets with no gaps.
  ASSERT_EQ(stream->Read(2, 16, out), 10u);
  const uint8_t expected[] = {12, 13, 100, 101, 102, 200, 201, 202, 203, 204};
  EXPECT_EQ(0, std::memcmp(out, expected, sizeof expected));
  // A position exactly at a packet boundary starts at the next packet.
  ASSERT_EQ(stream->Read(4, 1, out), 1u);
  EXPECT_EQ(out[0], 100);
  ASSERT_EQ(stream->Read(7, 2, out), 2u);
  EXPECT_EQ(out[0], 200);
  EXPECT_EQ(stream->Read(12, 4, out), 0u);
}

TEST_F(AudioStreamTest, ShortPacketReadGoesOnWithTheNextPacket) {
  // The middle packet claims bytes past the end of the file.
  auto stream = Stream({{0, 2}, {254, 10}, {20, 2}});
  uint8_t out[16] = {};
  ASSERT_EQ(stream->Read(0, 14, out), 6u);
  const uint8_t expected[] = {0, 1, 254, 255, 20, 21};
  EXPECT_EQ(0, std::memcmp(out, expected, sizeof expected));
}

TEST_F(AudioStreamTest, FormatIsNormalisedToWhatIsThere) {
  auto table = std::make_unique<PacketTable>(view_);
  WaveFormat claims{0x2000, 2, 48000, 24000, 1536, 0, 200};
  AudioStream stream(WaveFormatBytes(claims, {1, 2, 3}), std::move(table), std::string(), 0);
  EXPECT_EQ(stream.SourceFormat()->cbSize, 3);
  EXPECT_EQ(stream.SourceFormatSize(), 21u);

  AudioStream tiny(std::vector<uint8_t>{1, 0}, std::make_unique<PacketTable>(view_), std::string(), 0);
  EXPECT_EQ(tiny.SourceFormat()->formatTag, 1);
  EXPECT_EQ(tiny.SourceFormat()->avgBytesPerSec, 0u);
  EXPECT_EQ(tiny.SourceFormat()->cbSize, 0);
}

// A stage that doubles every input byte, reading its input through the chain.
class DoublingStage : public avi::IAudioFilter {
 public:
  explicit DoublingStage(const WaveFormat& input, bool failed = false) : input_(input), failed_(failed) {
    output_ = input;
    output_.avgBytesPerSec *= 2;
    output_.blockAlign *= 2;
  }
  int Kind() const override { return 1; }
  bool Failed() const override { return failed_; }
  const WaveFormat* InputFormat() const override { return &input_; }
  const WaveFormat* OutputFormat() const override { return &output_; }
  uint32_t Read(int stage, avi::ChainCallback callback, avi::AudioStream* stream, int64_t position,
                uint32_t count, uint8_t* destination) override {
    std::vector<uint8_t> input(count / 2);
    auto got = static_cast<uint32_t>(
        callback(stage, avi::kChainRead, stream, static_cast<intptr_t>(position / 2), 0,
                 static_cast<intptr_t>(input.size()), reinterpret_cast<intptr_t>(input.data())));
    for (uint32_t i = 0; i < got; ++i) destination[2 * i] = destination[2 * i + 1] = input[i];
    position_ = position + 2 * got;
    return 2 * got;
  }
  int64_t Position() const override { return position_; }

 private:
  WaveFormat input_;
  WaveFormat output_;
  bool failed_;
  int64_t position_ = 0;
};

TEST_F(AudioStreamTest, ChainStagesReadThroughEachOther) {
  auto stream = Stream({{10, 4}, {100, 4}});
  EXPECT_EQ(stream->AddStage(std::make_unique<DoublingStage>(Pcm16Stereo(), true)), 1);
  EXPECT_EQ(stream->StageCount(), 0u);
  EXPECT_EQ(stream->RemoveLastStage(), 1);

  ASSERT_EQ(stream->AddStage(std::make_unique<DoublingStage>(Pcm16Stereo())), 0);
  ASSERT_EQ(stream->AddStage(std::make_unique<DoublingStage>(*stream->OutputFormat())), 0);
  uint32_t outputRate = stream->OutputFormat()->avgBytesPerSec;  // packed: read by value
  EXPECT_EQ(outputRate, 4 * 176400u);
  EXPECT_EQ(stream->TotalLength(), 32u);

  uint8_t out[8] = {};
  ASSERT_EQ(stream->Read(12, 8, out), 8u);
  const uint8_t expected[] = {13, 13, 13, 13, 100, 100, 100, 100};
  EXPECT_EQ(0, std::memcmp(out, expected, sizeof expected));
  EXPECT_EQ(stream->DecodedPosition(), 20);

  // Total length as each stage sees it: the stream's total, scaled by the stages before it.
  uint64_t total = 0;
  EXPECT_EQ(AudioStream::ChainCallback(0, avi::kChainTotalLength, stream.get(),
                                       reinterpret_cast<intptr_t>(&total), 0, 0, 0),
            1);
  EXPECT_EQ(total, 32u);
  AudioStream::ChainCallback(1, avi::kChainTotalLength, stream.get(), reinterpret_cast<intptr_t>(&total), 0,
                             0, 0);
  EXPECT_EQ(total, 64u);

  uint32_t packets = 0;
  EXPECT_EQ(AudioStream::ChainCallback(0, avi::kChainPacketCount, stream.get(),
                                       reinterpret_cast<intptr_t>(&packets), 0, 0, 0),
            0);
  EXPECT_EQ(packets, 2u);
  AudioStream::ChainCallback(1, avi::kChainPacketCount, stream.get(), reinterpret_cast<intptr_t>(&packets), 0,
                             0, 0);
  EXPECT_EQ(packets, 1u);

  uint32_t shortTotal = 7;
  AudioStream::ChainCallback(0, avi::kChainTotalLengthShort, stream.get(), 0,
                             reinterpret_cast<intptr_t>(&shortTotal), 0, 0);
  EXPECT_EQ(shortTotal, 32u);
  AudioStream::ChainCallback(1, avi::kChainTotalLengthShort, stream.get(), 0,
                             reinterpret_cast<intptr_t>(&shortTotal), 0, 0);
  EXPECT_EQ(shortTotal, 0u);

  EXPECT_EQ(AudioStream::ChainCallback(0, 2, stream.get(), 0, 0, 0, 0), 0);

  EXPECT_EQ(stream->RemoveLastStage(), 0);
  EXPECT_EQ(stream->RemoveLastStage(), 0);
  EXPECT_EQ(stream->TotalLength(), 8u);
  EXPECT_EQ(stream->DecodedPosition(), 0);
}

TEST_F(AudioStreamTest, Mp3PositionsMapToWholeFrames) {
  // 128 kbit/s at 44100 Hz: frames of 417 or 418 bytes, 417.96 on average.
  WaveFormat mp3{riff::kWaveFormatMpegLayer3, 2, 44100, 16000, 1, 0, 0};
  auto stream = Stream({{0, 400}, {0, 500}, {0, 600}}, mp3);
  const uint64_t frameOutput = 1152 * 2 * 2;
  auto exact = [](uint64_t frames) { return frames * 1152 * 16000 / 44100; };
  EXPECT_EQ(stream->SourcePosition(3 * frameOutput), exact(3));
  uint64_t start = 0;
  EXPECT_EQ(stream->SourcePosition(3 * frameOutput - 1, &start), exact(2));
  EXPECT_EQ(start, 2 * frameOutput);
  // Five minutes in: a whole frame size of 417 bytes would land 11 015 bytes (0.69 s) early.
  const uint64_t fiveMinutes = 300 * 44100 / 1152;
  EXPECT_EQ(stream->SourcePosition(fiveMinutes * frameOutput), 4799843u);
  EXPECT_EQ(exact(fiveMinutes) - fiveMinutes * 417, 11015u);

  uint64_t output = 2 * frameOutput + 100;
  uint64_t from = 0;
  EXPECT_EQ(AudioStream::ChainCallback(0, avi::kChainSourcePosition, stream.get(),
                                       reinterpret_cast<intptr_t>(&output), reinterpret_cast<intptr_t>(&from),
                                       0, 0),
            static_cast<int64_t>(exact(2)));
  EXPECT_EQ(from, 2 * frameOutput);

  // MPEG-2 rates carry 576 samples a frame: 64 kbit/s at 22050 Hz.
  WaveFormat low{riff::kWaveFormatMpegLayer3, 1, 22050, 8000, 1, 0, 0};
  EXPECT_EQ(Stream({{0, 400}}, low)->SourcePosition(10 * 576 * 2), 10u * 576 * 8000 / 22050);

  // A variable rate sums the sizes of the packets before the frame.
  WaveFormat vbr = mp3;
  vbr.avgBytesPerSec = 16001;
  auto variable = Stream({{0, 400}, {0, 500}, {0, 600}}, vbr);
  EXPECT_EQ(variable->SourcePosition(2 * frameOutput), 900u);
  EXPECT_EQ(variable->SourcePosition(10 * frameOutput), 1500u);

  // A constant rate whose frame offsets take more than 32 bits to work out: 4 MB/s.
  WaveFormat fast = mp3;
  fast.avgBytesPerSec = 4000000;
  EXPECT_EQ(Stream({{0, 400}}, fast)->SourcePosition(2 * frameOutput), uint64_t{2} * 1152 * 4000000 / 44100);
}

// A decoding stage that holds its input format with extra bytes, as a real decoder does.
class BlockStage : public DoublingStage {
 public:
  BlockStage(std::vector<uint8_t> input, const WaveFormat& output)
      : DoublingStage(*reinterpret_cast<const WaveFormat*>(input.data())),
        bytes_(std::move(input)),
        out_(output) {}
  const WaveFormat* InputFormat() const override {
    return reinterpret_cast<const WaveFormat*>(bytes_.data());
  }
  const WaveFormat* OutputFormat() const override { return &out_; }

 private:
  std::vector<uint8_t> bytes_;
  WaveFormat out_;
};

TEST_F(AudioStreamTest, AdpcmBlocksOfKnownSamplesMapExactlyWhateverTheByteRate) {
  // Microsoft ADPCM, mono, 1024-byte blocks of 2036 samples, with the nominal byte rate
  // muxers write: block counts, not the byte rate, place every position.
  WaveFormat adpcm{0x0002, 1, 48000, 16000, 1024, 4, 2};
  const std::vector<uint8_t> extension = {0xF4, 0x07};
  auto table = std::make_unique<PacketTable>(view_);
  for (int j = 0; j < 10; ++j) table->Append(0, 1024);
  auto stream =
      std::make_shared<AudioStream>(WaveFormatBytes(adpcm, extension), std::move(table), std::string("s"), 0);
  WaveFormat decoded{1, 1, 48000, 96000, 2, 16, 0};
  ASSERT_EQ(stream->AddStage(std::make_unique<BlockStage>(WaveFormatBytes(adpcm, extension), decoded)), 0);

  EXPECT_EQ(stream->TotalLength(), 10u * 2036 * 2);
  uint64_t start = 0;
  EXPECT_EQ(stream->SourcePosition((3 * 2036 + 500) * 2, &start), 3u * 1024);
  EXPECT_EQ(start, 3u * 2036 * 2);
  EXPECT_EQ(stream->SourcePosition(2036 * 2 - 2, &start), 0u);
  EXPECT_EQ(start, 0u);
}

TEST_F(AudioStreamTest, OtherFormatsMapByByteRatesToWholeBlocks) {
  WaveFormat adpcm{0x2080, 2, 44100, 50400, 36, 4, 0};
  auto stream = Stream({{0, 100}}, adpcm);
  // No stages: output bytes are source bytes, rounded down to a block.
  EXPECT_EQ(stream->SourcePosition(130), 108u);
  WaveFormat decoded{1, 2, 44100, 44100 * 16, 16, 64, 0};
  struct FixedStage : DoublingStage {
    FixedStage(const WaveFormat& in, const WaveFormat& out) : DoublingStage(in), out_(out) {}
    const WaveFormat* OutputFormat() const override { return &out_; }
    WaveFormat out_;
  };
  ASSERT_EQ(stream->AddStage(std::make_unique<FixedStage>(adpcm, decoded)), 0);
  // One second of output is one second of source; decoding from there starts at that second.
  uint64_t start = 0;
  EXPECT_EQ(stream->SourcePosition(44100 * 16), 50400u);
  EXPECT_EQ(stream->SourcePosition(44100 * 16 + 100, &start), 50400u);
  EXPECT_EQ(start, 44100u * 16);
}

TEST_F(AudioStreamTest, PacketsAreReadWholeByIndex) {
  auto stream = Stream({{10, 4}, {100, 3}});
  EXPECT_EQ(stream->PacketCount(), 2u);
  uint8_t out[8] = {};
  uint32_t size = 0;
  auto read = [&](int stage, intptr_t index, intptr_t count) {
    return AudioStream::ChainCallback(stage, avi::kChainReadPacket, stream.get(), index,
                                      reinterpret_cast<intptr_t>(&size), count,
                                      reinterpret_cast<intptr_t>(out));
  };
  ASSERT_EQ(read(0, 1, 8), 3);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(out[0], 100);
  // A short destination takes the packet's start; the size says how much more there is.
  ASSERT_EQ(read(0, 0, 2), 2);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(out[1], 11);
  EXPECT_EQ(read(0, 2, 8), -1);
  EXPECT_EQ(read(1, 0, 8), -1);
}

}  // namespace
