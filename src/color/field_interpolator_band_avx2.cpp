#include "color/field_interpolator_band.h"
#include "color/field_interpolator_band_simd.h"

namespace color {

void InterpolateBandAvx2(const FieldBand& band) { InterpolateBandWith<common::simd::Avx2Lanes>(band); }

}  // namespace color
