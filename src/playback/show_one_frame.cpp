#include "playback/show_one_frame.h"

#include <mutex>

#include "playback/busy_scope.h"
#include "playback/frame_timing.h"
#include "playback/picture_scaler.h"
#include "scale/lanczos_resizer.h"

namespace playback {

using platform::display::LockedRect;
using platform::display::Result;
using platform::display::Surface;

namespace {

// Decodes `frame` into a surface; false when nothing was decoded.
bool DecodeInto(EngineContext& c, Surface& surface, int32_t frame) {
  LockedRect locked;
  Result locking = surface.Lock(&locked);
  if (locking == Result::kSurfaceLost && surface.Restore() == Result::kOk) locking = surface.Lock(&locked);
  if (locking != Result::kOk) return false;
  const common::Settings& s = c.services.settings;
  const int32_t result = c.file.decoder->DecodeConverted(frame, locked.bits, locked.pitch, s.ycOffset,
                                                         s.enableDcc != 0, s.hqMode);
  surface.Unlock();
  return result == video::kDecoded;
}

}  // namespace

void ShowOneFrame(EngineContext& c, Presenter& presenter, int32_t frame) {
  if (c.file.decoder == nullptr) return;
  BusyScope busy(c.presentation);
  if (!busy.Entered()) return;
  FrameRing& ring = c.ring;
  FrameSlot& first = ring.frameSlots[0];
  Surface* target = nullptr;
  switch (ring.mode.load(std::memory_order_relaxed)) {
    case RingMode::kDirectRing:
      if (first.display == nullptr || !DecodeInto(c, *first.display, frame)) return;
      target = first.display.get();
      break;
    case RingMode::kWorkerRing: {
      // The picture only reaches the screen through the chain's back buffer, scaled as the
      // conversion worker would.
      Surface* back = c.services.display.backBuffer;
      if (first.video == nullptr || back == nullptr || !DecodeInto(c, *first.video, frame)) return;
      const PresentationState& p = c.presentation;
      Rect d{0, 0, p.displayWidth.load(std::memory_order_relaxed),
             p.displayHeight.load(std::memory_order_relaxed)};
      Rect s{0, 0, c.file.outputWidth.load(std::memory_order_relaxed),
             c.file.outputHeight.load(std::memory_order_relaxed)};
      back->Fill(nullptr, 0);
      ScalePicture(*back, &d, *first.video, &s, c.services.presentationResizer,
                   c.services.settings.resizeType, p.Geometry());
      target = back;
      break;
    }
    case RingMode::kSingleBuffer:
      if (c.services.display.backBuffer == nullptr || !DecodeInto(c, *c.services.display.backBuffer, frame))
        return;
      target = c.services.display.backBuffer;
      break;
  }
  // The decoder stands at this frame: playing from here goes on with the next.
  ring.shownFrame = frame;
  ring.lastDecoded = frame;
  {
    std::lock_guard lock(ring.lock);
    first.notReady = true;
    ring.singleNotReady = ring.mode.load(std::memory_order_relaxed) != RingMode::kSingleBuffer;
  }
  c.presentation.presentedSlot.store(0, std::memory_order_relaxed);
  presenter.DrawOverlay(*target);
  presenter.RequestShown(FrameStamp(frame, c.file.Timing()));
}

}  // namespace playback
