#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/display/backend.h"

namespace platform::display {

// A copy of one picture that became visible.
struct PresentedPicture {
  int32_t width = 0;
  int32_t height = 0;
  bool fullScreen = false;
  bool afterVerticalBlank = false;  // a vertical-blank wait came before it
  std::vector<uint32_t> pixels;     // width × height, row by row, B G R X in memory

  uint32_t Pixel(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// A display without a screen, for tests: it records every presented picture and lets a
// test change the window, make modes settable and lose the surfaces.
class MemoryBackend final : public Backend {
 public:
  struct Options {
    DisplayMode desktop{1920, 1080, 32, 60};
    Rect client{0, 0, 640, 480};
    std::vector<DisplayMode> settableModes;  // besides the desktop's
  };

  MemoryBackend() : MemoryBackend(Options{}) {}
  explicit MemoryBackend(Options options) : options_(std::move(options)) {}

  DisplayMode DesktopMode() override;
  bool CanSetMode(const DisplayMode& mode) override;
  Rect ClientRect() override;
  bool HasWindow() override;
  Result Present(const PictureView& picture, bool fullScreen) override;
  void WaitForVerticalBlank() override;

  void SetClientSize(int32_t width, int32_t height);
  // Without a window clippers cannot bind and lost surfaces cannot be restored.
  void SetHasWindow(bool hasWindow);
  // Every primary and flip chain made so far reports itself lost.
  void LoseSurfaces() { Lose(); }
  // The pictures presented since the last call, oldest first.
  std::vector<PresentedPicture> TakePresented();

 private:
  std::mutex mutex_;
  Options options_;
  bool hasWindow_ = true;
  bool verticalBlankWaited_ = false;
  std::vector<PresentedPicture> presented_;
};

}  // namespace platform::display
