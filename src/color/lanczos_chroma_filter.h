#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace color {

// Taps of one output sample of the chroma doubling filter: the first source index (before
// clamping to the source) and six weights in 16.16 fixed point summing to about 65536.
struct ChromaTaps {
  static constexpr int kTaps = 6;
  int32_t first;
  std::array<int32_t, kTaps> weights;
};

// A Lanczos-3 filter that doubles `count` centred chroma samples to 2 × count: output i sits
// at source position (i + 0.5) / 2 − 0.5. Tap j reads source index first + j clamped to
// 0 … count − 1. Only two phases exist (even and odd outputs), so every even output carries
// the weights of output 0 and every odd one those of output 1, with first = i / 2 − 3 and
// i / 2 − 2; the vector passes rely on that.
std::vector<ChromaTaps> BuildChromaDoublingFilter(int count);

}  // namespace color
