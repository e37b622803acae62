#include "platform/display/video_window.h"

#include <QExposeEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QSurfaceFormat>
#include <cstring>

#include "platform/display/on_wayland.h"

namespace platform::display {

namespace {

// Whether the context draws on the processor (Mesa's llvmpipe, softpipe or swrast, as under a
// virtual X server): then uploading and drawing every picture costs more than painting it.
bool RendersInSoftware(QOpenGLContext& context) {
  QOffscreenSurface surface;
  surface.setFormat(context.format());
  surface.create();
  if (!context.makeCurrent(&surface)) return false;
  const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
  const QByteArray name = renderer ? QByteArray(renderer).toLower() : QByteArray();
  context.doneCurrent();
  return name.contains("llvmpipe") || name.contains("softpipe") || name.contains("swrast");
}

bool OpenGLAvailable() {
  const QByteArray forced = qgetenv("VISTREL_DISPLAY");
  if (forced == "software" || forced == "memory") return false;
  // The presentation thread is not the GUI thread, so the context must be usable off it.
  if (!QOpenGLContext::supportsThreadedOpenGL()) return false;
  QOpenGLContext probe;
  if (!probe.create()) return false;
  return forced == "opengl" || !RendersInSoftware(probe);
}

// Copies a row of pixels, making the fourth byte, which means nothing to the surfaces, opaque
// as Qt wants it; four pixels at a time.
void CopyOpaque(const uint8_t* __restrict from, uint8_t* __restrict to, int32_t pixels) {
  using Quad = uint32_t __attribute__((vector_size(16)));
  const Quad opaque = {0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
  int32_t x = 0;
  for (; x + 4 <= pixels; x += 4) {
    Quad quad;
    std::memcpy(&quad, from + 4 * x, sizeof quad);
    quad |= opaque;
    std::memcpy(to + 4 * x, &quad, sizeof quad);
  }
  for (; x < pixels; ++x) {
    uint32_t pixel;
    std::memcpy(&pixel, from + 4 * x, 4);
    pixel |= 0xFF000000u;
    std::memcpy(to + 4 * x, &pixel, 4);
  }
}

}  // namespace

VideoWindow::VideoWindow(QWindow* parent)
    : QWindow(parent), usesOpenGL_(OpenGLAvailable()), link_(std::make_shared<WindowLink>(this)) {
  if (usesOpenGL_) {
    setSurfaceType(QSurface::OpenGLSurface);
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    // Swaps wait for the vertical blank only when a presenter asks for it.
    format.setSwapInterval(0);
    format.setDepthBufferSize(0);
    format.setStencilBufferSize(0);
    setFormat(format);
  } else {
    setSurfaceType(QSurface::RasterSurface);
  }
  connect(this, &QWindow::screenChanged, this, [this](QScreen* screen) {
    WatchScreen(screen);
    UpdateState();
    link_->Lose();
  });
  WatchScreen(screen());
  UpdateState();
}

VideoWindow::~VideoWindow() {
  {
    std::lock_guard surface(link_->SurfaceMutex());
    link_->Detach();
  }
  backingStore_.reset();
  destroy();
}

void VideoWindow::WatchScreen(QScreen* screen) {
  disconnect(screenWatch_);
  if (!screen) return;
  screenWatch_ = connect(screen, &QScreen::geometryChanged, this, [this] {
    UpdateState();
    link_->Lose();
  });
}

void VideoWindow::WatchParent() {
  // Qt 6.4's Wayland plugin exposes a child window only when the child's geometry is set while
  // its top level is exposed, never at the top level's first configure; so there the video area
  // watches the parent its native surface was made under and, once for each surface, sets its
  // geometry again when the parent is shown.
  if (!OnWayland()) return;
  if (watchedParent_ != nullptr) watchedParent_->removeEventFilter(this);
  watchedParent_ = parent();
  geometryRenewed_ = false;
  if (watchedParent_ != nullptr) watchedParent_->installEventFilter(this);
}

bool VideoWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == watchedParent_ && event->type() == QEvent::Expose && !geometryRenewed_ &&
      watchedParent_->isExposed() && isVisible() && !isExposed()) {
    geometryRenewed_ = true;
    // An unchanged geometry would not reach the platform window.
    const QRect area = geometry();
    setGeometry(area.adjusted(0, 0, 1, 0));
    setGeometry(area);
  }
  return QWindow::eventFilter(watched, event);
}

void VideoWindow::UpdateState() {
  WindowLink::State state;
  const qreal ratio = devicePixelRatio();
  state.client = {0, 0, qRound(width() * ratio), qRound(height() * ratio)};
  if (QScreen* current = screen()) {
    const qreal screenRatio = current->devicePixelRatio();
    state.desktop = {qRound(current->geometry().width() * screenRatio),
                     qRound(current->geometry().height() * screenRatio), 32, qRound(current->refreshRate())};
  }
  state.exposed = isExposed();
  state.hasSurface = handle() != nullptr;
  // winId() would create the native window, so it is only read once one exists.
  state.nativeId = state.hasSurface ? uintptr_t(winId()) : 0;
  link_->Write(state);
}

void VideoWindow::exposeEvent(QExposeEvent* event) {
  UpdateState();
  if (!usesOpenGL_) Paint();
  if (isExposed() && exposedHandler_) exposedHandler_();
  QWindow::exposeEvent(event);
}

void VideoWindow::resizeEvent(QResizeEvent* event) {
  UpdateState();
  QWindow::resizeEvent(event);
}

bool VideoWindow::event(QEvent* event) {
  if (event->type() == QEvent::PlatformSurface) {
    if (static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
        QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
      // Waits for a presentation under way, then keeps the next ones out of the old surface.
      std::lock_guard surface(link_->SurfaceMutex());
      WindowLink::State state = link_->Read();
      state.exposed = false;
      state.hasSurface = false;
      state.nativeId = 0;
      link_->Write(state);
      link_->Lose();
      backingStore_.reset();
    } else {
      const bool handled = QWindow::event(event);
      UpdateState();
      WatchParent();
      return handled;
    }
  } else if (event->type() == QEvent::UpdateRequest && !usesOpenGL_) {
    Paint();
    return true;
  }
  return QWindow::event(event);
}

void VideoWindow::ShowPicture(const PictureView& picture) {
  {
    std::lock_guard lock(pictureMutex_);
    if (pending_.width() != picture.width || pending_.height() != picture.height) {
      pending_ = QImage(picture.width, picture.height, QImage::Format_RGB32);
    }
    uint8_t* rows = pending_.bits();
    const qsizetype stride = pending_.bytesPerLine();
    for (int32_t y = 0; y < picture.height; ++y) {
      CopyOpaque(picture.bits + int64_t{y} * picture.pitch, rows + y * stride, picture.width);
    }
    hasPending_ = true;
  }
  if (!paintQueued_.exchange(true, std::memory_order_relaxed)) {
    QMetaObject::invokeMethod(
        this,
        [this] {
          paintQueued_.store(false, std::memory_order_relaxed);
          Paint();
        },
        Qt::QueuedConnection);
  }
}

void VideoWindow::Paint() {
  if (!isExposed()) return;
  {
    std::lock_guard lock(pictureMutex_);
    if (hasPending_) {
      std::swap(shown_, pending_);
      hasPending_ = false;
    }
  }
  if (!backingStore_) backingStore_ = std::make_unique<QBackingStore>(this);
  const QRect area(QPoint(0, 0), size());
  backingStore_->resize(size());
  backingStore_->beginPaint(area);
  {
    QPainter painter(backingStore_->paintDevice());
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (shown_.isNull()) {
      painter.fillRect(area, Qt::black);
    } else {
      // The picture is in device pixels: drawn over the whole area it maps 1:1 when its
      // size is the window's and is stretched otherwise (a full-screen chain).
      painter.drawImage(area, shown_);
    }
  }
  backingStore_->endPaint();
  backingStore_->flush(area);
}

}  // namespace platform::display
