#include "avi_writer/demo_clip.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "avi_writer/avi_writer.h"
#include "riff/bitmap_info_header.h"
#include "riff/fourcc.h"
#include "riff/wave_format.h"

namespace aviwriter {

namespace {

using riff::MakeFourcc;

constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kFrames = 250;
constexpr uint32_t kFps = 25;
constexpr uint32_t kSampleRate = 44100;
constexpr int kBarRows = 200;
constexpr int kRampRows = 60;

struct Ycc {
  uint8_t y, cb, cr;
};

// Studio-range BT.601 of an R'G'B' colour in 0 … 1.
Ycc FromRgb(double r, double g, double b) {
  auto clamp = [](double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); };
  return {clamp(16 + 65.481 * r + 128.553 * g + 24.966 * b), clamp(128 - 37.797 * r - 74.203 * g + 112.0 * b),
          clamp(128 + 112.0 * r - 93.786 * g - 18.214 * b)};
}

Ycc PixelAt(int x, int y, int frame) {
  if (y < kBarRows) {
    // 75 % bars: white, yellow, cyan, green, magenta, red, blue.
    static const double bars[7][3] = {{1, 1, 1}, {1, 1, 0}, {0, 1, 1}, {0, 1, 0},
                                      {1, 0, 1}, {1, 0, 0}, {0, 0, 1}};
    const double* c = bars[x * 7 / kWidth];
    return FromRgb(0.75 * c[0], 0.75 * c[1], 0.75 * c[2]);
  }
  if (y < kBarRows + kRampRows) {
    double v = static_cast<double>(x) / (kWidth - 1);
    return FromRgb(v, v, v);
  }
  // A hue wheel drifting sideways with a brightness wave, so every colour control shows.
  double phase = 2 * M_PI * (static_cast<double>(x) / kWidth + frame / 100.0);
  double level =
      0.5 + 0.4 * std::sin(2 * M_PI * (static_cast<double>(y - kBarRows - kRampRows) / 100.0) + frame / 12.0);
  double r = level * (0.5 + 0.5 * std::cos(phase));
  double g = level * (0.5 + 0.5 * std::cos(phase - 2 * M_PI / 3));
  double b = level * (0.5 + 0.5 * std::cos(phase + 2 * M_PI / 3));
  return FromRgb(r, g, b);
}

// Y plane, then V, then U, chroma taken at the top-left sample of each 2×2 block.
std::vector<uint8_t> Picture(int frame) {
  std::vector<uint8_t> picture(kWidth * kHeight * 3 / 2);
  uint8_t* luma = picture.data();
  uint8_t* v = luma + kWidth * kHeight;
  uint8_t* u = v + kWidth * kHeight / 4;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      Ycc p = PixelAt(x, y, frame);
      luma[y * kWidth + x] = p.y;
      if (!(x & 1) && !(y & 1)) {
        v[(y / 2) * (kWidth / 2) + x / 2] = p.cr;
        u[(y / 2) * (kWidth / 2) + x / 2] = p.cb;
      }
    }
  }
  return picture;
}

std::vector<uint8_t> Tone(int frame) {
  const uint32_t samples = kSampleRate / kFps;
  std::vector<uint8_t> bytes(samples * 4);
  for (uint32_t i = 0; i < samples; ++i) {
    double t = static_cast<double>(frame * samples + i) / kSampleRate;
    auto left = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * t));
    auto right = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 660 * t));
    std::memcpy(&bytes[4 * i], &left, 2);
    std::memcpy(&bytes[4 * i + 2], &right, 2);
  }
  return bytes;
}

std::vector<uint8_t> Bytes(const void* data, size_t size) {
  auto* p = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(p, p + size);
}

}  // namespace

bool WriteDemoClip(const std::string& path) {
  StreamDescription video;
  video.header.fccType = MakeFourcc("vids");
  video.header.fccHandler = MakeFourcc("YV12");
  video.header.scale = 1;
  video.header.rate = kFps;
  video.header.frameRight = kWidth;
  video.header.frameBottom = kHeight;
  riff::BitmapInfoHeader bitmap{40, kWidth, kHeight, 1, 12, MakeFourcc("YV12"), kWidth * kHeight * 3 / 2,
                                0,  0,      0,       0};
  video.format = Bytes(&bitmap, sizeof bitmap);
  video.name = "Vistrel demo";
  // BT.601 matrix and Bt.709 transfer hints, progressive; square pixels, no crop.
  video.extraChunks.push_back({MakeFourcc("strc"), {1, 3, 0, 0}});
  const int16_t params[6] = {0, 0, 0, 0, 1, 1};
  video.extraChunks.push_back({MakeFourcc("vpar"), Bytes(params, sizeof params)});

  StreamDescription audio;
  audio.header.fccType = MakeFourcc("auds");
  audio.header.scale = 4;
  audio.header.rate = kSampleRate * 4;
  audio.header.sampleSize = 4;
  riff::WaveFormat wave{riff::kWaveFormatPcm, 2, kSampleRate, kSampleRate * 4, 4, 16, 0};
  audio.format = Bytes(&wave, sizeof wave);
  audio.name = "Tone 440/660 Hz";
  const int32_t delay = 0;
  audio.extraChunks.push_back({MakeFourcc("strd"), Bytes(&delay, sizeof delay)});

  WriterOptions options;
  options.chapters = {
      {0, "Colour bars", {}}, {100, {}, u"Grey ramp \u2013 Graurampe"}, {175, "Moving gradient", {}}};
  AviWriter writer;
  if (!writer.Open(path, {video, audio}, options)) return false;
  for (int frame = 0; frame < kFrames; ++frame) {
    std::vector<uint8_t> picture = Picture(frame);
    std::vector<uint8_t> tone = Tone(frame);
    if (!writer.WritePacket(0, picture.data(), static_cast<uint32_t>(picture.size()), true) ||
        !writer.WritePacket(1, tone.data(), static_cast<uint32_t>(tone.size()), true)) {
      return false;
    }
  }
  return writer.Close();
}

}  // namespace aviwriter
