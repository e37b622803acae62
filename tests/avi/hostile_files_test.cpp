// Files made to cost the reader much for little, to mislead its positions, or that merely bend
// the RIFF rules the way some writers do.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "avi/parse_fixture.h"

namespace {

using namespace avitest;

using HostileFiles = ParseFixture;

void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

size_t ReservedEntries(const avi::Movie& movie) {
  size_t entries = movie.VideoTable()->Capacity();
  for (size_t i = 0; i < movie.audioStreams.Count(); ++i) {
    entries += movie.audioStreams.Get(i)->PacketTables().Get(0)->Capacity();
  }
  return entries;
}

TEST_F(HostileFiles, TablesTogetherReserveNoMoreThanTheFileHolds) {
  // Every audio stream's super index promises chunks that the file cannot hold.
  Bytes strls = VideoStrl();
  for (int i = 0; i < 300; ++i) {
    Append(strls, AudioStrl(SuperIndex({{uint64_t{1} << 40, 0xFFFFFF00u}, {8, 0x7FFFFFFFu}})));
  }
  auto movie = Parse(Riff(Cat({Hdrl(301, strls), List("movi", {})})));
  ASSERT_NE(movie, nullptr);
  ASSERT_EQ(movie->audioStreams.Count(), 300u);
  EXPECT_LE(ReservedEntries(*movie), view_.Length() / 8);

  // Chunks that are there are read, but all super indexes together read no more of them
  // than the file's size.
  Bytes ix = StandardIndex(0, std::vector<std::pair<uint32_t, uint32_t>>(200, {100, 1}));
  auto strlsPointingAt = [&](uint64_t at) {
    Bytes lists = VideoStrl();
    for (int i = 0; i < 40; ++i)
      Append(lists, AudioStrl(SuperIndex({{at, static_cast<uint32_t>(ix.size())}})));
    return Hdrl(41, lists);
  };
  movie = Parse(Riff(Cat({strlsPointingAt(Riff(strlsPointingAt(0)).size()), ix})));
  ASSERT_NE(movie, nullptr);
  EXPECT_GE(movie->audioStreams.Get(0)->PacketTables().Get(0)->Count(), 200u);
  EXPECT_LE(ReservedEntries(*movie), view_.Length() / 8);
}

TEST_F(HostileFiles, StreamListsBeyondAThousandAreNotStreams) {
  // Video and audio lists alternate; only the first thousand are streams. Each video list
  // has its own rate, so the Movie shows which one it came from.
  Movi movi = MakeMovi({{"00dc", Text("v")}, {"01wb", Text("a")}, {"00dc", Text("w")}});
  Bytes strls;
  for (uint32_t i = 0; i < 1200; ++i) Append(strls, i % 2 ? AudioStrl() : VideoStrl({}, i + 1));
  Bytes idx1 = Idx1(
      {{"00dc", 0x10, movi.offsets[0], 1}, {"01wb", 0, movi.offsets[1], 1}, {"00dc", 0, movi.offsets[2], 1}});
  auto movie = Parse(Riff(Cat({Hdrl(1200, strls), movi.list, idx1})));
  ASSERT_NE(movie, nullptr);
  EXPECT_EQ(movie->streamHeader.rate, 999u);
  ASSERT_EQ(movie->VideoTable()->Count(), 2u);
  EXPECT_EQ(Data(*movie->VideoTable(), 1), Text("w"));
  ASSERT_EQ(movie->audioStreams.Count(), 500u);
  EXPECT_EQ(movie->audioStreams.Get(0)->PacketTables().Get(0)->Count(), 1u);
  EXPECT_EQ(movie->audioStreams.Get(1)->PacketTables().Get(0)->Count(), 0u);
}

TEST_F(HostileFiles, LegacyIndexSizesAreCheckedAgainstTheirChunks) {
  Movi movi = MakeMovi({{"01wb", Text("abcd")}, {"00dc", Text("pic")}, {"01wb", Text("efgh")}});
  const auto& o = movi.offsets;
  Bytes idx1 = Idx1({{"01wb", 0, o[0], 0xFFFFFFF0},  // far more than its chunk
                     {"00dc", 0x10, o[1], 3},
                     {"01wb", 0, o[2], 4},
                     {"01wb", 0, 0x7FFFFF00, 4},  // past the end of the file
                     {"01wb", 0, o[1], 100},      // another stream's chunk, and more than it
                     {"00dc", 0, o[2], 50}});     // on into the index behind the movi list
  auto movie = Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl(), AudioStrl()})), movi.list, idx1})));
  ASSERT_NE(movie, nullptr);

  const avi::PacketTable& video = *movie->VideoTable();
  ASSERT_EQ(video.Count(), 2u);
  EXPECT_EQ(Data(video, 0), Text("pic"));
  // An entry that claims what its chunk is not keeps its place, empty.
  EXPECT_EQ(video.Size(1) & ~avi::kNotKeyFrame, 0u);

  avi::AudioStream& audio = *movie->audioStreams.Get(0);
  EXPECT_EQ(audio.PacketTables().Get(0)->Count(), 4u);
  EXPECT_EQ(audio.TotalLength(), 8u);
  Bytes pcm(64);
  pcm.resize(audio.Read(0, 64, pcm.data()));
  EXPECT_EQ(pcm, Text("abcdefgh"));
}

TEST_F(HostileFiles, StandardIndexSizesStopAtTheEndOfTheFile) {
  // One standard index for a video and an audio stream: a packet that fits, one that claims
  // far more than the file has behind it, and one past the end.
  auto head = [](uint64_t at, uint32_t size) {
    return Hdrl(2, Cat({VideoStrl(SuperIndex({{at, size}})), AudioStrl(SuperIndex({{at, size}}))}));
  };
  uint64_t at = 12 + head(0, 0).size();
  uint32_t dataAt = static_cast<uint32_t>(at + StandardIndex(0, {{0, 0}, {0, 0}, {0, 0}}).size());
  Bytes ix =
      StandardIndex(0, {{dataAt, 6}, {dataAt + 2, 0x7FFFFFF0 | avi::kNotKeyFrame}, {dataAt + 100000, 4}});
  auto movie = Parse(Riff(Cat({head(at, static_cast<uint32_t>(ix.size())), ix, Text("abcdef")})));
  ASSERT_NE(movie, nullptr);
  const avi::PacketTable& video = *movie->VideoTable();
  ASSERT_EQ(video.Count(), 3u);
  EXPECT_EQ(video.Size(0), 6u);
  EXPECT_EQ(video.Size(1), 4u | avi::kNotKeyFrame);
  EXPECT_EQ(video.Size(2), 0u);
  avi::AudioStream& audio = *movie->audioStreams.Get(0);
  EXPECT_EQ(audio.TotalLength(), 10u);
  Bytes pcm(64);
  pcm.resize(audio.Read(0, 64, pcm.data()));
  EXPECT_EQ(pcm, Text("abcdefcdef"));
}

TEST_F(HostileFiles, OddChunksArePaddedAsRiffSays) {
  Movi movi = MakeMovi({{"00dc", Text("f")}, {"01wb", Text("pcm")}});
  Bytes idx1 = Idx1({{"00dc", 0x10, movi.offsets[0], 1}, {"01wb", 0, movi.offsets[1], 3}});

  // An odd JUNK and an odd chunk of no known kind before the index, each with its pad byte.
  auto junk = Parse(Riff(Cat({Hdrl(1, VideoStrl()), movi.list, Chunk("JUNK", Zeros(3)), Bytes{0},
                              Chunk("ISFT", Text("abcde")), Bytes{0}, idx1})));
  ASSERT_NE(junk, nullptr);
  EXPECT_EQ(junk->VideoTable()->Count(), 1u);

  // Audio sub-chunks behind an odd strn with its pad byte: strd is read, and indx takes the
  // stream off idx1.
  Bytes audioExtra =
      Cat({Chunk("strn", Text("Trk")), Bytes{0}, Chunk("strd", U32(static_cast<uint32_t>(-40))),
           Chunk("strn", Text("Track")), Bytes{0}, SuperIndex({})});
  auto audio = Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl(), AudioStrl(audioExtra)})), movi.list, idx1})));
  ASSERT_NE(audio, nullptr);
  avi::AudioStream& stream = *audio->audioStreams.Get(0);
  EXPECT_EQ(stream.Delay(), -40);
  EXPECT_EQ(*stream.Name8(), "Track");
  EXPECT_EQ(stream.PacketTables().Get(0)->Count(), 0u);

  // An odd strh and an odd strf, each padded.
  Bytes strl = List("strl", Cat({Chunk("strh", Cat({StrhBody("vids", 1, 30), Bytes{9}})), Bytes{0},
                                 Chunk("strf", Cat({BitmapBody(320, 240), Bytes{1}})), Bytes{0},
                                 Chunk("strc", Bytes{4, 5, 6, 7})}));
  auto padded = Parse(Riff(Cat({Hdrl(1, strl), movi.list, idx1})));
  ASSERT_NE(padded, nullptr);
  EXPECT_EQ(padded->streamHeader.rate, 30u);
  EXPECT_EQ(padded->Bitmap().width, 320);
  EXPECT_EQ(padded->colourInfo, (std::array<uint8_t, 4>{4, 5, 6, 7}));
  EXPECT_EQ(padded->VideoTable()->Count(), 1u);
}

TEST_F(HostileFiles, ImpossibleRiffSizeGivesWayToTheFileSize) {
  Movi movi = MakeMovi({{"00dc", Text("f")}});
  Bytes head = Hdrl(1, VideoStrl());
  Bytes file = Riff(Cat({head, movi.list, Idx1({{"00dc", 0x10, movi.offsets[0], 1}})}));
  // Sizes that end before the headers, and one that ends inside the movi list.
  uint32_t insideMovi = static_cast<uint32_t>(4 + head.size() + 10);
  for (uint32_t size : {0u, 4u, 100u, insideMovi}) {
    std::memcpy(file.data() + 4, U32(size).data(), 4);
    auto movie = Parse(file);
    ASSERT_NE(movie, nullptr) << size;
    EXPECT_EQ(movie->VideoTable()->Count(), 1u) << size;
  }
}

TEST_F(HostileFiles, StoredTimesAndGeometryAreBounded) {
  auto delayOf = [&](int32_t delay) {
    Bytes extra = Chunk("strd", U32(static_cast<uint32_t>(delay)));
    auto movie = Parse(Riff(Cat({Hdrl(2, Cat({VideoStrl(), AudioStrl(extra)})), List("movi", {})})));
    return movie ? movie->audioStreams.Get(0)->Delay() : 0;
  };
  EXPECT_EQ(delayOf(INT32_MIN), -3600000);
  EXPECT_EQ(delayOf(INT32_MAX), 3600000);
  EXPECT_EQ(delayOf(-3600000), -3600000);

  // The picture is 64 × 48.
  using Params = std::array<int32_t, 6>;
  auto paramsOf = [&](const Params& stored) {
    Bytes body;
    for (int32_t v : stored) Append(body, U16(static_cast<uint16_t>(v)));
    auto movie = Parse(Riff(Cat({Hdrl(1, VideoStrl(Chunk("vpar", body))), List("movi", {})})));
    return movie ? movie->videoParams : Params{};
  };
  EXPECT_EQ(paramsOf({30, 18, 0, 0, 4, 3}), (Params{0, 0, 0, 0, 4, 3}));
  EXPECT_EQ(paramsOf({0, 0, 40, 24, 4, 3}), (Params{0, 0, 0, 0, 4, 3}));
  EXPECT_EQ(paramsOf({10, 10, 10, 10, 0, 9}), (Params{10, 10, 10, 10, 1, 1}));
  EXPECT_EQ(paramsOf({23, 24, 31, 32, 16, 0}), (Params{23, 24, 31, 32, 1, 1}));
  EXPECT_EQ(paramsOf({0, 0, 0, 0, -16, 9}), (Params{0, 0, 0, 0, 1, 1}));

  // A frame rate with a zero term comes from the main header's frame period, else 25/1.
  auto rateOf = [&](uint32_t scale, uint32_t rate, uint32_t microseconds) {
    Bytes avih = Avih(1);
    std::memcpy(avih.data() + 8, U32(microseconds).data(), 4);
    Bytes strl = Strl(StrhBody("vids", scale, rate), BitmapBody());
    auto movie = Parse(Riff(Cat({List("hdrl", Cat({avih, strl})), List("movi", {})})));
    return movie ? std::make_pair(movie->streamHeader.scale, movie->streamHeader.rate)
                 : std::make_pair(0u, 0u);
  };
  EXPECT_EQ(rateOf(1001, 30000, 0), std::make_pair(1001u, 30000u));
  EXPECT_EQ(rateOf(0, 25, 40000), std::make_pair(40000u, 1000000u));
  EXPECT_EQ(rateOf(1, 0, 0), std::make_pair(1u, 25u));
  EXPECT_EQ(rateOf(0x80000000u, 1, 0), std::make_pair(1u, 25u));
}

}  // namespace
