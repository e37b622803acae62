#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "common/event.h"
#include "playback/scale_geometry.h"

namespace playback {

// Window states as presentation sees them.
inline constexpr int32_t kWindowHidden = 0;  // minimised, hidden, or inactive in full screen
inline constexpr int32_t kWindowNormal = 1;
inline constexpr int32_t kWindowMenu = 2;  // a menu is open

// Present-request bits.
inline constexpr int32_t kRequestPresent = 1;
inline constexpr int32_t kRequestClear = 2;

// Presentation thread state word: running, and the quit value the shell adds at exit.
inline constexpr int32_t kPresenterRunning = 1;
inline constexpr int32_t kPresenterQuit = 2;

inline constexpr int kDelayHistory = 16;

// Everything presentation shares between the threads. Atomics are written by one thread and read
// by others; each says below why its ordering suffices.
struct PresentationState {
  // Written by the user-interface thread only while suspended, so readers inside a busy scope
  // see a settled value; relaxed suffices.
  std::atomic<int32_t> fullScreen{0};
  std::atomic<int32_t> displayWidth{0};
  std::atomic<int32_t> displayHeight{0};

  // A gate only: a presentation that reads a stale state draws one frame more or less.
  std::atomic<int32_t> windowState{kWindowNormal};

  // The request and its slot are published by the present-request event (a mutex inside), and
  // read back by the decoder to keep off the slot being drawn: acquire/release.
  std::atomic<int32_t> presentRequest{0};
  std::atomic<int32_t> presentedSlot{0};
  std::atomic<int64_t> requestTime{0};   // performance counter at the last request
  std::atomic<int32_t> lateness{0};      // ms the requested frame already was late
  std::atomic<int32_t> requestStamp{0};  // time stamp of the requested frame, for the dump
  std::atomic<uint32_t> requestNow{0};   // clock at the request, for the dump

  // The delay history is written by the presentation thread and zeroed by a seek, both under
  // the frame-slot lock.
  std::array<int32_t, kDelayHistory> delays{};
  int32_t delaySum = 0;
  int32_t delayIndex = 0;
  std::atomic<int32_t> presentationDelay{0};  // PDelay: the average of the history

  // Source crop (top, bottom, left, right) and pixel aspect from the file; written on the
  // user-interface thread while nothing plays, read while scaling: relaxed.
  std::array<std::atomic<int32_t>, 4> crop{};
  std::atomic<int32_t> aspectNumerator{1};
  std::atomic<int32_t> aspectDenominator{1};

  SourceGeometry Geometry() const {
    return {
        crop[0].load(std::memory_order_relaxed),         crop[1].load(std::memory_order_relaxed),
        crop[2].load(std::memory_order_relaxed),         crop[3].load(std::memory_order_relaxed),
        aspectNumerator.load(std::memory_order_relaxed), aspectDenominator.load(std::memory_order_relaxed)};
  }

  // Wake-ups by the event, by time-out, all waits, requests: only counted and dumped.
  std::atomic<int32_t> wakeByEvent{0};
  std::atomic<int32_t> wakeByTimeout{0};
  std::atomic<int32_t> waits{0};
  std::atomic<int32_t> requests{0};

  // Decode, conversion and presentation count themselves in; a display reconfiguration sets the
  // suspend flag and waits for the count to drain. Both sequentially consistent: each side
  // writes its own flag before reading the other's.
  std::atomic<int32_t> busyCount{0};
  std::atomic<bool> suspended{false};

  std::atomic<int32_t> threadState{0};
  common::Event presentRequestEvent;
  common::Event presentDoneEvent;
};

}  // namespace playback
