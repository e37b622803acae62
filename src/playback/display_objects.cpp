#include "playback/display_objects.h"

namespace playback {

using platform::display::CooperativeLevel;
using platform::display::Result;

bool EnterWindowedMode(DisplayObjects& display) {
  display.device->RestoreDisplayMode();
  display.device->SetCooperativeLevel(CooperativeLevel::kNormal);
  display.clipper = display.device->CreateClipper();
  if (display.clipper == nullptr || display.clipper->BindToWindow() != Result::kOk) {
    display.clipper.reset();
    return false;
  }
  return RestoreWindowedPrimary(display);
}

bool RestoreWindowedPrimary(DisplayObjects& display) {
  display.back.reset();
  display.primary = display.device->CreatePrimarySurface();
  if (display.primary == nullptr) {
    return false;
  }
  display.back = display.device->CreateOffscreenSurface(display.primary->Width(), display.primary->Height());
  if (display.clipper != nullptr) {
    display.primary->SetClipper(display.clipper.get());
  }
  return true;
}

void ReleaseDisplay(DisplayObjects& display) {
  if (display.device == nullptr) {
    return;
  }
  display.device->RestoreDisplayMode();
  display.device->SetCooperativeLevel(CooperativeLevel::kNormal);
  display.primary.reset();
  display.back.reset();
  display.clipper.reset();
  display.device.reset();
}

}  // namespace playback
