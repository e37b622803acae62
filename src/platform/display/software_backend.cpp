#include "platform/display/software_backend.h"

#include <chrono>
#include <thread>

#include "platform/display/video_window.h"

namespace platform::display {

bool SoftwareBackend::HasWindow() {
  std::lock_guard surface(link_->SurfaceMutex());
  return link_->Window() && link_->Read().hasSurface;
}

Result SoftwareBackend::Present(const PictureView& picture, bool) {
  std::lock_guard surface(link_->SurfaceMutex());
  VideoWindow* window = link_->Window();
  if (!window) return Result::kSurfaceLost;
  window->ShowPicture(picture);
  return Result::kOk;
}

void SoftwareBackend::WaitForVerticalBlank() {
  const int32_t refresh = link_->Read().desktop.refreshRate;
  const std::chrono::nanoseconds period(1'000'000'000 / (refresh > 0 ? refresh : 60));
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  std::this_thread::sleep_until(std::chrono::steady_clock::time_point((now / period + 1) * period));
}

}  // namespace platform::display
