#pragma once

#include "platform/acm/codec_choice.h"
#include "platform/ffmpeg/owners.h"
#include "riff/wave_format.h"

namespace platform::acm {

using ffmpeg::ContextPtr;
using ffmpeg::FramePtr;
using ffmpeg::PacketPtr;

// A context for the codec of `choice`, filled from the fields of `source`: its rate, channels,
// block size, bit rate, sample width and set-up bytes. Not opened; none without memory.
ContextPtr MakeContext(const CodecChoice& choice, const riff::WaveFormat& source);

// The decoder of `choice` opened on a context made by MakeContext; kOk or the result code.
int OpenDecoder(const CodecChoice& choice, const riff::WaveFormat& source, ContextPtr* context);

}  // namespace platform::acm
