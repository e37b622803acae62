// Files from the wild: made by FFmpeg (and the project's own OpenDML writer), then cut where
// recordings stop and downloads break off. Their packet tables are rebuilt from the data and
// hold what the intact file's index says, as far as the data goes.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "avi/avi_file.h"
#include "avi/ffprobe_packets.h"
#include "avi_writer/avi_writer.h"
#include "riff/fourcc.h"
#include "support/temp_dir.h"
#include "video/vcm_decoder.h"

namespace {

using avi::kNotKeyFrame;
using avi::PacketEntry;

using Bytes = std::vector<uint8_t>;
// Every table of a Movie: the video table, then each audio stream's.
using Tables = std::vector<std::vector<PacketEntry>>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A parse of the file, with what it said on stderr and whether it reported progress.
struct Parsed {
  std::unique_ptr<avi::Movie> movie;
  avi::FileView view;
  std::string said;
  int reports = 0;
};

Parsed ParseFile(const std::string& path) {
  Parsed parsed;
  parsed.view = avi::FileView::Open(path);
  testing::internal::CaptureStderr();
  parsed.movie = avi::AVIFile().Parse(parsed.view, {[&](double) { ++parsed.reports; }, nullptr});
  parsed.said = testing::internal::GetCapturedStderr();
  return parsed;
}

std::vector<PacketEntry> Entries(const avi::PacketTable& table) {
  return std::vector<PacketEntry>(table.Entries(), table.Entries() + table.Count());
}

Tables TablesOf(const avi::Movie& movie) {
  Tables tables{Entries(*movie.VideoTable())};
  for (size_t i = 0; i < movie.audioStreams.Count(); ++i) {
    tables.push_back(Entries(*movie.audioStreams.Get(i)->PacketTables().Get(0)));
  }
  return tables;
}

// The packets whose data lies wholly in the first `length` bytes.
Tables Within(Tables tables, uint64_t length) {
  for (auto& table : tables) {
    auto whole = [&](const PacketEntry& e) { return e.offset + (e.size & ~kNotKeyFrame) <= length; };
    table.erase(std::find_if_not(table.begin(), table.end(), whole), table.end());
  }
  return tables;
}

void ExpectSameTables(const Tables& ours, const Tables& expected) {
  ASSERT_EQ(ours.size(), expected.size());
  for (size_t t = 0; t < ours.size(); ++t) {
    SCOPED_TRACE("table " + std::to_string(t));
    ASSERT_EQ(ours[t].size(), expected[t].size());
    for (size_t j = 0; j < ours[t].size(); ++j) {
      ASSERT_EQ(ours[t][j].offset, expected[t][j].offset) << "packet " << j;
      ASSERT_EQ(ours[t][j].size, expected[t][j].size) << "packet " << j;
    }
  }
}

class WildFiles : public ::testing::TestWithParam<std::pair<const char*, std::string>> {
 protected:
  void SetUp() override {
    path_ = dir_.File("intact.avi");
    std::string command = GetParam().second;
    command.replace(command.find("OUT"), 3, "'" + path_ + "'");
    ASSERT_TRUE(avitest::RunCommand(command)) << command;
    bytes_ = ReadAll(path_);
    intact_ = ParseFile(path_);
    ASSERT_NE(intact_.movie, nullptr);
    ASSERT_GT(intact_.movie->VideoTable()->Count(), 40u);
  }
  std::string Cut(size_t length, const std::string& name) {
    const std::string path = dir_.File(name);
    WriteAll(path, Bytes(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length)));
    return path;
  }

  testsupport::TempDir dir_;
  std::string path_;
  Bytes bytes_;
  Parsed intact_;
};

TEST_P(WildFiles, AnIntactFileIsReadFromItsIndexAlone) {
  EXPECT_EQ(intact_.said, "");
  EXPECT_EQ(intact_.reports, 0);
  // The tables are ffprobe's, as for every foreign file (see the foreign files test).
  avitest::ProbeResult probe;
  ASSERT_TRUE(avitest::Probe(path_, probe));
  size_t probed = 0;
  for (const auto& [stream, packets] : probe.packets) {
    probed +=
        static_cast<size_t>(std::count_if(packets.begin(), packets.end(), [](auto& p) { return p.size; }));
  }
  size_t ours = 0;
  for (const auto& table : TablesOf(*intact_.movie)) {
    ours += static_cast<size_t>(
        std::count_if(table.begin(), table.end(), [](auto& e) { return e.size & ~kNotKeyFrame; }));
  }
  EXPECT_EQ(ours, probed);
}

TEST_P(WildFiles, WithIdx1CutOffTheTablesAreRebuiltAsTheIndexHadThem) {
  const auto idx1 = std::search(bytes_.rbegin(), bytes_.rend(), std::begin("1xdi"), std::end("1xdi") - 1);
  ASSERT_NE(idx1, bytes_.rend());
  const size_t at = static_cast<size_t>(bytes_.rend() - idx1) - 4;
  Parsed cut = ParseFile(Cut(at, "no-index.avi"));
  ASSERT_NE(cut.movie, nullptr);
  EXPECT_NE(cut.said.find("there is no idx1 index: packet tables rebuilt"), std::string::npos) << cut.said;
  // Offsets, sizes and key frames, the codec's own test standing in for the index's flags.
  ExpectSameTables(TablesOf(*cut.movie), TablesOf(*intact_.movie));
}

TEST_P(WildFiles, CutToAThirdItKeepsEveryWholePacket) {
  const size_t third = bytes_.size() / 3;
  Parsed cut = ParseFile(Cut(third, "third.avi"));
  ASSERT_NE(cut.movie, nullptr);
  const Tables expected = Within(TablesOf(*intact_.movie), third);
  ExpectSameTables(TablesOf(*cut.movie), expected);
  ASSERT_GT(expected[0].size(), 10u);

  // The same packets as ffprobe finds in the intact file up to the cut.
  avitest::ProbeResult probe;
  ASSERT_TRUE(avitest::Probe(path_, probe));
  size_t probed = 0;
  for (const auto& [stream, packets] : probe.packets) {
    for (const avitest::ProbePacket& p : packets) probed += p.size && p.pos + p.size <= third;
  }
  size_t ours = 0;
  for (const auto& table : TablesOf(*cut.movie)) {
    for (const PacketEntry& e : table) ours += (e.size & ~kNotKeyFrame) != 0;
  }
  EXPECT_EQ(ours, probed);
}

const std::string kVideo = "ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=25 ";
const std::string kTone = "-f lavfi -i sine=frequency=440:sample_rate=44100 ";

INSTANTIATE_TEST_SUITE_P(
    Codecs, WildFiles,
    ::testing::Values(
        std::make_pair("Mpeg4Pcm", kVideo + kTone + "-c:v mpeg4 -g 12 -bf 2 -c:a pcm_s16le -t 4 OUT"),
        std::make_pair("H264Mp3", kVideo + kTone + "-c:v libx264 -g 12 -c:a libmp3lame -b:a 128k -t 4 OUT"),
        std::make_pair("MjpegAc3", kVideo + kTone + "-c:v mjpeg -c:a ac3 -t 4 OUT"),
        std::make_pair("MsMpeg4v3", kVideo + "-c:v msmpeg4 -g 12 -t 4 OUT"),
        std::make_pair("MsMpeg4v2", kVideo + "-c:v msmpeg4v2 -g 12 -t 4 OUT"),
        std::make_pair("Mpeg2", kVideo + "-c:v mpeg2video -g 12 -bf 2 -t 4 OUT")),
    [](const auto& param) { return std::string(param.param.first); });

// Every frame of `movie`, decoded in order and then at random, against the same frame of
// `reference`.
void ExpectSamePictures(const avi::Movie& movie, const avi::Movie& reference) {
  video::VCMDecoder ours(movie, nullptr);
  video::VCMDecoder theirs(reference, nullptr);
  ASSERT_NE(ours.Kind(), video::kKindUnusable);
  const size_t frames = movie.VideoTable()->Count();
  Bytes a(ours.OutputSize());
  Bytes b(theirs.OutputSize());
  auto check = [&](size_t frame) {
    video::DecodedPicture record{};
    ASSERT_EQ(ours.DecodeForPlayback(static_cast<int32_t>(frame), a.data(), &record, nullptr, nullptr),
              video::kDecoded)
        << frame;
    ASSERT_EQ(theirs.DecodeForPlayback(static_cast<int32_t>(frame), b.data(), &record, nullptr, nullptr),
              video::kDecoded)
        << frame;
    EXPECT_EQ(a, b) << "frame " << frame;
  };
  for (size_t frame = 0; frame < frames; ++frame) check(frame);
  std::mt19937 random(5);
  for (int i = 0; i < 20; ++i) check(random() % frames);
  EXPECT_EQ(ours.FailedDecompressions(), 0);
}

TEST(WildFileDecoding, ACutFileDecodesAsFarAsItsDataGoes) {
  testsupport::TempDir dir;
  const std::string path = dir.File("intact.avi");
  ASSERT_TRUE(avitest::RunCommand(kVideo + kTone + "-c:v mpeg4 -g 10 -c:a pcm_s16le -t 4 '" + path + "'"));
  Bytes bytes = ReadAll(path);
  const std::string cutPath = dir.File("third.avi");
  WriteAll(cutPath, Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 3)));
  Parsed intact = ParseFile(path);
  Parsed cut = ParseFile(cutPath);
  ASSERT_NE(intact.movie, nullptr);
  ASSERT_NE(cut.movie, nullptr);
  ASSERT_GT(cut.movie->VideoTable()->Count(), 20u);
  ExpectSamePictures(*cut.movie, *intact.movie);
}

// The packets of an FFmpeg file written again by the project's writer as OpenDML, in small
// RIFFs so that several AVIX parts follow the first. The writer's own tables come back.
class OpenDmlRepair : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string source = dir_.File("source.avi");
    ASSERT_TRUE(
        avitest::RunCommand(kVideo + kTone + "-c:v mpeg4 -g 12 -c:a pcm_s16le -ac 1 -t 4 '" + source + "'"));
    Parsed parsed = ParseFile(source);
    ASSERT_NE(parsed.movie, nullptr);
    const avi::Movie& movie = *parsed.movie;
    const avi::AudioStream& audio = *movie.audioStreams.Get(0);

    aviwriter::StreamDescription video{movie.streamHeader, movie.format, "", {}};
    aviwriter::StreamDescription sound;
    const riff::WaveFormat& wave = *audio.SourceFormat();
    sound.header.fccType = riff::MakeFourcc("auds");
    sound.header.scale = wave.blockAlign;
    sound.header.rate = wave.avgBytesPerSec;
    sound.header.sampleSize = wave.blockAlign;
    sound.format.assign(reinterpret_cast<const uint8_t*>(&wave),
                        reinterpret_cast<const uint8_t*>(&wave) + audio.SourceFormatSize());
    aviwriter::WriterOptions options;
    options.openDml = true;
    options.legacyIndex = false;
    options.riffLimit = 100000;
    path_ = dir_.File("odml.avi");
    aviwriter::AviWriter writer;
    ASSERT_TRUE(writer.Open(path_, {video, sound}, options));
    // In the source's order, so that the streams interleave as they did.
    const Tables source_tables = TablesOf(movie);
    std::vector<std::pair<uint32_t, PacketEntry>> order;
    for (uint32_t s = 0; s < 2; ++s) {
      for (const PacketEntry& e : source_tables[s]) order.push_back({s, e});
    }
    std::sort(order.begin(), order.end(), [](auto& x, auto& y) { return x.second.offset < y.second.offset; });
    for (const auto& [stream, entry] : order) {
      Bytes data(entry.size & ~kNotKeyFrame);
      parsed.view.Read(entry.offset, static_cast<uint32_t>(data.size()), data.data());
      ASSERT_TRUE(writer.WritePacket(stream, data.data(), static_cast<uint32_t>(data.size()),
                                     stream == 1 || !(entry.size & kNotKeyFrame)));
    }
    ASSERT_TRUE(writer.Close());
    written_ = writer.Packets();
    bytes_ = ReadAll(path_);
  }

  testsupport::TempDir dir_;
  std::string path_;
  Tables written_;
  Bytes bytes_;
};

TEST_F(OpenDmlRepair, ABrokenStandardIndexGivesWayToTheDataOfEveryRiff) {
  Parsed whole = ParseFile(path_);
  ASSERT_NE(whole.movie, nullptr);
  EXPECT_EQ(whole.said, "");
  ExpectSameTables(TablesOf(*whole.movie), written_);
  ASSERT_NE(std::search(bytes_.begin(), bytes_.end(), std::begin("AVIX"), std::end("AVIX") - 1),
            bytes_.end());

  // The first standard index of the video stream (the writer calls it 00ix) gets entries of three
  // longs.
  const auto ix = std::search(bytes_.begin(), bytes_.end(), std::begin("00ix"), std::end("00ix") - 1);
  ASSERT_NE(ix, bytes_.end());
  ix[8] = 3;
  WriteAll(path_, bytes_);
  Parsed broken = ParseFile(path_);
  ASSERT_NE(broken.movie, nullptr);
  EXPECT_NE(broken.said.find("stream 0: indx entry 0 does not point at a standard index"), std::string::npos)
      << broken.said;
  ExpectSameTables(TablesOf(*broken.movie), written_);

  // And cut to a third: what is left of the data.
  const std::string third = dir_.File("third.avi");
  WriteAll(third, Bytes(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(bytes_.size() / 3)));
  Parsed cut = ParseFile(third);
  ASSERT_NE(cut.movie, nullptr);
  ExpectSameTables(TablesOf(*cut.movie), Within(written_, bytes_.size() / 3));
}

}  // namespace
