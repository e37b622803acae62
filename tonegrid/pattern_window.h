#pragma once

#include <QImage>
#include <QRasterWindow>
#include <QSize>

#include "tonegrid/calibration_state.h"

namespace tonegrid {

// The full-screen window: keys edit the calibration, every change redraws the back buffer, and
// each finished back buffer is presented whole.
class PatternWindow : public QRasterWindow {
 public:
  // `screenSize` is in device pixels; the back buffer keeps that size for the window's life.
  PatternWindow(const CalibrationState& state, QSize screenSize);

  const CalibrationState& State() const { return state_; }
  const QImage& BackBuffer() const { return backBuffer_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  CalibrationState state_;
  // 32 bits per pixel whatever the display's depth: the window system converts on presentation,
  // so no 24-bit layout is ever drawn.
  QImage backBuffer_;
};

}  // namespace tonegrid
