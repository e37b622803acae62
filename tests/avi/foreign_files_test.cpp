// Files written by other muxers, made at test time, read as FFmpeg reads them.
#include <gtest/gtest.h>

#include "avi/avi_file.h"
#include "avi/ffprobe_packets.h"
#include "support/temp_dir.h"

namespace {

using avitest::ProbePacket;

// Our tables against ffprobe's packets: data positions, sizes and key flags. Three
// differences are on purpose: FFmpeg drops empty packets, which stay in our tables (a frame
// that repeats the last picture); the first video packet is always a key frame here; and audio
// packets carry no key flag at all.
struct Packet {
  uint64_t offset;
  uint32_t size;
  bool key;
};

std::vector<Packet> NonEmpty(const avi::PacketTable& table) {
  std::vector<Packet> packets;
  for (size_t j = 0; j < table.Count(); ++j) {
    uint32_t size = table.Size(j) & ~avi::kNotKeyFrame;
    if (size) packets.push_back({table[j].offset, size, j == 0 || !(table.Size(j) & avi::kNotKeyFrame)});
  }
  return packets;
}

void ExpectSamePackets(const std::vector<Packet>& ours, const std::vector<ProbePacket>& theirs, bool video) {
  ASSERT_EQ(ours.size(), theirs.size());
  for (size_t j = 0; j < ours.size(); ++j) {
    SCOPED_TRACE("packet " + std::to_string(j));
    EXPECT_EQ(ours[j].offset, theirs[j].pos);
    EXPECT_EQ(ours[j].size, theirs[j].size);
    if (video && j > 0) {
      EXPECT_EQ(ours[j].key, theirs[j].key);
    }
  }
}

void ExpectSamePackets(const avi::Movie& movie, const avitest::ProbeResult& probe) {
  static const std::vector<ProbePacket> none;
  auto packetsOf = [&](int index) -> const std::vector<ProbePacket>& {
    auto found = probe.packets.find(index);
    return found == probe.packets.end() ? none : found->second;
  };
  std::vector<int> audioStreams;
  int videoStreams = 0;
  for (const auto& [index, type] : probe.types) {
    if (type == "video") {
      SCOPED_TRACE("video");
      ++videoStreams;
      ExpectSamePackets(NonEmpty(*movie.VideoTable()), packetsOf(index), true);
    }
    if (type == "audio") audioStreams.push_back(index);
  }
  EXPECT_EQ(videoStreams, 1);
  ASSERT_EQ(movie.audioStreams.Count(), audioStreams.size());
  for (size_t a = 0; a < audioStreams.size(); ++a) {
    SCOPED_TRACE("audio stream " + std::to_string(a));
    ExpectSamePackets(NonEmpty(*movie.audioStreams.Get(a)->PacketTables().Get(0)), packetsOf(audioStreams[a]),
                      false);
  }
}

class ForeignFileTest : public ::testing::TestWithParam<std::pair<const char*, std::string>> {};

TEST_P(ForeignFileTest, PacketTablesMatchFfprobe) {
  testsupport::TempDir dir;
  std::string path = dir.File("clip.avi");
  std::string command = GetParam().second;
  size_t at = command.find("OUT");
  command.replace(at, 3, "'" + path + "'");
  ASSERT_TRUE(avitest::RunCommand(command)) << command;

  avi::FileView view = avi::FileView::Open(path);
  avi::AVIFile reader;
  ASSERT_NE(reader.Probe(view), 0);
  std::unique_ptr<avi::Movie> movie = reader.Parse(view);
  ASSERT_NE(movie, nullptr);
  avitest::ProbeResult probe;
  ASSERT_TRUE(avitest::Probe(path, probe));
  ExpectSamePackets(*movie, probe);

  // The packets are really there: the first audio packet's bytes arrive through the stream.
  if (movie->audioStreams.Count()) {
    avi::AudioStream& audio = *movie->audioStreams.Get(0);
    const avi::PacketTable& table = *audio.PacketTables().Get(0);
    ASSERT_GT(table.Count(), 0u);
    std::vector<uint8_t> viaStream(table.Size(0)), direct(table.Size(0));
    ASSERT_EQ(audio.Read(0, table.Size(0), viaStream.data()), table.Size(0));
    ASSERT_EQ(table.View().Read(table[0].offset, table.Size(0), direct.data()), table.Size(0));
    EXPECT_EQ(viaStream, direct);
  }
}

const std::string kVideo = "ffmpeg -v error -y -f lavfi -i testsrc=size=96x64:rate=25 ";
const std::string kVideoAndTone = kVideo + "-f lavfi -i sine=frequency=440:sample_rate=44100 ";

INSTANTIATE_TEST_SUITE_P(
    Muxers, ForeignFileTest,
    ::testing::Values(
        std::make_pair("FfmpegXvidPcm",
                       kVideoAndTone + "-c:v mpeg4 -vtag XVID -g 12 -c:a pcm_s16le -ac 2 -t 2 OUT"),
        std::make_pair("FfmpegMjpegMp3", kVideoAndTone + "-c:v mjpeg -c:a libmp3lame -b:a 128k -t 2 OUT"),
        std::make_pair("FfmpegMpeg4Ac3", kVideoAndTone + "-c:v mpeg4 -bf 2 -c:a ac3 -b:a 192k -t 2 OUT"),
        std::make_pair("FfmpegRawBgr24", kVideo + "-c:v rawvideo -pix_fmt bgr24 -t 1 OUT"),
        std::make_pair("FfmpegTwoAudioStreams",
                       kVideoAndTone +
                           "-f lavfi -i sine=frequency=880:sample_rate=22050 -map 0 -map 1 -map 2 "
                           "-c:v mpeg4 -c:a pcm_u8 -t 2 OUT"),
        std::make_pair(
            "GstreamerAvimux",
            "gst-launch-1.0 -q videotestsrc num-buffers=40 ! video/x-raw,width=96,height=64,framerate=25/1 "
            "! jpegenc ! mux. audiotestsrc num-buffers=40 ! audio/x-raw,format=S16LE,rate=44100,channels=2 "
            "! mux. avimux name=mux ! filesink location=OUT")),
    [](const auto& param) { return std::string(param.param.first); });

}  // namespace
