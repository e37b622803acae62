#pragma once

#include <cstdint>

#include "playback/engine_context.h"

namespace playback {

// Puts frames on the screen: the request made by whoever chose the frame, and the presentation
// thread that blits it into the window or flips the full-screen chain, in step with the
// vertical blank when asked, measuring how late each picture reached the screen.
class Presenter {
 public:
  explicit Presenter(EngineContext& context) : c_(context) {}

  // Frame-ring modes: the slot's picture; single-buffer mode: the back buffer. `stampMs` is the
  // frame's time stamp, for the statistics dump.
  void Request(int slot, int32_t lateness, int32_t stampMs);
  // Show-one-frame's request of what it drew (slot 0 or the back buffer), while stopped; the
  // frame's time stamp is for the statistics dump.
  void RequestShown(int32_t stampMs);
  // A repaint: the picture area is cleared to black while nothing plays, and the last picture
  // presented again over it.
  void RequestClear();
  // Draws the on-screen display into a surface about to be presented.
  void DrawOverlay(platform::display::Surface& surface);

  // The presentation thread's body; returns once the quit value is set.
  void Run();

 private:
  void Publish(int32_t bits);
  void Clear();
  void PresentWindowed();
  void PresentFullScreen();
  void RecordDelay();
  PresentationRecord Record() const;

  EngineContext& c_;
};

}  // namespace playback
