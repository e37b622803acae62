#pragma once

#include <cstdint>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
}

#include "riff/wave_format.h"

namespace platform::acm {

// How a wave format is decoded: the codec, its set-up bytes and where packets end.
struct CodecChoice {
  enum class Framing {
    // The codec's parser finds the frames in the byte stream.
    kParser,
    // Every nBlockAlign bytes are one packet.
    kBlocks,
    // Sample codecs: any whole number of blocks makes a packet.
    kSamples,
    // Only the container's packets mark where one ends: neither a frame header nor a fixed
    // block size does.
    kPackets,
  };

  AVCodecID codec = AV_CODEC_ID_NONE;
  Framing framing = Framing::kBlocks;
  std::vector<uint8_t> extradata;
  // The speaker mask of an extensible format, 0 when the format has none.
  uint64_t channelMask = 0;
};

// Widest ranges accepted, so that buffers sized from a format stay bounded.
inline constexpr uint16_t kMaxChannels = 8;
inline constexpr uint32_t kMaxSampleRate = 384000;
inline constexpr uint32_t kMaxByteRate = 8u << 20;

// The codec for `format` (a WaveFormat followed by its cbSize extra bytes) through FFmpeg's
// RIFF tag table. False when none decodes it here or the fields are out of range; then `why`,
// when given, says which.
bool ChooseCodec(const riff::WaveFormat* format, CodecChoice* choice, std::string* why = nullptr);

}  // namespace platform::acm
