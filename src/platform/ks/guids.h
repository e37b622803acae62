#pragma once

#include <cstdint>

#include "platform/waveout/wave_format_extensible.h"

namespace platform::ks {

using Guid = waveout::Guid;

inline constexpr Guid kNullGuid{};

// Device categories a filter is found in.
inline constexpr Guid kCategoryAudio{
    0x6994AD04, 0x93EF, 0x11D0, {0xA3, 0xCC, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};
inline constexpr Guid kCategoryRender{
    0x65E8773E, 0x8F56, 0x11D0, {0xA3, 0xB9, 0x00, 0xA0, 0xC9, 0x22, 0x31, 0x96}};

// Property sets.
inline constexpr Guid kPropertySetPin{
    0x8C134960, 0x51AD, 0x11CF, {0x87, 0x8A, 0x94, 0xF8, 0x01, 0xC1, 0x00, 0x00}};
inline constexpr Guid kPropertySetConnection{
    0x1D58C920, 0xAC9B, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr Guid kPropertySetTopology{
    0x720D4AC0, 0x7533, 0x11D0, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};

// The standard streaming interface and medium of a pin.
inline constexpr Guid kInterfaceSetStandard{
    0x1A8766A0, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};
inline constexpr Guid kMediumSetStandard{
    0x4747B320, 0x62CE, 0x11CF, {0xA5, 0xD6, 0x28, 0xDB, 0x04, 0xC1, 0x00, 0x00}};

// Data formats: audio, its PCM sub-format, described by a wave format.
inline constexpr Guid kFormatTypeAudio{
    0x73647561, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
inline constexpr Guid kSubtypePcm = waveout::kSubtypePcm;
inline constexpr Guid kSpecifierWaveFormat{
    0x05589F81, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// The sub-format of wave format tag `tag`: the tag in the first field, the rest as PCM's.
constexpr Guid SubtypeOfTag(uint16_t tag) {
  Guid subtype = kSubtypePcm;
  subtype.data1 = tag;
  return subtype;
}

// True for the sub-format of some wave format tag (PCM's included).
constexpr bool IsTagSubtype(const Guid& subtype) {
  return subtype.data1 <= 0xFFFF && SubtypeOfTag(static_cast<uint16_t>(subtype.data1)) == subtype;
}

}  // namespace platform::ks
