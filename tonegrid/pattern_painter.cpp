#include "tonegrid/pattern_painter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tonegrid/calibrated_value.h"
#include "tonegrid/overlay_line.h"

namespace tonegrid {
namespace {

// The fourth byte of a Format_RGB32 pixel must stay 0xff; every write keeps it so, which leaves
// the pixel's colour bytes exactly as computed.
constexpr std::uint32_t kOpaque = 0xff000000u;
constexpr std::uint32_t kWhite = 0x00ffffffu;

constexpr int kRedBit = 1 << kRed;
constexpr int kGreenBit = 1 << kGreen;
constexpr int kBlueBit = 1 << kBlue;
constexpr int kAllBits = kRedBit | kGreenBit | kBlueBit;

constexpr const char* kNames[kPatternCount] = {
    "Red",
    "Green",
    "Blue",
    "Black",
    "White",
    "Red (0-255)",
    "Green (0-255)",
    "Blue (0-255)",
    "Gray scale (0-255)",
    "Red (0-15)",
    "Green (0-15)",
    "Blue (0-15)",
    "Gray scale (0-15)",
    "Red (240-255)",
    "Green (240-255)",
    "Blue (240-255)",
    "Gray scale (240-255)",
    "Horizontal Lines",
    "Vertical Lines",
    "Net Dots",
    "Gamma Check (Same color = correct gamma)",
};

std::uint32_t Compose(int red, int green, int blue) {
  return static_cast<std::uint32_t>(red) << 16 | static_cast<std::uint32_t>(green) << 8 |
         static_cast<std::uint32_t>(blue);
}

// The calibrated colour of a byte level shown in the channels of `mask`, the others at level 0.
std::uint32_t LevelColour(const CalibrationState& state, int mask, int level) {
  int bytes[3];
  for (int c = 0; c < 3; ++c) {
    const double x = (mask & (1 << c)) ? level / 255.0 : 0.0;
    bytes[c] = CalibratedValue(state.channels[c], x);
  }
  return Compose(bytes[kRed], bytes[kGreen], bytes[kBlue]);
}

// Cell boundary i of n across a length; 64-bit so that no screen size can overflow it.
int Boundary(int length, int i, int n) { return static_cast<int>(static_cast<std::int64_t>(length) * i / n); }

void DrawGrid(QImage& image, const CalibrationState& state, int mask) {
  const int w = image.width(), h = image.height();
  for (int row = 0; row < 16; ++row) {
    for (int col = 0; col < 16; ++col) {
      FillRect(image, Boundary(w, col, 16), Boundary(h, row, 16), Boundary(w, col + 1, 16),
               Boundary(h, row + 1, 16), LevelColour(state, mask, 16 * row + col));
    }
  }
}

void DrawColumns(QImage& image, const CalibrationState& state, int mask, int firstLevel) {
  const int w = image.width();
  for (int col = 0; col < 16; ++col) {
    FillRect(image, Boundary(w, col, 16), 0, Boundary(w, col + 1, 16), image.height(),
             LevelColour(state, mask, firstLevel + col));
  }
}

// Uncalibrated full white and black; the colour flips after every pixel and/or after every row.
void DrawLines(QImage& image, bool flipPerPixel, bool flipPerRow) {
  std::uint32_t colour = kWhite;
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      row[x] = kOpaque | colour;
      if (flipPerPixel) colour ^= kWhite;
    }
    if (flipPerRow) colour ^= kWhite;
  }
}

// Neighbouring rows carry linear light t and 1 - t along a triangle wave; with the right gamma
// every pair averages to the same grey across the screen.
void DrawGammaCheck(QImage& image, const CalibrationState& state) {
  const int w = image.width();
  std::vector<std::uint32_t> lineA(w), lineB(w);
  for (int x = 0; x < w; ++x) {
    double t = w > 1 ? x * 10.0 / (w - 1) : 0.0;
    while (t > 2.0) t -= 2.0;
    if (t > 1.0) t = 2.0 - t;
    const double a = EncodeTransfer(state.transferType, t);
    const double b = EncodeTransfer(state.transferType, 1.0 - t);
    const auto& ch = state.channels;
    const auto& scale = state.testScales;
    lineA[x] = kOpaque | Compose(CalibratedValue(ch[kRed], a * scale[kRed]),
                                 CalibratedValue(ch[kGreen], a * scale[kGreen]),
                                 CalibratedValue(ch[kBlue], a * scale[kBlue]));
    lineB[x] = kOpaque | Compose(CalibratedValue(ch[kRed], b * scale[kRed]),
                                 CalibratedValue(ch[kGreen], b * scale[kGreen]),
                                 CalibratedValue(ch[kBlue], b * scale[kBlue]));
  }
  const std::size_t bytes = static_cast<std::size_t>(w) * sizeof(std::uint32_t);
  for (int pair = 0; pair < image.height() / 2; ++pair) {
    std::memcpy(image.scanLine(2 * pair), lineA.data(), bytes);
    std::memcpy(image.scanLine(2 * pair + 1), lineB.data(), bytes);
  }
}

}  // namespace

const char* PatternName(int index) { return index >= 0 && index < kPatternCount ? kNames[index] : ""; }

void FillRect(QImage& image, int left, int top, int right, int bottom, std::uint32_t colour) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, image.width());
  bottom = std::min(bottom, image.height());
  const std::uint32_t pixel = kOpaque | (colour & kWhite);
  for (int y = top; y < bottom; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    std::fill(row + std::min(left, right), row + right, pixel);
  }
}

void DrawPattern(QImage& image, const CalibrationState& state) {
  const int w = image.width(), h = image.height();
  switch (state.pattern) {
    case 0:
      FillRect(image, 0, 0, w, h, LevelColour(state, kRedBit, 255));
      break;
    case 1:
      FillRect(image, 0, 0, w, h, LevelColour(state, kGreenBit, 255));
      break;
    case 2:
      FillRect(image, 0, 0, w, h, LevelColour(state, kBlueBit, 255));
      break;
    case 3:
      FillRect(image, 0, 0, w, h, LevelColour(state, kAllBits, 0));
      break;
    case 4:
      FillRect(image, 0, 0, w, h, LevelColour(state, kAllBits, 255));
      break;
    case 5:
    case 6:
    case 7:
    case 8:
      DrawGrid(image, state, state.pattern == 8 ? kAllBits : 1 << (state.pattern - 5));
      break;
    case 9:
    case 10:
    case 11:
    case 12:
      DrawColumns(image, state, state.pattern == 12 ? kAllBits : 1 << (state.pattern - 9), 0);
      break;
    case 13:
    case 14:
    case 15:
    case 16:
      DrawColumns(image, state, state.pattern == 16 ? kAllBits : 1 << (state.pattern - 13), 240);
      break;
    case 17:
      DrawLines(image, false, true);
      break;
    case 18:
      DrawLines(image, true, false);
      break;
    case 19:
      DrawLines(image, true, true);
      break;
    case 20:
      DrawGammaCheck(image, state);
      break;
    default:
      break;
  }
}

void DrawCurrentPattern(QImage& image, const CalibrationState& state) {
  DrawPattern(image, state);
  DrawOverlay(image, OverlayText(state));
}

}  // namespace tonegrid
