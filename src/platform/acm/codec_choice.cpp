#include "platform/acm/codec_choice.h"

#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include "platform/acm/format_info.h"

namespace platform::acm {

namespace {

constexpr uint16_t kTagFloat = 0x0003;

AVCodecID SampleCodec(uint16_t tag, uint16_t bits) {
  if (tag == riff::kWaveFormatPcm) {
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

CodecChoice::Framing FramingOf(AVCodecID codec, bool hasExtradata) {
  if (NeedsPacketBoundaries(codec, hasExtradata)) return CodecChoice::Framing::kPackets;
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
    // Without a configuration the frames carry ADTS headers the parser can find.
    case AV_CODEC_ID_AAC:
      return CodecChoice::Framing::kParser;
    default:
      return av_get_exact_bits_per_sample(codec) > 0 ? CodecChoice::Framing::kSamples
                                                     : CodecChoice::Framing::kBlocks;
  }
}

}  // namespace

bool ChooseCodec(const riff::WaveFormat* format, CodecChoice* choice, std::string* why) {
  std::string ignored;
  std::string& reason = why ? *why : ignored;
  if (!format || !choice) {
    reason = "no format";
    return false;
  }
  if (format->channels == 0 || format->channels > kMaxChannels) {
    reason = std::to_string(format->channels) + " channels";
    return false;
  }
  if (format->samplesPerSec == 0 || format->samplesPerSec > kMaxSampleRate) {
    reason = "sample rate " + std::to_string(format->samplesPerSec);
    return false;
  }
  if (format->avgBytesPerSec > kMaxByteRate) {
    reason = "byte rate " + std::to_string(format->avgBytesPerSec);
    return false;
  }
  FormatParts parts;
  if (!SplitFormat(format, &parts)) {
    reason = "extensible format without a format tag";
    return false;
  }

  AVCodecID codec;
  if (parts.tag == riff::kWaveFormatPcm || parts.tag == kTagFloat) {
    codec = SampleCodec(parts.tag, format->bitsPerSample);
  } else {
    const AVCodecTag* const tables[] = {avformat_get_riff_audio_tags(), nullptr};
    codec = av_codec_get_id(tables, parts.tag);
  }
  if (codec == AV_CODEC_ID_NONE) {
    reason = "unknown format tag";
    return false;
  }
  const AVCodec* decoder = avcodec_find_decoder(codec);
  if (!decoder || decoder->type != AVMEDIA_TYPE_AUDIO) {
    reason = "no decoder";
    return false;
  }
  CodecChoice::Framing framing = FramingOf(codec, parts.extraSize > 0);
  // Byte streams are converted a second of source at a time; packets carry their own lengths.
  if (framing != CodecChoice::Framing::kPackets && format->avgBytesPerSec == 0) {
    reason = "byte rate 0";
    return false;
  }
  if ((framing == CodecChoice::Framing::kBlocks || framing == CodecChoice::Framing::kSamples) &&
      format->blockAlign == 0) {
    reason = "block align 0";
    return false;
  }

  choice->codec = codec;
  choice->framing = framing;
  choice->extradata.assign(parts.extra, parts.extra + parts.extraSize);
  choice->channelMask = parts.channelMask;
  return true;
}

}  // namespace platform::acm
