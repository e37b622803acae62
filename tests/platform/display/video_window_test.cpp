#include "platform/display/video_window.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/display/create_device.h"
#include "platform/display/surface_pixels.h"
#include "support/x_server.h"

namespace platform::display {
namespace {

using testsupport::XServer;

constexpr int32_t kWidth = 160;
constexpr int32_t kHeight = 120;

// Four quadrants and a one-pixel frame, so that a shift, a mirror or swapped channels show.
uint32_t Quadrants(int32_t x, int32_t y, uint32_t seed) {
  if (x == 0 || y == 0 || x == kWidth - 1 || y == kHeight - 1) return 0x00FFFFFF;
  const uint32_t colours[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFF00};
  return colours[((x >= kWidth / 2) + 2 * (y >= kHeight / 2) + seed) % 4];
}

bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QGuiApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// A real window under a private X server: pictures presented from other threads must reach
// the window's pixels as the X server holds them.
class VideoWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!XServer::Installed()) return;
    std::string error;
    server_ = XServer::Start(&error);
    ASSERT_TRUE(server_) << error;
    qputenv("DISPLAY", server_->Display().c_str());
    qputenv("QT_QPA_PLATFORM", "xcb");
    testsupport::KeepSoftwareDriverLoaded();
    app_ = std::make_unique<QGuiApplication>(argc_, argv_);
  }
  static void TearDownTestSuite() {
    app_.reset();
    server_.reset();
  }
  void SetUp() override {
    if (!server_) GTEST_SKIP() << "Xvfb is not installed";
  }

  static void PresentFromAnotherThread(Surface& primary, Surface& picture) {
    std::thread presenter([&] {
      const Rect client{0, 0, kWidth, kHeight};
      ASSERT_EQ(primary.Blt(&client, picture, nullptr), Result::kOk);
      ASSERT_EQ(primary.Present(), Result::kOk);
    });
    presenter.join();
  }

  static bool WindowShows(VideoWindow& window, uint32_t seed) {
    return WaitFor([&] {
      const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
      if (shot.width() != kWidth || shot.height() != kHeight) return false;
      for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = 0; x < kWidth; ++x) {
          if ((shot.pixel(x, y) & 0xFFFFFF) != Quadrants(x, y, seed)) return false;
        }
      }
      return true;
    });
  }

  void ShowsPicturesFromOtherThreads() {
    VideoWindow window;
    window.resize(kWidth, kHeight);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return window.isExposed(); }));
    auto device = CreateDevice(&window);
    auto primary = device->CreatePrimarySurface();
    ASSERT_TRUE(primary);
    auto clipper = device->CreateClipper();
    ASSERT_EQ(clipper->BindToWindow(), Result::kOk);
    ASSERT_EQ(primary->SetClipper(clipper.get()), Result::kOk);
    ASSERT_TRUE(WaitFor([&] { return device->ClientRect() == Rect{0, 0, kWidth, kHeight}; }));
    auto picture = device->CreateOffscreenSurface(kWidth, kHeight);

    // Two presenting threads in turn: the second must find the drawing context free.
    for (uint32_t seed : {0u, 1u}) {
      Paint(*picture, [seed](int32_t x, int32_t y) { return Quadrants(x, y, seed); });
      PresentFromAnotherThread(*primary, *picture);
      EXPECT_TRUE(WindowShows(window, seed)) << "picture " << seed;
    }

    // A re-created window loses the primary until it is back.
    window.destroy();
    EXPECT_TRUE(primary->IsLost());
    EXPECT_EQ(primary->Restore(), Result::kFailed);
    window.show();
    ASSERT_TRUE(WaitFor([&] { return window.isExposed(); }));
    ASSERT_EQ(primary->Restore(), Result::kOk);
    Paint(*picture, [](int32_t x, int32_t y) { return Quadrants(x, y, 2); });
    PresentFromAnotherThread(*primary, *picture);
    EXPECT_TRUE(WindowShows(window, 2));
  }

  static inline int argc_ = 1;
  static inline char name_[] = "display_window_test";
  static inline char* argv_[] = {name_, nullptr};
  static inline std::unique_ptr<XServer> server_;
  static inline std::unique_ptr<QGuiApplication> app_;
};

TEST_F(VideoWindowTest, OpenGLPicturesReachTheWindow) {
  // Under a virtual X server OpenGL draws in software, which the window avoids unless asked.
  qputenv("VISTREL_DISPLAY", "opengl");
  {
    VideoWindow probe;
    if (!probe.UsesOpenGL()) GTEST_SKIP() << "no OpenGL context under this X server";
  }
  ShowsPicturesFromOtherThreads();
  qunsetenv("VISTREL_DISPLAY");
}

TEST_F(VideoWindowTest, PaintedPicturesReachTheWindow) {
  qputenv("VISTREL_DISPLAY", "software");
  {
    VideoWindow probe;
    EXPECT_FALSE(probe.UsesOpenGL());
  }
  ShowsPicturesFromOtherThreads();
  qunsetenv("VISTREL_DISPLAY");
}

}  // namespace
}  // namespace platform::display
