#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "platform/codec/codec.h"
#include "platform/codec/ffmpeg_codec.h"
#include "platform/codec/riff_tags.h"
#include "riff/fourcc.h"

namespace platform::codec {

namespace {

// FFmpeg's decoders by four-character code. Uncompressed "DIB " and "YV12" pictures (and a
// handler of 0) are the video decoder's own to copy, so no codec is offered for them.
class SystemRegistryImpl final : public Registry {
 public:
  std::unique_ptr<Codec> Open(uint32_t handler) override {
    if (handler == 0 || handler == riff::MakeFourcc("DIB ") || handler == riff::MakeFourcc("YV12")) {
      return nullptr;
    }
    const AVCodecID id = CodecIdFor(handler);
    if (id == AV_CODEC_ID_NONE) return nullptr;
    const AVCodec* decoder = avcodec_find_decoder(id);
    if (decoder == nullptr || decoder->type != AVMEDIA_TYPE_VIDEO) return nullptr;
    return std::make_unique<FfmpegCodec>(decoder);
  }
};

}  // namespace

Registry& SystemRegistry() {
  static SystemRegistryImpl registry;
  return registry;
}

}  // namespace platform::codec
