#include "platform/acm/codec_context.h"

#include <bit>
#include <cstring>

#include "platform/acm/acm_result.h"

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

int OpenDecoder(const CodecChoice& choice, const riff::WaveFormat& source, ContextPtr* context) {
  *context = MakeContext(choice, source);
  if (!*context) return kNoMemory;
  if (avcodec_open2(context->get(), avcodec_find_decoder(choice.codec), nullptr) < 0) {
    context->reset();
    return kNotPossible;
  }
  return kOk;
}

}  // namespace platform::acm
