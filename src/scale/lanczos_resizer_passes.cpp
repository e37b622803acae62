#include "scale/lanczos_resizer_passes.h"

#include <cstddef>

namespace Media {

namespace {

bool Contiguous(const int32_t* index, int32_t taps) {
  for (int32_t j = 1; j < taps; ++j) {
    if (index[j] != index[0] + j * 8) {
      return false;
    }
  }
  return true;
}

}  // namespace

void LanczosContiguousSpan(const LanczosJob& job, int32_t& begin, int32_t& end) {
  const auto at = [&job](int32_t x) { return job.index + static_cast<ptrdiff_t>(x) * job.taps; };
  begin = 0;
  end = 0;
  for (int32_t x = 0; x < job.width; ++x) {
    if (!Contiguous(at(x), job.taps)) {
      if (end > begin) {
        return;
      }
      continue;
    }
    if (end == begin) {
      begin = x;
    }
    end = x + 1;
  }
}

}  // namespace Media
