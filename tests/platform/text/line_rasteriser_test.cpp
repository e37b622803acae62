#include "platform/text/line_rasteriser.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QGuiApplication>
#include <cstring>
#include <string>

namespace platform::text {
namespace {

struct Copy {
  int32_t width = 0;
  std::vector<uint32_t> pixels;  // kLineHeight rows of width
  uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

Copy Take(const LinePicture& picture) {
  Copy copy;
  copy.width = picture.width;
  copy.pixels.resize(size_t(picture.width) * kLineHeight);
  for (int32_t y = 0; y < kLineHeight && picture.width > 0; ++y) {
    std::memcpy(&copy.pixels[size_t(y) * size_t(picture.width)], picture.bits + y * picture.pitch,
                size_t(picture.width) * 4);
  }
  return copy;
}

TEST(LineRasteriser, GreenTextOnBlackAsWideAsTheFontSays) {
  LineRasteriser rasteriser;
  const Copy line = Take(rasteriser.Render(std::string_view("Brightness: 105%"), 4096));
  QFont font = QGuiApplication::font();
  EXPECT_EQ(line.width, QFontMetrics(font).horizontalAdvance("Brightness: 105%"));
  ASSERT_GT(line.width, 40);
  int lit = 0;
  uint32_t brightest = 0;
  for (uint32_t pixel : line.pixels) {
    ASSERT_EQ(pixel & 0x00FF00FFu, 0u) << "red and blue stay 0: " << std::hex << pixel;
    lit += (pixel & 0xFF00u) != 0;
    brightest = std::max(brightest, (pixel >> 8) & 0xFF);
  }
  EXPECT_EQ(brightest, 255u);
  EXPECT_GT(lit, 40);
  EXPECT_LT(lit, line.width * kLineHeight / 2) << "the background is black";
  // Glyphs sit inside the rows: ink in the upper half, nothing on the last row but descenders.
  bool inkInTopHalf = false;
  for (int32_t y = 0; y < kLineHeight / 2; ++y) {
    for (int32_t x = 0; x < line.width; ++x) inkInTopHalf |= (line.At(x, y) & 0xFF00u) != 0;
  }
  EXPECT_TRUE(inkInTopHalf);
}

TEST(LineRasteriser, CutAtTheWidthGivenKeepsTheLeftPart) {
  LineRasteriser rasteriser;
  const std::string text = "Using Lanczos-3 Resizer";
  const Copy whole = Take(rasteriser.Render(text, 4096));
  const Copy cut = Take(rasteriser.Render(text, 37));
  ASSERT_EQ(cut.width, 37);
  for (int32_t y = 0; y < kLineHeight; ++y) {
    for (int32_t x = 0; x < cut.width; ++x) ASSERT_EQ(cut.At(x, y), whole.At(x, y)) << x << "," << y;
  }
  // A title of a million characters costs one visible width.
  EXPECT_EQ(rasteriser.Render(std::string(1'000'000, 'W'), 640).width, 640);
  EXPECT_EQ(rasteriser.Render(std::u16string(1'000'000, u'W'), kMaxLineWidth * 2).width, kMaxLineWidth);
}

TEST(LineRasteriser, NothingToDraw) {
  LineRasteriser rasteriser;
  EXPECT_EQ(rasteriser.Render(std::string_view(""), 640).width, 0);
  EXPECT_EQ(rasteriser.Render(std::u16string_view(u""), 640).width, 0);
  EXPECT_EQ(rasteriser.Render(std::string_view("text"), 0).width, 0);
  EXPECT_EQ(rasteriser.Render(std::string_view("text"), -5).width, 0);
}

TEST(LineRasteriser, NarrowTextIsUtf8OrElseLatin1) {
  LineRasteriser rasteriser;
  const Copy wide = Take(rasteriser.Render(std::u16string_view(u"Caf\u00e9 \u00c0"), 4096));
  const Copy utf8 = Take(rasteriser.Render(std::string_view("Caf\xC3\xA9 \xC3\x80"), 4096));
  const Copy latin1 = Take(rasteriser.Render(std::string_view("Caf\xE9 \xC0"), 4096));
  EXPECT_EQ(utf8.pixels, wide.pixels);
  EXPECT_EQ(latin1.pixels, wide.pixels);
  // Cut in the middle of a UTF-8 sequence, the bytes no longer form UTF-8 and read as Latin-1.
  const Copy broken = Take(rasteriser.Render(std::string_view("Caf\xC3"), 4096));
  const Copy broken16 = Take(rasteriser.Render(std::u16string_view(u"Caf\u00c3"), 4096));
  EXPECT_EQ(broken.pixels, broken16.pixels);
}

}  // namespace
}  // namespace platform::text
