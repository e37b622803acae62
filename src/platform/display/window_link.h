#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "platform/display/types.h"

namespace platform::display {

class VideoWindow;

// What a VideoWindow shares with the backends that present into it from other threads.
// The window writes it on the GUI thread; it outlives the window, after which Window() is null.
class WindowLink {
 public:
  struct State {
    Rect client;          // the window's area in device pixels
    DisplayMode desktop;  // its screen, in device pixels
    bool exposed = false;
    bool hasSurface = false;  // the native window exists
    uintptr_t nativeId = 0;
  };

  explicit WindowLink(VideoWindow* window) : window_(window) {}

  State Read() const;
  void Write(const State& state);

  // A lost native surface or a change of screen: the display's surfaces are lost.
  void Lose() { losses_.fetch_add(1, std::memory_order_relaxed); }
  // Only compared for change, so relaxed suffices.
  uint64_t LossCount() const { return losses_.load(std::memory_order_relaxed); }

  // Held while a backend draws into the window; the window takes it before its native
  // surface goes and when it is destroyed, so neither happens under a presentation.
  std::mutex& SurfaceMutex() { return surfaceMutex_; }
  // The window, or null once it is gone; only with SurfaceMutex held.
  VideoWindow* Window() const { return window_; }
  // Called by the window's destructor with SurfaceMutex held.
  void Detach() { window_ = nullptr; }

 private:
  mutable std::mutex stateMutex_;
  State state_;
  std::atomic<uint64_t> losses_{0};
  std::mutex surfaceMutex_;
  VideoWindow* window_;
};

}  // namespace platform::display
