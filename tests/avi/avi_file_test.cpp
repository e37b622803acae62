#include "avi/avi_file.h"

#include <gtest/gtest.h>

#include <optional>

#include "avi/parse_fixture.h"

namespace {

using namespace avitest;
using avi::kNotKeyFrame;

using AviFileTest = ParseFixture;

TEST_F(AviFileTest, ProbeTakesOnlyRiffAvi) {
  avi::AVIFile reader;
  avi::FileView riff = avi::FileView::Open(dir_.Write("a", Riff({})));
  EXPECT_EQ(reader.Probe(riff), 2);
  avi::FileView wave = avi::FileView::Open(dir_.Write("b", Cat({Text("RIFF"), U32(4), Text("WAVE")})));
  EXPECT_EQ(reader.Probe(wave), 0);
  avi::FileView shortFile = avi::FileView::Open(dir_.Write("c", Text("RIFF")));
  EXPECT_EQ(reader.Probe(shortFile), 0);
  avi::FileView none;
  EXPECT_EQ(reader.Probe(none), 0);
}

TEST_F(AviFileTest, ClassicIndexGivesVideoOfAnyNumberAndOwnAudio) {
  Movi movi = MakeMovi({{"00dc", Text("abc")},
                        {"01wb", Text("PCM1")},
                        {"00db", {}},
                        {"00dc", Text("key")},
                        {"01wb", Text("PCM2")},
                        {"02dc", Text("other")},
                        {"00dc", Text("delta")},
                        {"01pc", Text("pal")},
                        {"00wb", Text("not mine")}});
  const auto& o = movi.offsets;
  Bytes idx1 = Idx1({{"00dc", 0, o[0], 3},
                     {"01wb", 0x10, o[1], 4},
                     {"00db", 0x10, o[2], 0},
                     {"00dc", 0x10, o[3], 3},
                     {"01wb", 0, o[4], 4},
                     {"02dc", 0x10, o[5], 5},
                     {"00dc", 0, o[6], 5},
                     {"01pc", 0x10, o[7], 3},
                     {"00wb", 0, o[8], 8}});
  Bytes strn = Chunk("strn", Cat({Text("Main"), Bytes{0}}));
  strn.push_back(0);
  auto movie =
      Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl(strn), AudioStrl()})), movi.list, idx1})), "my clip.avi");
  ASSERT_NE(movie, nullptr);
  ASSERT_TRUE(movie->name);
  EXPECT_EQ(*movie->name, "Main");
  EXPECT_EQ(movie->Bitmap().width, 64);
  EXPECT_EQ(movie->streamHeader.rate, 25u);

  const avi::PacketTable& video = *movie->VideoTable();
  ASSERT_EQ(video.Count(), 5u);
  // The first packet is a key frame without the flag; an empty packet never is.
  EXPECT_EQ(video.Size(0), 3u);
  EXPECT_EQ(video.Size(1), 0u | kNotKeyFrame);
  EXPECT_EQ(video.Size(2), 3u);
  EXPECT_EQ(video.Size(3), 5u);
  EXPECT_EQ(video.Size(4), 5u | kNotKeyFrame);
  EXPECT_EQ(Data(video, 0), Text("abc"));
  EXPECT_EQ(Data(video, 2), Text("key"));
  EXPECT_EQ(Data(video, 3), Text("other"));
  EXPECT_EQ(Data(video, 4), Text("delta"));

  ASSERT_EQ(movie->audioStreams.Count(), 1u);
  avi::AudioStream& audio = *movie->audioStreams.Get(0);
  ASSERT_EQ(audio.PacketTables().Get(0)->Count(), 2u);
  Bytes pcm(8);
  ASSERT_EQ(audio.Read(0, 8, pcm.data()), 8u);
  EXPECT_EQ(pcm, Text("PCM1PCM2"));
  // No strn: the file's base name, in the form the file was opened.
  ASSERT_NE(audio.Name8(), nullptr);
  EXPECT_EQ(*audio.Name8(), "my clip.avi");
  EXPECT_EQ(audio.Delay(), 0);
  EXPECT_EQ(audio.SourceFormat()->channels, 2);
  EXPECT_EQ(audio.SourceFormatSize(), 18u);
  EXPECT_FALSE(movie->chapters);
}

TEST_F(AviFileTest, AbsoluteIdx1OffsetsAreRecognisedByTheFirstChunk) {
  // Some muxers store file positions of the chunk headers instead of movi-relative offsets.
  Movi movi = MakeMovi({{"01wb", Text("pcm")}, {"00dc", Text("pic")}});
  Bytes head = Hdrl(2, Cat({VideoStrl(), AudioStrl()}));
  uint32_t moviFourcc = static_cast<uint32_t>(12 + head.size() + 8);
  Bytes idx1 =
      Idx1({{"01wb", 0, moviFourcc + movi.offsets[0], 3}, {"00dc", 0x10, moviFourcc + movi.offsets[1], 3}});
  auto movie = Parse(Riff(Cat({head, movi.list, idx1})));
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(movie->VideoTable()->Count(), 1u);
  EXPECT_EQ(Data(*movie->VideoTable(), 0), Text("pic"));
  EXPECT_EQ(Data(*movie->audioStreams.Get(0)->PacketTables().Get(0), 0), Text("pcm"));
}

TEST_F(AviFileTest, UnicodePathNamesAudioInUtf16) {
  Movi movi = MakeMovi({{"00dc", Text("v")}});
  Bytes file = Riff(Cat({Hdrl(2, Cat({VideoStrl(), AudioStrl()})), movi.list}));
  std::string path = dir_.Write("clip.avi", file);
  std::u16string wide(path.begin(), path.end());
  avi::FileView view = avi::FileView::Open(wide);
  auto movie = avi::AVIFile().Parse(view);
  ASSERT_NE(movie, nullptr);
  avi::AudioStream& audio = *movie->audioStreams.Get(0);
  EXPECT_EQ(audio.Name8(), nullptr);
  ASSERT_NE(audio.Name16(), nullptr);
  EXPECT_EQ(*audio.Name16(), u"clip.avi");
}

TEST_F(AviFileTest, LastVideoStreamMakesTheMovie) {
  Movi movi = MakeMovi({{"00dc", Text("a")}, {"01dc", Text("b")}, {"00dc", Text("c")}});
  Bytes idx1 = Idx1({{"00dc", 0x10, movi.offsets[0], 1},
                     {"01dc", 0x10, movi.offsets[1], 1},
                     {"00dc", 0x10, movi.offsets[2], 1}});
  auto movie = Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl({}, 25), VideoStrl({}, 30)})), movi.list, idx1})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->streamHeader.rate, 30u);
  EXPECT_EQ(movie->packetTables.Count(), 1u);
  EXPECT_EQ(movie->VideoTable()->Count(), 3u);
}

TEST_F(AviFileTest, StreamExtrasAndTheirDefaults) {
  // strf, then one JUNK that is skipped, then the extra area. Video steps round to even.
  Bytes name = Chunk("strn", Text("Cam"));
  name.push_back(0);  // the pad byte behind an odd body
  Bytes videoExtra = Cat({Chunk("JUNK", Zeros(6)), name, Chunk("strc", Bytes{2, 3, 7}), Bytes{0},
                          Chunk("vpar", Cat({U16(8), U16(4), U16(2), U16(0xFFFF), U16(16), U16(9)}))});
  // Audio steps do not round: strd follows an odd strn directly.
  Bytes audioExtra =
      Cat({Chunk("strn", Cat({Text("Tr"), Bytes{0}})), Chunk("strd", U32(static_cast<uint32_t>(-120)))});
  auto movie =
      Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl(videoExtra), AudioStrl(audioExtra)})), List("movi", {})})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->name, "Cam");
  EXPECT_EQ(movie->colourInfo, (std::array<uint8_t, 4>{2, 3, 7, 0}));
  EXPECT_EQ(movie->videoParams, (std::array<int32_t, 6>{8, 4, 2, -1, 16, 9}));
  avi::AudioStream& audio = *movie->audioStreams.Get(0);
  EXPECT_EQ(*audio.Name8(), "Tr");
  EXPECT_EQ(audio.Delay(), -120);

  auto plain = Parse(Riff(Cat({Hdrl(1, VideoStrl(Chunk("strc", Bytes{1, 2, 3, 4}))), List("movi", {})})));
  ASSERT_NE(plain, nullptr);
  EXPECT_FALSE(plain->name);
  EXPECT_EQ(plain->colourInfo, (std::array<uint8_t, 4>{1, 2, 3, 4}));
  EXPECT_EQ(plain->videoParams, (std::array<int32_t, 6>{0, 0, 0, 0, 1, 1}));
  // No index at all: the streams exist with empty tables.
  EXPECT_EQ(plain->VideoTable()->Count(), 0u);
}

TEST_F(AviFileTest, OddStreamListsAreToleratedWithinTheTable) {
  // A strh longer than 56 bytes keeps its first 56; strf is found right behind all of it.
  Bytes longStrh = Cat({StrhBody("vids", 1, 50), Zeros(8)});
  Bytes longVideo = Strl(longStrh, BitmapBody(320, 240));
  // A list without strh first is a stream of no type; so is a list whose strf is missing.
  Bytes noStrh = List("strl", Cat({Chunk("strf", BitmapBody()), Chunk("strh", StrhBody("vids"))}));
  Bytes noStrf = List("strl", Chunk("strh", StrhBody("vids", 1, 99)));
  // Lists beyond the stream count are not streams.
  Bytes beyond = VideoStrl({}, 77);
  auto movie = Parse(Riff(Cat({Hdrl(3, Cat({longVideo, noStrh, noStrf, beyond})), List("movi", {})})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->streamHeader.rate, 50u);
  EXPECT_EQ(movie->Bitmap().width, 320);

  // A huge stream count costs nothing: entries no list filled are skipped.
  auto many = Parse(Riff(Cat({Hdrl(0xFFFFFFFF, VideoStrl()), List("movi", {})})));
  ASSERT_NE(many, nullptr);
  // Only streams without video: no Movie.
  EXPECT_EQ(Parse(Riff(Cat({Hdrl(2, Cat({noStrh, AudioStrl()})), List("movi", {})}))), nullptr);
}

TEST_F(AviFileTest, BrokenHeadersAreRefused) {
  Bytes movi = List("movi", {});
  EXPECT_EQ(Parse(Riff(Cat({List("hdrX", Cat({Avih(1), VideoStrl()})), movi}))), nullptr);
  EXPECT_EQ(Parse(Riff(Cat({List("hdrl", Cat({Chunk("avix", Zeros(56)), VideoStrl()})), movi}))), nullptr);
  EXPECT_EQ(Parse(Riff(Cat({List("hdrl", Chunk("avih", Zeros(20))), movi}))), nullptr);
  EXPECT_EQ(Parse(Riff({})), nullptr);
}

TEST_F(AviFileTest, ChaptersAndTheWalkBehindAnOddChunk) {
  // One 8-bit and one UTF-16 title; the body is odd, so a pad byte follows before idx1.
  Bytes titles = Cat({Text("Intro"), Bytes{0}, Bytes{0xFF, 0xFE}, U16(u'\u00C9'), U16(u't'), U16(0)});
  Bytes smch = Cat({U32(2), U32(0), U32(20), U32(250), U32(26), titles, Text("junk behind")});
  ASSERT_EQ(smch.size() % 2, 1u);
  Movi movi = MakeMovi({{"00dc", Text("f")}});
  Bytes file = Riff(Cat({Hdrl(1, VideoStrl()), movi.list, Chunk("SMCH", smch), Bytes{0},
                         Idx1({{"00dc", 0x10, movi.offsets[0], 1}})}));
  auto movie = Parse(file);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 1u);
  ASSERT_TRUE(movie->chapters);
  const avi::ChapterTable& chapters = *movie->chapters;
  ASSERT_EQ(chapters.Count(), 2u);
  EXPECT_EQ(chapters.Frame(1), 250u);
  EXPECT_FALSE(chapters.TitleIsWide(0));
  EXPECT_EQ(chapters.Title8(0), "Intro");
  EXPECT_TRUE(chapters.TitleIsWide(1));
  EXPECT_EQ(chapters.Title16(1), u"\u00C9t");
  // The copy ends with the last title's 16-bit terminator.
  EXPECT_EQ(chapters.Bytes().size(), 26u + 8u);
}

TEST_F(AviFileTest, ShortIndexesAndDegenerateChunksEndQuietly) {
  Movi movi = MakeMovi({{"00dc", Text("f")}});
  // An idx1 of 4 bytes or less is no index: the packets come from the movi data instead.
  auto tiny = Parse(Riff(Cat({Hdrl(1, VideoStrl()), movi.list, Chunk("idx1", Zeros(4))})));
  ASSERT_NE(tiny, nullptr);
  ASSERT_EQ(tiny->VideoTable()->Count(), 1u);
  EXPECT_EQ(Data(*tiny->VideoTable(), 0), Text("f"));

  // Thousands of empty chunks and lists, then the index: the walk gets through them.
  Bytes filler;
  for (int i = 0; i < 2000; ++i) filler = Cat({filler, Chunk("JUNK", {}), Chunk("LIST", {})});
  auto walked =
      Parse(Riff(Cat({Hdrl(1, VideoStrl()), movi.list, filler, Idx1({{"00dc", 0, movi.offsets[0], 1}})})));
  ASSERT_NE(walked, nullptr);
  EXPECT_EQ(walked->VideoTable()->Count(), 1u);

  // Sizes that point far past the end of the file.
  Bytes huge = Riff(Cat({Hdrl(1, VideoStrl()), Text("idx1"), U32(0xFFFFFFF0), Zeros(40)}));
  EXPECT_NE(Parse(huge), nullptr);
  Bytes hugeList = Riff(Cat({List("hdrl", Cat({Avih(1), Text("LIST"), U32(0xFFFFFFFF), Text("strl")}))}));
  EXPECT_EQ(Parse(hugeList), nullptr);
}

TEST_F(AviFileTest, TruncatedFilesNeverCrash) {
  Bytes titles = Cat({Text("A"), Bytes{0}});
  Movi movi = MakeMovi({{"00dc", Text("abc")}, {"01wb", Text("xy")}});
  Bytes file = Riff(Cat({Hdrl(2, Cat({VideoStrl(Chunk("strc", Bytes{1, 2, 3, 4})), AudioStrl()})), movi.list,
                         Idx1({{"00dc", 0x10, movi.offsets[0], 3}, {"01wb", 0, movi.offsets[1], 2}}),
                         Chunk("SMCH", Cat({U32(1), U32(5), U32(12), titles}))}));
  for (size_t length = 0; length <= file.size(); ++length) {
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
    auto movie = Parse(cut);
    if (movie && movie->VideoTable()->Count()) {
      EXPECT_EQ(Data(*movie->VideoTable(), 0).size(), 3u);
    }
  }
  auto whole = Parse(file);
  ASSERT_NE(whole, nullptr);
  ASSERT_TRUE(whole->chapters);
  EXPECT_EQ(whole->chapters->Title8(0), "A");
}

// hdrl with a video stream and an audio stream, each carrying a super index pointing at its
// chunks, then a second audio stream without one; the ix chunks follow the movi list.
class OdmlTest : public AviFileTest {
 protected:
  using Chunks = std::vector<std::pair<uint64_t, uint32_t>>;
  Bytes Build(const Chunks& videoIndex, const Chunks& audioIndex, const Bytes& tail, const Bytes& idx1 = {}) {
    return Riff(Cat(
        {Hdrl(3, Cat({VideoStrl(SuperIndex(videoIndex)), AudioStrl(SuperIndex(audioIndex)), AudioStrl()})),
         tail, idx1}));
  }
  // Where `tail` starts for the given index entry counts.
  uint64_t TailStart(size_t videoEntries, size_t audioEntries) {
    return Build(Chunks(videoEntries), Chunks(audioEntries), {}).size();
  }
};

TEST_F(OdmlTest, StandardIndexesGivePacketsOfBothFlavours) {
  uint64_t start = TailStart(2, 1);
  Movi movi =
      MakeMovi({{"00dc", Text("v0")}, {"01wb", Text("a0")}, {"00dc", Text("v1")}, {"02wb", Text("b0")}});
  uint64_t base = start + 8;  // the movi FOURCC, from which the chunk headers are counted
  auto at = [&](size_t i) { return static_cast<uint32_t>(movi.offsets[i] + 8); };
  // One chunk with cb = size - 8, the next with cb = size; entries (0, 0) are skipped and
  // (offset, 0) kept.
  Bytes ixVideo1 = StandardIndex(base, {{at(0), 2}, {0, 0}, {at(0), 0}});
  Bytes ixVideo2 = StandardIndex(base, {{at(2), 2 | kNotKeyFrame}}, true);
  Bytes ixAudio = StandardIndex(base, {{at(1), 2 | kNotKeyFrame}});
  uint64_t ixStart = start + movi.list.size();
  Chunks video = {{ixStart, static_cast<uint32_t>(ixVideo1.size())},
                  {ixStart + ixVideo1.size(), static_cast<uint32_t>(ixVideo2.size())}};
  Chunks audio = {{ixStart + ixVideo1.size() + ixVideo2.size(), static_cast<uint32_t>(ixAudio.size())}};
  // idx1 would give the second audio stream a packet, but streams from the first indx on
  // take nothing from it.
  Bytes idx1 = Idx1({{"00dc", 0x10, movi.offsets[0], 2}, {"02wb", 0, movi.offsets[3], 2}});
  auto movie = Parse(Build(video, audio, Cat({movi.list, ixVideo1, ixVideo2, ixAudio}), idx1));
  ASSERT_NE(movie, nullptr);

  const avi::PacketTable& table = *movie->VideoTable();
  ASSERT_EQ(table.Count(), 3u);
  EXPECT_EQ(Data(table, 0), Text("v0"));
  EXPECT_EQ(table.Size(1), 0u);
  EXPECT_EQ(table[1].offset, base + at(0));
  EXPECT_EQ(table.Size(2), 2u | kNotKeyFrame);
  EXPECT_EQ(Data(table, 2), Text("v1"));

  ASSERT_EQ(movie->audioStreams.Count(), 2u);
  const avi::PacketTable& audioTable = *movie->audioStreams.Get(0)->PacketTables().Get(0);
  ASSERT_EQ(audioTable.Count(), 1u);
  EXPECT_EQ(audioTable.Size(0), 2u);  // the key-frame bit is not audio's
  EXPECT_EQ(Data(audioTable, 0), Text("a0"));
  EXPECT_EQ(movie->audioStreams.Get(1)->PacketTables().Get(0)->Count(), 0u);
}

TEST_F(OdmlTest, IndexBeforeTheFirstIndxStillComesFromIdx1) {
  Movi movi = MakeMovi({{"00dc", Text("v0")}, {"01wb", Text("a0")}});
  // The video stream has no indx; the audio's super index lists no chunk.
  Bytes file = Riff(Cat({Hdrl(2, Cat({VideoStrl(), AudioStrl(SuperIndex({}))})), movi.list,
                         Idx1({{"00dc", 0, movi.offsets[0], 2}, {"01wb", 0, movi.offsets[1], 2}})}));
  auto movie = Parse(file);
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 1u);
  EXPECT_EQ(movie->audioStreams.Get(0)->PacketTables().Get(0)->Count(), 0u);
}

TEST_F(OdmlTest, BadIndexesGiveWayToTheMoviData) {
  // The movi list holds one frame; a usable standard index puts its own packet at 100.
  Movi movi = MakeMovi({{"00dc", Text("v0")}});
  uint64_t ixAt = TailStart(1, 0) + movi.list.size();
  auto firstPacket = [&](const Bytes& ix) -> std::optional<avi::PacketEntry> {
    auto movie = Parse(Build({{ixAt, static_cast<uint32_t>(ix.size())}}, {}, Cat({movi.list, ix})));
    if (!movie || movie->VideoTable()->Count() != 1) return std::nullopt;
    return (*movie->VideoTable())[0];
  };
  const uint64_t frameAt = TailStart(1, 0) + 12 + 8;  // behind the list header and the chunk header
  auto good = firstPacket(StandardIndex(0, {{100, 1}}));
  ASSERT_TRUE(good);
  EXPECT_EQ(good->offset, 100u);
  Bytes wrongCb = StandardIndex(0, {{100, 1}});
  wrongCb[4] += 4;
  for (const Bytes& ix :
       {StandardIndex(0, {{100, 1}}, false, 4), StandardIndex(0, {{100, 1}}, false, 2, 1), wrongCb}) {
    auto rebuilt = firstPacket(ix);
    ASSERT_TRUE(rebuilt);
    EXPECT_EQ(rebuilt->offset, frameAt);
    EXPECT_EQ(rebuilt->size, 2u);
  }

  auto withSuper = [&](const Bytes& indx) {
    auto movie = Parse(Riff(Cat({Hdrl(1, VideoStrl(indx)), movi.list})));
    return movie ? movie->VideoTable()->Count() : size_t{99};
  };
  // A super index listing nothing is a stream without packets; a broken one is none at all.
  EXPECT_EQ(withSuper(SuperIndex({})), 0u);
  EXPECT_EQ(withSuper(SuperIndex({}, 2)), 1u);
  EXPECT_EQ(withSuper(SuperIndex({}, 4, 1)), 1u);
  EXPECT_EQ(withSuper(Chunk("indx", Zeros(10))), 1u);
}

TEST_F(OdmlTest, UnreadableChunksEndTheSuperIndexQuietly) {
  uint64_t start = TailStart(3, 0);
  Bytes ix = StandardIndex(0, {{100, 1}, {200, 2}});
  uint32_t size = static_cast<uint32_t>(ix.size());
  // The second chunk lies past the end of the file; the third would be fine but is not read.
  auto movie = Parse(Build({{start, size}, {start + 1000, size}, {start, size}}, {}, ix));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 2u);

  // A super index claiming many more entries than its body holds reads only those there.
  uint64_t after = Riff(Hdrl(1, VideoStrl(SuperIndex({{0, 0}})))).size();
  Bytes claims = SuperIndex({{after, size}});
  claims[8 + 4] = 0xFF;
  claims[8 + 5] = 0xFF;
  movie = Parse(Riff(Cat({Hdrl(1, VideoStrl(claims)), ix})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->VideoTable()->Count(), 2u);
}

TEST_F(OdmlTest, RepeatedChunksCannotGrowTablesBeyondTheFile) {
  // Every super index entry names the same standard index: the index bytes read are
  // bounded by the file's size, and so are the tables.
  Bytes ix = StandardIndex(0, std::vector<std::pair<uint32_t, uint32_t>>(500, {100, 1}));
  uint32_t size = static_cast<uint32_t>(ix.size());
  uint64_t start = TailStart(2000, 0);
  auto movie = Parse(Build(Chunks(2000, {start, size}), {}, ix));
  ASSERT_NE(movie, nullptr);
  uint64_t fileSize = view_.Length();
  EXPECT_LE(movie->VideoTable()->Count(), fileSize / 8);
  EXPECT_GE(movie->VideoTable()->Count(), 500u);
}

}  // namespace
