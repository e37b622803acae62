// What every audio fuzz target checks of the reads it makes: a read at p that returns a bytes,
// then one at p + a that returns b, give the same bytes as one read of a + b at p, each from a
// stream of its own that starts fresh.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "avi/audio_stream.h"

namespace fuzzcheck {

// A stream over the same packets and source format, with a decoder of its own when `decoded`;
// none when the decoder refuses the format.
inline std::unique_ptr<avi::AudioStream> Twin(const avi::AudioStream& stream, bool decoded) {
  const auto* format = reinterpret_cast<const uint8_t*>(stream.SourceFormat());
  auto twin = std::make_unique<avi::AudioStream>(
      std::vector<uint8_t>(format, format + stream.SourceFormatSize()),
      std::make_unique<avi::PacketTable>(*stream.PacketTables().Get(0)), std::string("twin"), 0);
  if (decoded && twin->AddStage(std::make_unique<audio::AudioDecoder>(*twin)) != 0) return nullptr;
  return twin;
}

inline void CheckReadsJoin(const avi::AudioStream& stream, bool decoded, uint64_t position, uint32_t count) {
  auto split = Twin(stream, decoded);
  auto whole = Twin(stream, decoded);
  if (!split || !whole) return;
  std::vector<uint8_t> first(count), second(count);
  uint32_t a = split->Read(position, count, first.data());
  if (a > count) __builtin_trap();
  uint32_t b = split->Read(position + a, count, second.data());
  if (b > count) __builtin_trap();
  std::vector<uint8_t> joined(uint64_t{a} + b + 1);
  uint32_t c = whole->Read(position, a + b, joined.data());
  if (c != a + b) __builtin_trap();
  if (a && std::memcmp(joined.data(), first.data(), a) != 0) __builtin_trap();
  if (b && std::memcmp(joined.data() + a, second.data(), b) != 0) __builtin_trap();
}

}  // namespace fuzzcheck
