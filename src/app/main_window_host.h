#pragma once

#include "platform/ui/main_window.h"
#include "playback/window_host.h"

namespace app {

// The playback engine's view of the main window.
class MainWindowHost final : public playback::WindowHost {
 public:
  explicit MainWindowHost(platform::ui::MainWindow& window) : window_(window) {}

  void ShowMessage(const std::string& text, const std::string& caption) override;
  void ResizeVideoArea(int32_t width, int32_t height) override { window_.ResizeVideoArea(width, height); }
  void SetFullScreen(bool fullScreen) override { window_.SetFullScreen(fullScreen); }
  void ProcessEvents() override;

 private:
  platform::ui::MainWindow& window_;
};

}  // namespace app
