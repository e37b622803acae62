#include "platform/display/device.h"

namespace platform::display {

Device::Device(std::shared_ptr<Backend> backend) : backend_(std::move(backend)) {}

Result Device::SetCooperativeLevel(CooperativeLevel level) {
  std::lock_guard lock(mutex_);
  level_ = level;
  return Result::kOk;
}

CooperativeLevel Device::GetCooperativeLevel() const {
  std::lock_guard lock(mutex_);
  return level_;
}

Result Device::GetDisplayMode(DisplayMode* mode) const {
  if (!mode) return Result::kFailed;
  std::lock_guard lock(mutex_);
  *mode = modeSet_ ? mode_ : backend_->DesktopMode();
  return Result::kOk;
}

Result Device::SetDisplayMode(int32_t width, int32_t height, int32_t bitsPerPixel, int32_t refreshRate) {
  if (bitsPerPixel != 32) return Result::kFailed;
  const DisplayMode desktop = backend_->DesktopMode();
  const DisplayMode wanted{width, height, bitsPerPixel, refreshRate};
  const bool isDesktop = width == desktop.width && height == desktop.height &&
                         (refreshRate == 0 || refreshRate == desktop.refreshRate);
  if (!isDesktop && !backend_->CanSetMode(wanted)) return Result::kFailed;

  std::lock_guard lock(mutex_);
  const DisplayMode current = modeSet_ ? mode_ : desktop;
  modeSet_ = !isDesktop;
  mode_ = isDesktop ? desktop : wanted;
  if (mode_.refreshRate == 0) mode_.refreshRate = desktop.refreshRate;
  if (mode_.width != current.width || mode_.height != current.height) backend_->Lose();
  return Result::kOk;
}

Result Device::RestoreDisplayMode() {
  std::lock_guard lock(mutex_);
  if (modeSet_) {
    const DisplayMode desktop = backend_->DesktopMode();
    if (mode_.width != desktop.width || mode_.height != desktop.height) backend_->Lose();
    modeSet_ = false;
  }
  return Result::kOk;
}

std::unique_ptr<Surface> Device::Made(std::unique_ptr<Surface> surface) {
  if (!surface->IsValid()) return nullptr;
  return surface;
}

std::unique_ptr<Surface> Device::CreatePrimarySurface() {
  const DisplayMode desktop = backend_->DesktopMode();
  return Made(std::make_unique<Surface>(Surface::Key{}, Surface::Kind::kWindowedPrimary, backend_,
                                        desktop.width, desktop.height, 0));
}

std::unique_ptr<Surface> Device::CreateFlipChain(int32_t backBufferCount) {
  if (backBufferCount < 1 || backBufferCount > kMaxBackBuffers) return nullptr;
  DisplayMode mode;
  {
    std::lock_guard lock(mutex_);
    if (level_ != CooperativeLevel::kFullScreen) return nullptr;
    mode = modeSet_ ? mode_ : backend_->DesktopMode();
  }
  return Made(std::make_unique<Surface>(Surface::Key{}, Surface::Kind::kFlipChain, backend_, mode.width,
                                        mode.height, backBufferCount));
}

std::unique_ptr<Surface> Device::CreateOffscreenSurface(int32_t width, int32_t height) {
  return Made(
      std::make_unique<Surface>(Surface::Key{}, Surface::Kind::kOffscreen, backend_, width, height, 0));
}

std::unique_ptr<Clipper> Device::CreateClipper() {
  return std::make_unique<Clipper>(Clipper::Key{}, backend_);
}

Result Device::WaitForVerticalBlank() {
  backend_->WaitForVerticalBlank();
  return Result::kOk;
}

}  // namespace platform::display
