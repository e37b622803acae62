#include "avi/key_frames.h"

#include <algorithm>
#include <array>

#include "riff/fourcc.h"
#include "riff/mpeg4_vop.h"

namespace avi {

using riff::MakeFourcc;

namespace {

constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

// Codes are compared in upper case: writers disagree on the case of the same codec.
constexpr uint32_t Upper(uint32_t code) {
  uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t c = (code >> shift) & 0xFF;
    if (c >= 'a' && c <= 'z') c -= 'a' - 'A';
    out |= c << shift;
  }
  return out;
}

struct Family {
  KeyFrameRule rule;
  std::array<uint32_t, 24> codes;
};

constexpr Family kFamilies[] = {
    {KeyFrameRule::kEveryFrame,
     {MakeFourcc("MJPG"), MakeFourcc("AVRN"), MakeFourcc("DMB1"), MakeFourcc("JPEG"), MakeFourcc("LJPG"),
      MakeFourcc("MPNG"), MakeFourcc("YUY2"), MakeFourcc("YUYV"), MakeFourcc("UYVY"), MakeFourcc("YVYU"),
      MakeFourcc("YV12"), MakeFourcc("I420"), MakeFourcc("IYUV"), MakeFourcc("NV12"), MakeFourcc("Y800"),
      MakeFourcc("V210"), MakeFourcc("HFYU"), MakeFourcc("FFVH"), MakeFourcc("FFV1"), MakeFourcc("DVSD"),
      MakeFourcc("DV25"), MakeFourcc("DV50"), MakeFourcc("CDVC"), MakeFourcc("ULY0")}},
    {KeyFrameRule::kMpeg4Vop,
     {MakeFourcc("XVID"), MakeFourcc("DIVX"), MakeFourcc("DX50"), MakeFourcc("FMP4"), MakeFourcc("MP4V"),
      MakeFourcc("M4S2"), MakeFourcc("MP4S"), MakeFourcc("3IV2"), MakeFourcc("3IVX"), MakeFourcc("XVIX"),
      MakeFourcc("BLZ0"), MakeFourcc("RMP4"), MakeFourcc("UMP4"), MakeFourcc("HDX4")}},
    {KeyFrameRule::kMsMpeg4,
     {MakeFourcc("MP42"), MakeFourcc("DIV2"), MakeFourcc("MP43"), MakeFourcc("DIV3"), MakeFourcc("DIV4"),
      MakeFourcc("MPG3"), MakeFourcc("AP41"), MakeFourcc("COL1"), MakeFourcc("DVX3")}},
    {KeyFrameRule::kH264Idr,
     {MakeFourcc("H264"), MakeFourcc("X264"), MakeFourcc("AVC1"), MakeFourcc("DAVC"), MakeFourcc("VSSH")}},
    {KeyFrameRule::kMpegVideo,
     {MakeFourcc("MPG1"), MakeFourcc("MPG2"), MakeFourcc("MPEG"), MakeFourcc("PIM1"), MakeFourcc("PIM2"),
      MakeFourcc("MX3N")}},
};

bool Known(uint32_t code, KeyFrameRule* rule) {
  if (code == kBiRgb || code == kBiBitfields) {
    *rule = KeyFrameRule::kEveryFrame;
    return true;
  }
  const uint32_t upper = Upper(code);
  for (const Family& family : kFamilies) {
    if (std::find(family.codes.begin(), family.codes.end(), upper) != family.codes.end()) {
      *rule = family.rule;
      return true;
    }
  }
  return false;
}

// The offset of the next 00 00 01 start code at or after `from`, or `size` when there is none.
size_t NextStartCode(const uint8_t* data, size_t size, size_t from) {
  for (size_t i = from; i + 3 <= size; ++i) {
    if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) return i;
  }
  return size;
}

bool Mpeg4Key(const uint8_t* data, size_t size) {
  const size_t at = riff::NextVop(data, size, 0);
  return at < size && riff::VopType(data, at) == riff::kVopIntra;
}

bool MpegVideoKey(const uint8_t* data, size_t size) {
  constexpr uint8_t kPictureStart = 0x00;
  constexpr uint32_t kIntraPicture = 1;
  for (size_t at = NextStartCode(data, size, 0); at + 5 < size; at = NextStartCode(data, size, at + 3)) {
    // Ten bits of temporal reference, then three of picture_coding_type.
    if (data[at + 3] == kPictureStart) return ((data[at + 5] >> 3) & 7) == kIntraPicture;
  }
  return false;
}

// One NAL unit's header byte: true for an IDR slice, false for any other slice, none for the
// parameter sets, SEI and delimiters that come before the slices.
enum class NalVerdict { kKey, kNotKey, kGoOn };
NalVerdict H264Nal(uint8_t header) {
  constexpr uint8_t kIdrSlice = 5;
  uint8_t type = header & 0x1F;
  if (type == kIdrSlice) return NalVerdict::kKey;
  if (type >= 1 && type <= 4) return NalVerdict::kNotKey;
  return NalVerdict::kGoOn;
}

bool H264Key(const uint8_t* data, size_t size) {
  const bool annexB =
      size >= 4 && data[0] == 0 && data[1] == 0 && (data[2] == 1 || (data[2] == 0 && data[3] == 1));
  if (annexB) {
    for (size_t at = NextStartCode(data, size, 0); at + 3 < size; at = NextStartCode(data, size, at + 3)) {
      NalVerdict verdict = H264Nal(data[at + 3]);
      if (verdict != NalVerdict::kGoOn) return verdict == NalVerdict::kKey;
    }
    return false;
  }
  // Length-prefixed NAL units, four bytes of length each, as some muxers store them.
  for (size_t at = 0; at + 4 < size;) {
    uint64_t length =
        uint64_t{data[at]} << 24 | uint64_t{data[at + 1]} << 16 | data[at + 2] << 8 | data[at + 3];
    NalVerdict verdict = H264Nal(data[at + 4]);
    if (verdict != NalVerdict::kGoOn) return verdict == NalVerdict::kKey;
    at += 4 + length;
  }
  return false;
}

}  // namespace

KeyFrameRule KeyFrameRuleFor(uint32_t compression, uint32_t handler) {
  KeyFrameRule rule;
  if (Known(compression, &rule)) return rule;
  // A zero handler says nothing, unlike a zero compression code (uncompressed).
  if (handler != 0 && Known(handler, &rule)) return rule;
  return KeyFrameRule::kFirstOnly;
}

bool IsKeyFrame(KeyFrameRule rule, const uint8_t* data, size_t size) {
  size = std::min(size, kKeyFrameProbeBytes);
  switch (rule) {
    case KeyFrameRule::kEveryFrame:
      return true;
    case KeyFrameRule::kMpeg4Vop:
      return Mpeg4Key(data, size);
    case KeyFrameRule::kMsMpeg4:
      // The picture type is the first two bits, 0 for an intra picture.
      return size > 0 && (data[0] >> 6) == 0;
    case KeyFrameRule::kH264Idr:
      return H264Key(data, size);
    case KeyFrameRule::kMpegVideo:
      return MpegVideoKey(data, size);
    case KeyFrameRule::kFirstOnly:
      return false;
  }
  return false;
}

}  // namespace avi
