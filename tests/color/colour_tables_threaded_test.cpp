#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/conversion_accuracy.h"
#include "color/level_tables.h"
#include "color/rebuild_colour_tables.h"

namespace color {
namespace {

class ColourTablesThreadedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitColour(1.0, 1.0, 1.0, 4, kTransferSrgb, kTransferSrgb, 100);
    BuildLevelTables();
  }
  void TearDown() override { ReleaseColour(); }
};

// A few entries that differ between two settings.
struct Probe {
  int16_t luma;
  uint8_t red;
  int32_t crR8;
  int32_t crR16;

  static Probe Read() {
    const ColourTables& t = GetColourTables();
    return {(*t.lumaLevel)[200], (*t.channelA)[0][3000], t.chromaMatrix8->crR[230],
            t.chromaMatrix16->crR[60000]};
  }
};

void Apply(bool second) {
  SetPictureLevels(1.0, second ? 0.5 : 1.0, second ? 2.0 : 1.0);
  RebuildColourTables();
  BuildChannelTables(second ? 1.8 : 2.2, 2.2, 2.2);
}

TEST_F(ColourTablesThreadedTest, ReadersSeeOneGenerationPerEntry) {
  Apply(false);
  const Probe first = Probe::Read();
  Apply(true);
  const Probe second = Probe::Read();
  ASSERT_NE(first.luma, second.luma);
  ASSERT_NE(first.red, second.red);
  ASSERT_NE(first.crR8, second.crR8);
  ASSERT_NE(first.crR16, second.crR16);

  // Relaxed: the flag only ends the loop; the join orders everything after it.
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::atomic<int64_t> reads{0};
  std::thread reader([&] {
    const ColourTables& t = GetColourTables();
    while (!stop.load(std::memory_order_relaxed)) {
      const Probe p = Probe::Read();
      const bool ok = (p.luma == first.luma || p.luma == second.luma) &&
                      (p.red == first.red || p.red == second.red) &&
                      (p.crR8 == first.crR8 || p.crR8 == second.crR8) &&
                      (p.crR16 == first.crR16 || p.crR16 == second.crR16);
      torn.fetch_add(ok ? 0 : 1, std::memory_order_relaxed);
      // Sweep whole tables the way a kernel would.
      int64_t sum = 0;
      for (size_t i = 0; i < 65536; i += 16) {
        sum += (*t.channelB)[2][i] + t.chromaMatrix16->cbG[i] + (*t.chromaQuantiser)[i] +
               t.forwardMatrix->yG[i & 255];
      }
      reads.fetch_add(sum != 0 ? 1 : 0, std::memory_order_relaxed);
    }
  });
  for (int i = 0; i < 8; ++i) {
    Apply(i % 2 == 0);
  }
  stop.store(true, std::memory_order_relaxed);
  reader.join();
  EXPECT_EQ(torn.load(), 0);
  EXPECT_GT(reads.load(), 0);
}

// The decoding thread feeds and decays the histograms and rebuilds the level tables while the
// user-interface thread resets them and rebuilds from commands.
TEST_F(ColourTablesThreadedTest, DccRebuildsAlongsideCommands) {
  std::atomic<bool> stop{false};  // Relaxed: only ends the loop.
  std::atomic<int> broken{0};
  std::thread decoder([&] {
    ColourTables& t = GetColourTables();
    for (int frame = 0; !stop.load(std::memory_order_relaxed) || frame < 8; ++frame) {
      for (size_t i = 0; i < 256; ++i) {
        t.lumaHistogram.Add(i, (i * 7 + frame) % 50);
        t.chromaHistogram.Add(i, (i * 3 + frame) % 20);
      }
      if (frame % 4 == 0) {
        DecayHistograms();
      }
      SetPictureLevels(1.0, 1.0, 1.0);
      // Whatever the histograms hold, black, white and zero chroma stay put.
      const bool ok = (*t.lumaLevel)[16] == 0 && (*t.lumaLevel)[235] == 8192 &&
                      (*t.chromaLevel)[128] == 32768 && (*t.chromaLevel)[240] == 49152;
      broken.fetch_add(ok ? 0 : 1, std::memory_order_relaxed);
    }
  });
  for (int i = 0; i < 10; ++i) {
    ResetHistograms();
    SetYGamma(1.0);
    SetPictureLevels(1.0, 1.0, 1.0);
    BuildChannelTables(2.2, 2.2, i % 2 ? 2.0 : 2.4);
  }
  stop.store(true, std::memory_order_relaxed);
  decoder.join();
  EXPECT_EQ(broken.load(), 0);
}

TEST_F(ColourTablesThreadedTest, AccuracyOfNeutralTables) {
  double maxError = 0, minError = 0, meanAbs = 0, meanSquare = 0;
  MeasureConversionAccuracy(maxError, minError, meanAbs, meanSquare);
  EXPECT_GT(maxError, 0.0);
  EXPECT_LT(minError, 0.0);
  // Out-of-range chroma is not clamped by the tables: those triples carry the extremes.
  EXPECT_LT(maxError, 0.15);
  EXPECT_GT(minError, -0.15);
  EXPECT_GT(meanAbs, 0.0);
  EXPECT_LT(meanAbs, 0.01);
  EXPECT_LT(meanSquare, meanAbs);
}

TEST_F(ColourTablesThreadedTest, AccuracyExtremesKeepTheirSigns) {
  double maxError = 0, minError = 0, meanAbs = 0, meanSquare = 0;
  SetPictureLevels(1.5, 1.0, 1.0);  // Every table result at or above the reference.
  MeasureConversionAccuracy(maxError, minError, meanAbs, meanSquare);
  EXPECT_EQ(maxError, 0.0);
  EXPECT_LT(minError, -0.1);

  SetPictureLevels(1.0, 0.0, 0.0);  // Every table result black: at or below the reference.
  MeasureConversionAccuracy(maxError, minError, meanAbs, meanSquare);
  EXPECT_GT(maxError, 0.1);
  EXPECT_EQ(minError, 0.0);
}

}  // namespace
}  // namespace color
