#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/packet_entry.h"
#include "avi/stream_header.h"

namespace aviwriter {

// One stream of the file to be written.
struct StreamDescription {
  // fccType "vids" or "auds", handler, scale, rate, sample size; length and buffer size are
  // filled in from the packets written.
  avi::StreamHeader header{};
  std::vector<uint8_t> format;  // the strf body
  std::string name;             // strn text; none when empty
  // Further chunks of the stream list, such as strc, vpar or strd: FOURCC and body.
  std::vector<std::pair<uint32_t, std::vector<uint8_t>>> extraChunks;
};

struct Chapter {
  uint32_t frame;
  std::string title;         // UTF-8, stored as 8-bit text
  std::u16string wideTitle;  // stored as UTF-16 with its mark when not empty
};

struct WriterOptions {
  // OpenDML: indx super indexes, an ix## standard index per stream and RIFF, AVIX RIFFs and
  // the odml list.
  bool openDml = false;
  // idx1 over the packets of the first RIFF.
  bool legacyIndex = true;
  // Bytes a RIFF may grow to before the next packet starts an AVIX RIFF (OpenDML only).
  uint64_t riffLimit = uint64_t{1} << 30;
  // Packet data is left as holes: the file costs only its headers and indexes on disk.
  bool sparse = false;
  // Room in every super index: the number of RIFFs the file may have.
  uint32_t superIndexCapacity = 64;
  // Written as an SMCH chunk in the first RIFF.
  std::vector<Chapter> chapters;
};

// Writes AVI files from packets: classic with idx1, or OpenDML of any size.
class AviWriter {
 public:
  AviWriter() = default;
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;
  ~AviWriter();

  bool Open(const std::string& path, std::vector<StreamDescription> streams, WriterOptions options);
  // Appends one packet of stream `stream`; data may be null in sparse mode.
  bool WritePacket(uint32_t stream, const uint8_t* data, uint32_t size, bool key);
  // Finishes the indexes and headers and closes the file.
  bool Close();

  // Where each stream's packets went: data offset and size (bit 31 set for non-key video).
  const std::vector<std::vector<avi::PacketEntry>>& Packets() const { return packets_; }

 private:
  struct RiffIndex {
    uint64_t offset;  // of the ix## chunk header
    uint32_t size;    // of the chunk, header included
    uint32_t duration;
  };
  struct StreamState {
    StreamDescription description;
    uint32_t chunkId;
    std::vector<avi::PacketEntry> riffPackets;  // packets of the RIFF being written
    std::vector<RiffIndex> indexes;
    uint64_t bytes = 0;
    uint32_t maxPacket = 0;
  };
  struct LegacyEntry {
    uint32_t id;
    uint32_t flags;
    uint32_t offset;
    uint32_t size;
  };

  bool Put(uint64_t position, const std::vector<uint8_t>& bytes);
  std::vector<uint8_t> HeaderList() const;
  bool StartRiff(bool first);
  bool EndRiff();
  bool WriteStandardIndexes();

  int fd_ = -1;
  WriterOptions options_;
  std::vector<StreamState> streams_;
  std::vector<std::vector<avi::PacketEntry>> packets_;
  std::vector<LegacyEntry> legacy_;
  uint64_t position_ = 0;
  uint64_t riffStart_ = 0;
  uint64_t moviStart_ = 0;  // position of the movi list's size field
  bool firstRiff_ = true;
  uint32_t firstRiffFrames_ = 0;
  bool failed_ = false;
};

}  // namespace aviwriter
