#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/acm/codec_choice.h"
#include "platform/acm/codec_context.h"
#include "platform/acm/packet_splitter.h"
#include "platform/acm/pcm_sink.h"
#include "platform/acm/stream_header.h"
#include "riff/wave_format.h"

namespace platform::acm {

// A conversion stream from one compressed wave format to 16-bit PCM, over a libavcodec
// decoder and libswresample. Closed when destroyed.
class Stream {
 public:
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // Opens a stream from `source` (with its cbSize extra bytes) to `destination`, which must be
  // the PCM format SuggestFormat gives for it.
  static int Open(std::unique_ptr<Stream>* stream, const riff::WaveFormat* source,
                  const riff::WaveFormat* destination, uint32_t flags);

  // kSizeSource: the destination bytes that `length` source bytes can need;
  // kSizeDestination: the source bytes that fill about `length` destination bytes.
  int Size(uint32_t length, uint32_t* result, uint32_t flags) const;

  int Prepare(StreamHeader* header) const;
  int Unprepare(StreamHeader* header) const;
  // Converts whole packets of the header's source into its destination; sets both used
  // lengths. Source bytes not used (a frame cut off at the end) are to be handed over again.
  int Convert(StreamHeader* header, uint32_t flags);

 private:
  Stream(const CodecChoice& choice, const riff::WaveFormat& source, const riff::WaveFormat& destination);
  // Decodes one packet into the destination; false when the destination is full.
  bool Decode(const PacketSplitter::Packet& packet, uint8_t* destination, uint32_t room, uint32_t* used);
  void Restart();

  CodecChoice choice_;
  riff::WaveFormat source_;
  riff::WaveFormat destination_;
  Decoder decoder_;
  PacketSplitter splitter_;
  PcmSink sink_;
  std::vector<uint8_t> input_;
};

}  // namespace platform::acm
