#pragma once

#include <cstdint>
#include <vector>

#include "platform/display/types.h"
#include "playback/engine_context.h"

namespace playback {

// The display modes full screen tries for a picture of width × height, in order, each at 32 bits
// per pixel: the desktop's own first, then the forced size, then modes near the picture's size.
std::vector<platform::display::DisplayMode> FullScreenModeOrder(const platform::display::DisplayMode& desktop,
                                                                int32_t forceWidth, int32_t forceHeight,
                                                                int32_t width, int32_t height);

// The switch between windowed and full-screen operation and the surfaces each needs. Every call
// runs on the user-interface thread and holds presentation suspended while surfaces change.
class DisplayModes {
 public:
  explicit DisplayModes(EngineContext& context) : c_(context) {}

  // Windowed or full-screen operation; a failure on the way to full screen ends windowed.
  void SetMode(bool fullScreen);
  // Re-creates the primary (and the chain's back buffer, or the windowed back surface), then the
  // slot surfaces. Returns non-zero on failure.
  int RestorePrimary(bool fullScreen);
  // Re-creates the slot surfaces for the current decoder, which chooses the ring mode.
  void RebuildSurfaces(bool fullScreen);

 private:
  void SetWindowed();
  bool SetFullScreen();

  EngineContext& c_;
};

}  // namespace playback
