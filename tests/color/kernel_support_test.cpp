#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "color/colour_dsp.h"
#include "color/kernel_scratch.h"
#include "color/lanczos_chroma_filter.h"
#include "color/lanczos_chroma_passes.h"
#include "color/line_doubling_kernel.h"
#include "color/packed444_to_rgb_kernel.h"
#include "color/rgb_to_packed444_kernel.h"
#include "color/rgb_to_yv12_kernel.h"
#include "color/yuv420_fast_kernel.h"
#include "color/yuv420_lanczos_kernel.h"
#include "color/yuv420_standard_kernel.h"
#include "color/yuy2_kernel.h"
#include "kernel_test_support.h"
#include "support/cpu_levels.h"

namespace color::kernel_test {
namespace {

using Kernel = bool (*)(const uint8_t*, uint8_t*, int, int, ptrdiff_t, int, bool, int);
constexpr Kernel kYuv420Kernels[] = {ConvertYv12Standard, ConvertYv12Lanczos, ConvertYv12Fast};

class KernelSupportTest : public KernelTest {};

TEST(ChromaPassesTest, VectorVariantsMatchTheScalarDefinition) {
  const std::vector<ChromaTaps> filter = BuildChromaDoublingFilter(40);
  std::mt19937 random(11);
  for (int count = 1; count <= 70; ++count) {
    std::vector<int16_t> rows(6 * count);
    for (int16_t& v : rows) {
      v = static_cast<int16_t>(static_cast<int>(random() % 32769) - 16384);
    }
    const int16_t* rowPointers[6];
    for (int j = 0; j < 6; ++j) {
      rowPointers[j] = rows.data() + j * count;
    }
    std::vector<int16_t> padded(KernelScratch::kRowPad + PaddedRowLength(count));
    for (int16_t& v : padded) {
      v = static_cast<int16_t>(static_cast<int>(random() % 32769) - 16384);
    }
    const int16_t* row = padded.data() + KernelScratch::kRowPad;
    std::vector<int16_t> verticalRef(count);
    std::vector<uint16_t> horizontalRef(2 * count);
    chroma_pass::VerticalSamples(rowPointers, filter[7].weights.data(), 0, count, verticalRef.data());
    chroma_pass::HorizontalSamples(row, filter[0], filter[1], 0, count, horizontalRef.data());
    testsupport::ForEachCpuLevel(ColourDspTable::Init, [&] {
      const ChromaPasses& passes = ColourDspTable::Get().chroma;
      std::vector<int16_t> vertical(count);
      std::vector<uint16_t> horizontal(2 * count);
      passes.vertical(rowPointers, filter[7].weights.data(), count, vertical.data());
      passes.horizontal(row, filter[0], filter[1], count, horizontal.data());
      ASSERT_EQ(vertical, verticalRef) << count;
      ASSERT_EQ(horizontal, horizontalRef) << count;
    });
  }
}

TEST(ChromaFilterTest, HasTwoPhasesWithCentredTaps) {
  const std::vector<ChromaTaps> filter = BuildChromaDoublingFilter(9);
  ASSERT_EQ(filter.size(), 18u);
  for (int i = 0; i < 18; ++i) {
    EXPECT_EQ(filter[i].first, i / 2 - 3 + (i & 1));
    EXPECT_EQ(filter[i].weights, filter[i & 1].weights);
    int32_t sum = 0;
    for (int32_t w : filter[i].weights) {
      sum += w;
    }
    EXPECT_NEAR(sum, 65536, 6);
  }
  // Output 0 sits a quarter sample left of source 0: its largest tap is source 0 (tap 3).
  EXPECT_EQ(std::max_element(filter[0].weights.begin(), filter[0].weights.end()) - filter[0].weights.begin(),
            3);
}

// Rows "10 20 20 40" and "0 0 0 0", chroma rows "128 130" over four rows of two samples.
TEST_F(KernelSupportTest, DccAddsHalfTheNeighbourDifferencesOnlyWhenOn) {
  Yv12 p = FlatYv12(4, 2, 0, 128, 130);
  const uint8_t luma[4] = {10, 20, 20, 40};
  std::memcpy(p.bytes.data(), luma, 4);
  auto bins = [](const SharedTable<uint64_t, 256>& h) {
    std::array<uint64_t, 256> b;
    for (int i = 0; i < 256; ++i) {
      b[i] = h[i];
    }
    return b;
  };
  const auto lumaBefore = bins(T().lumaHistogram);
  const auto chromaBefore = bins(T().chromaHistogram);
  for (Kernel kernel : kYuv420Kernels) {
    Bgrx out(4, 2);
    ASSERT_TRUE(kernel(p.bytes.data(), out.Data(), 4, 2, out.pitch, 0, false, 0));
  }
  EXPECT_EQ(bins(T().lumaHistogram), lumaBefore);
  EXPECT_EQ(bins(T().chromaHistogram), chromaBefore);

  for (Kernel kernel : kYuv420Kernels) {
    auto lumaExpected = bins(T().lumaHistogram);
    auto chromaExpected = bins(T().chromaHistogram);
    lumaExpected[10] += 5;       // (10, 20)
    lumaExpected[20] += 5 + 10;  // (10, 20), (20, 20) adds 0, (20, 40)
    lumaExpected[40] += 10;
    // V row (130 130) and U row (128 128) are flat: nothing.
    Bgrx out(4, 2);
    ASSERT_TRUE(kernel(p.bytes.data(), out.Data(), 4, 2, out.pitch, 0, true, 0));
    EXPECT_EQ(bins(T().lumaHistogram), lumaExpected);
    EXPECT_EQ(bins(T().chromaHistogram), chromaExpected);
  }
  // A chroma step: V 130 → 100 and U 128 → 140 within their rows.
  Yv12 q = FlatYv12(4, 2, 50, 128, 130);
  q.V(1, 0) = 100;
  q.U(1, 0) = 140;
  auto chromaExpected = bins(T().chromaHistogram);
  chromaExpected[130] += 15;
  chromaExpected[100] += 15;
  chromaExpected[128] += 6;
  chromaExpected[140] += 6;
  Bgrx out(4, 2);
  ASSERT_TRUE(ConvertYv12Standard(q.bytes.data(), out.Data(), 4, 2, out.pitch, 0, true, 0));
  EXPECT_EQ(bins(T().chromaHistogram), chromaExpected);
}

// A field goes through the field interpolator with its phase: converting field 1 equals
// converting the picture and doubling it with the field-1 filter.
TEST_F(KernelSupportTest, FieldsAreConvertedThenDoubledWithTheirPhase) {
  Yv12 p = RandomYv12(34, 6, 21);
  for (Kernel kernel : kYuv420Kernels) {
    Bgrx progressive(34, 6);
    ASSERT_TRUE(kernel(p.bytes.data(), progressive.Data(), 34, 6, progressive.pitch, 1, false, 0));
    for (int field : {1, 2}) {
      FieldInterpolator interpolator(2);
      Bgrx expected(34, 12);
      ASSERT_TRUE(interpolator.InterpolateField(progressive.Data(), expected.Data(), 34, 6, progressive.pitch,
                                                field, expected.pitch));
      Bgrx out(34, 12);
      ASSERT_TRUE(kernel(p.bytes.data(), out.Data(), 34, 6, out.pitch, 1, false, field));
      EXPECT_EQ(out.bytes, expected.bytes) << field;
    }
  }

  // One bright luma row r lands on output row 2r in field 1 and 2r + 1 in field 2.
  Yv12 line = FlatYv12(8, 8, 16, 128, 128);
  std::memset(&line.Y(0, 4), 235, 8);
  for (int field : {1, 2}) {
    Bgrx out(8, 16);
    ASSERT_TRUE(ConvertYv12Standard(line.bytes.data(), out.Data(), 8, 8, out.pitch, 0, false, field));
    int brightest = 0;
    for (int y = 1; y < 16; ++y) {
      if (out.Rgb(3, y)[1] > out.Rgb(3, brightest)[1]) {
        brightest = y;
      }
    }
    EXPECT_EQ(brightest, field == 1 ? 8 : 9);
  }
}

TEST_F(KernelSupportTest, RefusesWhatCannotBeConvertedAndWritesNothing) {
  Yv12 p = RandomYv12(16, 4, 2);
  std::vector<uint8_t> rgb(16 * 4 * 4, 1);
  for (Kernel kernel : kYuv420Kernels) {
    Bgrx out(16, 8);
    const std::vector<uint8_t> untouched = out.bytes;
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 15, 4, out.pitch, 0, false, 0));  // odd width
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 16, 3, out.pitch, 0, false, 0));  // odd height
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 0, 4, out.pitch, 0, false, 0));
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 16, -2, out.pitch, 0, false, 0));
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), kMaxKernelSize + 2, 2, 1 << 20, 0, false, 0));
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 16, 4, 4 * 16 - 1, 0, false, 0));  // pitch
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 16, 4, out.pitch, 0, false, 3));   // field
    EXPECT_FALSE(kernel(nullptr, out.Data(), 16, 4, out.pitch, 0, false, 0));
    EXPECT_FALSE(kernel(p.bytes.data(), nullptr, 16, 4, out.pitch, 0, false, 0));
    EXPECT_EQ(out.bytes, untouched);
  }
  Bgrx out(16, 4);
  EXPECT_FALSE(ConvertYuy2(rgb.data(), 31, out.Data(), out.pitch, 16, 4));
  EXPECT_FALSE(ConvertRgbToYv12(rgb.data(), 64, out.Data(), 15, 4));
  EXPECT_FALSE(ConvertRgbToPacked444(rgb.data(), 63, out.Data(), 16, 4));
  EXPECT_FALSE(ConvertPacked444ToRgb(rgb.data(), out.Data(), 16, 4, 63, 0));
  EXPECT_FALSE(DoubleStackedField(rgb.data(), 64, out.Data(), 64, 16, 1, 1));
  EXPECT_FALSE(DoubleStackedField(rgb.data(), 64, out.Data(), 64, 16, 4, 0));

  // No tables before the colour state exists.
  ReleaseColour();
  const std::vector<uint8_t> untouched = out.bytes;
  for (Kernel kernel : kYuv420Kernels) {
    EXPECT_FALSE(kernel(p.bytes.data(), out.Data(), 16, 4, out.pitch, 0, false, 0));
  }
  EXPECT_FALSE(ConvertYuy2(rgb.data(), 64, out.Data(), out.pitch, 16, 4));
  EXPECT_FALSE(ConvertRgbToYv12(rgb.data(), 64, out.Data(), 16, 4));
  EXPECT_FALSE(ConvertRgbToPacked444(rgb.data(), 64, out.Data(), 16, 4));
  EXPECT_FALSE(ConvertPacked444ToRgb(rgb.data(), out.Data(), 16, 4, 64, 0));
  EXPECT_EQ(out.bytes, untouched);
}

// The scratch grows with the widest picture and keeps its size for narrower ones, so equal
// pictures convert without allocating.
TEST_F(KernelSupportTest, ScratchGrowsAndIsReleased) {
  Yv12 wide = RandomYv12(64, 4, 3);
  Yv12 narrow = RandomYv12(10, 4, 4);
  Bgrx out(64, 4);
  ASSERT_TRUE(ConvertYv12Lanczos(wide.bytes.data(), out.Data(), 64, 4, out.pitch, 0, false, 0));
  EXPECT_EQ(GetKernelScratch().RowPairWidth(), 64);
  const int32_t* rows = GetKernelScratch().Row(0, 0);
  const std::vector<uint8_t> first = out.bytes;
  ASSERT_TRUE(ConvertYv12Lanczos(narrow.bytes.data(), out.Data(), 10, 4, 40, 0, false, 0));
  ASSERT_TRUE(ConvertYv12Lanczos(wide.bytes.data(), out.Data(), 64, 4, out.pitch, 0, false, 0));
  EXPECT_EQ(GetKernelScratch().Row(0, 0), rows);
  EXPECT_EQ(out.bytes, first);  // filters rebuilt for the size that came back
  ReleaseKernelScratch();
  EXPECT_EQ(GetKernelScratch().RowPairWidth(), 0);
}

}  // namespace
}  // namespace color::kernel_test
