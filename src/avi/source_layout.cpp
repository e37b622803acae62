#include "avi/source_layout.h"

#include <cstring>

namespace avi {

namespace {

constexpr uint16_t kWaveFormatMsAdpcm = 0x0002;
constexpr uint16_t kWaveFormatImaAdpcm = 0x0011;

}  // namespace

uint32_t SamplesPerBlock(const riff::WaveFormat& format) {
  if (format.formatTag != kWaveFormatMsAdpcm && format.formatTag != kWaveFormatImaAdpcm) return 0;
  if (format.cbSize < 2 || format.blockAlign == 0) return 0;
  // The extension's first word: the extra bytes start right behind cbSize.
  uint16_t samples;
  std::memcpy(&samples, reinterpret_cast<const uint8_t*>(&format) + sizeof format, sizeof samples);
  return samples;
}

uint32_t Mp3FrameSamples(uint32_t sampleRate) {
  if (sampleRate == 0) return 0;
  return sampleRate >= 32000 ? 1152 : 576;
}

}  // namespace avi
