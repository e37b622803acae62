#include <gtest/gtest.h>

#include <set>

#include "app/commands.h"
#include "app/menus.h"

namespace app {
namespace {

struct KeyPress {
  int key;
  Qt::KeyboardModifiers modifiers;
  const char* text;
  int command;
};

// Every key of the table as a US keyboard delivers it.
TEST(Accelerators, EveryKeyOfTheTable) {
  constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
  constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
  constexpr Qt::KeyboardModifiers kPad = Qt::KeypadModifier;
  const KeyPress presses[] = {
      {Qt::Key_O, kCtrl, "\x0f", kCmdOpen},
      {Qt::Key_Space, kNone, " ", kCmdPlay},
      {Qt::Key_S, kNone, "s", kCmdStop},
      {Qt::Key_Return, Qt::AltModifier, "\r", kCmdFullScreen},
      {Qt::Key_1, kNone, "1", kCmdOriginalSize},
      {Qt::Key_Insert, kNone, "", kCmdBrightnessUp},
      {Qt::Key_Delete, kNone, "\x7f", kCmdBrightnessDown},
      {Qt::Key_Home, kNone, "", kCmdContrastUp},
      {Qt::Key_End, kNone, "", kCmdContrastDown},
      {Qt::Key_PageUp, kNone, "", kCmdSaturationUp},
      {Qt::Key_PageDown, kNone, "", kCmdSaturationDown},
      {Qt::Key_R, kNone, "r", kCmdResetColor},
      {Qt::Key_C, kNone, "c", kCmdSourceTransfer},
      {Qt::Key_BracketLeft, kNone, "[", kCmdYcOffsetDown},
      {Qt::Key_BracketRight, kNone, "]", kCmdYcOffsetUp},
      {Qt::Key_Plus, kPad, "+", kCmdSeekForward},
      {Qt::Key_Minus, kPad, "-", kCmdSeekBack},
      {Qt::Key_D, kNone, "d", kCmdDcc},
      {Qt::Key_Z, kNone, "z", kCmdResynchronise},
      {Qt::Key_Slash, kNone, "/", kCmdCGammaDown},
      {Qt::Key_Apostrophe, kNone, "'", kCmdCGammaUp},
      {Qt::Key_Period, kNone, ".", kCmdYGammaDown},
      {Qt::Key_Semicolon, kNone, ";", kCmdYGammaUp},
      {Qt::Key_Insert, kCtrl, "", kCmdRGammaUp},
      {Qt::Key_Home, kCtrl, "", kCmdGGammaUp},
      {Qt::Key_PageUp, kCtrl, "", kCmdBGammaUp},
      {Qt::Key_Delete, kCtrl, "", kCmdRGammaDown},
      {Qt::Key_End, kCtrl, "", kCmdGGammaDown},
      {Qt::Key_PageDown, kCtrl, "", kCmdBGammaDown},
      {Qt::Key_W, kNone, "w", kCmdWaitVBlank},
      {Qt::Key_O, kNone, "o", kCmdOsd},
      {Qt::Key_T, kNone, "t", kCmdResizer},
      {Qt::Key_Right, kNone, "", kCmdNextChapter},
      {Qt::Key_Left, kNone, "", kCmdPreviousChapter},
      {Qt::Key_H, kNone, "h", kCmdNormalQuality},
      {Qt::Key_Up, kNone, "", kCmdVolumeUp},
      {Qt::Key_Down, kNone, "", kCmdVolumeDown},
      {Qt::Key_Y, kNone, "y", kCmdYuvSource},
      {Qt::Key_C, Qt::ShiftModifier, "C", kCmdOutputTransfer},
      {Qt::Key_Plus, kCtrl | kPad, "+", kCmdMonitorBrightnessUp},
      {Qt::Key_Minus, kCtrl | kPad, "-", kCmdMonitorBrightnessDown},
      {Qt::Key_Right, kCtrl, "", kCmdAvSyncUp},
      {Qt::Key_Left, kCtrl, "", kCmdAvSyncDown},
      {Qt::Key_D, kCtrl, "\x04", kCmdDebugDump},
  };
  const auto table = Accelerators();
  std::set<int> commands;
  for (const KeyPress& press : presses) {
    EXPECT_EQ(table->Match(press.key, press.modifiers, press.text), press.command) << press.command;
    commands.insert(press.command);
  }
  EXPECT_EQ(commands.size(), 44u);
}

TEST(Accelerators, KeysMatchOnlyWithExactlyTheirModifiers) {
  const auto table = Accelerators();
  EXPECT_EQ(table->Match(Qt::Key_Insert, Qt::NoModifier, ""), kCmdBrightnessUp);
  EXPECT_EQ(table->Match(Qt::Key_Insert, Qt::ControlModifier, ""), kCmdRGammaUp);
  EXPECT_EQ(table->Match(Qt::Key_Insert, Qt::ShiftModifier, ""), 0);
  EXPECT_EQ(table->Match(Qt::Key_C, Qt::NoModifier, "c"), kCmdSourceTransfer);
  EXPECT_EQ(table->Match(Qt::Key_C, Qt::ShiftModifier, "C"), kCmdOutputTransfer);
  EXPECT_EQ(table->Match(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier, ""), 0);
  EXPECT_EQ(table->Match(Qt::Key_D, Qt::ControlModifier, ""), kCmdDebugDump);
  EXPECT_EQ(table->Match(Qt::Key_Return, Qt::AltModifier, ""), kCmdFullScreen);
}

TEST(Accelerators, KeypadKeysDifferFromTheMainKeyboard) {
  const auto table = Accelerators();
  EXPECT_EQ(table->Match(Qt::Key_Plus, Qt::KeypadModifier, "+"), kCmdSeekForward);
  EXPECT_EQ(table->Match(Qt::Key_Minus, Qt::KeypadModifier | Qt::ControlModifier, ""),
            kCmdMonitorBrightnessDown);
  EXPECT_EQ(table->Match(Qt::Key_Plus, Qt::ShiftModifier, "+"), 0);
}

TEST(Accelerators, KeypadEnterAndNavigationKeysAreTheMainBlocks) {
  const auto table = Accelerators();
  constexpr Qt::KeyboardModifiers kPad = Qt::KeypadModifier;
  EXPECT_EQ(table->Match(Qt::Key_Enter, Qt::AltModifier | kPad, "\r"), kCmdFullScreen);
  EXPECT_EQ(table->Match(Qt::Key_Enter, kPad, "\r"), 0);
  // Num Lock off: the keypad's 0, 7 and 9 are Insert, Home and Page Up.
  EXPECT_EQ(table->Match(Qt::Key_Insert, kPad, ""), kCmdBrightnessUp);
  EXPECT_EQ(table->Match(Qt::Key_Home, Qt::ControlModifier | kPad, ""), kCmdGGammaUp);
  EXPECT_EQ(table->Match(Qt::Key_Up, kPad, ""), kCmdVolumeUp);
  // Num Lock on: the keypad's 1 is a key of its own.
  EXPECT_EQ(table->Match(Qt::Key_1, kPad, "1"), 0);
  // The keypad's '/' and '.' type their characters.
  EXPECT_EQ(table->Match(Qt::Key_Slash, kPad, "/"), kCmdCGammaDown);
  EXPECT_EQ(table->Match(Qt::Key_Period, kPad, "."), kCmdYGammaDown);
}

TEST(Accelerators, CharacterEntriesMatchTheTypedCharacter) {
  const auto table = Accelerators();
  EXPECT_EQ(table->Match(Qt::Key_BracketLeft, Qt::NoModifier, "["), kCmdYcOffsetDown);
  EXPECT_EQ(table->Match(Qt::Key_Apostrophe, Qt::NoModifier, "'"), kCmdCGammaUp);
  // A semicolon typed with Shift on some layouts is still the character.
  EXPECT_EQ(table->Match(Qt::Key_Semicolon, Qt::ShiftModifier, ";"), kCmdYGammaUp);
  EXPECT_EQ(table->Match(Qt::Key_Period, Qt::ControlModifier, "."), 0);
}

TEST(Menus, MainMenuAndPopupCarryTheirIds) {
  const auto menus = MainMenu();
  ASSERT_EQ(menus.size(), 2u);
  EXPECT_STREQ(menus[0].title, "&File");
  EXPECT_EQ(menus[0].items[1].command, kCmdExit);
  EXPECT_STREQ(menus[0].items[1].text, "E&xit");
  EXPECT_STREQ(menus[1].title, "&Playback");
  EXPECT_EQ(menus[1].items.size(), 6u);
  EXPECT_EQ(PopupMenu().items[4].command, kCmdTest);
}

}  // namespace
}  // namespace app
