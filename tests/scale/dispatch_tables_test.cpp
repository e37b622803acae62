#include <gtest/gtest.h>

#include "color/colour_dsp.h"
#include "common/cpu_features.h"
#include "scale/scale_dsp.h"
#include "support/cpu_levels.h"

namespace scale {
namespace {

// Both modules' tables, re-filled together.
void InitTables() {
  ScaleDspTable::Init();
  color::ColourDspTable::Init();
}

void ExpectTablesHold(const Media::LanczosPasses& lanczos, BandConverter band,
                      const color::ChromaPasses& chroma, color::FieldBandKernel field) {
  const ScaleDsp& scale = ScaleDspTable::Get();
  const color::ColourDsp& colour = color::ColourDspTable::Get();
  EXPECT_EQ(scale.lanczos.vertical, lanczos.vertical);
  EXPECT_EQ(scale.lanczos.horizontal, lanczos.horizontal);
  EXPECT_EQ(scale.convertBand, band);
  EXPECT_EQ(colour.chroma.vertical, chroma.vertical);
  EXPECT_EQ(colour.chroma.horizontal, chroma.horizontal);
  EXPECT_EQ(colour.interpolateBand, field);
}

TEST(DispatchTablesTest, EachTableTakesTheVariantsOfTheMaskedLevelUntilTheScopeRestoresThem) {
  const uint32_t all = common::CpuFlags();
  {
    const testsupport::ScopedCpuMask sse2(common::kCpuSse2, InitTables);
    ExpectTablesHold(Media::LanczosPassesSse2(), ConvertBandSse2, color::ChromaPassesSse2(),
                     color::InterpolateBandSse2);
  }
  EXPECT_EQ(common::CpuFlags(), all);
  if (all & common::kCpuAvx2) {
    ExpectTablesHold(Media::LanczosPassesAvx2(), ConvertBandAvx2, color::ChromaPassesAvx2(),
                     color::InterpolateBandAvx2);
  }
}

}  // namespace
}  // namespace scale
