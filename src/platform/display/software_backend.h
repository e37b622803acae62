#pragma once

#include <memory>

#include "platform/display/backend.h"
#include "platform/display/window_link.h"

namespace platform::display {

// Presents by handing each picture to the video window, which paints it on the GUI thread:
// the path where no OpenGL context can be had. The vertical blank is the screen's refresh
// period counted from the steady clock.
class SoftwareBackend final : public Backend {
 public:
  explicit SoftwareBackend(std::shared_ptr<WindowLink> link) : link_(std::move(link)) {}

  DisplayMode DesktopMode() override { return link_->Read().desktop; }
  bool CanSetMode(const DisplayMode&) override { return false; }
  Rect ClientRect() override { return link_->Read().client; }
  bool HasWindow() override;
  Result Present(const PictureView& picture, bool fullScreen) override;
  void WaitForVerticalBlank() override;

 protected:
  uint64_t WindowLossCount() override { return link_->LossCount(); }

 private:
  std::shared_ptr<WindowLink> link_;
};

}  // namespace platform::display
