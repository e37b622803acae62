#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "avi/audio_stream.h"
#include "avi/chapter_table.h"
#include "avi/packet_table.h"
#include "avi/ptr_list.h"
#include "avi/stream_header.h"
#include "riff/bitmap_info_header.h"

namespace avi {

// What a file gives the player: its video stream with the packet table, every audio stream,
// the chapters and the file's own picture values. Releasing it releases everything in it.
struct Movie {
  Movie() = default;
  Movie(const Movie&) = delete;
  Movie& operator=(const Movie&) = delete;

  // The picture format, at least a whole BitmapInfoHeader (missing bytes read as zero).
  const riff::BitmapInfoHeader& Bitmap() const {
    return *reinterpret_cast<const riff::BitmapInfoHeader*>(format.data());
  }
  // The video packet table: the first, and as parsed the only, table of the list.
  const PacketTable* VideoTable() const { return packetTables.Get(0); }

  // The video stream's `strn` text, or none.
  std::optional<std::string> name;
  // The video format (BitmapInfoHeader and its extra bytes), padded to at least 40 bytes.
  std::vector<uint8_t> format = std::vector<uint8_t>(sizeof(riff::BitmapInfoHeader), 0);
  StreamHeader streamHeader{};
  PtrList<std::unique_ptr<PacketTable>> packetTables;
  PtrList<std::shared_ptr<AudioStream>> audioStreams;
  std::optional<ChapterTable> chapters;
  // `strc`: 0 the YUV matrix hint, 1 the RGB transfer hint, 3 the field mode.
  std::array<uint8_t, 4> colourInfo{};
  // `vpar`: top, bottom, left and right crop, pixel aspect numerator and denominator.
  std::array<int32_t, 6> videoParams{0, 0, 0, 0, 1, 1};
};

}  // namespace avi
