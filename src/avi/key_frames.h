#pragma once

#include <cstddef>
#include <cstdint>

namespace avi {

// How a video stream's own bitstream tells a key frame, for packets whose container says
// nothing: the first bytes of the packet are enough for every rule here.
enum class KeyFrameRule {
  kEveryFrame,  // intra-only codecs and uncompressed pictures
  kMpeg4Vop,    // MPEG-4 Visual: the first VOP is an I-VOP
  kMsMpeg4,     // Microsoft MPEG-4 versions 2 and 3: the picture type leads the frame
  kH264Idr,     // H.264, Annex B or length-prefixed: an IDR slice before any other slice
  kMpegVideo,   // MPEG-1 and MPEG-2: the first picture header says I
  kFirstOnly,   // unknown: only the first frame, from which decoding is always right
};

// Bytes of a packet's start that IsKeyFrame looks at; the rest is never needed.
inline constexpr size_t kKeyFrameProbeBytes = 4096;

// The rule for a stream, from the picture format's compression code, else the stream header's
// handler code (case does not matter).
KeyFrameRule KeyFrameRuleFor(uint32_t compression, uint32_t handler);

// Whether a packet whose first `size` bytes are `data` (at most kKeyFrameProbeBytes are read)
// starts a picture that decodes on its own. kFirstOnly answers false: the caller keeps the
// first frame a key frame.
bool IsKeyFrame(KeyFrameRule rule, const uint8_t* data, size_t size);

}  // namespace avi
