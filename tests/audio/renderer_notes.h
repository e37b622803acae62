#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace audiotest {

// The notifications a renderer sent, in order: give Record and this object to SetNotification.
class RendererNotes {
 public:
  static void Record(int32_t code, void* user, intptr_t) {
    auto* notes = static_cast<RendererNotes*>(user);
    std::lock_guard<std::mutex> lock(notes->mutex_);
    notes->codes_.push_back(code);
  }
  std::vector<int32_t> Get() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return codes_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<int32_t> codes_;
};

}  // namespace audiotest
