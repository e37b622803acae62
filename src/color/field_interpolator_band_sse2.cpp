#include "color/field_interpolator_band.h"
#include "color/field_interpolator_band_simd.h"

namespace color {

void InterpolateBandSse2(const FieldBand& band) { InterpolateBandWith<common::simd::Sse2Lanes>(band); }

}  // namespace color
