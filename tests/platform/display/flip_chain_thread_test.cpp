#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/display/device.h"
#include "platform/display/memory_backend.h"

namespace platform::display {
namespace {

// One thread draws uniform pictures into the back buffer row by row while another flips as
// fast as it can: every picture that becomes visible must be one whole picture.
TEST(FlipChainThreadTest, FlipsRacingTheDrawingNeverShowAHalfDrawnPicture) {
  MemoryBackend::Options options;
  options.desktop = {32, 64, 32, 60};
  auto backend = std::make_shared<MemoryBackend>(options);
  Device device(backend);
  device.SetCooperativeLevel(CooperativeLevel::kFullScreen);
  auto chain = device.CreateFlipChain(1);
  ASSERT_TRUE(chain);
  Surface* back = chain->BackBuffer();

  constexpr uint32_t kPictures = 300;
  // Only counters and a stop flag: the pictures pass through the chain's own locking.
  std::atomic<bool> drawn{false};
  std::atomic<uint32_t> flips{0};
  std::thread flipper([&] {
    while (!drawn.load(std::memory_order_relaxed)) {
      if (chain->Flip() == Result::kOk) flips.fetch_add(1, std::memory_order_relaxed);
    }
  });
  for (uint32_t picture = 1; picture <= kPictures; ++picture) {
    LockedRect locked;
    ASSERT_EQ(back->Lock(&locked), Result::kOk);
    for (int32_t y = 0; y < locked.height; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(locked.bits + y * locked.pitch);
      for (int32_t x = 0; x < locked.width; ++x) row[x] = picture;
      if (y == locked.height / 2) std::this_thread::yield();
    }
    back->Unlock();
    // Let at least one flip through before drawing the next picture.
    const uint32_t seen = flips.load(std::memory_order_relaxed);
    while (flips.load(std::memory_order_relaxed) == seen) std::this_thread::yield();
  }
  drawn.store(true, std::memory_order_relaxed);
  flipper.join();

  const auto shown = backend->TakePresented();
  ASSERT_GE(shown.size(), kPictures);
  for (const PresentedPicture& frame : shown) {
    const uint32_t first = frame.Pixel(0, 0);
    for (uint32_t pixel : frame.pixels) ASSERT_EQ(pixel, first);
  }
}

}  // namespace
}  // namespace platform::display
