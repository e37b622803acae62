#include "playback/busy_scope.h"

#include <chrono>
#include <thread>

namespace playback {

SuspendScope::SuspendScope(PresentationState& state)
    : state_(state), outer_(!state.suspended.exchange(true)) {
  while (state_.busyCount.load() > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

SuspendScope::~SuspendScope() {
  if (!outer_) return;
  state_.suspended.store(false);
  // A request made while suspended was left waiting; wake the presenter for it.
  if (state_.presentRequest.load(std::memory_order_acquire) != 0) state_.presentRequestEvent.Set();
}

}  // namespace playback
