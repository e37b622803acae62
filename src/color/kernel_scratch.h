#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "color/field_interpolator.h"
#include "color/kernel_levels.h"
#include "color/lanczos_chroma_filter.h"

namespace color {

// Largest width or height the kernels convert; larger pictures are refused.
constexpr int kMaxKernelSize = 1 << 14;

// The conversion kernels' working memory, one process-wide set: one kernel runs at a time
// (conversions are serialised by their callers). Buffers grow to the largest picture seen and
// are never shrunk, so a stream of pictures of one size allocates nothing after the first.
// Every Reserve/Prepare returns false, leaving the buffers as they were, when memory runs out.
class KernelScratch {
 public:
  // 32-bit sums per pixel in a row-pair buffer: blue, green, red and a spare.
  static constexpr int kSlots = 4;
  // Replicated samples either side of a padded chroma row: half the Lanczos filter's reach.
  static constexpr int kRowPad = 3;

  // Both row-pair buffers hold two rows of `width` rounded up to a multiple of 4 pixels.
  bool ReserveRowPairs(int width);
  int RowPairWidth() const { return rowPairWidth_; }
  // Row `row` (0 or 1) of pair buffer `pair` (0 or 1): RowPairWidth() × kSlots sums.
  int32_t* Row(int pair, int row) {
    return rowPairs_[pair].data() + static_cast<size_t>(row) * rowPairWidth_ * kSlots;
  }

  // The level tables of the picture being converted.
  KernelLevels& Levels() { return levels_; }

  // A converted field waiting to be doubled to full height; nullptr when memory runs out.
  uint8_t* FieldPicture(size_t bytes);

  // Planes and filters of the Lanczos kernel for a width × height picture (both even). The
  // filters are rebuilt only when the size changes.
  bool PrepareLanczos(int width, int height);
  int16_t* LumaPlane() { return lumaPlane_.data(); }  // width × height
  // Plane 0 V, 1 U: width × height upsampled offset-binary chroma each.
  uint16_t* ChromaPlane(int plane) {
    return chromaPlanes_.data() + static_cast<size_t>(plane) * lanczosWidth_ * lanczosHeight_;
  }
  // One source chroma plane through the chroma level table, as the signed input of the Lanczos
  // passes.
  int16_t* ChromaLevels() { return chromaLevels_.data(); }
  // One vertically filtered chroma row, kRowPad replicated samples before it and the row's
  // last sample repeated after it up to the vector passes' reach.
  int16_t* PaddedRow() { return paddedRow_.data(); }
  const std::vector<ChromaTaps>& HorizontalFilter() const { return horizontalFilter_; }
  const std::vector<ChromaTaps>& VerticalFilter() const { return verticalFilter_; }

  // Frees every buffer and filter.
  void Release();

 private:
  KernelLevels levels_;
  std::vector<int32_t> rowPairs_[2];
  int rowPairWidth_ = 0;
  std::vector<uint8_t> fieldPicture_;
  std::vector<int16_t> lumaPlane_;
  std::vector<uint16_t> chromaPlanes_;
  std::vector<int16_t> chromaLevels_;
  std::vector<int16_t> paddedRow_;
  std::vector<ChromaTaps> horizontalFilter_;
  std::vector<ChromaTaps> verticalFilter_;
  int lanczosWidth_ = 0;
  int lanczosHeight_ = 0;
};

// Samples a padded chroma row holds beyond its kRowPad left padding, for `count` samples.
constexpr size_t PaddedRowLength(int count) { return static_cast<size_t>(count) + 64; }

// The kernels' scratch and the field interpolator behind every 4:2:0 conversion of a single
// field (the kernels here and the frame processor share it). Both live until ReleaseKernelScratch.
KernelScratch& GetKernelScratch();
FieldInterpolator& GetFieldInterpolator();

// Shut-down: frees the scratch and stops the field-interpolation workers.
void ReleaseKernelScratch();

}  // namespace color
