#include "platform/acm/format_info.h"

#include <cctype>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/acm/codec_choice.h"

namespace platform::acm {

namespace {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr size_t kExtensibleBytes = 22;
// The sub-format GUID of an extensible format whose first four bytes are a format tag.
constexpr uint8_t kTagGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::string NameOf(uint16_t tag) {
  const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
  const AVCodecDescriptor* descriptor = avcodec_descriptor_get(av_codec_get_id(tables, tag));
  if (!descriptor) return "unknown";
  std::string name = descriptor->name;
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

}  // namespace

bool SplitFormat(const riff::WaveFormat* format, FormatParts* parts) {
  parts->tag = format->formatTag;
  parts->extra = reinterpret_cast<const uint8_t*>(format) + sizeof(riff::WaveFormat);
  parts->extraSize = format->formatTag == kTagPcm ? 0 : format->cbSize;
  parts->channelMask = 0;
  if (format->formatTag != kTagExtensible) return true;
  if (parts->extraSize < kExtensibleBytes) return false;
  if (std::memcmp(parts->extra + 10, kTagGuidTail, sizeof kTagGuidTail) != 0) return false;
  uint32_t mask;
  std::memcpy(&mask, parts->extra + 2, 4);
  parts->channelMask = mask;
  std::memcpy(&parts->tag, parts->extra + 6, 2);
  parts->extra += kExtensibleBytes;
  parts->extraSize -= kExtensibleBytes;
  return true;
}

FormatInfo DescribeFormat(const riff::WaveFormat* format) {
  FormatInfo info;
  FormatParts parts;
  info.tag = SplitFormat(format, &parts) ? parts.tag : format->formatTag;
  info.name = NameOf(info.tag);
  CodecChoice choice;
  info.decodable = ChooseCodec(format, &choice, &info.refusal);
  info.packets = info.decodable && choice.framing == CodecChoice::Framing::kPackets;
  return info;
}

}  // namespace platform::acm
