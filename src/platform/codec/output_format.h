#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/codec/codec.h"
#include "riff/bitmap_info_header.h"

namespace platform::codec {

// Largest picture a codec takes: each side and the area, so that every buffer sized from a
// format stays bounded.
inline constexpr int32_t kMaxSide = 1 << 14;
inline constexpr int64_t kMaxArea = int64_t{8192} * 4608;

// The picture formats a codec can be asked for.
enum class OutputKind { kNone, kYv12, kYuy2, kRgb32, kRgb24 };

// A format block's header; none when the block is shorter than a BitmapInfoHeader.
const riff::BitmapInfoHeader* HeaderOf(Format format);

// Width and height of a format when both are within the limits (height as its magnitude).
bool PictureSize(const riff::BitmapInfoHeader& header, int32_t* width, int32_t* height);

// Which output a format asks for, kNone for anything else.
OutputKind KindOf(const riff::BitmapInfoHeader& header);

// Bytes of one row and of a whole picture of kind for width × height.
size_t RowBytes(OutputKind kind, int32_t width);
size_t PictureBytes(OutputKind kind, int32_t width, int32_t height);

}  // namespace platform::codec
