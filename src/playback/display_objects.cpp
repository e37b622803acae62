#include "playback/display_objects.h"

namespace playback {

void ReleaseDisplay(DisplayObjects& display) {
  if (display.device == nullptr) {
    return;
  }
  display.device->RestoreDisplayMode();
  display.device->SetCooperativeLevel(platform::display::CooperativeLevel::kNormal);
  display.backBuffer = nullptr;
  display.primary.reset();
  display.clipper.reset();
  display.device.reset();
}

}  // namespace playback
