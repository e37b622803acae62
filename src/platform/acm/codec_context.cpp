#include "platform/acm/codec_context.h"

#include <bit>
#include <cstring>

#include "platform/acm/acm_result.h"
#include "platform/acm/format_suggest.h"

namespace platform::acm {

ContextPtr MakeContext(const CodecChoice& choice, const riff::WaveFormat& source) {
  const AVCodec* codec = avcodec_find_decoder(choice.codec);
  ContextPtr context(avcodec_alloc_context3(codec));
  if (!context) return context;
  context->codec_id = choice.codec;
  context->sample_rate = static_cast<int>(source.samplesPerSec);
  if (choice.channelMask && std::popcount(choice.channelMask) == source.channels) {
    av_channel_layout_from_mask(&context->ch_layout, choice.channelMask);
  } else {
    av_channel_layout_default(&context->ch_layout, source.channels);
  }
  context->block_align = source.blockAlign;
  context->bit_rate = static_cast<int64_t>(source.avgBytesPerSec) * 8;
  context->bits_per_coded_sample = source.bitsPerSample;
  if (!choice.extradata.empty()) {
    context->extradata =
        static_cast<uint8_t*>(av_mallocz(choice.extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!context->extradata) return nullptr;
    std::memcpy(context->extradata, choice.extradata.data(), choice.extradata.size());
    context->extradata_size = static_cast<int>(choice.extradata.size());
  }
  return context;
}

int ChooseStreamCodec(const riff::WaveFormat* source, const riff::WaveFormat* destination, bool packets,
                      CodecChoice* choice) {
  if (!source || !destination) return kInvalidParameter;
  if (!ChooseCodec(source, choice) || !IsSuggestedFormat(*source, *destination)) return kNotPossible;
  return (choice->framing == CodecChoice::Framing::kPackets) == packets ? kOk : kNotPossible;
}

bool Decoder::Send(const uint8_t* data, uint32_t size) {
  packet->data = const_cast<uint8_t*>(data);
  packet->size = static_cast<int>(size);
  const int sent = avcodec_send_packet(context.get(), packet.get());
  packet->data = nullptr;
  packet->size = 0;
  return sent >= 0;
}

int OpenDecoder(const CodecChoice& choice, const riff::WaveFormat& source, Decoder* decoder) {
  decoder->frame.reset(av_frame_alloc());
  decoder->packet.reset(av_packet_alloc());
  decoder->context = MakeContext(choice, source);
  if (!decoder->frame || !decoder->packet || !decoder->context) return kNoMemory;
  if (avcodec_open2(decoder->context.get(), avcodec_find_decoder(choice.codec), nullptr) < 0) {
    decoder->context.reset();
    return kNotPossible;
  }
  return kOk;
}

}  // namespace platform::acm
