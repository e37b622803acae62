#pragma once

#include <memory>

#include "platform/display/clipper.h"
#include "platform/display/device.h"
#include "platform/display/surface.h"

namespace playback {

// The display objects of the player: the device, the primary (the window's picture, or the
// full-screen flip chain), the chain's back buffer and the clipper of windowed mode. They belong to the
// playback engine; surfaces change only while presentation is suspended.
struct DisplayObjects {
  std::unique_ptr<platform::display::Device> device;
  std::unique_ptr<platform::display::Surface> primary;
  // Full screen: the chain's back buffer, owned by the chain.
  platform::display::Surface* backBuffer = nullptr;
  std::unique_ptr<platform::display::Clipper> clipper;
};

// Shut-down: the desktop mode back, the normal level, then every surface, the clipper and the
// device.
void ReleaseDisplay(DisplayObjects& display);

}  // namespace playback
