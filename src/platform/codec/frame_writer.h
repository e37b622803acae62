#pragma once

#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include "platform/codec/output_format.h"

namespace platform::codec {

// Writes decoded frames into the negotiated output format. Limited-range 4:2:0 frames of the
// output size are copied plane by plane, so they arrive bit for bit; everything else (other
// layouts, full range, RGB, another size) goes through libswscale with accurate rounding.
class FrameWriter {
 public:
  FrameWriter() = default;
  FrameWriter(const FrameWriter&) = delete;
  FrameWriter& operator=(const FrameWriter&) = delete;
  ~FrameWriter();

  // bottomUp: RGB rows are written last row first, as a DIB with a positive height.
  void Configure(OutputKind kind, int32_t width, int32_t height, bool bottomUp);
  // False when the frame cannot be converted; the picture is then left as it was.
  bool Write(const AVFrame& frame, uint8_t* picture);

 private:
  bool Scale(const AVFrame& frame, uint8_t* picture);

  OutputKind kind_ = OutputKind::kNone;
  int32_t width_ = 0;
  int32_t height_ = 0;
  bool bottomUp_ = true;
  SwsContext* scaler_ = nullptr;
  std::vector<uint8_t> scratch_;
  // What the scaler was last set up for, so that the colour details are set once per change.
  int sourceFormat_ = -1;
  int sourceWidth_ = 0;
  int sourceHeight_ = 0;
  int sourceRange_ = -1;
  int sourceSpace_ = -1;
};

}  // namespace platform::codec
