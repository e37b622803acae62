#pragma once

#include <atomic>
#include <memory>

#include "platform/display/backend.h"
#include "platform/display/types.h"

namespace platform::display {

// Keeps drawing on the windowed primary inside the video window: once bound and attached,
// rectangles reaching outside the window are cut to it instead of being refused.
class Clipper {
 public:
  // Only a Device makes clippers.
  class Key {
    friend class Device;
    Key() = default;
  };
  Clipper(Key, std::shared_ptr<Backend> backend);

  // Binds to the device's video window; kFailed when the device has none.
  Result BindToWindow();
  bool IsBound() const { return binding_->bound.load(std::memory_order_relaxed); }

  // Shared with the surfaces it is attached to, so that either may be released first.
  struct Binding {
    // Set once before the primary is drawn on; a late reader merely clips one blit less.
    std::atomic<bool> bound{false};
  };
  const std::shared_ptr<Binding>& GetBinding() const { return binding_; }

 private:
  std::shared_ptr<Backend> backend_;
  std::shared_ptr<Binding> binding_;
};

}  // namespace platform::display
