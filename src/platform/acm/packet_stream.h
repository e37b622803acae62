#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/acm/codec_choice.h"
#include "platform/acm/codec_context.h"
#include "platform/acm/pcm_sink.h"
#include "riff/wave_format.h"

namespace platform::acm {

// A decoder fed one whole packet at a time, for the codecs that only the container's packets
// frame (AAC with its configuration, Vorbis, FLAC, Opus), to 16-bit PCM over libavcodec and
// libswresample. Closed when destroyed.
class PacketStream {
 public:
  // The bytes of a packet's start that PacketSamples looks at.
  static constexpr uint32_t kHeadBytes = 16;

  ~PacketStream();
  PacketStream(const PacketStream&) = delete;
  PacketStream& operator=(const PacketStream&) = delete;

  // Opens a stream from `source` (with its cbSize extra bytes) to `destination`, which must be
  // the PCM format SuggestFormat gives for it. kNotPossible for a codec that needs no packets.
  static int Open(std::unique_ptr<PacketStream>* stream, const riff::WaveFormat* source,
                  const riff::WaveFormat* destination);

  // Decodes one whole packet and appends its samples, in the destination format, to `pcm`.
  // False when the codec refuses the packet; what it gave before that stays.
  bool Decode(const uint8_t* data, uint32_t size, std::vector<uint8_t>* pcm);
  // Forgets the codec's history: the next packet decodes as the first one of a fresh stream.
  void Restart();

  // The samples, at the codec's rate, that every packet gives; 0 when packets differ.
  uint32_t FixedPacketSamples() const;
  // The samples, at the codec's rate, that a packet gives, judged from its first bytes (up to
  // kHeadBytes); 0 when they do not say. Packets are to be shown in stream order: a codec may
  // take a packet's length from the one before.
  uint32_t PacketSamples(const uint8_t* head, uint32_t size);
  // The rate the codec decodes at: the format's, or the one it found in the stream.
  uint32_t CodecRate() const;

 private:
  PacketStream(const CodecChoice& choice, const riff::WaveFormat& source,
               const riff::WaveFormat& destination);

  CodecChoice choice_;
  riff::WaveFormat source_;
  Decoder decoder_;
  PcmSink sink_;
  std::vector<uint8_t> input_;
  // Packet lengths come from the codec's parser, on a context of its own that is never opened.
  ContextPtr parseContext_;
  ParserPtr parser_;
};

}  // namespace platform::acm
