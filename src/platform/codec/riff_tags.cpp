#include "platform/codec/riff_tags.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace platform::codec {

AVCodecID CodecIdFor(uint32_t fourcc) {
  const AVCodecTag* const tables[] = {avformat_get_riff_video_tags(), nullptr};
  return av_codec_get_id(tables, fourcc);
}

}  // namespace platform::codec
