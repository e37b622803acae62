#include "playback/presenter.h"

#include <mutex>

#include "common/thread.h"
#include "playback/busy_scope.h"
#include "playback/picture_scaler.h"
#include "scale/lanczos_resizer.h"

namespace playback {

using platform::display::LockedRect;
using platform::display::Result;
using platform::display::Surface;

void Presenter::DrawOverlay(Surface& surface) {
  if (c_.services.overlay != nullptr && c_.presentation.threadState.load() == kPresenterRunning) {
    c_.services.overlay->Draw(surface);
  }
}

void Presenter::Publish(int32_t bits) {
  PresentationState& p = c_.presentation;
  p.presentRequest.store(bits, std::memory_order_release);
  p.requests.fetch_add(1, std::memory_order_relaxed);
  p.presentRequestEvent.Set();
}

void Presenter::Request(int slot, int32_t lateness, int32_t stampMs) {
  PresentationState& p = c_.presentation;
  FrameRing& ring = c_.ring;
  if (p.suspended.load()) return;
  BusyScope busy(p);
  if (!busy.Entered()) return;
  c_.playback.framesShown.fetch_add(1, std::memory_order_relaxed);
  p.lateness.store(lateness, std::memory_order_relaxed);
  p.requestStamp.store(stampMs, std::memory_order_relaxed);
  p.requestNow.store(c_.services.clock.Now(), std::memory_order_relaxed);

  if (ring.mode.load(std::memory_order_relaxed) == RingMode::kSingleBuffer) {
    // Each single-buffer presentation counts two, as the chain flips a pair of buffers.
    c_.playback.framesShown.fetch_add(1, std::memory_order_relaxed);
    p.requestTime.store(c_.Ticks(), std::memory_order_relaxed);
    if (Surface* back = c_.services.display.backBuffer) DrawOverlay(*back);
    Publish(kRequestPresent);
    {
      std::lock_guard lock(ring.lock);
      ring.singleNotReady = true;
      ring.ringFull.store(0, std::memory_order_relaxed);
    }
    ring.slotFreed.Set();
    return;
  }

  FrameSlot& frame = ring.frameSlots[size_t(slot)];
  p.requestTime.store(c_.Ticks(), std::memory_order_relaxed);
  if (p.fullScreen.load(std::memory_order_relaxed) != 0) {
    Surface* back = c_.services.display.backBuffer;
    if (back != nullptr && frame.display != nullptr) {
      // The slot is free again at once, so its picture is copied into the chain first.
      const int64_t start = c_.Ticks();
      const int32_t w = p.displayWidth.load(std::memory_order_relaxed);
      const int32_t h = p.displayHeight.load(std::memory_order_relaxed);
      LockedRect from;
      LockedRect to;
      if (frame.display->Lock(&from) == Result::kOk) {
        if (back->Lock(&to) == Result::kOk) {
          c_.services.presentationResizer.Resize(from.bits, from.pitch, w, h, to.bits, to.pitch, w, h);
          back->Unlock();
        }
        frame.display->Unlock();
      }
      ring.copyMs.store(c_.MillisecondsSince(start), std::memory_order_relaxed);
      DrawOverlay(*back);
    }
  } else if (frame.display != nullptr) {
    DrawOverlay(*frame.display);
  }
  p.presentedSlot.store(slot, std::memory_order_relaxed);
  Publish(kRequestPresent);
  {
    std::lock_guard lock(ring.lock);
    frame.notReady = true;
    ring.ringFull.store(0, std::memory_order_relaxed);
    ring.decodedCount.fetch_sub(1, std::memory_order_relaxed);
  }
  ring.slotFreed.Set();
}

void Presenter::RequestShown(int32_t stampMs) {
  PresentationState& p = c_.presentation;
  p.lateness.store(0, std::memory_order_relaxed);
  p.requestStamp.store(stampMs, std::memory_order_relaxed);
  p.requestNow.store(c_.services.clock.Now(), std::memory_order_relaxed);
  p.requestTime.store(c_.Ticks(), std::memory_order_relaxed);
  Publish(kRequestPresent);
}

void Presenter::RequestClear() {
  PresentationState& p = c_.presentation;
  // While stopped the picture is drawn again over the cleared area, so that a resize or an
  // expose does not leave the window black.
  const bool redraw = c_.playback.playing.load(std::memory_order_acquire) == 0 &&
                      c_.file.decoder != nullptr && p.fullScreen.load(std::memory_order_relaxed) == 0;
  if (redraw) {
    p.requestTime.store(c_.Ticks(), std::memory_order_relaxed);
    p.lateness.store(0, std::memory_order_relaxed);
  }
  p.presentRequest.fetch_or(kRequestClear | (redraw ? kRequestPresent : 0), std::memory_order_release);
  p.requests.fetch_add(1, std::memory_order_relaxed);
  p.presentRequestEvent.Set();
}

PresentationRecord Presenter::Record() const {
  const PresentationState& p = c_.presentation;
  PresentationRecord record;
  record.stampMs = p.requestStamp.load(std::memory_order_relaxed);
  record.nowMs = p.requestNow.load(std::memory_order_relaxed);
  record.requestUs = c_.Microseconds(p.requestTime.load(std::memory_order_relaxed));
  record.shownUs = c_.Microseconds(c_.Ticks());
  record.latenessMs = p.lateness.load(std::memory_order_relaxed);
  record.presentationDelayMs = p.presentationDelay.load(std::memory_order_relaxed);
  std::lock_guard lock(c_.rendererMutex);
  record.audioMs = c_.renderer != nullptr ? c_.renderer->HeardPositionMs() : -1;
  return record;
}

void Presenter::Clear() {
  DisplayObjects& display = c_.services.display;
  // With nothing loaded no picture follows to cover the cleared area, so the on-screen display
  // (how an open is getting on) is drawn straight onto it. The decoder changes only while
  // presentation is suspended, never inside this call.
  const bool nothingLoaded = c_.file.decoder == nullptr;
  if (c_.presentation.fullScreen.load(std::memory_order_relaxed) != 0) {
    if (display.backBuffer == nullptr) return;
    display.backBuffer->Fill(nullptr, 0);
    if (nothingLoaded) {
      DrawOverlay(*display.backBuffer);
      PresentFullScreen();
    }
    return;
  }
  if (display.primary == nullptr) return;
  const Rect client = display.device->ClientRect();
  if (display.primary->Fill(&client, 0) == Result::kSurfaceLost) {
    display.primary->Restore();
    display.primary->Fill(&client, 0);
  }
  if ((c_.presentation.presentRequest.load(std::memory_order_acquire) & kRequestPresent) == 0) {
    if (nothingLoaded) DrawOverlay(*display.primary);
    display.primary->Present();
  }
}

void Presenter::PresentFullScreen() {
  DisplayObjects& display = c_.services.display;
  if (display.primary == nullptr) return;
  if (c_.services.settings.waitVBlank != 0) display.device->WaitForVerticalBlank();
  if (display.primary->Flip() == Result::kSurfaceLost) {
    // The chain's front and back share one store: restoring the front restores both.
    display.primary->Restore();
  }
}

void Presenter::PresentWindowed() {
  DisplayObjects& display = c_.services.display;
  PresentationState& p = c_.presentation;
  const int slot = p.presentedSlot.load(std::memory_order_relaxed);
  Surface* picture = c_.ring.frameSlots[size_t(slot)].display.get();
  if (picture == nullptr || display.primary == nullptr) return;
  const Rect client = display.device->ClientRect();
  Rect d = client;
  Rect s{0, 0, c_.file.outputWidth.load(std::memory_order_relaxed),
         c_.file.outputHeight.load(std::memory_order_relaxed)};
  if (c_.services.settings.waitVBlank != 0) display.device->WaitForVerticalBlank();
  const int32_t resizeType = c_.services.settings.resizeType;
  if (display.primary->IsLost()) display.primary->Restore();
  ScalePicture(*display.primary, &d, *picture, &s, c_.services.presentationResizer, resizeType, p.Geometry());
  for (const Rect& bar : BlackBars(client, d)) {
    if (!bar.IsEmpty()) display.primary->Fill(&bar, 0);
  }
  display.primary->Present();
}

void Presenter::RecordDelay() {
  PresentationState& p = c_.presentation;
  const int32_t d = c_.MillisecondsSince(p.requestTime.load(std::memory_order_relaxed)) +
                    p.lateness.load(std::memory_order_relaxed);
  std::lock_guard lock(c_.ring.lock);
  p.delaySum += d - p.delays[size_t(p.delayIndex)];
  p.delays[size_t(p.delayIndex)] = d;
  p.delayIndex = (p.delayIndex + 1) % kDelayHistory;
  p.presentationDelay.store(p.delaySum >> 4, std::memory_order_relaxed);
}

void Presenter::Run() {
  PresentationState& p = c_.presentation;
  p.threadState.store(kPresenterRunning);
  platform::system::SetCurrentThreadPriority(platform::system::ThreadPriority::kHighest);
  platform::system::SetCurrentThreadName("vistrel-present");
  while ((p.threadState.load() & kPresenterQuit) == 0) {
    p.waits.fetch_add(1, std::memory_order_relaxed);
    if (p.presentRequestEvent.Wait(1000)) {
      p.wakeByEvent.fetch_add(1, std::memory_order_relaxed);
    } else {
      p.wakeByTimeout.fetch_add(1, std::memory_order_relaxed);
    }
    if ((p.threadState.load() & kPresenterQuit) != 0) break;

    if (p.windowState.load(std::memory_order_relaxed) != kWindowNormal) {
      // Nothing is seen: the frame is used up all the same.
      const int32_t request = p.presentRequest.exchange(0, std::memory_order_acq_rel);
      if ((request & kRequestPresent) != 0 && c_.services.statsDump != nullptr) {
        c_.services.statsDump->Dropped(Record());
      }
      p.presentDoneEvent.Set();
      continue;
    }
    if ((p.presentRequest.load(std::memory_order_acquire) & kRequestClear) != 0) {
      if (c_.playback.playing.load(std::memory_order_acquire) == 0) {
        BusyScope busy(p);
        if (busy.Entered()) Clear();
      }
      if ((p.presentRequest.fetch_and(~kRequestClear, std::memory_order_acq_rel) & ~kRequestClear) == 0) {
        p.presentDoneEvent.Set();
        continue;
      }
    }
    if (p.presentRequest.load(std::memory_order_acquire) == 0) continue;
    BusyScope busy(p);
    if (!busy.Entered()) continue;
    if (p.fullScreen.load(std::memory_order_relaxed) != 0) {
      PresentFullScreen();
    } else {
      PresentWindowed();
    }
    RecordDelay();
    if (c_.services.statsDump != nullptr) c_.services.statsDump->Frame(Record());
    p.presentRequest.store(0, std::memory_order_release);
    p.presentDoneEvent.Set();
  }
  p.threadState.store(0);
}

}  // namespace playback
