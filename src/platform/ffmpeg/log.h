#pragma once

extern "C" {
#include <libavutil/log.h>
}

namespace platform::ffmpeg {

// A damaged picture makes libavcodec report the same fault block after block; runs of one line
// are written once, then counted, as FFmpeg's own tools do.
inline void CollapseRepeatedLogLines() { av_log_set_flags(AV_LOG_SKIP_REPEATED); }

}  // namespace platform::ffmpeg
