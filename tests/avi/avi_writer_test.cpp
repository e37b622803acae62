// Files from the project's own writer, read back and checked against FFmpeg.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "avi/avi_file.h"
#include "avi/ffprobe_packets.h"
#include "support/temp_dir.h"
#include "avi_writer/demo_clip.h"
#include "avi_writer/synthetic_movie.h"
#include "riff/fourcc.h"

namespace {

using riff::MakeFourcc;

std::unique_ptr<avi::Movie> ParseFile(const std::string& path) {
  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  if (!reader.Probe(view)) return nullptr;
  return reader.Parse(view);
}

void ExpectTable(const avi::PacketTable& table, const std::vector<avi::PacketEntry>& written) {
  ASSERT_EQ(table.Count(), written.size());
  for (size_t j = 0; j < written.size(); ++j) {
    ASSERT_EQ(table[j].offset, written[j].offset) << j;
    ASSERT_EQ(table.Size(j), written[j].size) << j;
  }
}

void ExpectProbeMatches(const std::string& path, const std::vector<avi::PacketEntry>& written, int stream,
                        bool keys = true) {
  avitest::ProbeResult probe;
  ASSERT_TRUE(avitest::Probe(path, probe));
  const auto& packets = probe.packets[stream];
  ASSERT_EQ(packets.size(), written.size());
  for (size_t j = 0; j < written.size(); ++j) {
    ASSERT_EQ(packets[j].pos, written[j].offset) << j;
    ASSERT_EQ(packets[j].size, written[j].size & ~avi::kNotKeyFrame) << j;
    if (keys) {
      ASSERT_EQ(packets[j].key, !(written[j].size & avi::kNotKeyFrame)) << j;
    }
  }
}

TEST(AviWriter, OpenDmlBeyondOneGigabyteShowsEveryAvixPacket) {
  testsupport::TempDir dir;
  std::string path = dir.File("big.avi");
  aviwriter::SyntheticMovie movie;
  movie.seconds = 120;
  movie.keyFrameBytes = 500000;
  movie.frameBytes = 400000;
  aviwriter::WriterOptions options;
  options.openDml = true;
  options.sparse = true;
  options.riffLimit = uint64_t{300} << 20;
  std::vector<std::vector<avi::PacketEntry>> written;
  ASSERT_TRUE(aviwriter::WriteSyntheticMovie(path, movie, options, &written));

  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_GT(static_cast<uint64_t>(info.st_size), uint64_t{1} << 30);
  // Headers and indexes only: the packet data are holes.
  EXPECT_LT(static_cast<uint64_t>(info.st_blocks) * 512, uint64_t{16} << 20);

  auto parsed = ParseFile(path);
  ASSERT_NE(parsed, nullptr);
  ASSERT_EQ(written.size(), 2u);
  // Packets in the AVIX RIFFs lie past 1 GiB; the tables come from the super indexes alone
  // although the first RIFF also has an idx1.
  EXPECT_GT(written[0].back().offset, uint64_t{1} << 30);
  ExpectTable(*parsed->VideoTable(), written[0]);
  ASSERT_EQ(parsed->audioStreams.Count(), 1u);
  ExpectTable(*parsed->audioStreams.Get(0)->PacketTables().Get(0), written[1]);
  ExpectProbeMatches(path, written[0], 0);
}

TEST(AviWriter, ClassicFileWithEmptyPacketsAndOwnChunks) {
  testsupport::TempDir dir;
  std::string path = dir.File("classic.avi");
  aviwriter::StreamDescription video;
  video.header.fccType = MakeFourcc("vids");
  video.header.fccHandler = MakeFourcc("DIB ");
  video.header.scale = 1;
  video.header.rate = 10;
  // 8 × 4, large enough for the crop below to leave a picture.
  video.format = {40, 0, 0, 0, 8, 0, 0, 0, 4, 0, 0, 0, 1, 0, 24, 0};
  video.format.resize(40, 0);
  video.name = "odd";  // an odd strn body, padded
  video.extraChunks = {{MakeFourcc("strc"), {2, 1, 0}},
                       {MakeFourcc("vpar"), {1, 0, 2, 0, 3, 0, 4, 0, 4, 0, 3, 0}}};
  aviwriter::WriterOptions options;
  options.chapters = {{0, "One", {}}, {5, {}, u"Zw\u00F6"}};
  aviwriter::AviWriter writer;
  ASSERT_TRUE(writer.Open(path, {video}, options));
  uint8_t picture[96] = {};
  for (int i = 0; i < 6; ++i) {
    // Frame 2 is empty: it repeats the previous picture.
    ASSERT_TRUE(writer.WritePacket(0, picture, i == 2 ? 0 : sizeof picture, i % 3 == 0));
  }
  ASSERT_TRUE(writer.Close());

  auto parsed = ParseFile(path);
  ASSERT_NE(parsed, nullptr);
  ExpectTable(*parsed->VideoTable(), writer.Packets()[0]);
  EXPECT_EQ(parsed->name, "odd");
  EXPECT_EQ(parsed->colourInfo, (std::array<uint8_t, 4>{2, 1, 0, 0}));
  EXPECT_EQ(parsed->videoParams, (std::array<int32_t, 6>{1, 2, 3, 4, 4, 3}));
  ASSERT_TRUE(parsed->chapters);
  EXPECT_EQ(parsed->chapters->Frame(1), 5u);
  EXPECT_EQ(parsed->chapters->Title8(0), "One");
  EXPECT_EQ(parsed->chapters->Title16(1), u"Zw\u00F6");

  // FFmpeg drops the empty packet; the others are where we put them. It takes every
  // uncompressed picture for a key frame, so the flags are not compared here.
  std::vector<avi::PacketEntry> nonEmpty;
  for (const avi::PacketEntry& p : writer.Packets()[0]) {
    if (p.size & ~avi::kNotKeyFrame) nonEmpty.push_back(p);
  }
  ExpectProbeMatches(path, nonEmpty, 0, false);
}

TEST(AviWriter, DemoClipIsWhatThePlayerAndFfmpegExpect) {
  testsupport::TempDir dir;
  std::string path = dir.File("demo.avi");
  ASSERT_TRUE(aviwriter::WriteDemoClip(path));
  std::string streams;
  ASSERT_TRUE(
      avitest::RunCommand("ffprobe -v error -show_entries stream=codec_type,codec_name,width,height,"
                          "r_frame_rate,sample_rate,channels,sample_fmt -of csv=p=0 '" +
                              path + "'",
                          &streams));
  EXPECT_NE(streams.find("rawvideo,video,640,360,25/1"), std::string::npos) << streams;
  EXPECT_NE(streams.find("pcm_s16le,audio,s16,44100,2"), std::string::npos) << streams;
  // FFmpeg decodes every picture.
  std::string frames;
  ASSERT_TRUE(avitest::RunCommand(
      "ffprobe -v error -count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0 '" +
          path + "'",
      &frames));
  EXPECT_EQ(std::stoi(frames), 250);

  auto parsed = ParseFile(path);
  ASSERT_NE(parsed, nullptr);
  EXPECT_EQ(parsed->VideoTable()->Count(), 250u);
  EXPECT_EQ(parsed->Bitmap().compression, MakeFourcc("YV12"));
  EXPECT_EQ(parsed->colourInfo[0], 1);
  ASSERT_TRUE(parsed->chapters);
  ASSERT_EQ(parsed->chapters->Count(), 3u);
  EXPECT_TRUE(parsed->chapters->TitleIsWide(1));
  ASSERT_EQ(parsed->audioStreams.Count(), 1u);
  EXPECT_EQ(parsed->audioStreams.Get(0)->TotalLength(), 441000u * 4);
}

}  // namespace
