#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "platform/display/backend.h"
#include "platform/display/clipper.h"
#include "platform/display/surface.h"
#include "platform/display/types.h"

namespace platform::display {

// The display object: cooperative level, display modes, and the maker of surfaces and
// clippers. Surfaces and clippers keep the backend alive, so they may outlive the device.
class Device {
 public:
  static constexpr int32_t kMaxBackBuffers = 8;

  explicit Device(std::shared_ptr<Backend> backend);
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  Result SetCooperativeLevel(CooperativeLevel level);
  CooperativeLevel GetCooperativeLevel() const;

  // The current mode: the desktop's unless another was set.
  Result GetDisplayMode(DisplayMode* mode) const;
  // The desktop's own size (at its refresh rate or 0) always sets; other modes only where
  // the display can really switch. Only 32 bits per pixel. A change of mode loses the
  // primaries and flip chains.
  Result SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate = 0);
  Result RestoreDisplayMode();

  // The windowed primary: the video window's picture, the size of the desktop.
  std::unique_ptr<Surface> CreatePrimarySurface();
  // A full-screen front picture of the current mode's size with 1 to kMaxBackBuffers back
  // buffers; only at the full-screen cooperative level.
  std::unique_ptr<Surface> CreateFlipChain(int32_t backBufferCount);
  // A picture in memory; null for sizes that are not positive or are too large.
  std::unique_ptr<Surface> CreateOffscreenSurface(int32_t width, int32_t height);
  std::unique_ptr<Clipper> CreateClipper();

  // Returns at the vertical blank, or makes the next Present or Flip wait for it.
  Result WaitForVerticalBlank();
  // The video area in device pixels, origin at its top-left corner; any thread.
  Rect ClientRect() const { return backend_->ClientRect(); }

  const std::shared_ptr<Backend>& GetBackend() const { return backend_; }

 private:
  std::unique_ptr<Surface> Made(std::unique_ptr<Surface> surface);

  std::shared_ptr<Backend> backend_;
  mutable std::mutex mutex_;
  CooperativeLevel level_ = CooperativeLevel::kNormal;
  bool modeSet_ = false;  // a mode other than the desktop's is set
  DisplayMode mode_;
};

}  // namespace platform::display
