#include "platform/display/window_link.h"

namespace platform::display {

WindowLink::State WindowLink::Read() const {
  std::lock_guard lock(stateMutex_);
  return state_;
}

void WindowLink::Write(const State& state) {
  std::lock_guard lock(stateMutex_);
  state_ = state;
}

}  // namespace platform::display
