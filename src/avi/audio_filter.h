#pragma once

#include <cstdint>

#include "riff/wave_format.h"

namespace avi {

class AudioStream;

// What a stage asks of the chain below it through the chain callback.
enum ChainRequest : int {
  // first = source position, third = byte count, fourth = destination (uint8_t*);
  // result = bytes read, raw from the packets for stage 0, else from the stage before.
  kChainRead = 1,
  // first = uint64_t* receiving the stream's total length in output bytes, scaled by every
  // stage before the asking one (output over input byte rate); result 1.
  kChainTotalLength = 3,
  // first = uint32_t* receiving the packet count (stage 0) or 1; result 0.
  kChainPacketCount = 4,
  // second = uint32_t* receiving the low 32 bits of the total length (stage 0) or 0; result 0.
  kChainTotalLengthShort = 5,
  // first = const uint64_t* output position; result = the source byte position to decode from
  // for it; second = uint64_t* receiving the output position where that decoding starts, at or
  // before the one asked for.
  kChainSourcePosition = 6,
  // Stage 0 only: first = packet index counted over all packet tables, second = uint32_t*
  // receiving the packet's size (or null), third = byte count, fourth = destination (uint8_t*);
  // result = the packet's bytes read from its start, at most the count; -1 past the last packet.
  kChainReadPacket = 7,
};

// How a stage reaches its input: stages hold no pointers to each other; the stream passes this
// function down with every read.
using ChainCallback = int64_t (*)(int stage, int kind, AudioStream* stream, intptr_t first, intptr_t second,
                                  intptr_t third, intptr_t fourth);

// One stage of an audio stream's filter chain, owned and deleted by the stream.
class IAudioFilter {
 public:
  virtual ~IAudioFilter() = default;

  virtual int Kind() const = 0;
  // True when construction failed; the stream then refuses the stage.
  virtual bool Failed() const = 0;
  virtual const riff::WaveFormat* InputFormat() const = 0;
  virtual const riff::WaveFormat* OutputFormat() const = 0;
  // Writes up to count output bytes starting at output position `position`; returns the bytes
  // written. `stage` is this stage's index, passed back to the callback for its input.
  virtual uint32_t Read(int stage, ChainCallback callback, AudioStream* stream, int64_t position,
                        uint32_t count, uint8_t* destination) = 0;
  // The current output position: where the next sequential read is expected.
  virtual int64_t Position() const = 0;
  // The stage's whole output in bytes, when it knows it exactly (a codec whose packets say how
  // many samples they give); false leaves the stream to scale the packet bytes by byte rates.
  virtual bool OutputLength(uint64_t* /*bytes*/) const { return false; }
};

}  // namespace avi
