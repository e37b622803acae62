#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/conversion_accuracy.h"
#include "color/level_tables.h"
#include "color/picture_model.h"
#include "color/rebuild_colour_tables.h"

namespace color {
namespace {

// Neutral model, equal transfers, flat histograms, level tables built.
class ColourTablesTest : public ::testing::Test {
 protected:
  void SetUp() override { Start(4, kTransferSrgb, kTransferSrgb); }
  void TearDown() override { ReleaseColour(); }

  void Start(YuvMatrixCode matrix, TransferCode source, TransferCode output) {
    InitColour(1.0, 1.0, 1.0, matrix, source, output, 100);
    BuildLevelTables();
  }

  const ColourTables& T() { return GetColourTables(); }

  // What the kernels compute for one triple before and after the channel tables.
  std::array<int32_t, 3> Sums(int y, int cb, int cr) {
    const ChromaMatrix8& m = *T().chromaMatrix8;
    const int32_t l = (*T().lumaLevel)[y];
    return {l + m.crR[cr], l + m.cbG[cb] + m.crG[cr], l + m.cbB[cb]};
  }
  Rgb8 Kernel(int y, int cb, int cr) {
    const std::array<int32_t, 3> s = Sums(y, cb, cr);
    Rgb8 out;
    for (int c = 0; c < 3; ++c) {
      out[c] = (*T().channelA)[c][static_cast<uint16_t>(std::clamp(s[c], -32768, 32767))];
    }
    return out;
  }
};

TEST_F(ColourTablesTest, NeutralEntries) {
  EXPECT_EQ((*T().lumaLevel)[0], 0);
  EXPECT_EQ((*T().lumaLevel)[16], 0);
  // Entries are rounded to nearest: 1.0 is 8191.75.
  EXPECT_EQ((*T().lumaLevel)[235], 8192);
  EXPECT_EQ((*T().lumaLevel)[255], 8192);
  EXPECT_EQ((*T().chromaLevel)[128], 32768);
  // Half the 16-bit range per unit, so chroma 0 and 255 keep the ramp.
  EXPECT_EQ((*T().chromaLevel)[240], 49152);
  EXPECT_EQ((*T().chromaLevel)[16], 16384);
  EXPECT_EQ((*T().chromaLevel)[255], 51346);
  EXPECT_EQ((*T().chromaLevel)[0], 14044);
  for (int c = 0; c < 3; ++c) {
    const ChannelTable& a = (*T().channelA)[c];
    const ChannelTable& b = (*T().channelB)[c];
    EXPECT_EQ(a[8191], 255);
    EXPECT_EQ(a[0], 0);
    EXPECT_EQ(a[4096], 128);
    EXPECT_EQ(b[2048], 128);
    EXPECT_EQ(b[4095], 255);
    for (size_t i = 32768; i < 65536; ++i) {
      ASSERT_EQ(a[i], 0) << i;
      ASSERT_EQ(b[i], 0) << i;
    }
  }
  EXPECT_EQ(Kernel(16, 128, 128), (Rgb8{0, 0, 0}));
  EXPECT_EQ(Kernel(235, 128, 128), (Rgb8{255, 255, 255}));
  EXPECT_EQ(Kernel(126, 128, 128), (Rgb8{128, 128, 128}));
}

TEST_F(ColourTablesTest, QuantisersAndForwardMatrix) {
  const LumaQuantiser& lq = *T().lumaQuantiser;
  const ChromaQuantiser& cq = *T().chromaQuantiser;
  EXPECT_EQ(lq[0], 16);
  EXPECT_EQ(lq[65535], 235);
  EXPECT_EQ(cq[0x7FFF], 240);
  EXPECT_EQ(cq[0x8000], 16);
  EXPECT_EQ(cq[0], 128);
  for (size_t i = 1; i < 65536; ++i) {
    ASSERT_GE(lq[i], lq[i - 1]);
  }

  const ForwardMatrix& f = *T().forwardMatrix;
  EXPECT_EQ(f.yR[255], 19594);
  EXPECT_EQ(f.yG[255], 38469);
  EXPECT_EQ(f.yB[255], 7470);
  EXPECT_EQ(lq[f.yR[255] + f.yG[255] + f.yB[255]], 234);  // Full white lands one short of 235.
  EXPECT_EQ(f.cbB[255], 32767);
  EXPECT_EQ(f.crG[255], -27459);  // −0.419 × 65535, truncated toward zero.
  EXPECT_EQ(f.yR[0], 0);
}

TEST_F(ColourTablesTest, LevelTablesFollowTheModel) {
  struct Levels {
    YuvMatrixCode matrix;
    double b, ct, s, yGamma, cGamma;
  };
  for (const Levels& l : {Levels{4, 1.0, 1.0, 1.0, 1.0, 1.0}, Levels{0, 1.1, 0.8, 1.5, 1.2, 0.9},
                          Levels{1, 0.95, 1.3, 0.6, 0.85, 1.3}, Levels{5, 1.2, 1.0, 2.0, 1.0, 0.7},
                          Levels{2, 1.0, 2.5, 0.0, 1.0, 1.0}}) {
    SetYuvMatrix(l.matrix);
    SetYGamma(l.yGamma);
    SetCGamma(l.cGamma);
    SetPictureLevels(l.b, l.ct, l.s);
    PictureParams p;
    p.matrix = l.matrix;
    p.brightness = l.b;
    p.contrast = l.ct;
    p.saturation = l.s;
    p.yGamma = l.yGamma;
    p.cGamma = l.cGamma;
    for (int y = 0; y < 256; y += 3) {
      for (int cb = 0; cb < 256; cb += 7) {
        for (int cr = 1; cr < 256; cr += 9) {
          const std::array<double, 3> v = MatrixRgb(p, y, cb, cr);
          const double luma = MatrixRgb(p, y, 128, 128)[0];
          const std::array<int32_t, 3> s = Sums(y, cb, cr);
          for (int c = 0; c < 3; ++c) {
            // The luma entry is clamped to 0 … 4.0; the chroma terms are not.
            const double expected = std::clamp(luma, 0.0, 4.0) * kInternalOne + (v[c] - luma) * kInternalOne;
            ASSERT_NEAR(s[c], expected, 3.0)
                << l.matrix << " y " << y << " cb " << cb << " cr " << cr << " c " << c;
          }
        }
      }
    }
  }
}

TEST_F(ColourTablesTest, ChannelTablesFollowTheModel) {
  struct Tail {
    TransferCode source, output;
    int32_t monBright;
    std::array<double, 3> gamma, mg, mc, mb;
  };
  const Tail tails[] = {
      {kTransferSrgb, kTransferConstantGamma, 100, {2.2, 2.2, 2.2}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}},
      {kTransferBt709, kTransferSrgb, 80, {2.0, 2.4, 2.6}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}},
      {kTransferSmpte240M,
       kTransferBt709,
       150,
       {2.2, 2.2, 2.2},
       {0.9, 1.0, 1.1},
       {1.1, 0.95, 1.0},
       {1.05, 1.0, 0.97}},
      {kTransferConstantGamma,
       kTransferSmpte240M,
       100,
       {1.8, 2.2, 2.5},
       {1.2, 0.8, 1.0},
       {1.0, 1.0, 0.9},
       {1.1, 1.0, 1.0}},
      {9, 9, 120, {2.2, 2.2, 2.2}, {1, 1, 1}, {1, 1, 1}, {0.9, 1.0, 1.2}},
  };
  for (const Tail& t : tails) {
    SetSourceTransfer(t.source);
    SetOutputTransfer(t.output);
    SetMonitorBrightness(t.monBright);
    SetMonitorGamma(t.mg[0], t.mg[1], t.mg[2]);
    SetMonitorContrast(t.mc[0], t.mc[1], t.mc[2]);
    SetMonitorLevel(t.mb[0], t.mb[1], t.mb[2]);
    BuildChannelTables(t.gamma[0], t.gamma[1], t.gamma[2]);
    PictureParams p;
    p.source = t.source;
    p.output = t.output;
    p.monitorBrightness = t.monBright / 100.0;
    p.displayGamma = t.gamma;
    p.monitorGamma = t.mg;
    p.monitorContrast = t.mc;
    p.monitorLevel = t.mb;
    for (int32_t s = -32768; s < 32768; s += 37) {
      const size_t i = static_cast<uint16_t>(s);
      for (int c = 0; c < 3; ++c) {
        ASSERT_EQ((*T().channelA)[c][i], OutputByte(p, c, s / 32767.0 * 4)) << s << " " << c;
        ASSERT_EQ((*T().channelB)[c][i], OutputByte(p, c, s / 4095.0)) << s << " " << c;
      }
    }
  }
}

TEST_F(ColourTablesTest, KernelPathMatchesTheModel) {
  SetSourceTransfer(kTransferBt709);
  SetOutputTransfer(kTransferSrgb);
  SetMonitorBrightness(90);
  SetMonitorContrast(1.0, 0.9, 1.05);
  SetMonitorLevel(1.02, 1.0, 1.0);
  SetYGamma(1.1);
  SetCGamma(0.9);
  BuildChannelTables(2.0, 2.2, 2.4);
  SetPictureLevels(1.05, 0.95, 1.2);
  PictureParams p;
  p.matrix = 4;
  p.source = kTransferBt709;
  p.output = kTransferSrgb;
  p.monitorBrightness = 0.9;
  p.monitorContrast = {1.0, 0.9, 1.05};
  p.monitorLevel = {1.02, 1.0, 1.0};
  p.yGamma = 1.1;
  p.cGamma = 0.9;
  p.displayGamma = {2.0, 2.2, 2.4};
  p.brightness = 1.05;
  p.contrast = 0.95;
  p.saturation = 1.2;
  int mismatches = 0;
  for (int y = 16; y <= 235; y += 3) {
    for (int cb = 16; cb <= 240; cb += 8) {
      for (int cr = 16; cr <= 240; cr += 8) {
        const Rgb8 table = Kernel(y, cb, cr);
        const Rgb8 model = EvaluatePictureModel(p, y, cb, cr);
        for (int c = 0; c < 3; ++c) {
          ASSERT_LE(std::abs(table[c] - model[c]), 2) << y << " " << cb << " " << cr << " " << c;
          mismatches += table[c] != model[c] ? 1 : 0;
        }
      }
    }
  }
  EXPECT_LT(mismatches, 74 * 29 * 29 * 3 / 20);  // The fixed-point steps rarely show.
}

TEST_F(ColourTablesTest, SettersOnlyStore) {
  const uint8_t before = (*T().channelA)[0][0];
  SetMonitorLevel(1.1, 1.0, 1.0);
  SetYGamma(2.0);
  EXPECT_EQ((*T().channelA)[0][0], before);
  EXPECT_EQ((*T().lumaLevel)[126], 4115);
  BuildChannelTables(2.2, 2.2, 2.2);
  EXPECT_EQ((*T().channelA)[0][0], 26);  // Red black lifted by 0.1 × 255 = 25.5, rounded up.
  EXPECT_EQ((*T().channelA)[1][0], 0);
  BuildLevelTables();
  EXPECT_EQ((*T().lumaLevel)[126], std::lround(std::pow(110 / 219.0, 2.0) * 32767 * 0.25));
}

TEST_F(ColourTablesTest, RebuildRestoresNeutralDisplayGammas) {
  BuildChannelTables(1.8, 2.2, 2.6);
  const uint8_t gammaRed = (*T().channelA)[0][4096];
  EXPECT_NE(gammaRed, 128);
  RebuildColourTables();
  EXPECT_EQ((*T().channelA)[0][4096], 128);
  EXPECT_EQ((*T().channelA)[2][4096], 128);
}

TEST_F(ColourTablesTest, SaturationAloneLeavesTheSixteenBitMatrix) {
  const int32_t crR16 = T().chromaMatrix16->crR[65535];
  const int32_t crR8 = T().chromaMatrix8->crR[240];
  SetPictureLevels(1.0, 1.0, 2.0);
  EXPECT_EQ(T().chromaMatrix16->crR[65535], crR16);
  EXPECT_NEAR(T().chromaMatrix8->crR[240], 2 * crR8, 1);
  RebuildColourTables();
  EXPECT_NEAR(T().chromaMatrix16->crR[65535], 2 * crR16, 1);
  // Offset binary: 32768 is no chroma, 65535 is chroma +1 at twice the internal scale.
  EXPECT_EQ(T().chromaMatrix16->cbB[32768], 0);
  EXPECT_EQ(T().chromaMatrix16->cbG[0], std::lround(-32768 * GetChromaCoefficients(4).cbG * 2.0 * 0.5));
}

TEST_F(ColourTablesTest, DetailStretchesAndResetRestores) {
  std::array<int16_t, 256> linear;
  std::array<uint16_t, 256> linearChroma;
  for (size_t i = 0; i < 256; ++i) {
    linear[i] = (*T().lumaLevel)[i];
    linearChroma[i] = (*T().chromaLevel)[i];
  }
  // Detail concentrated in the dark luma range and in weak chroma stretches those ranges.
  ColourTables& t = GetColourTables();
  for (size_t i = 16; i < 60; ++i) {
    t.lumaHistogram.Add(i, 2'000'000);
  }
  for (size_t i = 120; i < 136; ++i) {
    t.chromaHistogram.Add(i, 2'000'000);
  }
  BuildLevelTables();
  EXPECT_GT((*T().lumaLevel)[40], linear[40] + 300);
  EXPECT_EQ((*T().lumaLevel)[16], 0);
  EXPECT_EQ((*T().lumaLevel)[235], 8192);
  EXPECT_GT((*T().chromaLevel)[134], linearChroma[134] + 1000);
  EXPECT_LT((*T().chromaLevel)[122], linearChroma[122] - 1000);
  EXPECT_EQ((*T().chromaLevel)[128], 32768);
  EXPECT_EQ((*T().chromaLevel)[240], 49152);

  for (int i = 0; i < 16; ++i) {
    DecayHistograms();
  }
  EXPECT_EQ(T().lumaHistogram[100], 1u);
  EXPECT_EQ(T().lumaHistogram[20], 2'065'536u >> 16);

  ResetHistograms();
  BuildLevelTables();
  for (size_t i = 0; i < 256; ++i) {
    ASSERT_EQ((*T().lumaLevel)[i], linear[i]) << i;
    ASSERT_EQ((*T().chromaLevel)[i], linearChroma[i]) << i;
  }
}

TEST_F(ColourTablesTest, SeventeenDecaysGiveTheLinearRamps) {
  std::array<int16_t, 256> linear;
  std::array<uint16_t, 256> linearChroma;
  for (size_t i = 0; i < 256; ++i) {
    linear[i] = (*T().lumaLevel)[i];
    linearChroma[i] = (*T().chromaLevel)[i];
  }
  for (int i = 0; i < 17; ++i) {
    DecayHistograms();
  }
  EXPECT_EQ(T().chromaHistogram[200], 0u);
  BuildLevelTables();
  for (size_t i = 0; i < 256; ++i) {
    ASSERT_EQ((*T().lumaLevel)[i], linear[i]) << i;
    ASSERT_EQ((*T().chromaLevel)[i], linearChroma[i]) << i;
  }
}

TEST_F(ColourTablesTest, ChromaBeyondTheVideoRangeKeepsTheRamp) {
  // Chroma 0 reaches magnitude 128 alone; it continues the ramp m / 112 like chroma 255 does.
  const ChromaMatrix8& m = *T().chromaMatrix8;
  const double perStep = GetChromaCoefficients(4).cbB * 16383 / 112 * 0.25;
  EXPECT_NEAR(m.cbB[0], -128 * perStep, 1);
  EXPECT_NEAR(m.cbB[255], 127 * perStep, 1);
  EXPECT_NEAR(m.cbB[16], -112 * perStep, 1);
}

TEST_F(ColourTablesTest, AccuracyComparesAgainstTheClampedReference) {
  for (int y : {0, 10, 16, 235, 250, 255}) {
    EXPECT_EQ(ConversionErrors(T(), y, 128, 128), (std::array<double, 3>{0, 0, 0})) << y;
  }
  // Chroma 255 is clamped to +0.5 in the reference but not in the tables.
  const std::array<double, 3> beyond = ConversionErrors(T(), 16, 128, 255);
  EXPECT_NEAR(beyond[0], 1.403 * 0.5 - 1.402 * 127 / 224.0, 0.003);
  EXPECT_EQ(ConversionErrors(T(), 126, 128, 255)[0], 0.0);  // Both clip at white.
  EXPECT_NEAR(ConversionErrors(T(), 126, 128, 240)[0], 0.0005, 0.0025);
}

TEST_F(ColourTablesTest, AbsurdStoredSettingsStayBounded) {
  SetYGamma(-1.0);  // 0 to a negative power is infinite.
  SetCGamma(1000.0);
  SetPictureLevels(1e9, 1e12, -1e15);
  RebuildColourTables();
  for (size_t i = 0; i < 256; ++i) {
    ASSERT_GE((*T().lumaLevel)[i], 0);
    for (int32_t e : {T().chromaMatrix8->crR[i], T().chromaMatrix8->cbG[i], T().chromaMatrix8->cbB[i]}) {
      ASSERT_LE(std::abs(e), 1 << 24) << i;
    }
  }
  EXPECT_EQ(std::abs(T().chromaMatrix16->crR[0]), 1 << 24);
  EXPECT_EQ(T().chromaMatrix16->crR[32768], 0);
}

TEST(ColourTablesLifecycle, NothingBeforeInitOrAfterRelease) {
  BuildChannelTables(2.2, 2.2, 2.2);
  BuildLevelTables();
  SetPictureLevels(1.0, 1.0, 1.0);
  double maxError = 1, minError = 1, meanAbs = 1, meanSquare = 1;
  MeasureConversionAccuracy(maxError, minError, meanAbs, meanSquare);
  EXPECT_EQ(maxError + minError + meanAbs + meanSquare, 0.0);
  EXPECT_EQ(GetColourTables().channelA, nullptr);

  InitColour(1.0, 1.0, 1.0, 4, 0, 2, 100);
  EXPECT_NE(GetColourTables().channelA, nullptr);
  EXPECT_EQ(GetColourTables().lumaHistogram[100], kFlatHistogramBin);
  ReleaseColour();
  EXPECT_EQ(GetColourTables().lumaLevel, nullptr);
  EXPECT_EQ(GetColourTables().forwardMatrix, nullptr);
}

}  // namespace
}  // namespace color
