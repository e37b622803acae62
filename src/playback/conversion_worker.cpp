#include "playback/conversion_worker.h"

#include <cstring>
#include <mutex>

#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "playback/busy_scope.h"
#include "playback/picture_scaler.h"
#include "scale/lanczos_resizer.h"
#include "scale/normal_quality_converter.h"

namespace playback {

using platform::display::LockedRect;
using platform::display::Result;

namespace {

constexpr int32_t kModeLanczos = 1;
constexpr int32_t kModeFast = 2;

}  // namespace

void ConversionWorker::Run() {
  FrameRing& ring = c_.ring;
  platform::system::SetCurrentThreadName("vistrel-convert");
  ring.workerState.store(kWorkerIdle);
  Media::LanczosResizerH8_8 resizer(c_.services.settings.ntap >> 1);
  for (;;) {
    ring.workerEvent.Wait();
    const int32_t state = ring.workerState.load();
    if (state == kWorkerQuit) break;
    if (state != kWorkerPosted) continue;
    Convert(ring.workerSlot.load(std::memory_order_relaxed), resizer);
    ring.workerState.store(kWorkerIdle);
    ring.conversionDone.Set();
  }
  ring.workerState.store(kWorkerStopped);
}

bool ConversionWorker::ConvertCentred(FrameSlot& slot) {
  const video::DecodedPicture& picture = slot.picture;
  if (picture.format != video::kFormatYv12 || c_.services.frameProcessor == nullptr) return false;
  const int32_t width = c_.presentation.displayWidth.load(std::memory_order_relaxed);
  const int32_t height = c_.presentation.displayHeight.load(std::memory_order_relaxed);
  const int32_t shownHeight = picture.field != 0 ? picture.height * 2 : picture.height;
  if (picture.width != width || height < shownHeight) return false;
  LockedRect display;
  if (slot.display->Lock(&display) != Result::kOk) return true;
  const int64_t start = c_.Ticks();
  {
    std::lock_guard lock(*c_.services.frameProcessorLock);
    c_.services.frameProcessor->Convert(slot.raw.get(),
                                        display.bits + int64_t{(height - shownHeight) >> 1} * display.pitch,
                                        picture.width, picture.height, display.pitch, picture.field);
  }
  slot.display->Unlock();
  c_.ring.conversionMs.store(c_.MillisecondsSince(start), std::memory_order_relaxed);
  c_.ring.scalingMs.store(0, std::memory_order_relaxed);
  return true;
}

bool ConversionWorker::ConvertToVideoSurface(FrameSlot& slot) {
  const video::DecodedPicture& picture = slot.picture;
  LockedRect video;
  if (slot.video->Lock(&video) != Result::kOk) return false;
  const int32_t mode = c_.services.settings.hqMode;
  const int64_t start = c_.Ticks();
  if (picture.format != video::kFormatYv12) {
    // A 32-bit picture needs no conversion, only its rows moved to the surface's pitch.
    const int32_t rows = std::min(picture.height, video.height);
    const size_t bytes = size_t(std::min(picture.width, video.width)) * 4;
    for (int32_t y = 0; y < rows; ++y) {
      std::memcpy(video.bits + int64_t{y} * video.pitch, slot.raw.get() + int64_t{y} * picture.width * 4,
                  bytes);
    }
  } else if (mode == kModeLanczos) {
    color::ConvertYv12Lanczos(slot.raw.get(), video.bits, picture.width, picture.height, video.pitch,
                              c_.services.settings.ycOffset, c_.services.settings.enableDcc != 0,
                              picture.field);
  } else if (mode == kModeFast) {
    color::ConvertYv12Fast(slot.raw.get(), video.bits, picture.width, picture.height, video.pitch,
                           c_.services.settings.ycOffset, c_.services.settings.enableDcc != 0, picture.field);
  } else if (c_.services.frameProcessor != nullptr) {
    std::lock_guard lock(*c_.services.frameProcessorLock);
    c_.services.frameProcessor->Convert(slot.raw.get(), video.bits, picture.width, picture.height,
                                        video.pitch, picture.field);
  }
  c_.ring.conversionMs.store(c_.MillisecondsSince(start), std::memory_order_relaxed);
  slot.video->Unlock();
  return true;
}

void ConversionWorker::Convert(int index, Media::IImgResizer& resizer) {
  BusyScope busy(c_.presentation);
  if (!busy.Entered()) return;
  FrameRing& ring = c_.ring;
  FrameSlot& slot = ring.frameSlots[size_t(index)];
  bool isBusy;
  {
    std::lock_guard lock(ring.lock);
    isBusy = slot.busy;
  }
  if (isBusy && slot.display != nullptr && slot.video != nullptr) {
    slot.display->Fill(nullptr, 0);
    if (!ConvertCentred(slot) && ConvertToVideoSurface(slot)) {
      const int64_t start = c_.Ticks();
      Rect d{0, 0, c_.presentation.displayWidth.load(std::memory_order_relaxed),
             c_.presentation.displayHeight.load(std::memory_order_relaxed)};
      const int32_t shownHeight = slot.picture.field != 0 ? slot.picture.height * 2 : slot.picture.height;
      Rect s{0, 0, slot.picture.width, shownHeight};
      const PresentationState& p = c_.presentation;
      ScalePicture(*slot.display, &d, *slot.video, &s, resizer, c_.services.settings.resizeType,
                   p.Geometry());
      ring.scalingMs.store(c_.MillisecondsSince(start), std::memory_order_relaxed);
    }
  }
  std::lock_guard lock(ring.lock);
  slot.notReady = false;
  slot.busy = false;
}

}  // namespace playback
