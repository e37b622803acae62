#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

// Small builders for hand-made AVI files, so that each test states the bytes it is about.
namespace avitest {

using Bytes = std::vector<uint8_t>;

inline Bytes U16(uint16_t v) { return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)}; }
inline Bytes U32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
          static_cast<uint8_t>(v >> 24)};
}
inline Bytes U64(uint64_t v) {
  Bytes out = U32(static_cast<uint32_t>(v));
  Bytes high = U32(static_cast<uint32_t>(v >> 32));
  out.insert(out.end(), high.begin(), high.end());
  return out;
}
inline Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }
inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline Bytes Zeros(size_t n) { return Bytes(n, 0); }

// A chunk exactly as given: no pad byte is added.
inline Bytes Chunk(const char* fourcc, const Bytes& body) {
  return Cat({Text(fourcc), U32(static_cast<uint32_t>(body.size())), body});
}
inline Bytes List(const char* type, const Bytes& body) {
  return Cat({Text("LIST"), U32(static_cast<uint32_t>(body.size() + 4)), Text(type), body});
}
// The whole file: RIFF header around the body.
inline Bytes Riff(const Bytes& body) {
  return Cat({Text("RIFF"), U32(static_cast<uint32_t>(body.size() + 4)), Text("AVI "), body});
}

inline Bytes Avih(uint32_t streams) {
  Bytes body = Zeros(56);
  std::memcpy(body.data() + 24, U32(streams).data(), 4);
  return Chunk("avih", body);
}

// A 56-byte stream header of the type with scale and rate.
inline Bytes StrhBody(const char* type, uint32_t scale = 1, uint32_t rate = 25) {
  Bytes body = Zeros(56);
  std::memcpy(body.data(), type, 4);
  std::memcpy(body.data() + 4, "XVID", 4);
  std::memcpy(body.data() + 20, U32(scale).data(), 4);
  std::memcpy(body.data() + 24, U32(rate).data(), 4);
  return body;
}

inline Bytes BitmapBody(int32_t width = 64, int32_t height = 48) {
  return Cat({U32(40), U32(static_cast<uint32_t>(width)), U32(static_cast<uint32_t>(height)), U16(1), U16(24),
              Text("XVID"), Zeros(20)});
}

inline Bytes PcmBody(uint16_t channels = 2, uint32_t rate = 44100) {
  return Cat({U16(1), U16(channels), U32(rate), U32(rate * channels * 2),
              U16(static_cast<uint16_t>(channels * 2)), U16(16), U16(0)});
}

inline Bytes Strl(const Bytes& strhBody, const Bytes& strfBody, const Bytes& extra = {}) {
  return List("strl", Cat({Chunk("strh", strhBody), Chunk("strf", strfBody), extra}));
}
inline Bytes VideoStrl(const Bytes& extra = {}, uint32_t rate = 25) {
  return Strl(StrhBody("vids", 1, rate), BitmapBody(), extra);
}
inline Bytes AudioStrl(const Bytes& extra = {}) { return Strl(StrhBody("auds", 1, 44100), PcmBody(), extra); }

inline Bytes Hdrl(uint32_t streams, const Bytes& strls) { return List("hdrl", Cat({Avih(streams), strls})); }

struct Idx1Entry {
  std::string id;
  uint32_t flags;
  uint32_t offset;
  uint32_t size;
};
inline Bytes Idx1(const std::vector<Idx1Entry>& entries) {
  Bytes body;
  for (const Idx1Entry& e : entries) body = Cat({body, Text(e.id), U32(e.flags), U32(e.offset), U32(e.size)});
  return Chunk("idx1", body);
}

// A standard index chunk with the given entries (offset, size) from base.
inline Bytes StandardIndex(uint64_t base, const std::vector<std::pair<uint32_t, uint32_t>>& entries,
                           bool cbIsWholeSize = false, uint16_t longsPerEntry = 2, uint8_t subType = 0) {
  Bytes body = Cat({U16(longsPerEntry), Bytes{subType, 1}, U32(static_cast<uint32_t>(entries.size())),
                    Text("00dc"), U64(base), U32(0)});
  for (auto [offset, size] : entries) body = Cat({body, U32(offset), U32(size)});
  uint32_t cb = static_cast<uint32_t>(body.size() + (cbIsWholeSize ? 8 : 0));
  return Cat({Text("ix00"), U32(cb), body});
}

// An indx body listing chunks at (offset, size).
inline Bytes SuperIndex(const std::vector<std::pair<uint64_t, uint32_t>>& chunks, uint16_t longsPerEntry = 4,
                        uint8_t indexType = 0) {
  Bytes body = Cat({U16(longsPerEntry), Bytes{0, indexType}, U32(static_cast<uint32_t>(chunks.size())),
                    Text("00dc"), Zeros(12)});
  for (auto [offset, size] : chunks) body = Cat({body, U64(offset), U32(size), U32(0)});
  return Chunk("indx", body);
}

}  // namespace avitest
