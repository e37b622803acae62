#include "platform/display/memory_backend.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform::display {

DisplayMode MemoryBackend::DesktopMode() {
  std::lock_guard lock(mutex_);
  return options_.desktop;
}

bool MemoryBackend::CanSetMode(const DisplayMode& mode) {
  std::lock_guard lock(mutex_);
  return std::find(options_.settableModes.begin(), options_.settableModes.end(), mode) !=
         options_.settableModes.end();
}

Rect MemoryBackend::ClientRect() {
  std::lock_guard lock(mutex_);
  return options_.client;
}

bool MemoryBackend::HasWindow() {
  std::lock_guard lock(mutex_);
  return hasWindow_;
}

Result MemoryBackend::Present(const PictureView& picture, bool fullScreen) {
  PresentedPicture copy;
  copy.width = picture.width;
  copy.height = picture.height;
  copy.fullScreen = fullScreen;
  copy.pixels.resize(size_t(picture.width) * size_t(picture.height));
  for (int32_t y = 0; y < picture.height; ++y) {
    std::memcpy(&copy.pixels[size_t(y) * size_t(picture.width)], picture.bits + int64_t{y} * picture.pitch,
                size_t(picture.width) * 4);
  }
  std::lock_guard lock(mutex_);
  copy.afterVerticalBlank = verticalBlankWaited_;
  verticalBlankWaited_ = false;
  presented_.push_back(std::move(copy));
  return Result::kOk;
}

void MemoryBackend::WaitForVerticalBlank() {
  std::lock_guard lock(mutex_);
  verticalBlankWaited_ = true;
}

void MemoryBackend::SetClientSize(int32_t width, int32_t height) {
  std::lock_guard lock(mutex_);
  options_.client = {0, 0, width, height};
}

void MemoryBackend::SetHasWindow(bool hasWindow) {
  std::lock_guard lock(mutex_);
  hasWindow_ = hasWindow;
}

std::vector<PresentedPicture> MemoryBackend::TakePresented() {
  std::lock_guard lock(mutex_);
  return std::exchange(presented_, {});
}

}  // namespace platform::display
