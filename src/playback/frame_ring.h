#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "common/allocation_lock.h"
#include "common/event.h"
#include "common/lock.h"
#include "platform/display/surface.h"
#include "video/video_decoder.h"

namespace playback {

inline constexpr int kFrameSlots = 5;

// One entry of the frame ring. Its flags and time stamp change only under the frame-slot lock;
// its surfaces only while presentation is suspended.
struct FrameSlot {
  // Video size in windowed mode, display size in full screen.
  std::unique_ptr<platform::display::Surface> display;
  // Video size, full screen with scaling only.
  std::unique_ptr<platform::display::Surface> video;
  // One decoded picture in the decoder's own format.
  common::SharedBuffer<uint8_t> raw;
  video::DecodedPicture picture{};
  bool notReady = true;
  bool busy = false;  // handed to conversion
  int32_t stamp = 0;  // ms

  bool IsFree() const { return notReady && !busy; }
};

// The three ways decoded frames reach the screen.
enum class RingMode {
  kSingleBuffer,  // full screen at the picture's size: the decoder writes the back buffer
  kDirectRing,    // windowed: the decoder converts into video-size frameSlots
  kWorkerRing,    // full screen, other size: the conversion worker scales into display size
};

// Conversion worker states.
inline constexpr int32_t kWorkerStopped = 0;
inline constexpr int32_t kWorkerIdle = 1;
inline constexpr int32_t kWorkerPosted = 2;
inline constexpr int32_t kWorkerQuit = 3;

// The frame ring and the decoder's bookkeeping.
struct FrameRing {
  std::array<FrameSlot, kFrameSlots> frameSlots;
  common::Lock lock;  // the frame-slot lock

  // Chosen by a surface rebuild, while suspended: relaxed.
  std::atomic<RingMode> mode{RingMode::kDirectRing};
  // The single-buffer picture, under the frame-slot lock.
  bool singleNotReady = true;
  int32_t singleStamp = 0;

  // Set by the decoder when no slot is left, cleared by presentation, seek, rebuild and Play;
  // only gates polling, so relaxed suffices.
  std::atomic<int32_t> ringFull{0};
  // Set whenever a slot is freed, so that a decoder waiting on a full ring wakes at once.
  common::Event slotFreed;
  std::atomic<int32_t> decodedCount{0};

  // Held by the decoding thread through each pass, so that a seek can wait for the pass to end
  // before it empties the ring.
  std::mutex passMutex;
  // The decoding thread's own: the last decoded frame and the playback time of its last pass.
  int32_t lastDecoded = -1;
  int32_t previousTime = 0;
  // The frame shown while stopped, redrawn after a mode switch.
  int32_t shownFrame = 0;

  // The conversion worker's slot: state and frame index pass through the worker's event.
  std::atomic<int32_t> workerState{kWorkerStopped};
  std::atomic<int32_t> workerSlot{0};
  common::Event workerEvent;
  common::Event conversionDone;

  // Timings of the statistics line, ms; each has one writer.
  std::atomic<int32_t> copyMs{0};
  std::atomic<int32_t> conversionMs{0};
  std::atomic<int32_t> scalingMs{0};
  std::atomic<int32_t> decodeMs{0};
  std::atomic<int32_t> readMs{0};
};

}  // namespace playback
