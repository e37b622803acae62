#include "platform/codec/output_format.h"

#include <cstdlib>

#include "riff/fourcc.h"

namespace platform::codec {

namespace {
constexpr uint32_t kRgbCompression = 0;
}  // namespace

const riff::BitmapInfoHeader* HeaderOf(Format format) {
  if (format.size() < sizeof(riff::BitmapInfoHeader)) return nullptr;
  return reinterpret_cast<const riff::BitmapInfoHeader*>(format.data());
}

bool PictureSize(const riff::BitmapInfoHeader& header, int32_t* width, int32_t* height) {
  const int64_t w = header.width;
  const int64_t h = std::llabs(static_cast<int64_t>(header.height));
  if (w < 1 || h < 1 || w > kMaxSide || h > kMaxSide || w * h > kMaxArea) return false;
  *width = static_cast<int32_t>(w);
  *height = static_cast<int32_t>(h);
  return true;
}

OutputKind KindOf(const riff::BitmapInfoHeader& header) {
  if (header.compression == riff::MakeFourcc("YV12") && header.bitCount == 12) return OutputKind::kYv12;
  if (header.compression == riff::MakeFourcc("YUY2") && header.bitCount == 16) return OutputKind::kYuy2;
  if (header.compression == kRgbCompression && header.bitCount == 32) return OutputKind::kRgb32;
  if (header.compression == kRgbCompression && header.bitCount == 24) return OutputKind::kRgb24;
  return OutputKind::kNone;
}

size_t RowBytes(OutputKind kind, int32_t width) {
  const size_t w = static_cast<size_t>(width);
  switch (kind) {
    case OutputKind::kYv12:
      return w;
    case OutputKind::kYuy2:
      return 2 * w;
    case OutputKind::kRgb32:
      return 4 * w;
    case OutputKind::kRgb24:
      return (3 * w + 3) & ~size_t{3};
    case OutputKind::kNone:
      break;
  }
  return 0;
}

size_t PictureBytes(OutputKind kind, int32_t width, int32_t height) {
  const size_t h = static_cast<size_t>(height);
  if (kind == OutputKind::kYv12) {
    const size_t w = static_cast<size_t>(width);
    return w * h + 2 * (w / 2) * (h / 2);
  }
  return RowBytes(kind, width) * h;
}

}  // namespace platform::codec
