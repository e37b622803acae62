#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "scale/lanczos_reference.h"
#include "scale/lanczos_resizer_coefficients.h"
#include "scale/lanczos_resizer_passes.h"
#include "scale/scale_dsp.h"
#include "support/cpu_levels.h"

namespace Media::testing {
namespace {

using testsupport::ForEachCpuLevel;

std::vector<uint8_t> RandomBytes(size_t size, std::mt19937& rng) {
  std::vector<uint8_t> bytes(size);
  for (auto& b : bytes) {
    b = static_cast<uint8_t>(rng());
  }
  return bytes;
}

// Real coefficients, or random weights on the real offsets to drive the 16-bit sums into wrapping
// and the output into saturation.
LanczosCoefficients Coefficients(int src, int dst, int step, int filterTaps, bool randomWeights,
                                 std::mt19937& rng) {
  LanczosCoefficients set;
  BuildLanczosCoefficients(src, dst, step, filterTaps, set);
  if (randomWeights) {
    for (size_t i = 0; i < set.weights.size(); i += 4) {
      const auto w = static_cast<int16_t>(rng());
      set.weights[i] = set.weights[i + 1] = set.weights[i + 2] = set.weights[i + 3] = w;
    }
  }
  return set;
}

// Widths around the SIMD block sizes, with odd sizes and odd pitches.
const int kWidths[] = {1, 2, 3, 5, 7, 8, 9, 15, 16, 17, 31, 33, 47, 64, 67};

TEST(LanczosPasses, VerticalMatchesScalarBitForBit) {
  std::mt19937 rng(1);
  ForEachCpuLevel(scale::ScaleDspTable::Init, [&] {
    const LanczosPasses& passes = scale::ScaleDspTable::Get().lanczos;
    for (int width : kWidths) {
      for (auto [srcRows, dstRows, filterTaps] :
           {std::tuple{20, 33, 6}, {33, 20, 6}, {50, 17, 4}, {9, 31, 2}}) {
        for (bool randomWeights : {false, true}) {
          const int srcPitch = width * 4 + 3;
          const int dstPitch = width * 8 + 6;
          const std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(srcPitch) * srcRows, rng);
          const LanczosCoefficients v =
              Coefficients(srcRows, dstRows, srcPitch, filterTaps, randomWeights, rng);
          std::vector<uint8_t> expected(static_cast<size_t>(dstPitch) * dstRows, 0x5A);
          std::vector<uint8_t> actual = expected;
          LanczosJob job{src.data(),       expected.data(),  width,    dstRows, v.taps,
                         v.offsets.data(), v.weights.data(), srcPitch, dstPitch};
          ReferenceVertical(job);
          job.dst = actual.data();
          passes.vertical(job);
          ASSERT_EQ(expected, actual) << "width " << width << " " << srcRows << "->" << dstRows
                                      << " random weights " << randomWeights;
        }
      }
    }
  });
}

TEST(LanczosPasses, HorizontalMatchesScalarBitForBit) {
  std::mt19937 rng(2);
  const int rows = 3;
  ForEachCpuLevel(scale::ScaleDspTable::Init, [&] {
    const LanczosPasses& passes = scale::ScaleDspTable::Get().lanczos;
    for (int dstWidth : kWidths) {
      for (int srcWidth : {dstWidth, dstWidth * 2 + 1, dstWidth / 3 + 1, 40}) {
        if (srcWidth == dstWidth) {
          continue;
        }
        for (int filterTaps : {2, 6, 8}) {
          for (bool randomWeights : {false, true}) {
            const int srcPitch = srcWidth * 8 + 8;
            const int dstPitch = dstWidth * 4 + 1;
            const std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(srcPitch) * rows, rng);
            const LanczosCoefficients h = Coefficients(srcWidth, dstWidth, 8, filterTaps, randomWeights, rng);
            std::vector<uint8_t> expected(static_cast<size_t>(dstPitch) * rows, 0x5A);
            std::vector<uint8_t> actual = expected;
            LanczosJob job{src.data(),       expected.data(),  dstWidth, rows,    h.taps,
                           h.offsets.data(), h.weights.data(), srcPitch, dstPitch};
            ReferenceHorizontal(job);
            job.dst = actual.data();
            passes.horizontal(job);
            ASSERT_EQ(expected, actual) << "" << srcWidth << "->" << dstWidth << " taps " << filterTaps
                                        << " random weights " << randomWeights;
          }
        }
      }
    }
  });
}

TEST(LanczosPasses, HorizontalMatchesScalarForEveryTapCount) {
  std::mt19937 rng(4);
  const int rows = 2;
  const int dstWidth = 37;
  ForEachCpuLevel(scale::ScaleDspTable::Init, [&] {
    const LanczosPasses& passes = scale::ScaleDspTable::Get().lanczos;
    std::set<int> tapCounts;
    for (int filterTaps : {2, 4, 6}) {
      for (int srcWidth = 5; srcWidth <= 140; srcWidth += 3) {
        if (srcWidth == dstWidth) {
          continue;
        }
        const int srcPitch = srcWidth * 8;
        const int dstPitch = dstWidth * 4;
        const std::vector<uint8_t> src = RandomBytes(static_cast<size_t>(srcPitch) * rows, rng);
        const LanczosCoefficients h = Coefficients(srcWidth, dstWidth, 8, filterTaps, true, rng);
        tapCounts.insert(h.taps);
        std::vector<uint8_t> expected(static_cast<size_t>(dstPitch) * rows, 0x5A);
        std::vector<uint8_t> actual = expected;
        LanczosJob job{src.data(),       expected.data(),  dstWidth, rows,    h.taps,
                       h.offsets.data(), h.weights.data(), srcPitch, dstPitch};
        ReferenceHorizontal(job);
        job.dst = actual.data();
        passes.horizontal(job);
        ASSERT_EQ(expected, actual) << "" << srcWidth << "->" << dstWidth << ", " << h.taps << " taps";
      }
    }
    for (int taps = 2; taps <= 23; ++taps) {
      EXPECT_TRUE(tapCounts.count(taps)) << taps;
    }
  });
}

TEST(LanczosPasses, WideningAndNarrowingMatchScalarAndInvertEachOther) {
  std::mt19937 rng(3);
  const int rows = 4;
  ForEachCpuLevel(scale::ScaleDspTable::Init, [&] {
    const LanczosPasses& passes = scale::ScaleDspTable::Get().lanczos;
    for (int width : kWidths) {
      const int bytePitch = width * 4 + 5;
      const int widePitch = width * 8 + 2;
      const std::vector<uint8_t> bytes = RandomBytes(static_cast<size_t>(bytePitch) * rows, rng);
      std::vector<uint8_t> wideExpected(static_cast<size_t>(widePitch) * rows, 0x5A);
      std::vector<uint8_t> wideActual = wideExpected;
      LanczosJob widen{bytes.data(), wideExpected.data(), width,    rows, 0, nullptr,
                       nullptr,      bytePitch,           widePitch};
      ReferenceWidening(widen);
      widen.dst = wideActual.data();
      passes.widening(widen);
      ASSERT_EQ(wideExpected, wideActual) << "widening, width " << width;

      // Narrowing random 16-bit values exercises both clamps; narrowing the widened bytes restores them.
      const std::vector<uint8_t> wide = RandomBytes(wideExpected.size(), rng);
      std::vector<uint8_t> narrowExpected(bytes.size(), 0x5A);
      std::vector<uint8_t> narrowActual = narrowExpected;
      LanczosJob narrow{wide.data(), narrowExpected.data(), width, rows, 0, nullptr, nullptr, widePitch,
                        bytePitch};
      ReferenceNarrowing(narrow);
      narrow.dst = narrowActual.data();
      passes.narrowing(narrow);
      ASSERT_EQ(narrowExpected, narrowActual) << "narrowing, width " << width;

      std::vector<uint8_t> restored(bytes.size(), 0x5A);
      passes.narrowing(
          {wideActual.data(), restored.data(), width, rows, 0, nullptr, nullptr, widePitch, bytePitch});
      for (int r = 0; r < rows; ++r) {
        ASSERT_TRUE(std::equal(bytes.begin() + r * bytePitch, bytes.begin() + r * bytePitch + width * 4,
                               restored.begin() + r * bytePitch))
            << "round trip, width " << width;
      }
    }
  });
}

}  // namespace
}  // namespace Media::testing
