#include "tonegrid/pattern_window.h"

#include <QKeyEvent>
#include <QPainter>

#include "tonegrid/key_handler.h"
#include "tonegrid/pattern_painter.h"

namespace tonegrid {

PatternWindow::PatternWindow(const CalibrationState& state, QSize screenSize)
    : state_(state), backBuffer_(screenSize, QImage::Format_RGB32) {
  setTitle(QStringLiteral("BaseForm"));
  setCursor(Qt::ArrowCursor);
  backBuffer_.fill(Qt::black);
  DrawCurrentPattern(backBuffer_, state_);
}

void PatternWindow::keyPressEvent(QKeyEvent* event) {
  // Alt and Alt combinations belong to the window system, as system keys do elsewhere.
  if (event->key() == Qt::Key_Alt || event->key() == Qt::Key_AltGr ||
      (event->modifiers() & Qt::AltModifier)) {
    return;
  }
  switch (HandleKeyDown(state_, event->key())) {
    case KeyResult::kNone:
      break;
    case KeyResult::kRedraw:
      DrawCurrentPattern(backBuffer_, state_);
      update();
      break;
    case KeyResult::kQuit:
      close();
      break;
  }
}

void PatternWindow::keyReleaseEvent(QKeyEvent* event) { HandleKeyUp(state_, event->key()); }

void PatternWindow::paintEvent(QPaintEvent*) {
  // The back buffer is in device pixels; draw it one to one whatever the scale factor.
  backBuffer_.setDevicePixelRatio(devicePixelRatio());
  QPainter painter(this);
  painter.drawImage(0, 0, backBuffer_);
}

}  // namespace tonegrid
