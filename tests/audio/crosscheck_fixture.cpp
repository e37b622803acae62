#include "crosscheck_fixture.h"

#include <algorithm>

#include "stream_fixture.h"

namespace audiotest {

avi::AudioStream* Crosscheck::Make(const std::string& source, int rate, const std::string& codec,
                                   void (*patch)(riff::WaveFormat&)) {
  file_ = dir_.File("f" + std::to_string(count_++) + ".avi");
  bool made = RunFfmpeg("-f lavfi -i color=s=16x16:r=10:d=3 -f lavfi -i \"" + source +
                        ":s=" + std::to_string(rate) + ":d=3\" -c:v mjpeg " + codec + " " + file_);
  EXPECT_TRUE(made) << codec;
  if (patch) {
    EXPECT_TRUE(PatchAudioFormat(file_, patch));
  }
  movie_ = OpenMovie(file_);
  if (!movie_ || movie_->audioStreams.Count() != 1) return nullptr;
  return movie_->audioStreams.Get(0);
}

std::vector<uint8_t> Crosscheck::Decoded(const std::string& format) const {
  return FfmpegOutput("-i " + file_ + " -f " + format + " -");
}

std::string Mp3Codec() {
  std::vector<uint8_t> encoders = FfmpegOutput("-hide_banner -encoders");
  std::string list(encoders.begin(), encoders.end());
  return list.find("libmp3lame") != std::string::npos ? "-c:a libmp3lame" : "-c:a mp3";
}

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

}  // namespace audiotest
