#include "platform/text/line_rasteriser.h"

#include <QByteArrayView>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace platform::text {
namespace {

QString FromNarrow(std::string_view text) {
  const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
  return bytes.isValidUtf8() ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

QString FromWide(std::u16string_view text) {
  return QString(reinterpret_cast<const QChar*>(text.data()), static_cast<qsizetype>(text.size()));
}

// The application's font, made to fit the line's rows where a large desktop font would not;
// greyscale edges only, so every pixel stays a shade of pure green.
QFont LineFont() {
  QFont font = QGuiApplication::font();
  font.setStyleStrategy(QFont::NoSubpixelAntialias);
  for (int height = QFontMetrics(font).height(); height > kLineHeight; height = QFontMetrics(font).height()) {
    const int pixels = QFontInfo(font).pixelSize();
    if (pixels <= 1) {
      break;
    }
    font.setPixelSize(std::max(1, std::min(pixels - 1, pixels * kLineHeight / height)));
  }
  return font;
}

LinePicture Draw(std::vector<uint32_t>& pixels, QString text, int32_t maxWidth) {
  maxWidth = std::min(maxWidth, kMaxLineWidth);
  if (qGuiApp == nullptr || text.isEmpty() || maxWidth <= 0) {
    return {};
  }
  // Every character that shows advances at least a pixel, so a text far longer than the
  // picture is wide only costs shaping time.
  text.truncate(4 * maxWidth);
  const QFont font = LineFont();
  const QFontMetrics metrics(font);
  const int32_t width = std::min(metrics.horizontalAdvance(text), maxWidth);
  if (width <= 0) {
    return {};
  }
  pixels.resize(static_cast<size_t>(width) * kLineHeight);
  QImage image(reinterpret_cast<uchar*>(pixels.data()), width, kLineHeight, width * 4, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(QColor(0, 255, 0));
  // The top of the character cell on the top row.
  painter.drawText(QPointF(0, metrics.ascent()), text);
  painter.end();
  return {reinterpret_cast<const uint8_t*>(pixels.data()), width * 4, width};
}

}  // namespace

LinePicture LineRasteriser::Render(std::string_view text, int32_t maxWidth) {
  return Draw(pixels_, FromNarrow(text), maxWidth);
}

LinePicture LineRasteriser::Render(std::u16string_view text, int32_t maxWidth) {
  return Draw(pixels_, FromWide(text), maxWidth);
}

}  // namespace platform::text
