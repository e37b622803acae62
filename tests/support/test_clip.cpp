#include "support/test_clip.h"

#include <cstring>

#include "riff/bitmap_info_header.h"
#include "riff/fourcc.h"
#include "riff/wave_format.h"

namespace testsupport {

namespace {

constexpr uint32_t kSampleRate = 44100;
constexpr int kLumaStep = 6;
constexpr int kLumaLevels = 30;  // 40 + 6 × 29 = 214 stays inside the studio range

std::vector<uint8_t> Bytes(const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(p, p + size);
}

}  // namespace

uint8_t ClipLuma(int32_t frame) { return static_cast<uint8_t>(40 + kLumaStep * (frame % kLumaLevels)); }

std::vector<uint8_t> ClipSound(const ClipShape& shape) {
  const uint32_t samplesPerFrame = uint32_t(uint64_t{kSampleRate} * shape.scale / shape.rate);
  std::vector<uint8_t> bytes(size_t(samplesPerFrame) * size_t(shape.frames) * 4);
  for (size_t i = 0; i < bytes.size() / 4; ++i) {
    const auto left = static_cast<int16_t>((i * 37) % 32768 - 16384);
    const auto right = static_cast<int16_t>(12000 - static_cast<int32_t>((i * 11) % 24000));
    std::memcpy(&bytes[4 * i], &left, 2);
    std::memcpy(&bytes[4 * i + 2], &right, 2);
  }
  return bytes;
}

bool WriteTestClip(const std::string& path, const ClipShape& shape) {
  using riff::MakeFourcc;
  aviwriter::StreamDescription video;
  video.header.fccType = MakeFourcc("vids");
  video.header.fccHandler = MakeFourcc("YV12");
  video.header.scale = shape.scale;
  video.header.rate = shape.rate;
  video.header.frameRight = static_cast<int16_t>(shape.width);
  video.header.frameBottom = static_cast<int16_t>(shape.height);
  const uint32_t pictureBytes = uint32_t(shape.width * shape.height * 3 / 2);
  riff::BitmapInfoHeader bitmap{
      40, shape.width, shape.height, 1, 12, MakeFourcc("YV12"), pictureBytes, 0, 0, 0, 0};
  video.format = Bytes(&bitmap, sizeof bitmap);
  if (!shape.colourInfo.empty()) video.extraChunks.push_back({MakeFourcc("strc"), shape.colourInfo});
  if (!shape.videoParams.empty()) {
    video.extraChunks.push_back(
        {MakeFourcc("vpar"), Bytes(shape.videoParams.data(), shape.videoParams.size() * sizeof(int16_t))});
  }
  std::vector<aviwriter::StreamDescription> streams{video};
  const uint32_t samplesPerFrame = uint32_t(uint64_t{kSampleRate} * shape.scale / shape.rate);
  if (shape.audio) {
    aviwriter::StreamDescription audio;
    audio.header.fccType = MakeFourcc("auds");
    audio.header.scale = 4;
    audio.header.rate = kSampleRate * 4;
    audio.header.sampleSize = 4;
    riff::WaveFormat wave{riff::kWaveFormatPcm, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
    audio.format = Bytes(&wave, sizeof wave);
    audio.extraChunks.push_back({MakeFourcc("strd"), Bytes(&shape.audioDelay, sizeof shape.audioDelay)});
    streams.push_back(audio);
  }
  aviwriter::WriterOptions options;
  options.chapters = shape.chapters;
  aviwriter::AviWriter writer;
  if (!writer.Open(path, streams, options)) return false;
  std::vector<uint8_t> picture(pictureBytes, 128);
  const std::vector<uint8_t> sound = shape.audio ? ClipSound(shape) : std::vector<uint8_t>();
  const uint32_t soundPerFrame = samplesPerFrame * 4;
  for (int32_t f = 0; f < shape.frames; ++f) {
    std::memset(picture.data(), ClipLuma(f), size_t(shape.width) * size_t(shape.height));
    if (!writer.WritePacket(0, picture.data(), pictureBytes, true)) return false;
    if (shape.audio &&
        !writer.WritePacket(1, sound.data() + size_t(f) * soundPerFrame, soundPerFrame, true)) {
      return false;
    }
  }
  return writer.Close();
}

}  // namespace testsupport
