#pragma once

#include <cstdint>
#include <string>

namespace playback {

// What the playback engine asks of the main window. Implemented by the shell over the real
// window and by a recording double in tests.
class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // A message box with an OK button. From a thread other than the user-interface thread it is
  // shown later and the caller goes on at once.
  virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
  // Restores the window and sizes it so that the video area is width × height device pixels.
  virtual void ResizeVideoArea(int32_t width, int32_t height) = 0;
  // Full screen: no frame, no menu, the whole screen. Windowed: frame and menu back.
  virtual void SetFullScreen(bool fullScreen) = 0;
  // Handles the window's pending events (commands, closing, repaints) from inside a long task on
  // the user-interface thread.
  virtual void ProcessEvents() = 0;
};

}  // namespace playback
