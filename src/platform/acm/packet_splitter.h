#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/acm/codec_choice.h"
#include "platform/ffmpeg/owners.h"

namespace platform::acm {

// Splits one conversion's source bytes into the codec's packets, whole packets only: a frame
// that the bytes end inside is left for the caller to hand over again with what follows.
class PacketSplitter {
 public:
  struct Packet {
    const uint8_t* data;
    uint32_t size;
    // Source bytes used up to the end of this packet.
    uint32_t end;
  };

  PacketSplitter(const CodecChoice& choice, uint16_t blockAlign);
  ~PacketSplitter();
  PacketSplitter(const PacketSplitter&) = delete;
  PacketSplitter& operator=(const PacketSplitter&) = delete;

  // Starts on `size` bytes at `data`, which must be followed by AV_INPUT_BUFFER_PADDING_SIZE
  // readable bytes. Every run starts without memory of the one before.
  void Begin(AVCodecContext* context, const uint8_t* data, uint32_t size);
  // The next whole packet; its bytes stay valid until the next call. False at the end.
  bool Next(Packet* packet);

 private:
  bool NextParsed(Packet* packet);
  bool NextFixed(Packet* packet);
  // Drops the bytes before the first frame start from the first packet of a run.
  void SkipLeadingBytes(Packet* packet);
  // Whether `size` bytes at `data` are exactly one frame.
  bool WholeFrame(const uint8_t* data, uint32_t size);

  CodecChoice::Framing framing_;
  AVCodecID codec_;
  uint32_t block_;
  // A block codec's packet is one block; a sample codec's packet many.
  uint32_t packetBytes_;
  AVCodecContext* context_ = nullptr;
  ffmpeg::ParserPtr parser_;
  const uint8_t* data_ = nullptr;
  uint32_t size_ = 0;
  uint32_t offset_ = 0;
  uint32_t lastEnd_ = 0;
  bool pendingChecked_ = false;
  std::vector<uint8_t> probe_;
};

}  // namespace platform::acm
