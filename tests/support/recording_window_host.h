#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/display/memory_backend.h"
#include "playback/window_host.h"

namespace testsupport {

// A main window for the engine's tests: it records the boxes shown and the full-screen switches,
// and gives the memory display the video-area size asked for.
class RecordingWindowHost final : public playback::WindowHost {
 public:
  explicit RecordingWindowHost(platform::display::MemoryBackend& backend) : backend_(backend) {}

  void ShowMessage(const std::string& text, const std::string& caption) override {
    std::lock_guard lock(mutex_);
    messages_.emplace_back(text, caption);
  }
  void ResizeVideoArea(int32_t width, int32_t height) override { backend_.SetClientSize(width, height); }
  void SetFullScreen(bool fullScreen) override {
    std::lock_guard lock(mutex_);
    fullScreenCalls_.push_back(fullScreen);
  }
  void ProcessEvents() override {
    if (onProcessEvents) onProcessEvents();
  }

  // What the window's events do while a long task lets them through.
  std::function<void()> onProcessEvents;

  std::vector<std::pair<std::string, std::string>> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }
  std::vector<bool> FullScreenCalls() const {
    std::lock_guard lock(mutex_);
    return fullScreenCalls_;
  }

 private:
  platform::display::MemoryBackend& backend_;
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> messages_;
  std::vector<bool> fullScreenCalls_;
};

}  // namespace testsupport
