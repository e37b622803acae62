#include "playback/display_modes.h"

#include "playback/busy_scope.h"

namespace playback {

using platform::display::CooperativeLevel;
using platform::display::DisplayMode;
using platform::display::Result;

std::vector<DisplayMode> FullScreenModeOrder(const DisplayMode& desktop, int32_t forceWidth,
                                             int32_t forceHeight, int32_t width, int32_t height) {
  const DisplayMode desk{desktop.width, desktop.height, 32, 0};
  std::vector<DisplayMode> order{desk};
  auto tryPair = [&order](int32_t w, int32_t h, bool thenDesktop, const DisplayMode& fallback) {
    order.push_back({w, h, 32, 120});
    order.push_back({w, h, 32, 60});
    if (thenDesktop) order.push_back(fallback);
  };
  if (forceWidth > 0 && forceHeight > 0) tryPair(forceWidth, forceHeight, true, desk);
  if (width <= 640) tryPair(640, 480, true, desk);
  if (width == 848 && height <= 480) tryPair(848, 480, false, desk);
  if (width <= 848 && height <= 600) tryPair(800, 600, true, desk);
  if (width <= 800) tryPair(800, 600, true, desk);
  order.push_back(desk);
  return order;
}

void DisplayModes::RebuildSurfaces(bool fullScreen) {
  SuspendScope suspend(c_.presentation);
  FrameRing& ring = c_.ring;
  {
    std::lock_guard lock(ring.lock);
    for (FrameSlot& slot : ring.frameSlots) {
      slot.display.reset();
      slot.video.reset();
      slot.notReady = true;
      slot.busy = false;
    }
    ring.singleNotReady = true;
    ring.ringFull.store(0, std::memory_order_relaxed);
  }
  video::VCMDecoder* decoder = c_.file.decoder.get();
  if (decoder == nullptr) return;
  video::DecodedPicture output{};
  decoder->GetOutputInfo(&output);
  c_.file.outputWidth.store(output.width, std::memory_order_relaxed);
  c_.file.outputHeight.store(output.height, std::memory_order_relaxed);
  platform::display::Device& device = *c_.services.display.device;
  if (!fullScreen) {
    ring.mode.store(RingMode::kDirectRing, std::memory_order_relaxed);
    for (FrameSlot& slot : ring.frameSlots)
      slot.display = device.CreateOffscreenSurface(output.width, output.height);
    return;
  }
  const int32_t w = c_.presentation.displayWidth.load(std::memory_order_relaxed);
  const int32_t h = c_.presentation.displayHeight.load(std::memory_order_relaxed);
  if (output.width == w && output.height == h) {
    ring.mode.store(RingMode::kSingleBuffer, std::memory_order_relaxed);
    return;
  }
  ring.mode.store(RingMode::kWorkerRing, std::memory_order_relaxed);
  for (FrameSlot& slot : ring.frameSlots) {
    slot.display = device.CreateOffscreenSurface(w, h);
    slot.video = device.CreateOffscreenSurface(output.width, output.height);
  }
}

int DisplayModes::RestorePrimary(bool fullScreen) {
  SuspendScope suspend(c_.presentation);
  DisplayObjects& display = c_.services.display;
  display.backBuffer = nullptr;
  display.primary.reset();
  if (fullScreen) {
    display.primary = display.device->CreateFlipChain(5);
    if (display.primary == nullptr) return 1;
    display.backBuffer = display.primary->BackBuffer();
    if (display.backBuffer == nullptr) return 1;
  } else {
    // The windowed primary is a picture in memory already, so frames are scaled straight into it
    // and no back surface is needed to spare a slow one.
    display.primary = display.device->CreatePrimarySurface();
  }
  RebuildSurfaces(fullScreen);
  if (display.clipper != nullptr && display.primary != nullptr)
    display.primary->SetClipper(display.clipper.get());
  return 0;
}

bool DisplayModes::SetFullScreen() {
  DisplayObjects& display = c_.services.display;
  PresentationState& p = c_.presentation;
  c_.services.window.SetFullScreen(true);
  display.device->SetCooperativeLevel(CooperativeLevel::kFullScreen);
  DisplayMode desktop;
  if (display.device->GetDisplayMode(&desktop) != Result::kOk) return false;
  const int32_t width = c_.file.decoder != nullptr ? c_.file.outputWidth.load(std::memory_order_relaxed) : 0;
  const int32_t height =
      c_.file.decoder != nullptr ? c_.file.outputHeight.load(std::memory_order_relaxed) : 0;
  bool set = false;
  for (const DisplayMode& mode : FullScreenModeOrder(desktop, c_.services.settings.forceWidth,
                                                     c_.services.settings.forceHeight, width, height)) {
    if (display.device->SetDisplayMode(mode.width, mode.height, 32, mode.refreshRate) == Result::kOk) {
      p.displayWidth.store(mode.width, std::memory_order_relaxed);
      p.displayHeight.store(mode.height, std::memory_order_relaxed);
      set = true;
      break;
    }
  }
  if (!set || RestorePrimary(true) != 0) return false;
  p.fullScreen.store(1, std::memory_order_relaxed);
  p.lateness.store(0, std::memory_order_relaxed);
  p.requestTime.store(c_.Ticks(), std::memory_order_relaxed);
  p.presentRequest.store(kRequestClear | kRequestPresent, std::memory_order_release);
  p.requests.fetch_add(1, std::memory_order_relaxed);
  p.presentRequestEvent.Set();
  return true;
}

void DisplayModes::SetWindowed() {
  DisplayObjects& display = c_.services.display;
  c_.presentation.fullScreen.store(0, std::memory_order_relaxed);
  display.device->RestoreDisplayMode();
  display.device->SetCooperativeLevel(CooperativeLevel::kNormal);
  c_.services.window.SetFullScreen(false);
  display.clipper = display.device->CreateClipper();
  if (display.clipper == nullptr || display.clipper->BindToWindow() != Result::kOk) {
    // Nothing is shown until the next successful mode set.
    display.clipper.reset();
    display.backBuffer = nullptr;
    display.primary.reset();
    return;
  }
  RestorePrimary(false);
}

void DisplayModes::SetMode(bool fullScreen) {
  SuspendScope suspend(c_.presentation);
  c_.services.display.clipper.reset();
  if (!fullScreen || !SetFullScreen()) SetWindowed();
}

}  // namespace playback
