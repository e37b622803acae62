#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "avi/movie.h"
#include "avi_writer/avi_writer.h"

namespace videotest {

// What fills a reference picture's own slot after the B-frames packed ahead of it.
enum class Placeholder { kNotCodedVop, kEmptyChunk };

namespace packed {

constexpr uint8_t kVopCode = 0xB6;
constexpr int kTypeB = 2;

// Offsets of the VOP start codes (00 00 01 B6) in bytes.
inline std::vector<size_t> VopStarts(const std::vector<uint8_t>& bytes) {
  std::vector<size_t> starts;
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    if (bytes[i] == 0 && bytes[i + 1] == 0 && bytes[i + 2] == 1 && bytes[i + 3] == kVopCode)
      starts.push_back(i);
  }
  return starts;
}

struct BitReader {
  const std::vector<uint8_t>& bytes;
  size_t bit;
  uint32_t Read(int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i, ++bit) {
      const size_t at = bit / 8;
      value = value << 1 | (at < bytes.size() ? (bytes[at] >> (7 - bit % 8)) & 1 : 0);
    }
    return value;
  }
};

// Bits of vop_time_increment, read from the first video object layer header in bytes.
inline std::optional<int> TimeIncrementBits(const std::vector<uint8_t>& bytes) {
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    if (bytes[i] != 0 || bytes[i + 1] != 0 || bytes[i + 2] != 1 || (bytes[i + 3] & 0xF0) != 0x20) continue;
    BitReader in{bytes, (i + 4) * 8};
    in.Read(1 + 8);  // random access, object type
    if (in.Read(1) != 0) in.Read(4 + 3);
    if (in.Read(4) == 15) in.Read(8 + 8);
    if (in.Read(1) != 0) {
      in.Read(2 + 1);
      if (in.Read(1) != 0) in.Read(79);  // the buffer parameters
    }
    in.Read(2 + 1);  // shape, marker
    const uint32_t resolution = in.Read(16);
    int count = 1;
    while ((1u << count) < resolution) ++count;
    return count;
  }
  return std::nullopt;
}

// A P-VOP that is not coded: the placeholder DivX writes after a packed pair.
inline std::vector<uint8_t> NotCodedVop(int incrementBits) {
  std::vector<uint8_t> vop = {0, 0, 1, kVopCode};
  std::vector<int> bits = {0, 1, 0, 1};  // P, end of seconds, marker
  bits.insert(bits.end(), incrementBits, 0);
  bits.insert(bits.end(), {1, 0, 0});  // marker, not coded, the stuffing's zero
  while (bits.size() % 8 != 0) bits.push_back(1);
  for (size_t i = 0; i < bits.size(); i += 8) {
    uint8_t byte = 0;
    for (size_t j = 0; j < 8; ++j) byte = static_cast<uint8_t>(byte << 1 | bits[i + j]);
    vop.push_back(byte);
  }
  return vop;
}

}  // namespace packed

// Rewrites the MPEG-4 stream of `movie` (one VOP a packet, B-frames in decode order) as DivX
// packs it, into `path`: a reference picture followed by B-frames shares a chunk with the
// first of them, and the placeholder takes the reference's slot after the last, so chunk f
// still shows frame f. The user data marks the stream as packed, as DivX and XviD do.
inline bool WritePacked(const avi::Movie& movie, const std::string& path, Placeholder placeholder) {
  const avi::PacketTable& table = *movie.VideoTable();
  std::vector<std::vector<uint8_t>> packets;
  for (size_t i = 0; i < table.Count(); ++i) {
    std::vector<uint8_t> packet(table.Size(i) & ~avi::kNotKeyFrame);
    if (table.View().Read(table[i].offset, static_cast<uint32_t>(packet.size()), packet.data()) !=
        packet.size())
      return false;
    packets.push_back(std::move(packet));
  }
  std::vector<uint8_t> extra(movie.format.begin() + sizeof(riff::BitmapInfoHeader), movie.format.end());
  std::optional<int> incrementBits = packed::TimeIncrementBits(extra);
  if (!incrementBits && !packets.empty()) incrementBits = packed::TimeIncrementBits(packets[0]);
  if (!incrementBits) return false;
  const std::vector<uint8_t> filler =
      placeholder == Placeholder::kEmptyChunk ? std::vector<uint8_t>() : packed::NotCodedVop(*incrementBits);

  struct Chunk {
    std::vector<uint8_t> bytes;
    bool key;
  };
  std::vector<Chunk> chunks;
  std::optional<Chunk> waiting;  // a reference picture that may pair with the next B-frame
  bool fillerOwed = false;
  for (const std::vector<uint8_t>& packet : packets) {
    const std::vector<size_t> starts = packed::VopStarts(packet);
    if (starts.size() != 1) return false;
    const int type = packet[starts[0] + 4] >> 6;
    if (type == packed::kTypeB) {
      if (waiting) {
        waiting->bytes.insert(waiting->bytes.end(), packet.begin(), packet.end());
        chunks.push_back(std::move(*waiting));
        waiting.reset();
        fillerOwed = true;
      } else {
        chunks.push_back({packet, false});
      }
      continue;
    }
    if (fillerOwed) chunks.push_back({filler, false});
    fillerOwed = false;
    if (waiting) chunks.push_back(std::move(*waiting));
    waiting = Chunk{packet, type == 0};
  }
  if (fillerOwed) chunks.push_back({filler, false});
  if (waiting) chunks.push_back(std::move(*waiting));
  if (chunks.size() != packets.size()) return false;

  const std::string userData = "DivX503b1393p";
  std::vector<uint8_t> mark = {0, 0, 1, 0xB2};
  mark.insert(mark.end(), userData.begin(), userData.end());
  std::vector<uint8_t>& first = chunks[0].bytes;
  first.insert(first.begin() + static_cast<ptrdiff_t>(packed::VopStarts(first)[0]), mark.begin(), mark.end());

  aviwriter::StreamDescription video;
  video.header = movie.streamHeader;
  video.format = movie.format;
  aviwriter::AviWriter writer;
  if (!writer.Open(path, {video}, aviwriter::WriterOptions{})) return false;
  for (const Chunk& chunk : chunks) {
    if (!writer.WritePacket(0, chunk.bytes.data(), static_cast<uint32_t>(chunk.bytes.size()), chunk.key))
      return false;
  }
  return writer.Close();
}

}  // namespace videotest
