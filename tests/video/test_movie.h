#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/movie.h"
#include "riff/fourcc.h"
#include "support/temp_dir.h"

namespace videotest {

struct TestPacket {
  std::vector<uint8_t> bytes;
  bool key;
};

// A packet whose first byte is `tag` (the fake codecs' picture value), `size` bytes long.
inline TestPacket Tagged(uint8_t tag, bool key, size_t size = 8) {
  TestPacket packet{std::vector<uint8_t>(size, tag), key};
  return packet;
}

struct MovieShape {
  uint32_t handler = 0;
  uint32_t compression = 0;
  int32_t width = 16;
  int32_t height = 8;
  uint16_t bits = 12;
  uint8_t fieldMode = 0;
  std::vector<uint8_t> extra;  // bytes after the header in the format
};

// Writes the packets back to back into a file of `dir` and builds a Movie over them, as the
// parser would.
inline std::unique_ptr<avi::Movie> BuildMovie(const testsupport::TempDir& dir, const MovieShape& shape,
                                              const std::vector<TestPacket>& packets) {
  std::vector<uint8_t> bytes(4, 0);  // nothing starts at offset 0
  std::vector<std::pair<uint64_t, uint32_t>> entries;
  for (const TestPacket& packet : packets) {
    entries.emplace_back(bytes.size(),
                         static_cast<uint32_t>(packet.bytes.size()) | (packet.key ? 0 : avi::kNotKeyFrame));
    bytes.insert(bytes.end(), packet.bytes.begin(), packet.bytes.end());
  }
  const std::string path = dir.Write("packets.bin", bytes);
  auto movie = std::make_unique<avi::Movie>();
  riff::BitmapInfoHeader header{};
  header.size = static_cast<uint32_t>(sizeof(header) + shape.extra.size());
  header.width = shape.width;
  header.height = shape.height;
  header.planes = 1;
  header.bitCount = shape.bits;
  header.compression = shape.compression;
  movie->format.assign(reinterpret_cast<const uint8_t*>(&header),
                       reinterpret_cast<const uint8_t*>(&header) + sizeof(header));
  movie->format.insert(movie->format.end(), shape.extra.begin(), shape.extra.end());
  movie->streamHeader.fccType = riff::MakeFourcc("vids");
  movie->streamHeader.fccHandler = shape.handler;
  movie->streamHeader.scale = 1;
  movie->streamHeader.rate = 25;
  movie->colourInfo[3] = shape.fieldMode;
  auto table = std::make_unique<avi::PacketTable>(avi::FileView::Open(path));
  for (const auto& [offset, size] : entries) table->Append(offset, size);
  movie->packetTables.Append(std::move(table));
  return movie;
}

}  // namespace videotest
