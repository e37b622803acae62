#include "playback/video_decode_thread.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "common/thread.h"
#include "playback/busy_scope.h"
#include "playback/frame_timing.h"
#include "scale/normal_quality_converter.h"

namespace playback {

using platform::display::LockedRect;
using platform::display::Result;
using platform::display::Surface;

namespace {

void SleepOne() { std::this_thread::sleep_for(std::chrono::milliseconds(1)); }

}  // namespace

bool VideoDecodeThread::RingDrained() const {
  if ((c_.presentation.presentRequest.load(std::memory_order_acquire) & kRequestPresent) != 0) return false;
  std::lock_guard lock(c_.ring.lock);
  if (c_.ring.mode.load(std::memory_order_relaxed) == RingMode::kSingleBuffer) return c_.ring.singleNotReady;
  for (const FrameSlot& slot : c_.ring.frameSlots) {
    if (!slot.IsFree()) return false;
  }
  return true;
}

void VideoDecodeThread::Run() {
  platform::system::SetCurrentThreadPriority(platform::system::ThreadPriority::kLowest);
  platform::system::SetCurrentThreadName("vistrel-decode");
  PlaybackState& playback = c_.playback;
  // The video has ended once the decoder has no further frame and the frames decoded ahead have
  // all been shown; a seek meanwhile starts decoding again.
  bool noFurtherFrame = false;
  uint32_t seeksAtEnd = 0;
  while (playback.playing.load(std::memory_order_acquire) != 0 &&
         (playback.endFlags.load() & (kVideoEnded | kAudioEnded)) != (kVideoEnded | kAudioEnded)) {
    if (noFurtherFrame && playback.seeks.load(std::memory_order_relaxed) != seeksAtEnd)
      noFurtherFrame = false;
    if (playback.seeking.load(std::memory_order_acquire) != 0) {
      SleepOne();
      continue;
    }
    if (c_.ring.ringFull.load(std::memory_order_relaxed) != 0) {
      // Presentation frees a slot and says so; the time-out covers seeks, rebuilds and the end.
      c_.ring.slotFreed.Wait(10);
      continue;
    }
    if (noFurtherFrame) {
      if (RingDrained()) playback.endFlags.fetch_or(kVideoEnded);
      SleepOne();
      continue;
    }
    Pass pass;
    {
      std::lock_guard passLock(c_.ring.passMutex);
      pass = DecodeDue(playback.playbackTime.load(std::memory_order_relaxed));
    }
    if (pass == Pass::kEnded) {
      noFurtherFrame = true;
      seeksAtEnd = playback.seeks.load(std::memory_order_relaxed);
    } else if (pass == Pass::kIdle) {
      SleepOne();
    }
  }
  playback.decodeThreadAlive.store(false, std::memory_order_release);
}

VideoDecodeThread::Decoded VideoDecodeThread::DecodeInto(int32_t frame, uint8_t* bits, int32_t pitch) {
  video::VCMDecoder& decoder = *c_.file.decoder;
  const common::Settings& settings = c_.services.settings;
  const int64_t start = c_.Ticks();
  Decoded decoded{video::kFailed, frame};
  for (;; ++decoded.frame) {
    decoded.result = decoder.DecodeConverted(decoded.frame, bits, pitch, settings.ycOffset,
                                             settings.enableDcc != 0, settings.hqMode);
    if (decoded.result == video::kDecoded || decoded.result == video::kFailed) break;
  }
  decodeMs_ = c_.MillisecondsSince(start);
  return decoded;
}

template <typename Store>
void VideoDecodeThread::Publish(int32_t frame, Store store) {
  c_.ring.lastDecoded = frame;
  const int32_t stamp = FrameStamp(frame, c_.file.Timing());
  {
    std::lock_guard lock(c_.ring.lock);
    store(stamp);
  }
  UpdateStatisticsLine(stamp);
}

int VideoDecodeThread::FreeSlot() const {
  const PresentationState& p = c_.presentation;
  // A freed slot may still be drawn by the presentation thread until its request completes.
  const bool presenting = (p.presentRequest.load(std::memory_order_acquire) & kRequestPresent) != 0;
  const int presented = p.presentedSlot.load(std::memory_order_relaxed);
  for (int i = kFrameSlots - 1; i >= 0; --i) {
    if (c_.ring.frameSlots[size_t(i)].IsFree() && !(presenting && i == presented)) return i;
  }
  return -1;
}

int VideoDecodeThread::TakeFreeSlot() const {
  std::lock_guard lock(c_.ring.lock);
  return FreeSlot();
}

VideoDecodeThread::Pass VideoDecodeThread::DecodeSingleBuffer(int32_t frame) {
  FrameRing& ring = c_.ring;
  // The back buffer still holds the picture waiting for its flip.
  if ((c_.presentation.presentRequest.load(std::memory_order_acquire) & kRequestPresent) != 0)
    return Pass::kIdle;
  Surface* back = c_.services.display.backBuffer;
  if (back == nullptr) return Pass::kEnded;
  LockedRect locked;
  Result locking = back->Lock(&locked);
  if (locking == Result::kSurfaceLost && back->Restore() == Result::kOk) locking = back->Lock(&locked);
  if (locking != Result::kOk) return locking == Result::kSurfaceLost ? Pass::kEnded : Pass::kIdle;
  const Decoded decoded = DecodeInto(frame, locked.bits, locked.pitch);
  back->Unlock();
  if (decoded.result != video::kDecoded) return Pass::kEnded;
  c_.presentation.presentedSlot.store(0, std::memory_order_relaxed);
  ring.ringFull.store(1, std::memory_order_relaxed);
  Publish(decoded.frame, [&](int32_t stamp) {
    ring.singleStamp = stamp;
    ring.singleNotReady = false;
  });
  return Pass::kDecoded;
}

VideoDecodeThread::Pass VideoDecodeThread::DecodeDirect(int32_t frame) {
  FrameRing& ring = c_.ring;
  const int slot = TakeFreeSlot();
  if (slot < 0) return Pass::kIdle;
  FrameSlot& target = ring.frameSlots[size_t(slot)];
  if (target.display == nullptr) return Pass::kEnded;
  LockedRect locked;
  if (target.display->Lock(&locked) != Result::kOk) return Pass::kIdle;
  const Decoded decoded = DecodeInto(frame, locked.bits, locked.pitch);
  target.display->Unlock();
  if (decoded.result != video::kDecoded) return Pass::kEnded;
  Publish(decoded.frame, [&](int32_t stamp) {
    target.stamp = stamp;
    target.notReady = false;
    ring.decodedCount.fetch_add(1, std::memory_order_relaxed);
    if (FreeSlot() < 0) ring.ringFull.store(1, std::memory_order_relaxed);
  });
  return Pass::kDecoded;
}

VideoDecodeThread::Pass VideoDecodeThread::DecodeForWorker(int32_t frame) {
  FrameRing& ring = c_.ring;
  const int slot = TakeFreeSlot();
  if (slot < 0) return Pass::kIdle;
  FrameSlot& target = ring.frameSlots[size_t(slot)];
  if (target.raw == nullptr) return Pass::kEnded;
  video::VCMDecoder& decoder = *c_.file.decoder;
  int32_t readMs = 0;
  int32_t decodeMs = 0;
  int32_t result = video::kFailed;
  int32_t f = frame;
  for (;; ++f) {
    result = decoder.DecodeForPlayback(f, target.raw.get(), &target.picture, &readMs, &decodeMs);
    if (result == video::kDecoded || result == video::kFailed) break;
  }
  if (result != video::kDecoded) return Pass::kEnded;
  ring.readMs.store(readMs, std::memory_order_relaxed);
  decodeMs_ = decodeMs;
  Publish(f, [&](int32_t stamp) {
    ring.decodedCount.fetch_add(1, std::memory_order_relaxed);
    target.stamp = stamp;
    target.busy = true;
    if (FreeSlot() < 0) ring.ringFull.store(1, std::memory_order_relaxed);
  });
  HandToWorker(slot);
  return Pass::kDecoded;
}

void VideoDecodeThread::HandToWorker(int slot) {
  FrameRing& ring = c_.ring;
  const PlaybackState& playback = c_.playback;
  while (playback.seeking.load(std::memory_order_acquire) == 0 && playback.playing.load() != 0) {
    // This thread alone posts jobs, so an idle worker stays idle until it does; the slot index
    // must not change under a job already posted.
    int32_t idle = kWorkerIdle;
    if (ring.workerState.load() == kWorkerIdle) {
      ring.workerSlot.store(slot, std::memory_order_relaxed);
      if (ring.workerState.compare_exchange_strong(idle, kWorkerPosted)) {
        ring.workerEvent.Set();
        return;
      }
    }
    ring.conversionDone.Wait(10);
    std::lock_guard lock(ring.lock);
    if (!ring.frameSlots[size_t(slot)].busy) return;  // a seek took it back
  }
}

VideoDecodeThread::Pass VideoDecodeThread::DecodeDue(int32_t ms) {
  FrameRing& ring = c_.ring;
  if (c_.file.decoder == nullptr) return Pass::kEnded;
  const int32_t frame =
      NextFrameToDecode(FrameDue(ms, c_.file.Timing()), ring.lastDecoded, ms, ring.previousTime);
  if (c_.presentation.suspended.load()) return Pass::kIdle;
  BusyScope busy(c_.presentation);
  if (!busy.Entered()) return Pass::kIdle;
  ring.previousTime = ms;
  switch (ring.mode.load(std::memory_order_relaxed)) {
    case RingMode::kSingleBuffer:
      return DecodeSingleBuffer(frame);
    case RingMode::kDirectRing:
      return DecodeDirect(frame);
    case RingMode::kWorkerRing:
      return DecodeForWorker(frame);
  }
  return Pass::kIdle;
}

void VideoDecodeThread::UpdateStatisticsLine(int32_t stamp) {
  Overlay* overlay = c_.services.overlay;
  if (overlay == nullptr) return;
  StatisticsFigures figures;
  figures.stampMs = stamp;
  figures.fps = c_.playback.fps.load(std::memory_order_relaxed);
  figures.userLoad = c_.playback.userLoad.load(std::memory_order_relaxed);
  figures.kernelLoad = c_.playback.kernelLoad.load(std::memory_order_relaxed);
  {
    std::lock_guard lock(c_.ring.lock);
    for (const FrameSlot& slot : c_.ring.frameSlots) {
      if (!slot.notReady && !slot.busy) ++figures.ready;
      if (slot.busy) ++figures.busy;
    }
  }
  figures.presentationDelay = c_.presentation.presentationDelay.load(std::memory_order_relaxed);
  figures.copyMs = c_.ring.copyMs.load(std::memory_order_relaxed);
  figures.conversionMs = c_.ring.conversionMs.load(std::memory_order_relaxed);
  figures.scalingMs = c_.ring.scalingMs.load(std::memory_order_relaxed);
  if (c_.services.frameProcessor != nullptr)
    figures.frameProcessorMs = c_.services.frameProcessor->FieldTimeMs();
  figures.decodeMs = decodeMs_;
  figures.readMs = c_.ring.mode.load(std::memory_order_relaxed) == RingMode::kWorkerRing
                       ? c_.ring.readMs.load(std::memory_order_relaxed)
                       : 0;
  overlay->FrameDecoded(figures);
}

}  // namespace playback
