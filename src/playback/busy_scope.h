#pragma once

#include "playback/presentation_state.h"

namespace playback {

// Counts a decode, conversion or presentation in while it touches the display's surfaces;
// refused while a reconfiguration has presentation suspended.
class BusyScope {
 public:
  explicit BusyScope(PresentationState& state) : state_(state) {
    // Count in first, then look at the flag: the reconfiguring side does the opposite, so one
    // of the two always sees the other.
    state_.busyCount.fetch_add(1);
    if (state_.suspended.load()) Leave();
  }
  ~BusyScope() { Leave(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

  bool Entered() const { return entered_; }
  void Leave() {
    if (entered_) state_.busyCount.fetch_sub(1);
    entered_ = false;
  }

 private:
  PresentationState& state_;
  bool entered_ = true;
};

// Holds presentation suspended on the user-interface thread: waits until decode, conversion and
// presentation are outside the surfaces, and lets them in again at the end. Nests.
class SuspendScope {
 public:
  explicit SuspendScope(PresentationState& state);
  ~SuspendScope();
  SuspendScope(const SuspendScope&) = delete;
  SuspendScope& operator=(const SuspendScope&) = delete;

 private:
  PresentationState& state_;
  bool outer_;
};

}  // namespace playback
