#include "platform/display/device.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/display/memory_backend.h"
#include "platform/display/surface_pixels.h"

namespace platform::display {
namespace {

MemoryBackend::Options SmallDesktop() {
  MemoryBackend::Options options;
  options.desktop = {64, 48, 32, 60};
  options.client = {0, 0, 40, 30};
  return options;
}

class DeviceTest : public ::testing::Test {
 protected:
  std::shared_ptr<MemoryBackend> backend_ = std::make_shared<MemoryBackend>(SmallDesktop());
  Device device_{backend_};
};

TEST_F(DeviceTest, TheDesktopModeAlwaysSetsAndOthersOnlyWhenSettable) {
  DisplayMode mode;
  ASSERT_EQ(device_.GetDisplayMode(&mode), Result::kOk);
  EXPECT_EQ(mode, (DisplayMode{64, 48, 32, 60}));

  EXPECT_EQ(device_.SetDisplayMode(64, 48, 32), Result::kOk);
  EXPECT_EQ(device_.SetDisplayMode(64, 48, 32, 60), Result::kOk);
  EXPECT_EQ(device_.SetDisplayMode(64, 48, 32, 120), Result::kFailed);
  EXPECT_EQ(device_.SetDisplayMode(64, 48, 24), Result::kFailed);
  EXPECT_EQ(device_.SetDisplayMode(800, 600, 32, 60), Result::kFailed);
  EXPECT_EQ(device_.SetDisplayMode(0, 0, 32), Result::kFailed);
  ASSERT_EQ(device_.GetDisplayMode(&mode), Result::kOk);
  EXPECT_EQ(mode.width, 64);
}

TEST_F(DeviceTest, ASettableModeShapesTheChainAndLosesWhatWasMadeBefore) {
  MemoryBackend::Options options = SmallDesktop();
  options.settableModes = {{32, 24, 32, 60}};
  auto backend = std::make_shared<MemoryBackend>(options);
  Device device(backend);
  auto primary = device.CreatePrimarySurface();
  ASSERT_EQ(device.SetCooperativeLevel(CooperativeLevel::kFullScreen), Result::kOk);
  ASSERT_EQ(device.SetDisplayMode(32, 24, 32, 60), Result::kOk);
  EXPECT_TRUE(primary->IsLost());
  auto chain = device.CreateFlipChain(1);
  ASSERT_TRUE(chain);
  EXPECT_EQ(chain->Width(), 32);
  EXPECT_EQ(chain->BackBuffer()->Height(), 24);
  ASSERT_EQ(chain->Flip(), Result::kOk);
  EXPECT_EQ(backend->TakePresented().at(0).width, 32);

  ASSERT_EQ(device.RestoreDisplayMode(), Result::kOk);
  EXPECT_TRUE(chain->IsLost());
  DisplayMode mode;
  device.GetDisplayMode(&mode);
  EXPECT_EQ(mode.width, 64);
}

TEST_F(DeviceTest, TheWindowedPrimaryShowsTheVideoAreaAndTheClipperKeepsDrawingInIt) {
  auto primary = device_.CreatePrimarySurface();
  ASSERT_TRUE(primary);
  EXPECT_EQ(primary->Width(), 64);
  EXPECT_EQ(primary->Height(), 48);
  auto picture = device_.CreateOffscreenSurface(8, 8);
  Paint(*picture, [](int32_t, int32_t) { return 0x00ABCDEFu; });

  // Without a clipper a rectangle must fit the primary; with one it is cut to the window.
  const Rect wide{-10, 20, 50, 60};
  EXPECT_EQ(primary->Blt(&wide, *picture, nullptr), Result::kFailed);
  auto clipper = device_.CreateClipper();
  ASSERT_EQ(clipper->BindToWindow(), Result::kOk);
  ASSERT_EQ(primary->SetClipper(clipper.get()), Result::kOk);
  clipper.reset();  // the primary keeps the binding
  ASSERT_EQ(primary->Blt(&wide, *picture, nullptr), Result::kOk);
  EXPECT_EQ(PixelAt(*primary, 45, 25), 0u) << "outside the 40 x 30 window";
  ASSERT_EQ(primary->Present(), Result::kOk);

  auto shown = backend_->TakePresented();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_FALSE(shown[0].fullScreen);
  ASSERT_EQ(shown[0].width, 40);
  ASSERT_EQ(shown[0].height, 30);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) {
      ASSERT_TRUE(ChannelsNear(shown[0].Pixel(x, y), y >= 20 ? 0x00ABCDEFu : 0u)) << x << "," << y;
    }
  }

  backend_->SetClientSize(10, 5);
  ASSERT_EQ(primary->Present(), Result::kOk);
  shown = backend_->TakePresented();
  EXPECT_EQ(shown.at(0).width, 10);
  backend_->SetClientSize(0, 0);
  ASSERT_EQ(primary->Present(), Result::kOk);
  EXPECT_TRUE(backend_->TakePresented().empty()) << "a minimised window shows nothing";
}

TEST_F(DeviceTest, AClippedStretchDrawsThePartOfTheWholeStretchInsideTheWindow) {
  auto picture = device_.CreateOffscreenSurface(16, 16);
  Paint(*picture, [](int32_t x, int32_t y) { return uint32_t(x * 16) << 16 | uint32_t(y * 16); });
  const Rect to{-7, -5, 33, 35};  // 40 × 40, partly left of and above the window
  auto whole = device_.CreateOffscreenSurface(40, 40);
  ASSERT_EQ(whole->Blt(nullptr, *picture, nullptr), Result::kOk);

  auto primary = device_.CreatePrimarySurface();
  auto clipper = device_.CreateClipper();
  clipper->BindToWindow();
  primary->SetClipper(clipper.get());
  ASSERT_EQ(primary->Blt(&to, *picture, nullptr), Result::kOk);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 33; ++x)
      ASSERT_EQ(PixelAt(*primary, x, y), PixelAt(*whole, x + 7, y + 5)) << x << "," << y;
  }
}

TEST_F(DeviceTest, WithoutAWindowTheClipperDoesNotBind) {
  backend_->SetHasWindow(false);
  EXPECT_EQ(device_.CreateClipper()->BindToWindow(), Result::kFailed);
}

TEST_F(DeviceTest, AFlipChainNeedsFullScreenAndShowsItsBackBufferWhole) {
  EXPECT_FALSE(device_.CreateFlipChain(5)) << "normal cooperative level";
  device_.SetCooperativeLevel(CooperativeLevel::kFullScreen);
  EXPECT_FALSE(device_.CreateFlipChain(0));
  EXPECT_FALSE(device_.CreateFlipChain(Device::kMaxBackBuffers + 1));
  auto chain = device_.CreateFlipChain(5);
  ASSERT_TRUE(chain);
  Surface* back = chain->BackBuffer();
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->GetKind(), Surface::Kind::kBackBuffer);
  EXPECT_EQ(back->BackBuffer(), nullptr);
  EXPECT_EQ(back->Flip(), Result::kFailed);
  EXPECT_EQ(back->Present(), Result::kFailed);

  for (uint32_t picture = 1; picture <= 8; ++picture) {
    Paint(*back, [picture](int32_t x, int32_t y) { return picture << 24 | Coordinates(x, y); });
    ASSERT_EQ(chain->Flip(), Result::kOk);
  }
  const auto shown = backend_->TakePresented();
  ASSERT_EQ(shown.size(), 8u);
  for (uint32_t picture = 1; picture <= 8; ++picture) {
    const PresentedPicture& frame = shown[picture - 1];
    EXPECT_TRUE(frame.fullScreen);
    ASSERT_EQ(frame.width, 64);
    ASSERT_EQ(frame.height, 48);
    for (int32_t y = 0; y < 48; ++y) {
      for (int32_t x = 0; x < 64; ++x) ASSERT_EQ(frame.Pixel(x, y), picture << 24 | Coordinates(x, y));
    }
  }
}

TEST_F(DeviceTest, AfterAFlipTheBackBufferIsAnotherPicture) {
  device_.SetCooperativeLevel(CooperativeLevel::kFullScreen);
  auto chain = device_.CreateFlipChain(1);
  Surface* back = chain->BackBuffer();
  Paint(*back, [](int32_t, int32_t) { return 1u; });
  ASSERT_EQ(chain->Flip(), Result::kOk);
  EXPECT_EQ(PixelAt(*back, 0, 0), 0u) << "the old front, never drawn";
  EXPECT_EQ(PixelAt(*chain, 0, 0), 1u);
  Paint(*back, [](int32_t, int32_t) { return 2u; });
  ASSERT_EQ(chain->Flip(), Result::kOk);
  EXPECT_EQ(PixelAt(*back, 0, 0), 1u);
}

TEST_F(DeviceTest, AFlipWhileTheBackBufferIsLockedIsRefusedAndShowsNothing) {
  device_.SetCooperativeLevel(CooperativeLevel::kFullScreen);
  auto chain = device_.CreateFlipChain(1);
  LockedRect locked;
  ASSERT_EQ(chain->BackBuffer()->Lock(&locked), Result::kOk);
  EXPECT_EQ(chain->Flip(), Result::kFailed);
  EXPECT_TRUE(backend_->TakePresented().empty());
  ASSERT_EQ(chain->BackBuffer()->Unlock(), Result::kOk);
  EXPECT_EQ(chain->Flip(), Result::kOk);
}

TEST_F(DeviceTest, LostSurfacesReportItUntilRestored) {
  device_.SetCooperativeLevel(CooperativeLevel::kFullScreen);
  auto chain = device_.CreateFlipChain(1);
  auto primary = device_.CreatePrimarySurface();
  auto memory = device_.CreateOffscreenSurface(8, 8);
  Paint(*chain->BackBuffer(), [](int32_t, int32_t) { return 7u; });
  Paint(*primary, [](int32_t, int32_t) { return 7u; });
  Paint(*memory, [](int32_t, int32_t) { return 7u; });

  backend_->LoseSurfaces();
  LockedRect locked;
  EXPECT_TRUE(chain->IsLost());
  EXPECT_TRUE(chain->BackBuffer()->IsLost());
  EXPECT_EQ(chain->BackBuffer()->Lock(&locked), Result::kSurfaceLost);
  EXPECT_EQ(chain->Flip(), Result::kSurfaceLost);
  EXPECT_EQ(primary->Lock(&locked), Result::kSurfaceLost);
  EXPECT_EQ(primary->Present(), Result::kSurfaceLost);
  EXPECT_EQ(primary->Blt(nullptr, *memory, nullptr), Result::kSurfaceLost);
  EXPECT_EQ(memory->Blt(nullptr, *primary, nullptr), Result::kSurfaceLost);
  EXPECT_EQ(primary->Fill(nullptr, 0), Result::kSurfaceLost);
  EXPECT_FALSE(memory->IsLost()) << "memory pictures stay";
  EXPECT_EQ(PixelAt(*memory, 3, 3), 7u);
  EXPECT_TRUE(backend_->TakePresented().empty());

  // No window: nothing comes back yet.
  backend_->SetHasWindow(false);
  EXPECT_EQ(primary->Restore(), Result::kFailed);
  EXPECT_TRUE(primary->IsLost());
  backend_->SetHasWindow(true);

  ASSERT_EQ(primary->Restore(), Result::kOk);
  ASSERT_EQ(chain->Restore(), Result::kOk);
  ASSERT_EQ(chain->BackBuffer()->Restore(), Result::kOk);
  EXPECT_FALSE(chain->BackBuffer()->IsLost());
  EXPECT_EQ(PixelAt(*primary, 3, 3), 0u) << "restored black";
  EXPECT_EQ(PixelAt(*chain->BackBuffer(), 3, 3), 0u);
  ASSERT_EQ(chain->Flip(), Result::kOk);
  ASSERT_EQ(primary->Present(), Result::kOk);
  EXPECT_EQ(backend_->TakePresented().size(), 2u);
}

TEST_F(DeviceTest, AVerticalBlankWaitComesBeforeTheNextPictureOnly) {
  auto primary = device_.CreatePrimarySurface();
  ASSERT_EQ(device_.WaitForVerticalBlank(), Result::kOk);
  primary->Present();
  primary->Present();
  const auto shown = backend_->TakePresented();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_TRUE(shown[0].afterVerticalBlank);
  EXPECT_FALSE(shown[1].afterVerticalBlank);
}

TEST_F(DeviceTest, SurfacesOutliveTheirDevice) {
  auto device = std::make_unique<Device>(backend_);
  auto primary = device->CreatePrimarySurface();
  auto clipper = device->CreateClipper();
  device.reset();
  EXPECT_EQ(clipper->BindToWindow(), Result::kOk);
  EXPECT_EQ(primary->SetClipper(clipper.get()), Result::kOk);
  EXPECT_EQ(primary->Present(), Result::kOk);
}

}  // namespace
}  // namespace platform::display
