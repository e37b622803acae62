#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/codec_id.h>
}

namespace platform::codec {

// The decoder for a video four-character code through FFmpeg's RIFF tag table (exact match
// first, then ignoring case); AV_CODEC_ID_NONE when the table has none.
AVCodecID CodecIdFor(uint32_t fourcc);

}  // namespace platform::codec
