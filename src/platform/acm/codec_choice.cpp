#include "platform/acm/codec_choice.h"

#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace platform::acm {

namespace {

constexpr uint16_t kTagPcm = 0x0001;
constexpr uint16_t kTagFloat = 0x0003;
constexpr uint16_t kTagExtensible = 0xFFFE;
constexpr size_t kExtensibleBytes = 22;
// The sub-format GUID of an extensible format whose first four bytes are a format tag.
constexpr uint8_t kTagGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

AVCodecID SampleCodec(uint16_t tag, uint16_t bits) {
  if (tag == kTagPcm) {
    switch (bits) {
      case 8:
        return AV_CODEC_ID_PCM_U8;
      case 16:
        return AV_CODEC_ID_PCM_S16LE;
      case 24:
        return AV_CODEC_ID_PCM_S24LE;
      case 32:
        return AV_CODEC_ID_PCM_S32LE;
      default:
        return AV_CODEC_ID_NONE;
    }
  }
  switch (bits) {
    case 32:
      return AV_CODEC_ID_PCM_F32LE;
    case 64:
      return AV_CODEC_ID_PCM_F64LE;
    default:
      return AV_CODEC_ID_NONE;
  }
}

CodecChoice::Framing FramingOf(AVCodecID codec, bool hasExtradata) {
  switch (codec) {
    case AV_CODEC_ID_MP1:
    case AV_CODEC_ID_MP2:
    case AV_CODEC_ID_MP3:
    case AV_CODEC_ID_AC3:
    case AV_CODEC_ID_EAC3:
    case AV_CODEC_ID_DTS:
    case AV_CODEC_ID_MLP:
    case AV_CODEC_ID_TRUEHD:
    case AV_CODEC_ID_AAC_LATM:
      return CodecChoice::Framing::kParser;
    case AV_CODEC_ID_AAC:
      // Without a configuration the frames carry ADTS headers the parser can find.
      return hasExtradata ? CodecChoice::Framing::kBlocks : CodecChoice::Framing::kParser;
    default:
      return av_get_exact_bits_per_sample(codec) > 0 ? CodecChoice::Framing::kSamples
                                                     : CodecChoice::Framing::kBlocks;
  }
}

// Codecs whose packets cannot be found in a byte stream: neither a frame header nor a fixed
// block size marks where one ends.
bool NeedsPacketBoundaries(AVCodecID codec, bool hasExtradata) {
  switch (codec) {
    case AV_CODEC_ID_AAC:
      return hasExtradata;
    case AV_CODEC_ID_VORBIS:
    case AV_CODEC_ID_OPUS:
    case AV_CODEC_ID_FLAC:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ChooseCodec(const riff::WaveFormat* format, CodecChoice* choice) {
  if (!format || !choice) return false;
  if (format->channels == 0 || format->channels > kMaxChannels) return false;
  if (format->samplesPerSec == 0 || format->samplesPerSec > kMaxSampleRate) return false;
  if (format->avgBytesPerSec == 0 || format->avgBytesPerSec > kMaxByteRate) return false;

  const uint8_t* extra = reinterpret_cast<const uint8_t*>(format) + sizeof(riff::WaveFormat);
  size_t extraSize = format->formatTag == kTagPcm ? 0 : format->cbSize;
  uint16_t tag = format->formatTag;
  uint64_t mask = 0;
  if (tag == kTagExtensible) {
    if (extraSize < kExtensibleBytes) return false;
    uint32_t mask32;
    std::memcpy(&mask32, extra + 2, 4);
    mask = mask32;
    if (std::memcmp(extra + 10, kTagGuidTail, sizeof kTagGuidTail) != 0) return false;
    std::memcpy(&tag, extra + 6, 2);
    extra += kExtensibleBytes;
    extraSize -= kExtensibleBytes;
  }

  AVCodecID codec;
  if (tag == kTagPcm || tag == kTagFloat) {
    codec = SampleCodec(tag, format->bitsPerSample);
  } else {
    const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
    codec = av_codec_get_id(tables, tag);
  }
  if (codec == AV_CODEC_ID_NONE) return false;
  const AVCodec* decoder = avcodec_find_decoder(codec);
  if (!decoder || decoder->type != AVMEDIA_TYPE_AUDIO) return false;
  bool hasExtradata = extraSize > 0;
  if (NeedsPacketBoundaries(codec, hasExtradata)) return false;
  CodecChoice::Framing framing = FramingOf(codec, hasExtradata);
  if (framing != CodecChoice::Framing::kParser && format->blockAlign == 0) return false;

  choice->codec = codec;
  choice->framing = framing;
  choice->extradata.assign(extra, extra + extraSize);
  choice->channelMask = mask;
  return true;
}

}  // namespace platform::acm
