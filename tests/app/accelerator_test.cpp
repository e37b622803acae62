#include <gtest/gtest.h>

#include "app/commands.h"
#include "app/menus.h"

namespace app {
namespace {

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
