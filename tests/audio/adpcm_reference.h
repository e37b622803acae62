#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "riff/wave_format.h"

namespace audiotest {

// Formats whose byte rates match their decoded output, so that total lengths are exact.
inline riff::WaveFormat XaFormat(uint16_t channels) {
  uint32_t rate = channels == 2 ? 37800 : 18900;
  return riff::WaveFormat{0x2082, channels, rate, rate * channels * 8 / 14, 128, 4, 0};
}
inline riff::WaveFormat FilterFormat(uint16_t channels, uint16_t blockAlign) {
  return riff::WaveFormat{0x2081, channels, 44100, 44100u * channels * 8 * 16 / 224, blockAlign, 4, 0};
}
inline riff::WaveFormat StepFormat(uint16_t channels) {
  return riff::WaveFormat{
      0x2080, channels, 32000, 32000u * channels * 18 / 32, static_cast<uint16_t>(18 * channels), 4, 0};
}

// A unit of 28 four-bit codes with its shift and filter, as both of the 28-sample formats
// carry them.
struct EncodedUnit {
  int shift;
  int filter;
  int codes[28];
};

// Encodes 28 samples against a 16-bit predictor history (f0, f1 as 64ths), picking the filter
// and shift with the least error: enough to give the decoders realistic streams.
EncodedUnit EncodeUnit(const int16_t* samples, int& s1, int& s2);

// A sine of `samples` samples at amplitude `amplitude`, with a little noise.
std::vector<int16_t> TestSignal(size_t samples, double frequency, double amplitude, std::mt19937& random);

}  // namespace audiotest
