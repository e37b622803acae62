#pragma once

#include <cstddef>
#include <cstdint>

namespace color {

// What every 4:2:0 kernel does around its conversion: checks the arguments, chooses where the rows go (the
// destination, or the field picture for a single field) and afterwards doubles a field to full height into
// the destination.
//
// A YV12 source is the Y plane (width × height), then V, then U (width / 2 × height / 2
// each), all without padding; width and height are even, 2 … kMaxKernelSize. The destination
// takes height rows (2 × height for field 1 or 2) of width 32-bit pixels, pitch bytes apart,
// pitch at least 4 × width.
class Yv12KernelFrame {
 public:
  // False, touching nothing, for arguments no kernel can convert or when the field picture
  // cannot be had.
  bool Begin(const uint8_t* source, uint8_t* destination, int width, int height, ptrdiff_t pitch, int field);

  // Feeds the DCC histograms from the source picture.
  void AccumulateDcc() const;

  const uint8_t* Y() const { return source_; }
  const uint8_t* V() const { return source_ + static_cast<ptrdiff_t>(width_) * height_; }
  const uint8_t* U() const { return V() + static_cast<ptrdiff_t>(ChromaWidth()) * ChromaHeight(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int ChromaWidth() const { return width_ / 2; }
  int ChromaHeight() const { return height_ / 2; }
  ptrdiff_t Pitch() const { return pitch_; }
  // Row `y` of the target, 0 ≤ y < height.
  uint8_t* TargetRow(int y) const { return target_ + y * pitch_; }

  // Doubles a field into the destination: field 1 a quarter of a source row up, field 2 a
  // quarter down. Nothing to do for a progressive picture.
  bool Finish() const;

 private:
  const uint8_t* source_ = nullptr;
  uint8_t* destination_ = nullptr;
  uint8_t* target_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  ptrdiff_t pitch_ = 0;
  int field_ = 0;
};

}  // namespace color
