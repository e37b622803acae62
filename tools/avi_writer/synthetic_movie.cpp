#include "avi_writer/synthetic_movie.h"

#include <cstring>

#include "riff/bitmap_info_header.h"
#include "riff/fourcc.h"
#include "riff/wave_format.h"

namespace aviwriter {

namespace {

using riff::MakeFourcc;

constexpr uint32_t kFps = 25;
constexpr uint32_t kSampleRate = 44100;
constexpr uint32_t kMp3Rate = 16000;  // bytes a second at 128 kbit/s
constexpr uint32_t kMp3Samples = 1152;

}  // namespace

bool WriteSyntheticMovie(const std::string& path, const SyntheticMovie& movie, WriterOptions options,
                         std::vector<std::vector<avi::PacketEntry>>* packets) {
  StreamDescription video;
  video.header.fccType = MakeFourcc("vids");
  video.header.fccHandler = MakeFourcc("XVID");
  video.header.scale = 1;
  video.header.rate = kFps;
  riff::BitmapInfoHeader bitmap{40, 720, 400, 1, 24, MakeFourcc("XVID"), 720 * 400 * 3, 0, 0, 0, 0};
  video.format.resize(sizeof bitmap);
  std::memcpy(video.format.data(), &bitmap, sizeof bitmap);

  StreamDescription audio;
  audio.header.fccType = MakeFourcc("auds");
  audio.header.scale = kMp3Samples;
  audio.header.rate = kSampleRate;
  riff::WaveFormat wave{riff::kWaveFormatMpegLayer3, 2, kSampleRate, kMp3Rate, 1, 0, 0};
  audio.format.resize(sizeof wave);
  std::memcpy(audio.format.data(), &wave, sizeof wave);

  AviWriter writer;
  if (!writer.Open(path, {video, audio}, std::move(options))) return false;
  std::vector<uint8_t> data;
  uint64_t audioBytes = 0;
  uint64_t audioFrames = 0;
  const uint64_t frames = uint64_t{movie.seconds} * kFps;
  for (uint64_t frame = 0; frame < frames; ++frame) {
    bool key = frame % 250 == 0;
    uint32_t size = key ? movie.keyFrameBytes : movie.frameBytes + static_cast<uint32_t>(frame * 7919 % 2000);
    data.assign(size, static_cast<uint8_t>(frame));
    if (!writer.WritePacket(0, data.data(), size, key)) return false;
    // Audio frames due by the end of this video frame, each 417 or 418 bytes.
    uint64_t due = (frame + 1) * kSampleRate / (kFps * kMp3Samples);
    for (; audioFrames < due; ++audioFrames) {
      uint64_t end = (audioFrames + 1) * kMp3Rate * kMp3Samples / kSampleRate;
      auto bytes = static_cast<uint32_t>(end - audioBytes);
      audioBytes = end;
      data.assign(bytes, 0xFF);
      if (!writer.WritePacket(1, data.data(), bytes, true)) return false;
    }
  }
  if (!writer.Close()) return false;
  if (packets) *packets = writer.Packets();
  return true;
}

}  // namespace aviwriter
