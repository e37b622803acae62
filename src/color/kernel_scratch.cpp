#include "color/kernel_scratch.h"

#include <new>

namespace color {
namespace {

// Grows `buffer` to at least `count` elements, never shrinking it.
template <typename T>
bool Grow(std::vector<T>& buffer, size_t count) {
  if (buffer.size() >= count) {
    return true;
  }
  try {
    buffer.resize(count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace

bool KernelScratch::ReserveRowPairs(int width) {
  const int padded = (width + 3) & ~3;
  if (padded <= rowPairWidth_) {
    return true;
  }
  const size_t count = static_cast<size_t>(padded) * kSlots * 2;
  if (!Grow(rowPairs_[0], count) || !Grow(rowPairs_[1], count)) {
    return false;
  }
  rowPairWidth_ = padded;
  return true;
}

uint8_t* KernelScratch::FieldPicture(size_t bytes) {
  return Grow(fieldPicture_, bytes) ? fieldPicture_.data() : nullptr;
}

bool KernelScratch::PrepareLanczos(int width, int height) {
  if (width == lanczosWidth_ && height == lanczosHeight_) {
    return true;
  }
  const size_t pixels = static_cast<size_t>(width) * height;
  const int chromaWidth = width / 2;
  if (!Grow(lumaPlane_, pixels) || !Grow(chromaPlanes_, 2 * pixels) || !Grow(chromaLevels_, pixels / 4) ||
      !Grow(paddedRow_, KernelScratch::kRowPad + PaddedRowLength(chromaWidth))) {
    return false;
  }
  try {
    horizontalFilter_ = BuildChromaDoublingFilter(chromaWidth);
    verticalFilter_ = BuildChromaDoublingFilter(height / 2);
  } catch (const std::bad_alloc&) {
    lanczosWidth_ = 0;
    lanczosHeight_ = 0;
    return false;
  }
  lanczosWidth_ = width;
  lanczosHeight_ = height;
  return true;
}

void KernelScratch::Release() { *this = KernelScratch(); }

KernelScratch& GetKernelScratch() {
  static KernelScratch scratch;
  return scratch;
}

FieldInterpolator& GetFieldInterpolator() {
  static FieldInterpolator interpolator;
  return interpolator;
}

void ReleaseKernelScratch() {
  GetKernelScratch().Release();
  GetFieldInterpolator().Shutdown();
}

}  // namespace color
