#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "avi/audio_filter.h"
#include "avi/packet_table.h"
#include "avi/ptr_list.h"
#include "riff/wave_format.h"

namespace avi {

// A stream's name: 8-bit text, or UTF-16 when it came from a UTF-16 file path.
using StreamName = std::variant<std::string, std::u16string>;

// One audio stream: its packets, its format and the chain of stages that decodes it. Output
// positions count bytes of the chain's output format from the start of the stream; source
// positions count packet bytes. Shared through std::shared_ptr; the Movie holds one reference.
class AudioStream {
 public:
  // `format` is a WaveFormat with its extra bytes as stored; it is normalised so that every
  // field can be read: padded to 18 bytes, PCM cut to its fixed part, cbSize cut to the bytes
  // that are really there.
  AudioStream(std::vector<uint8_t> format, std::unique_ptr<PacketTable> table, StreamName name,
              int32_t delay);
  AudioStream(const AudioStream&) = delete;
  AudioStream& operator=(const AudioStream&) = delete;
  ~AudioStream();

  const riff::WaveFormat* SourceFormat() const {
    return reinterpret_cast<const riff::WaveFormat*>(format_.data());
  }
  size_t SourceFormatSize() const { return format_.size(); }
  // The last stage's output format, or the source format when the chain is empty.
  const riff::WaveFormat* OutputFormat() const;
  int32_t Delay() const { return delay_; }
  const std::string* Name8() const { return std::get_if<std::string>(&name_); }
  const std::u16string* Name16() const { return std::get_if<std::u16string>(&name_); }

  // The total length in output bytes.
  uint64_t TotalLength() const;
  // Delivers up to count output bytes at `position`: through the last stage when there is
  // one, else raw from the packets. Fewer bytes (possibly 0) past the end of the stream.
  uint32_t Read(uint64_t position, uint32_t count, void* destination);
  // The last stage's output position, or 0 without stages.
  int64_t DecodedPosition() const;

  // Takes the stage unless its construction failed: then deletes it and returns 1; else 0.
  int AddStage(std::unique_ptr<avi::IAudioFilter> stage);
  // Deletes the last stage; returns 1 when there was none, else 0.
  int RemoveLastStage();
  size_t StageCount() const { return chain_.Count(); }
  avi::IAudioFilter* Stage(size_t index) const { return chain_.Get(index); }

  // The source byte position to decode from for output position `position`; `start`, when
  // given, receives the output position where decoding from there starts (at or before it).
  uint64_t SourcePosition(uint64_t position, uint64_t* start = nullptr) const;

  const PtrList<std::unique_ptr<PacketTable>>& PacketTables() const { return tables_; }

  // The packet bytes at source position `position`, back to back across packets.
  uint32_t ReadRaw(uint64_t position, uint32_t count, uint8_t* destination) const;
  // The packets of all tables, counted in order.
  size_t PacketCount() const;
  // The size of packet `index`, counted over all tables; -1 past the last packet.
  int64_t PacketSize(size_t index) const;
  // Up to `count` bytes from the start of packet `index`; `size`, when given, receives the
  // packet's size. -1 past the last packet.
  int64_t ReadPacket(size_t index, uint32_t count, uint8_t* destination, uint32_t* size) const;

  // The callback handed to every stage's Read.
  static int64_t ChainCallback(int stage, int kind, AudioStream* stream, intptr_t first, intptr_t second,
                               intptr_t third, intptr_t fourth);

 private:
  uint64_t PacketBytes() const;
  // Packet `index` counted over all tables and the table that holds it; none past the last.
  const PacketEntry* FindPacket(size_t index, const PacketTable** table) const;
  // The source format as the first stage reads it (a stage may know a byte rate better than the
  // stream stored it), or the stream's own without stages.
  const riff::WaveFormat& DecodedFormat() const;
  // The total length in output bytes, scaled by every stage before `stage` (output over input
  // byte rate): what the chain callback reports to that stage.
  uint64_t TotalLengthBefore(size_t stage) const;

  PtrList<std::unique_ptr<PacketTable>> tables_;
  std::vector<uint8_t> format_;
  PtrList<std::unique_ptr<avi::IAudioFilter>> chain_;
  StreamName name_;
  int32_t delay_;
};

}  // namespace avi
