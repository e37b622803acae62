#include "adpcm_reference.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace audiotest {

namespace {

constexpr int kF0[5] = {0, 60, 115, 98, 122};
constexpr int kF1[5] = {0, 0, -52, -55, -60};

}  // namespace

EncodedUnit EncodeUnit(const int16_t* samples, int& s1, int& s2) {
  EncodedUnit best{};
  double bestError = std::numeric_limits<double>::max();
  int bestS1 = 0, bestS2 = 0;
  for (int filter = 0; filter < 5; ++filter) {
    for (int shift = 0; shift <= 12; ++shift) {
      EncodedUnit unit{shift, filter, {}};
      int h1 = s1, h2 = s2;
      double error = 0;
      for (int i = 0; i < 28; ++i) {
        int prediction = (h1 * kF0[filter] + h2 * kF1[filter] + 32) >> 6;
        double step = std::ldexp(1.0, 12 - shift);
        int code = static_cast<int>(std::lround((samples[i] - prediction) / step));
        code = std::clamp(code, -8, 7);
        int decoded = std::clamp(code * (1 << (12 - shift)) + prediction, -32768, 32767);
        error += double(decoded - samples[i]) * (decoded - samples[i]);
        unit.codes[i] = code;
        h2 = h1;
        h1 = decoded;
      }
      if (error < bestError) {
        bestError = error;
        best = unit;
        bestS1 = h1;
        bestS2 = h2;
      }
    }
  }
  s1 = bestS1;
  s2 = bestS2;
  return best;
}

std::vector<int16_t> TestSignal(size_t samples, double frequency, double amplitude, std::mt19937& random) {
  std::normal_distribution<double> noise(0.0, amplitude / 100);
  std::vector<int16_t> signal(samples);
  for (size_t i = 0; i < samples; ++i) {
    double value = amplitude * std::sin(2 * M_PI * frequency * i) + noise(random);
    signal[i] = static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
  }
  return signal;
}

}  // namespace audiotest
