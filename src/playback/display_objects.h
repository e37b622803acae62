#pragma once

#include <memory>

#include "platform/display/clipper.h"
#include "platform/display/device.h"
#include "platform/display/surface.h"

namespace playback {

// The display objects of the player: the device, the primary (the window's picture, or the
// full-screen flip chain), the chain's back buffer, the system-memory back surface of windowed
// mode and its clipper. They belong to the playback engine; surfaces change only while
// presentation is suspended.
struct DisplayObjects {
  std::unique_ptr<platform::display::Device> device;
  std::unique_ptr<platform::display::Surface> primary;
  // Full screen: the chain's back buffer, owned by the chain.
  platform::display::Surface* backBuffer = nullptr;
  // Windowed: a picture of the primary's size to scale into before the blit.
  std::unique_ptr<platform::display::Surface> back;
  std::unique_ptr<platform::display::Clipper> clipper;
};

// Shut-down: the desktop mode back, the normal level, then every surface, the clipper and the
// device.
void ReleaseDisplay(DisplayObjects& display);

}  // namespace playback
