#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace audio {

// The dialogue-level gain of an AC-3 stream as a lookup over all 16-bit samples, built once
// from the bit stream information of a frame.
class Ac3GainTable {
 public:
  // What the gain is made of: audio coding mode, LFE flag and dialogue normalisation.
  struct Levels {
    int acmod;
    int lfeon;
    int dialnorm;
  };

  // The levels of the frame at `frame`; false when it is not a frame or too short to tell.
  static bool ParseLevels(const uint8_t* frame, size_t size, Levels* levels);
  // 10^((31 − dialnorm) / 20) times the channel multiplier of the coding mode.
  static double Gain(const Levels& levels);

  // Builds the table from the frame's levels; false (and no table) when they cannot be read.
  bool Build(const uint8_t* frame, size_t size);
  bool Built() const { return !table_.empty(); }
  // Replaces each of `count` little-endian 16-bit samples at `samples` by its table entry.
  void Apply(uint8_t* samples, size_t count) const;
  int16_t Entry(uint16_t index) const { return table_[index]; }

 private:
  std::vector<int16_t> table_;
};

}  // namespace audio
