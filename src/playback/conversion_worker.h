#pragma once

#include "playback/engine_context.h"
#include "scale/img_resizer.h"

namespace playback {

// Between decoding and presentation in full screen at another size: turns a slot's raw decoded
// picture into a display-size RGB picture, converting and scaling with a resizer of its own.
class ConversionWorker {
 public:
  explicit ConversionWorker(EngineContext& context) : c_(context) {}

  // The thread's body; returns once told to quit.
  void Run();
  // One job: converts slot `index` and marks it ready.
  void Convert(int index, Media::IImgResizer& resizer);

 private:
  // The raw picture into the video surface, 32-bit pictures copied, YV12 converted by the
  // quality mode. Returns false when nothing could be drawn.
  bool ConvertToVideoSurface(FrameSlot& slot);
  // The frame processor straight into the display surface, centred: the picture is as wide as
  // the display and no taller.
  bool ConvertCentred(FrameSlot& slot);

  EngineContext& c_;
};

}  // namespace playback
