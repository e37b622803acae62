#pragma once

#include <QOpenGLContext>
#include <atomic>
#include <memory>

#include "platform/display/backend.h"
#include "platform/display/window_link.h"

namespace platform::display {

// Presents through an OpenGL context on the video window, from whichever thread presents:
// the context is pulled to the calling thread, made current, used for one picture and let
// go again (done, and belonging to no thread), so the next presenter may be another thread.
class OpenGLBackend final : public Backend {
 public:
  // On the GUI thread.
  explicit OpenGLBackend(std::shared_ptr<WindowLink> link);
  ~OpenGLBackend() override;

  DisplayMode DesktopMode() override { return link_->Read().desktop; }
  bool CanSetMode(const DisplayMode&) override { return false; }
  Rect ClientRect() override { return link_->Read().client; }
  bool HasWindow() override;
  Result Present(const PictureView& picture, bool fullScreen) override;
  // The next swap waits for the vertical blank (swap interval 1); others do not.
  void WaitForVerticalBlank() override { waitNextSwap_.store(true, std::memory_order_relaxed); }

 protected:
  uint64_t WindowLossCount() override { return link_->LossCount(); }

 private:
  // With the link's surface mutex held.
  bool Acquire(QWindow& window, int interval);
  void Let();
  bool CreateResources();
  void Draw(const PictureView& picture, const Rect& client);
  void DropContext();

  std::shared_ptr<WindowLink> link_;
  std::unique_ptr<QOpenGLContext> context_;
  bool resourcesReady_ = false;
  unsigned program_ = 0;
  unsigned texture_ = 0;
  int positionAttribute_ = -1;
  int textureWidth_ = 0;
  int textureHeight_ = 0;
  bool rowLength_ = false;  // GL_UNPACK_ROW_LENGTH exists (not in OpenGL ES 2)
  int swapInterval_ = -1;
  // Qt's Wayland contexts apply the swap interval of their own format at every swap, waiting
  // for the compositor's frame callback when it is 1; there the interval is set by the format.
  bool intervalFromFormat_ = false;
  // A request for the next swap only; the swap itself is ordered by the surface mutex.
  std::atomic<bool> waitNextSwap_{false};
};

}  // namespace platform::display
