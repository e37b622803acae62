#include "tonegrid/key_handler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>

#include "tonegrid/calibration_settings.h"
#include "tonegrid/pattern_window.h"

namespace tonegrid {
namespace {

// Key events go to an unshown window on the offscreen platform, the way the window system
// delivers them: modifier keys arrive as presses and releases of their own.
class PatternWindowKeys : public ::testing::Test {
 protected:
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QCoreApplication::sendEvent(&window_, &event);
  }
  void Release(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyRelease, key, modifiers);
    QCoreApplication::sendEvent(&window_, &event);
  }
  void Type(int key, int times = 1) {
    for (int i = 0; i < times; ++i) {
      Press(key);
      Release(key);
    }
  }
  const CalibrationState& State() const { return window_.State(); }
  QRgb Centre() const {
    const QImage& image = window_.BackBuffer();
    return image.pixel(image.width() / 2, image.height() / 2);
  }

  PatternWindow window_{CalibrationState{}, QSize(64, 48)};
};

TEST_F(PatternWindowKeys, StartsOnRedAndSpaceShowsGreen) {
  EXPECT_EQ(Centre(), qRgb(255, 0, 0));
  Type(Qt::Key_Space);
  EXPECT_EQ(State().pattern, 1);
  EXPECT_EQ(Centre(), qRgb(0, 255, 0));
}

TEST_F(PatternWindowKeys, ThreeDeletesStoreNinetySeven) {
  Type(Qt::Key_Delete, 3);
  const double black = State().channels[kRed].black;
  EXPECT_EQ(black, 1.0 - 0.01 - 0.01 - 0.01);
  EXPECT_EQ(StoredHundredths(black), 97);
  EXPECT_EQ(State().channels[kGreen].black, 1.0);
  EXPECT_EQ(State().channels[kBlue].black, 1.0);
}

TEST_F(PatternWindowKeys, RepeatedStepsStoreWhatTheOverlayShows) {
  Type(Qt::Key_Delete, 9);  // 0.91 shown; the double sum is 0.9099999...
  EXPECT_EQ(StoredHundredths(State().channels[kRed].black), 91);
  Type(Qt::Key_Home, 30);
  EXPECT_EQ(StoredHundredths(State().channels[kRed].contrast), 130);
}

TEST_F(PatternWindowKeys, ModifierChoosesTheChannelAndShiftWins) {
  Press(Qt::Key_Control);
  Type(Qt::Key_Insert);  // green
  Press(Qt::Key_Shift, Qt::ControlModifier);
  Type(Qt::Key_Insert);  // blue: Shift wins over Ctrl
  Release(Qt::Key_Shift);
  Type(Qt::Key_PageUp);  // green again, Ctrl still held
  Release(Qt::Key_Control);
  Type(Qt::Key_End);  // red
  EXPECT_DOUBLE_EQ(State().channels[kGreen].black, 1.01);
  EXPECT_DOUBLE_EQ(State().channels[kBlue].black, 1.01);
  EXPECT_DOUBLE_EQ(State().channels[kGreen].gamma, 1.01);
  EXPECT_DOUBLE_EQ(State().channels[kRed].contrast, 0.99);
  EXPECT_EQ(State().channels[kRed].black, 1.0);
  EXPECT_EQ(State().channels[kRed].gamma, 1.0);
  EXPECT_EQ(State().channels[kBlue].gamma, 1.0);
  EXPECT_FALSE(State().shift);
  EXPECT_FALSE(State().ctrl);
  EXPECT_EQ(State().pattern, 0);  // modifiers and value keys do not step the pattern
}

TEST_F(PatternWindowKeys, PatternStepsWrapBothWays) {
  Type(Qt::Key_B);
  EXPECT_EQ(State().pattern, 20);
  Type(Qt::Key_Space);
  EXPECT_EQ(State().pattern, 0);
  Type(Qt::Key_X, 5);
  EXPECT_EQ(State().pattern, 5);
}

TEST_F(PatternWindowKeys, AltIsLeftToTheWindowSystem) {
  Press(Qt::Key_Alt);
  Press(Qt::Key_Tab, Qt::AltModifier);
  EXPECT_EQ(State().pattern, 0);
}

TEST_F(PatternWindowKeys, RResetsOnlyTheNineCalibrationValues) {
  Type(Qt::Key_Q);
  Type(Qt::Key_S, 2);
  Press(Qt::Key_Shift);
  Type(Qt::Key_C);
  Type(Qt::Key_PageDown);
  Release(Qt::Key_Shift);
  Type(Qt::Key_Insert);
  Type(Qt::Key_R);
  for (const ChannelCalibration& ch : State().channels) {
    EXPECT_EQ(ch.black, 1.0);
    EXPECT_EQ(ch.contrast, 1.0);
    EXPECT_EQ(ch.gamma, 1.0);
  }
  EXPECT_DOUBLE_EQ(State().testScales[kRed], 1.01);
  EXPECT_DOUBLE_EQ(State().testScales[kGreen], 0.98);
  EXPECT_EQ(State().testScales[kBlue], 1.0);
  EXPECT_EQ(State().transferType, 2);
}

TEST(KeyHandler, ShiftCCyclesTheOutputTransferAndCAloneDoesNothing) {
  CalibrationState state;
  EXPECT_EQ(HandleKeyDown(state, Qt::Key_C), KeyResult::kNone);
  EXPECT_EQ(state.transferType, 0);
  EXPECT_EQ(state.pattern, 0);

  EXPECT_EQ(HandleKeyDown(state, Qt::Key_Shift), KeyResult::kNone);
  int seen[4];
  for (int& type : seen) {
    EXPECT_EQ(HandleKeyDown(state, Qt::Key_C), KeyResult::kRedraw);
    type = state.transferType;
  }
  EXPECT_EQ(seen[0], 2);
  EXPECT_EQ(seen[1], 1);
  EXPECT_EQ(seen[2], 3);
  EXPECT_EQ(seen[3], 0);
  EXPECT_EQ(state.pattern, 0);

  state.transferType = 9;  // stored by hand: the cycle brings it back into range
  HandleKeyDown(state, Qt::Key_C);
  EXPECT_EQ(state.transferType, 0);
}

TEST(KeyHandler, TestScaleKeysAndEscape) {
  CalibrationState state;
  for (int key : {Qt::Key_Q, Qt::Key_W, Qt::Key_W, Qt::Key_E, Qt::Key_D, Qt::Key_D, Qt::Key_D, Qt::Key_A}) {
    EXPECT_EQ(HandleKeyDown(state, key), KeyResult::kRedraw);
  }
  EXPECT_DOUBLE_EQ(state.testScales[kRed], 1.0);
  EXPECT_DOUBLE_EQ(state.testScales[kGreen], 1.02);
  EXPECT_DOUBLE_EQ(state.testScales[kBlue], 0.98);
  EXPECT_EQ(HandleKeyDown(state, Qt::Key_Escape), KeyResult::kQuit);
}

TEST(KeyHandler, ValuesAreNotLimited) {
  CalibrationState state;
  for (int i = 0; i < 150; ++i) HandleKeyDown(state, Qt::Key_End);
  EXPECT_LT(state.channels[kRed].contrast, 0.0);
  EXPECT_EQ(StoredHundredths(state.channels[kRed].contrast), -50);
}

}  // namespace
}  // namespace tonegrid
