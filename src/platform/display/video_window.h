#pragma once

#include <QBackingStore>
#include <QImage>
#include <QPointer>
#include <QWindow>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/display/types.h"
#include "platform/display/window_link.h"

namespace platform::display {

// The video area: a native window that the display device presents into. It draws with
// OpenGL where a hardware context can be had (from whichever thread presents), and otherwise
// paints the presented pictures itself on the GUI thread. VISTREL_DISPLAY=software forces the
// painted path, VISTREL_DISPLAY=opengl OpenGL even where it draws in software. Create it on
// the GUI thread, after the QGuiApplication.
class VideoWindow : public QWindow {
 public:
  explicit VideoWindow(QWindow* parent = nullptr);
  ~VideoWindow() override;

  bool UsesOpenGL() const { return usesOpenGL_; }
  const std::shared_ptr<WindowLink>& Link() const { return link_; }
  // Called on the GUI thread whenever the window becomes visible or changes size, so that
  // the owner can have the picture area drawn again.
  void SetExposedHandler(std::function<void()> handler) { exposedHandler_ = std::move(handler); }

  // The painted path: keeps a copy of the picture and paints it soon on the GUI thread.
  // Any thread.
  void ShowPicture(const PictureView& picture);

 protected:
  void exposeEvent(QExposeEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchParent();
  void UpdateState();
  void WatchScreen(QScreen* screen);
  void Paint();

  const bool usesOpenGL_;
  std::shared_ptr<WindowLink> link_;
  std::function<void()> exposedHandler_;
  QMetaObject::Connection screenWatch_;
  QPointer<QWindow> watchedParent_;  // Wayland only, see WatchParent
  bool geometryRenewed_ = false;

  // The painted path.
  std::unique_ptr<QBackingStore> backingStore_;
  std::mutex pictureMutex_;
  QImage pending_;  // the last picture shown by a presenter, under pictureMutex_
  bool hasPending_ = false;
  // Set while a paint is queued, so that a fast presenter queues one at a time; it only
  // gates queueing, the picture itself passes under pictureMutex_, so relaxed suffices.
  std::atomic<bool> paintQueued_{false};
  QImage shown_;
};

}  // namespace platform::display
