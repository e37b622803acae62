#include "avi/audio_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "support/temp_dir.h"

namespace {

using avi::AudioStream;
using avi::FileView;
using avi::PacketTable;
using riff::WaveFormat;

std::vector<uint8_t> FormatBytes(const WaveFormat& format, std::vector<uint8_t> extra = {}) {
  std::vector<uint8_t> bytes(sizeof format + extra.size());
  std::memcpy(bytes.data(), &format, sizeof format);
  if (!extra.empty()) std::memcpy(bytes.data() + sizeof format, extra.data(), extra.size());
  return bytes;
}

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
    return std::make_shared<AudioStream>(FormatBytes(format), std::move(table), std::string("s"), 0);
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
  AudioStream stream(FormatBytes(claims, {1, 2, 3}), std::move(table), std::string(), 0);
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
  // 128 kbit/s at 44100 Hz: 417 bytes a frame.
  WaveFormat mp3{riff::kWaveFormatMpegLayer3, 2, 44100, 16000, 1, 0, 0};
  auto stream = Stream({{0, 400}, {0, 500}, {0, 600}}, mp3);
  uint64_t frameOutput = 1152 * 2 * 2;
  EXPECT_EQ(stream->SourcePosition(3 * frameOutput), 3u * 417u);
  EXPECT_EQ(stream->SourcePosition(3 * frameOutput - 1), 2u * 417u);

  uint64_t output = 2 * frameOutput;
  uint64_t source = 0;
  EXPECT_EQ(AudioStream::ChainCallback(0, avi::kChainSourcePosition, stream.get(),
                                       reinterpret_cast<intptr_t>(&output),
                                       reinterpret_cast<intptr_t>(&source), 0, 0),
            2 * 417);
  EXPECT_EQ(source, output);

  // A variable rate sums the sizes of the packets before the frame.
  WaveFormat vbr = mp3;
  vbr.avgBytesPerSec = 16001;
  auto variable = Stream({{0, 400}, {0, 500}, {0, 600}}, vbr);
  EXPECT_EQ(variable->SourcePosition(2 * frameOutput), 900u);
  EXPECT_EQ(variable->SourcePosition(10 * frameOutput), 1500u);

  // A constant rate whose frame size takes more than 32 bits to work out: 4 MB/s at 44.1 kHz
  // makes frames of 104 489 bytes.
  WaveFormat fast = mp3;
  fast.avgBytesPerSec = 4000000;
  auto quick = Stream({{0, 400}}, fast);
  EXPECT_EQ(quick->SourcePosition(2 * frameOutput), 2u * 104489u);
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
  // One second of output is one second of source.
  EXPECT_EQ(stream->SourcePosition(44100 * 16), 50400u);
  EXPECT_EQ(stream->SourcePosition(44100 * 16 + 100), 50400u);
}

}  // namespace
