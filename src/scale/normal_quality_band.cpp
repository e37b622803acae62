#include "scale/normal_quality_band.h"

#include <algorithm>

namespace scale {

void BandRows::Reserve(int width) {
  const size_t size = static_cast<size_t>(std::max(width, 0));
  for (std::vector<uint64_t>* row : {&full[0], &full[1]}) {
    if (row->size() < size) {
      row->resize(size);
    }
  }
}

}  // namespace scale
