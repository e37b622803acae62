#pragma once

#include <atomic>
#include <cstdint>

#include "platform/display/types.h"

namespace platform::display {

// What stands behind a Device: where presented pictures go and what the screen is.
// Called from any thread; each implementation makes its own calls safe.
class Backend {
 public:
  Backend() = default;
  Backend(const Backend&) = delete;
  Backend& operator=(const Backend&) = delete;
  virtual ~Backend() = default;

  // The desktop's mode in device pixels.
  virtual DisplayMode DesktopMode() = 0;
  // Whether a mode other than the desktop's can really be set.
  virtual bool CanSetMode(const DisplayMode& mode) = 0;
  // The video area in device pixels, origin at its top-left corner.
  virtual Rect ClientRect() = 0;
  // Whether there is a window to clip to and to restore lost surfaces for.
  virtual bool HasWindow() = 0;
  // Makes one whole picture visible: the windowed picture at 1:1, a full-screen one
  // stretched over the window where the two sizes differ.
  virtual Result Present(const PictureView& picture, bool fullScreen) = 0;
  // Returns at a vertical blank, or arranges that the next Present waits for one.
  virtual void WaitForVerticalBlank() = 0;

  // Counts losses of the display: a surface made under an older count is lost.
  uint64_t LossCount() { return losses_.load(std::memory_order_relaxed) + WindowLossCount(); }
  void Lose() { losses_.fetch_add(1, std::memory_order_relaxed); }

 protected:
  // Losses the window reports (surface re-created, screen changed).
  virtual uint64_t WindowLossCount() { return 0; }

 private:
  // Only compared for change; no data is published through it, so relaxed suffices.
  std::atomic<uint64_t> losses_{0};
};

}  // namespace platform::display
