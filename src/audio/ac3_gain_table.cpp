#include "audio/ac3_gain_table.h"

#include <cmath>
#include <cstring>

namespace audio {

namespace {

// Reads bits most significant first; the caller keeps within the bytes it has.
class BitReader {
 public:
  explicit BitReader(const uint8_t* data) : data_(data) {}
  int Read(int count) {
    int value = 0;
    for (int i = 0; i < count; ++i, ++position_) {
      value = value << 1 | ((data_[position_ / 8] >> (7 - position_ % 8)) & 1);
    }
    return value;
  }

 private:
  const uint8_t* data_;
  size_t position_ = 0;
};

constexpr int kMultiplier[8] = {1, 1, 1, 2, 2, 3, 2, 3};
// Bit stream ids above this one use the enhanced syntax.
constexpr int kLastPlainBsid = 10;

}  // namespace

bool Ac3GainTable::ParseLevels(const uint8_t* frame, size_t size, Levels* levels) {
  // The bit stream information fits in the first 8 bytes of either syntax.
  if (!frame || size < 8 || frame[0] != 0x0B || frame[1] != 0x77) return false;
  int bsid = (frame[5] >> 3) & 31;
  BitReader bits(frame + 2);
  if (bsid <= kLastPlainBsid) {
    bits.Read(16);  // crc1
    bits.Read(2);   // fscod
    bits.Read(6);   // frmsizecod
    bits.Read(5);   // bsid
    bits.Read(3);   // bsmod
    levels->acmod = bits.Read(3);
    if ((levels->acmod & 1) && levels->acmod != 1) bits.Read(2);  // cmixlev
    if (levels->acmod & 4) bits.Read(2);                          // surmixlev
    if (levels->acmod == 2) bits.Read(2);                         // dsurmod
  } else {
    bits.Read(2);   // strmtyp
    bits.Read(3);   // substreamid
    bits.Read(11);  // frmsiz
    bits.Read(4);   // fscod, numblkscod or fscod2
    levels->acmod = bits.Read(3);
  }
  levels->lfeon = bits.Read(1);
  if (bsid > kLastPlainBsid) bits.Read(5);  // bsid
  levels->dialnorm = bits.Read(5);
  // A dialogue level of 0 is reserved; decoders take it as the reference level 31.
  if (levels->dialnorm == 0) levels->dialnorm = 31;
  return true;
}

double Ac3GainTable::Gain(const Levels& levels) {
  int multiplier = kMultiplier[levels.acmod & 7] + (levels.lfeon ? 1 : 0);
  return std::pow(10.0, (31 - levels.dialnorm) / 20.0) * multiplier;
}

bool Ac3GainTable::Build(const uint8_t* frame, size_t size) {
  Levels levels{};
  if (!ParseLevels(frame, size, &levels)) return false;
  double gain = Gain(levels);
  table_.resize(65536);
  for (int i = 0; i < 65536; ++i) {
    double value = std::trunc((i - 32768) * gain);
    table_[i] = static_cast<int16_t>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
  }
  return true;
}

void Ac3GainTable::Apply(uint8_t* samples, size_t count) const {
  for (size_t i = 0; i < count; ++i, samples += 2) {
    int16_t sample;
    std::memcpy(&sample, samples, 2);
    sample = table_[static_cast<uint16_t>(sample + 32768)];
    std::memcpy(samples, &sample, 2);
  }
}

}  // namespace audio
