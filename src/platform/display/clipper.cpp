#include "platform/display/clipper.h"

namespace platform::display {

Clipper::Clipper(Key, std::shared_ptr<Backend> backend)
    : backend_(std::move(backend)), binding_(std::make_shared<Binding>()) {}

Result Clipper::BindToWindow() {
  if (!backend_->HasWindow()) return Result::kFailed;
  binding_->bound.store(true, std::memory_order_relaxed);
  return Result::kOk;
}

}  // namespace platform::display
