#include <gtest/gtest.h>

#include <memory>

#include "platform/display/device.h"
#include "platform/display/memory_backend.h"
#include "platform/display/surface_pixels.h"

namespace platform::display {
namespace {

class SurfaceTest : public ::testing::Test {
 protected:
  std::shared_ptr<MemoryBackend> backend_ = std::make_shared<MemoryBackend>();
  Device device_{backend_};
};

TEST_F(SurfaceTest, LockGivesTopLeftAndAPitchThatCallersMustStepBy) {
  for (int32_t width : {1, 7, 16, 17, 721}) {
    auto surface = device_.CreateOffscreenSurface(width, 5);
    ASSERT_TRUE(surface);
    LockedRect locked;
    ASSERT_EQ(surface->Lock(&locked), Result::kOk);
    EXPECT_EQ(locked.width, width);
    EXPECT_EQ(locked.height, 5);
    EXPECT_GE(locked.pitch, width * 4);
    EXPECT_EQ(locked.pitch % 4, 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(locked.bits) % 16, 0u);
    ASSERT_EQ(surface->Unlock(), Result::kOk);

    // A picture written row by row at the pitch survives a copy into a surface of another width.
    Paint(*surface, Coordinates);
    auto wider = device_.CreateOffscreenSurface(width + 3, 5);
    ASSERT_TRUE(wider);
    const Rect to{3, 0, width + 3, 5};
    ASSERT_EQ(wider->Blt(&to, *surface, nullptr), Result::kOk);
    for (int32_t y = 0; y < 5; ++y) {
      for (int32_t x = 0; x < width; ++x) ASSERT_EQ(PixelAt(*wider, x + 3, y), Coordinates(x, y));
      ASSERT_EQ(PixelAt(*wider, 0, y), 0u) << "new surfaces are black";
    }
  }
}

TEST_F(SurfaceTest, UnlockWithoutLockIsRefused) {
  auto surface = device_.CreateOffscreenSurface(4, 4);
  EXPECT_EQ(surface->Unlock(), Result::kFailed);
  EXPECT_EQ(surface->Lock(nullptr), Result::kFailed);
}

TEST_F(SurfaceTest, AbsurdSizesGiveNoSurface) {
  EXPECT_FALSE(device_.CreateOffscreenSurface(0, 10));
  EXPECT_FALSE(device_.CreateOffscreenSurface(10, -1));
  EXPECT_FALSE(device_.CreateOffscreenSurface(100000, 2));
  EXPECT_FALSE(device_.CreateOffscreenSurface(16384, 16384));
  EXPECT_FALSE(device_.CreateOffscreenSurface(INT32_MAX, INT32_MAX));
}

TEST_F(SurfaceTest, SubRectangleCopyMovesExactlyThatRectangle) {
  auto source = device_.CreateOffscreenSurface(16, 12);
  auto target = device_.CreateOffscreenSurface(20, 10);
  Paint(*source, Coordinates);
  Paint(*target, [](int32_t, int32_t) { return 0x11223344u; });
  const Rect from{2, 3, 7, 9};
  const Rect to{10, 1, 15, 7};
  ASSERT_EQ(target->Blt(&to, *source, &from), Result::kOk);
  for (int32_t y = 0; y < 10; ++y) {
    for (int32_t x = 0; x < 20; ++x) {
      const bool inside = x >= 10 && x < 15 && y >= 1 && y < 7;
      ASSERT_EQ(PixelAt(*target, x, y), inside ? Coordinates(x - 8, y + 2) : 0x11223344u) << x << "," << y;
    }
  }
}

TEST_F(SurfaceTest, OverlappingCopyWithinOneSurfaceReadsTheOldPicture) {
  auto surface = device_.CreateOffscreenSurface(12, 12);
  for (const Rect& to : {Rect{3, 2, 11, 10}, Rect{0, 0, 8, 8}, Rect{1, 4, 9, 12}, Rect{3, 0, 11, 8}}) {
    Paint(*surface, Coordinates);
    const Rect from{2, 1, 10, 9};
    ASSERT_EQ(surface->Blt(&to, *surface, &from), Result::kOk);
    for (int32_t y = 0; y < 8; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        ASSERT_EQ(PixelAt(*surface, to.left + x, to.top + y), Coordinates(from.left + x, from.top + y))
            << to.left << "," << to.top << " at " << x << "," << y;
      }
    }
  }
}

TEST_F(SurfaceTest, RectanglesOutsideTheSurfacesAreRefusedAndDrawNothing) {
  auto source = device_.CreateOffscreenSurface(8, 8);
  auto target = device_.CreateOffscreenSurface(8, 8);
  Paint(*source, Coordinates);
  const Rect inside{0, 0, 4, 4};
  for (const Rect& bad : {Rect{-1, 0, 3, 4}, Rect{5, 5, 9, 9}, Rect{2, 2, 2, 6}, Rect{4, 4, 2, 2}}) {
    EXPECT_EQ(target->Blt(&bad, *source, &inside), Result::kFailed);
    EXPECT_EQ(target->Blt(&inside, *source, &bad), Result::kFailed);
    EXPECT_EQ(target->Fill(&bad, 0x00FFFFFF), Result::kFailed);
  }
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) ASSERT_EQ(PixelAt(*target, x, y), 0u);
  }
}

TEST_F(SurfaceTest, FillBlackCoversExactlyItsRectangle) {
  auto surface = device_.CreateOffscreenSurface(10, 6);
  Paint(*surface, [](int32_t, int32_t) { return 0xFFFFFFFFu; });
  const Rect bar{2, 1, 9, 4};
  ASSERT_EQ(surface->Fill(&bar, 0), Result::kOk);
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 9 && y >= 1 && y < 4;
      ASSERT_EQ(PixelAt(*surface, x, y), inside ? 0u : 0xFFFFFFFFu) << x << "," << y;
    }
  }
  ASSERT_EQ(surface->Fill(nullptr, 0), Result::kOk);
  EXPECT_EQ(PixelAt(*surface, 9, 5), 0u);
}

TEST_F(SurfaceTest, StretchKeepsFlatAreasAndTheOrderOfARamp) {
  // Left half pure red, right half a green ramp: stretched up and down, the red stays exact
  // away from the seam and the ramp stays monotonic.
  auto source = device_.CreateOffscreenSurface(64, 16);
  Paint(*source, [](int32_t x, int32_t) { return x < 32 ? 0x00FF0000u : uint32_t((x - 32) * 8) << 8; });
  for (const auto& [width, height] : {std::pair{200, 50}, std::pair{24, 6}}) {
    auto target = device_.CreateOffscreenSurface(width, height);
    ASSERT_EQ(target->Blt(nullptr, *source, nullptr), Result::kOk) << width;
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width * 3 / 8; ++x)
        ASSERT_TRUE(ChannelsNear(PixelAt(*target, x, y), 0x00FF0000u)) << x;
      uint32_t previous = 0;
      for (int32_t x = width * 5 / 8; x < width; ++x) {
        const uint32_t pixel = PixelAt(*target, x, y);
        ASSERT_EQ(pixel & 0xFFFF00FFu, 0u) << x;
        ASSERT_GE(pixel, previous) << x;
        previous = pixel;
      }
      EXPECT_GT(previous >> 8, 200u);
    }
  }
}

TEST_F(SurfaceTest, StretchIntoASubRectangleLeavesTheRestAlone) {
  auto source = device_.CreateOffscreenSurface(4, 4);
  Paint(*source, [](int32_t, int32_t) { return 0x00336699u; });
  auto target = device_.CreateOffscreenSurface(30, 20);
  Paint(*target, [](int32_t, int32_t) { return 0x00FFFFFFu; });
  const Rect to{5, 3, 25, 13};
  ASSERT_EQ(target->Blt(&to, *source, nullptr), Result::kOk);
  for (int32_t y = 0; y < 20; ++y) {
    for (int32_t x = 0; x < 30; ++x) {
      const bool inside = x >= 5 && x < 25 && y >= 3 && y < 13;
      const uint32_t pixel = PixelAt(*target, x, y);
      if (inside) {
        ASSERT_TRUE(ChannelsNear(pixel, 0x00336699u)) << x << "," << y;
      } else {
        ASSERT_EQ(pixel, 0x00FFFFFFu) << x << "," << y;
      }
    }
  }
}

TEST_F(SurfaceTest, StretchWithinOneSurfaceReadsTheOldPicture) {
  auto surface = device_.CreateOffscreenSurface(16, 16);
  Paint(*surface, [](int32_t x, int32_t y) { return x < 4 && y < 4 ? 0x000000FFu : 0x0000FF00u; });
  const Rect from{0, 0, 4, 4};
  const Rect to{0, 0, 16, 16};
  ASSERT_EQ(surface->Blt(&to, *surface, &from), Result::kOk);
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 16; ++x)
      ASSERT_TRUE(ChannelsNear(PixelAt(*surface, x, y), 0x000000FFu)) << x << "," << y;
  }
}

}  // namespace
}  // namespace platform::display
