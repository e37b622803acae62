// Files whose index is missing, cut off or broken: their packet tables come from the movi
// data, chunk by chunk. Files with a usable index never get there.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "avi/parse_fixture.h"

namespace {

using namespace avitest;
using avi::kNotKeyFrame;

class IndexRepair : public ParseFixture {
 protected:
  std::unique_ptr<avi::Movie> ParseWith(const Bytes& file, const avi::ParseControl& control) {
    view_ = avi::FileView::Open(dir_.Write("clip.avi", file));
    return avi::AVIFile().Parse(view_, control);
  }
  // Parses and returns what the parse said on stderr.
  std::string ParseSaying(const Bytes& file, std::unique_ptr<avi::Movie>* movie = nullptr) {
    testing::internal::CaptureStderr();
    auto parsed = Parse(file);
    if (movie) *movie = std::move(parsed);
    return testing::internal::GetCapturedStderr();
  }
  std::vector<Bytes> Packets(const avi::PacketTable& table) {
    std::vector<Bytes> out;
    for (size_t j = 0; j < table.Count(); ++j) out.push_back(Data(table, j));
    return out;
  }
  static const avi::PacketTable& AudioTable(const avi::Movie& movie, size_t i = 0) {
    return *movie.audioStreams.Get(i)->PacketTables().Get(0);
  }
};

Bytes TwoStreams() { return Hdrl(2, Cat({VideoStrl(), AudioStrl()})); }

TEST_F(IndexRepair, TheScanWalksRecListsOverOtherChunksAndPadBytes) {
  // Odd chunks with and without their pad byte, a rec list, JUNK, an index chunk, a palette
  // change, another stream's chunk and a list of another kind.
  Bytes body =
      Cat({Chunk("00dc", Text("abc")), Bytes{0}, Chunk("01wb", Text("xyz")),
           List("rec ", Cat({Chunk("00dc", Text("de")), Chunk("01wb", Text("uv"))})), Chunk("JUNK", Zeros(5)),
           Bytes{0}, Chunk("ix00", Zeros(24)), Chunk("00pc", Zeros(4)), Chunk("02wb", Text("no")),
           List("INFO", Chunk("ISFT", Text("x"))), Chunk("00db", Text("fgh"))});
  std::unique_ptr<avi::Movie> movie;
  std::string said = ParseSaying(Riff(Cat({TwoStreams(), List("movi", body)})), &movie);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("abc"), Text("de"), Text("fgh")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), (std::vector<Bytes>{Text("xyz"), Text("uv")}));
  EXPECT_NE(
      said.find("clip.avi: there is no idx1 index: packet tables rebuilt from the movi data, 3 video and 2 "
                "audio packets"),
      std::string::npos)
      << said;
}

TEST_F(IndexRepair, AChunkCutOffByTheEndOfTheFileIsDropped) {
  Movi movi = MakeMovi({{"00dc", Text("one")}, {"01wb", Text("pcm")}, {"00dc", Text("two")}});
  Bytes whole = Riff(Cat({TwoStreams(), movi.list}));
  // Cut inside the last chunk's data, and inside its header.
  for (size_t cut : {size_t{2}, size_t{6}}) {
    Bytes file(whole.begin(), whole.end() - static_cast<std::ptrdiff_t>(cut));
    std::unique_ptr<avi::Movie> movie;
    std::string said = ParseSaying(file, &movie);
    ASSERT_NE(movie, nullptr);
    EXPECT_EQ(Packets(*movie->VideoTable()), std::vector<Bytes>{Text("one")}) << cut;
    EXPECT_EQ(Packets(AudioTable(*movie)), std::vector<Bytes>{Text("pcm")}) << cut;
    if (cut == 2) {
      EXPECT_NE(said.find("is cut off by the end of the file"), std::string::npos) << said;
    }
  }
  // A size far past the end, in the middle of the data: the chunk is dropped and the scan goes
  // on at the next header.
  Bytes lying = Chunk("00dc", Text("abcd"));
  lying[4] = 0xF0;
  auto movie =
      Parse(Riff(Cat({TwoStreams(), List("movi", Cat({Chunk("01wb", Text("ab")), lying, movi.list}))})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("one"), Text("two")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), (std::vector<Bytes>{Text("ab"), Text("pcm")}));
}

TEST_F(IndexRepair, DamagedDataIsSteppedOverToTheNextChunk) {
  // A hole of zeros, as a broken download leaves, and bytes that only look like a chunk header:
  // a scanned stream's id and a size that fits, but no chunk behind it.
  Bytes fake = Cat({Text("00dc"), Bytes{2, 0, 0, 0}, Text("xy"), Bytes{0xFF, 0x01, 0x02, 0x03}});
  Bytes body =
      Cat({Chunk("00dc", Text("ab")), Zeros(4096), fake, Chunk("01wb", Text("pcm")),
           Chunk("00dc", Text("cd")), Bytes{0xFF, 0x00, 0x13, 0x07, 4, 0, 0, 0}, Chunk("00dc", Text("ef"))});
  std::unique_ptr<avi::Movie> movie;
  std::string said = ParseSaying(Riff(Cat({TwoStreams(), List("movi", body)})), &movie);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("ab"), Text("cd"), Text("ef")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), std::vector<Bytes>{Text("pcm")});
  EXPECT_NE(
      said.find("2 stretches of damaged data (" + std::to_string(4096 + fake.size() + 8) + " bytes) skipped"),
      std::string::npos)
      << said;

  // Without a chunk behind them, damaged bytes end the scan.
  Bytes tail = Cat({Chunk("00dc", Text("ab")), Bytes{0xFF, 0x00, 0x13, 0x07, 4, 0, 0, 0}, Text("00dc")});
  said = ParseSaying(Riff(Cat({TwoStreams(), List("movi", tail)})), &movie);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), std::vector<Bytes>{Text("ab")});
  EXPECT_NE(said.find("is no chunk"), std::string::npos) << said;
}

TEST_F(IndexRepair, AvixPartsAndAMoviListNeverFinishedAreScannedToo) {
  Movi first = MakeMovi({{"00dc", Text("v0")}, {"01wb", Text("a0")}});
  Movi second = MakeMovi({{"00dc", Text("v1")}, {"01wb", Text("a1")}});
  Bytes avix =
      Cat({Text("RIFF"), U32(static_cast<uint32_t>(second.list.size() + 4)), Text("AVIX"), second.list});
  // The video stream's super index points nowhere the file reaches.
  Bytes head = Hdrl(2, Cat({VideoStrl(SuperIndex({{1u << 30, 64}})), AudioStrl()}));
  auto movie = Parse(Cat({Riff(Cat({head, first.list})), avix}));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("v0"), Text("v1")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), (std::vector<Bytes>{Text("a0"), Text("a1")}));

  // An AVIX part whose sizes were never written: it and its movi list run to the end.
  Bytes lastOpen = avix;
  std::fill_n(lastOpen.begin() + 4, 4, uint8_t{0});
  std::fill_n(lastOpen.begin() + 16, 4, uint8_t{0});
  movie = Parse(Cat({Riff(Cat({head, first.list})), lastOpen}));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("v0"), Text("v1")}));

  // A recording that stopped before its sizes were written: the movi list's size is 0.
  Bytes unfinished = Cat({Riff(Cat({head, first.list})), avix});
  const size_t moviSizeAt = 12 + head.size() + 4;
  std::fill_n(unfinished.begin() + static_cast<std::ptrdiff_t>(moviSizeAt), 4, uint8_t{0});
  std::fill_n(unfinished.begin() + 4, 4, uint8_t{0});
  movie = Parse(unfinished);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("v0"), Text("v1")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), (std::vector<Bytes>{Text("a0"), Text("a1")}));
}

TEST_F(IndexRepair, WithoutATestForTheCodecOnlyTheFirstFrameIsKey) {
  // The test files' codec is XVID: the VOP type decides. Another code has no test.
  const Bytes iVop = {0, 0, 1, 0xB6, 0x10};
  const Bytes pVop = {0, 0, 1, 0xB6, 0x50};
  Movi movi = MakeMovi({{"00dc", pVop}, {"00dc", iVop}, {"00dc", pVop}, {"00dc", {}}, {"00dc", iVop}});
  auto xvid = Parse(Riff(Cat({Hdrl(1, VideoStrl()), movi.list})));
  ASSERT_NE(xvid, nullptr);
  const avi::PacketTable& table = *xvid->VideoTable();
  ASSERT_EQ(table.Count(), 5u);
  std::vector<bool> keys;
  for (size_t j = 0; j < table.Count(); ++j) keys.push_back(!(table.Size(j) & kNotKeyFrame));
  EXPECT_EQ(keys, (std::vector<bool>{true, true, false, false, true}));

  Bytes cinepak = StrhBody("vids");
  std::memcpy(cinepak.data() + 4, "cvid", 4);
  Bytes unknown = Strl(cinepak, Cat({U32(40), U32(64), U32(48), U16(1), U16(24), Text("cvid"), Zeros(20)}));
  std::unique_ptr<avi::Movie> movie;
  std::string said = ParseSaying(Riff(Cat({List("hdrl", Cat({Avih(1), unknown})), movi.list})), &movie);
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(movie->VideoTable()->Count(), 5u);
  EXPECT_EQ(movie->VideoTable()->Size(0), 5u);
  for (size_t j = 1; j < 5; ++j) EXPECT_TRUE(movie->VideoTable()->Size(j) & kNotKeyFrame) << j;
  EXPECT_NE(said.find("no key-frame test for video of code cvid"), std::string::npos) << said;
}

TEST_F(IndexRepair, BrokenOpenDmlIndexesAndCutIdx1AreRebuilt) {
  Movi movi = MakeMovi({{"00dc", Text("v0")}, {"01wb", Text("a0")}, {"00dc", Text("v1")}});
  // idx1 cut off after its first entry.
  Bytes idx1 = Idx1({{"00dc", 0x10, movi.offsets[0], 2}, {"01wb", 0, movi.offsets[1], 2}});
  Bytes file = Riff(Cat({TwoStreams(), movi.list, idx1}));
  file.resize(file.size() - 10);
  std::unique_ptr<avi::Movie> movie;
  std::string said = ParseSaying(file, &movie);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("v0"), Text("v1")}));
  EXPECT_NE(said.find("the idx1 index is cut off"), std::string::npos) << said;

  // A super index whose standard index does not start as one.
  Bytes head = Hdrl(2, Cat({VideoStrl(SuperIndex({{12, 32}})), AudioStrl(SuperIndex({}))}));
  said = ParseSaying(Riff(Cat({head, movi.list})), &movie);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(Packets(*movie->VideoTable()), (std::vector<Bytes>{Text("v0"), Text("v1")}));
  EXPECT_EQ(Packets(AudioTable(*movie)), std::vector<Bytes>{Text("a0")});
  EXPECT_NE(said.find("stream 0: indx entry 0 does not point at a standard index"), std::string::npos)
      << said;
}

TEST_F(IndexRepair, AUsableIndexIsTakenAsItIsWithoutAScan) {
  // idx1 lists only the second frame and flags it as no key frame; the data has three.
  Movi movi = MakeMovi({{"00dc", Text("v0")}, {"00dc", Text("v1")}, {"00dc", Text("v2")}});
  Bytes file = Riff(Cat({Hdrl(1, VideoStrl()), movi.list, Idx1({{"00dc", 0, movi.offsets[1], 2}})}));
  int reports = 0;
  testing::internal::CaptureStderr();
  auto movie = ParseWith(file, {[&](double) { ++reports; }, nullptr});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(reports, 0);
  EXPECT_EQ(Packets(*movie->VideoTable()), std::vector<Bytes>{Text("v1")});

  // The index of a video stream that is not played is not read: broken, it costs no scan.
  Bytes unplayed = VideoStrl(SuperIndex({{12, 32}}));
  std::string said = ParseSaying(Riff(Cat({Hdrl(2, Cat({unplayed, VideoStrl(SuperIndex({}))})), movi.list})));
  EXPECT_EQ(said, "");
}

TEST_F(IndexRepair, ALongScanReportsProgressAndCanBeCancelled) {
  // Four megabytes of frames, 4 KiB each.
  std::vector<std::pair<std::string, Bytes>> chunks(1024, {"00dc", Bytes(4096, 0x5A)});
  Bytes file = Riff(Cat({Hdrl(1, VideoStrl()), MakeMovi(chunks).list}));
  std::vector<double> fractions;
  auto movie = ParseWith(file, {[&](double f) { fractions.push_back(f); }, nullptr});
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 1024u);
  ASSERT_GE(fractions.size(), 4u);
  EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end()));
  EXPECT_GE(fractions.front(), 0.0);
  EXPECT_EQ(fractions.back(), 1.0);

  std::atomic<bool> cancel{false};
  int reports = 0;
  testing::internal::CaptureStderr();
  movie = ParseWith(file, {[&](double) { cancel = ++reports == 2; }, &cancel});
  std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(movie, nullptr);
  EXPECT_EQ(reports, 2);
  EXPECT_NE(said.find("clip.avi: opening cancelled while rebuilding the index"), std::string::npos) << said;
}

TEST_F(IndexRepair, TablesFromTheScanHoldNoMoreThanTheFileHasChunks) {
  // Nothing but empty chunks: the most packets a file of its size can have.
  std::vector<std::pair<std::string, Bytes>> chunks;
  for (int i = 0; i < 3000; ++i) chunks.push_back({i % 2 ? "01wb" : "00dc", {}});
  auto movie = Parse(Riff(Cat({TwoStreams(), MakeMovi(chunks).list})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 1500u);
  EXPECT_LE(movie->VideoTable()->Capacity() + AudioTable(*movie).Capacity(), view_.Length() / 8);
}

TEST(ParseReasons, EveryRefusalNamesTheFileAndWhy) {
  testsupport::TempDir dir;
  auto said = [&](const Bytes& file) {
    avi::FileView view = avi::FileView::Open(dir.Write("odd.avi", file));
    avi::AVIFile reader;
    testing::internal::CaptureStderr();
    if (reader.Probe(view)) {
      EXPECT_EQ(reader.Parse(view), nullptr);
    }
    return testing::internal::GetCapturedStderr();
  };
  const std::string path = dir.File("odd.avi");
  EXPECT_EQ(said(Cat({Text("RIFF"), U32(4), Text("WAVE")})),
            "vistrel: " + path + ": not an AVI file: it does not start with RIFF ... AVI\n");
  EXPECT_EQ(said(Riff(List("hdrX", {}))),
            "vistrel: " + path + ": the first list is not the hdrl header list\n");
  EXPECT_EQ(said(Riff(Cat({Hdrl(1, AudioStrl()), List("movi", {})}))),
            "vistrel: " + path + ": none of the 1 streams is a video stream\n");

  testing::internal::CaptureStderr();
  avi::FileView missing = avi::FileView::Open(dir.File("missing.avi"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vistrel: " + dir.File("missing.avi") + ": cannot open: No such file or directory\n");
}

TEST(ParseReasons, IndexEntriesThatMissTheirChunksAreToldOnce) {
  testsupport::TempDir dir;
  Movi movi = MakeMovi({{"00dc", Text("v0")}, {"00dc", Text("v1")}});
  Bytes file = Riff(Cat({Hdrl(1, VideoStrl()), movi.list,
                         Idx1({{"00dc", 0x10, movi.offsets[0], 2},
                               {"00dc", 0, 0x7FFFFF00, 2},
                               {"00dc", 0, movi.offsets[1], 2},
                               {"00dc", 0, 0x7FFFFF10, 2}})}));
  avi::FileView view = avi::FileView::Open(dir.Write("clip.avi", file));
  testing::internal::CaptureStderr();
  auto movie = avi::AVIFile().Parse(view);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vistrel: " + dir.File("clip.avi") +
                ": idx1 entry 1 points past the end of the file (and 1 more entries that do not match their "
                "chunks)\n");
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 4u);
}

}  // namespace
