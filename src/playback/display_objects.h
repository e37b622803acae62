#pragma once

#include <memory>

#include "platform/display/clipper.h"
#include "platform/display/device.h"
#include "platform/display/surface.h"

namespace playback {

// The display objects of the player: the device, the primary, the system-memory back surface
// of windowed mode and its clipper. They belong to the playback engine; surfaces change only
// while presentation is suspended.
struct DisplayObjects {
  std::unique_ptr<platform::display::Device> device;
  std::unique_ptr<platform::display::Surface> primary;
  std::unique_ptr<platform::display::Surface> back;
  std::unique_ptr<platform::display::Clipper> clipper;
};

// Windowed operation: the normal cooperative level, a clipper bound to the video window and the
// primary with its back surface. Without a bound clipper no surfaces are made and nothing is
// shown until the next successful mode set. Returns false then.
bool EnterWindowedMode(DisplayObjects& display);

// Re-creates the primary and the back surface matching it; false when the primary could not be
// made.
bool RestoreWindowedPrimary(DisplayObjects& display);

// Shut-down: the desktop mode back, the normal level, then every surface, the clipper and the
// device.
void ReleaseDisplay(DisplayObjects& display);

}  // namespace playback
