#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace riff {

// A four-character code as the 32-bit little-endian value it is stored as.
constexpr uint32_t MakeFourcc(const char (&code)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// The code as its four characters, for messages; bytes that are not printable show as '?'.
inline std::string FourccText(uint32_t code) {
  std::string text;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<char>(code >> (8 * i));
    text += c >= ' ' && c <= '~' ? c : '?';
  }
  return text;
}

inline uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

inline uint32_t LoadU32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline uint64_t LoadU64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

}  // namespace riff
