#include "tonegrid/overlay_line.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>
#include <cstring>

#include "tonegrid/pattern_painter.h"

namespace tonegrid {

QString OverlayText(const CalibrationState& state) {
  const auto& ch = state.channels;
  const auto& scale = state.testScales;
  // asprintf formats numbers in the C locale whatever the user's locale is.
  return QString::asprintf(
      "%s: RGB: %s, R:%.2lf,%.2lf,%.2lf,%.2lf, G:%.2lf,%.2lf,%.2lf,%.2lf, B:%.2lf,%.2lf,%.2lf,%.2lf",
      PatternName(state.pattern), TransferName(state.transferType), ch[kRed].black, ch[kRed].contrast,
      ch[kRed].gamma, scale[kRed], ch[kGreen].black, ch[kGreen].contrast, ch[kGreen].gamma, scale[kGreen],
      ch[kBlue].black, ch[kBlue].contrast, ch[kBlue].gamma, scale[kBlue]);
}

void DrawOverlay(QImage& image, const QString& text) {
  QFont font = QGuiApplication::font();
  // Sub-pixel smoothing would tint the edges red and blue; the line must stay pure green.
  font.setStyleStrategy(QFont::NoSubpixelAntialias);
  const int width = std::min(QFontMetrics(font).horizontalAdvance(text), image.width());
  const int rows = std::min(kOverlayHeight, image.height());
  if (width <= 0 || rows <= 0) return;

  QImage strip(width, kOverlayHeight, QImage::Format_RGB32);
  strip.fill(Qt::black);
  {
    QPainter painter(&strip);
    painter.setFont(font);
    painter.setPen(QColor(0, 255, 0));
    painter.drawText(QRect(0, 0, width, kOverlayHeight), Qt::AlignLeft | Qt::AlignTop, text);
  }
  const std::size_t bytes = static_cast<std::size_t>(width) * 4;
  for (int y = 0; y < rows; ++y) std::memcpy(image.scanLine(y), strip.constScanLine(y), bytes);
}

}  // namespace tonegrid
