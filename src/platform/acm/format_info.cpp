#include "platform/acm/format_info.h"

#include <cctype>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/acm/codec_choice.h"
#include "riff/wave_format_extensible.h"

namespace platform::acm {

namespace {

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
  parts->extraSize = format->formatTag == riff::kWaveFormatPcm ? 0 : format->cbSize;
  parts->channelMask = 0;
  if (format->formatTag != riff::kWaveFormatExtensible) return true;
  if (parts->extraSize < riff::kExtensibleExtraBytes) return false;
  riff::WaveFormatExtensible extensible;
  std::memcpy(&extensible, format, sizeof extensible);
  // A sub-format of the form of PCM's carries a format tag in its first field.
  riff::Guid subFormat = extensible.subFormat;
  subFormat.data1 = riff::kSubtypePcm.data1;
  if (!(subFormat == riff::kSubtypePcm)) return false;
  parts->channelMask = extensible.channelMask;
  parts->tag = static_cast<uint16_t>(extensible.subFormat.data1);
  parts->extra += riff::kExtensibleExtraBytes;
  parts->extraSize -= riff::kExtensibleExtraBytes;
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
