#include "audio/adpcm_units.h"

namespace audio {

namespace {

constexpr int64_t kK0[5] = {0, 240, 460, 392, 488};
constexpr int64_t kK1[5] = {0, 0, -208, -220, -240};

// The coefficient tables have five entries; a larger filter index is taken as the last one.
int FilterIndex(int nibble) { return nibble > 4 ? 4 : nibble; }

int SignedNibble(int nibble) { return (nibble ^ 8) - 8; }

// One 4-bit code through the two-pole predictor.
int32_t Predict(int code, int shift, int filter, AdpcmHistory& history) {
  // floor((K0 s1 + K1 s2 + 128) / 256): a shift by 7, then by 1 with the bit shifted out added.
  int64_t sum = (kK0[filter] * history.s1 + kK1[filter] * history.s2) >> 7;
  int64_t prediction = (sum >> 1) + (sum & 1);
  int32_t sample = ClampToInt32(code * (int64_t{1} << (28 - shift)) + prediction);
  history.s2 = history.s1;
  history.s1 = sample;
  return sample;
}

}  // namespace

void DecodeXaGroup(const uint8_t* group, bool stereo, AdpcmHistory* history, uint8_t* out) {
  const uint8_t* parameters = group + 4;
  const uint8_t* words = group + 16;
  if (stereo) {
    for (int k = 0; k < 4; ++k) {
      int leftShift = parameters[2 * k] & 15, leftFilter = FilterIndex(parameters[2 * k] >> 4);
      int rightShift = parameters[2 * k + 1] & 15, rightFilter = FilterIndex(parameters[2 * k + 1] >> 4);
      for (int j = 0; j < 28; ++j, out += 16) {
        uint8_t byte = words[4 * j + k];
        StoreWide32(Predict(SignedNibble(byte & 15), leftShift, leftFilter, history[0]), out);
        StoreWide32(Predict(SignedNibble(byte >> 4), rightShift, rightFilter, history[1]), out + 8);
      }
    }
    return;
  }
  for (int unit = 0; unit < 8; ++unit) {
    int shift = parameters[unit] & 15, filter = FilterIndex(parameters[unit] >> 4);
    int k = unit / 2, high = (unit & 1) * 4;
    for (int j = 0; j < 28; ++j, out += 8) {
      int nibble = (words[4 * j + k] >> high) & 15;
      StoreWide32(Predict(SignedNibble(nibble), shift, filter, history[0]), out);
    }
  }
}

void DecodeFilterBlock(const uint8_t* block, AdpcmHistory& history, uint8_t* out, size_t stride) {
  if (block[1] >= 16) {
    // A block marked this way is silence and leaves the predictor alone.
    for (uint32_t i = 0; i < kFilterBlockSamples; ++i, out += stride) StoreWide32(0, out);
    return;
  }
  int shift = block[0] & 15, filter = FilterIndex(block[0] >> 4);
  for (uint32_t i = 0; i < kFilterBlockSamples; ++i, out += stride) {
    int nibble = (block[2 + i / 2] >> ((i & 1) * 4)) & 15;
    StoreWide32(Predict(SignedNibble(nibble), shift, filter, history), out);
  }
}

void DecodeStepBlock(const uint8_t* block, AdpcmHistory& history, uint8_t* out, size_t stride) {
  int64_t step = block[0] << 8 | block[1];
  for (uint32_t i = 0; i < kStepBlockSamples; ++i, out += stride) {
    int nibble = (block[2 + i / 2] >> ((i & 1) ? 0 : 4)) & 15;
    int64_t code = nibble <= 8 ? nibble : nibble - 16;
    int64_t value = code * step * 4 * 16384 + ((history.s1 * 29336) >> 14) - ((history.s2 * 13136) >> 14);
    int32_t sample = ClampToInt32(value);
    history.s2 = history.s1;
    history.s1 = sample;
    StoreWide32(sample, out);
  }
}

}  // namespace audio
