#include "app/menus.h"

#include "app/commands.h"

namespace app {

using platform::ui::Accelerator;
using platform::ui::MenuDefinition;

std::vector<MenuDefinition> MainMenu() {
  return {
      {"&File", {{"&Open", kCmdOpen}, {"E&xit", kCmdExit}}},
      {"&Playback",
       {{"&Play", kCmdPlay},
        {"&Stop", kCmdStop},
        {"&Full Screen", kCmdFullScreen},
        {"&Original Size", kCmdOriginalSize},
        {"&Reset Color", kCmdResetColor},
        {"Use DCC", kCmdDcc}}},
  };
}

MenuDefinition PopupMenu() {
  return {"Menu",
          {{"&Play", kCmdPlay},
           {"&Stop", kCmdStop},
           {"&Full Screen", kCmdFullScreen},
           {"&Original Size", kCmdOriginalSize},
           {"&Test", kCmdTest},
           {"&Reset Color", kCmdResetColor},
           {"Use DCC", kCmdDcc}}};
}

std::unique_ptr<platform::ui::AcceleratorTable> Accelerators() {
  constexpr auto kKey = Accelerator::Kind::kKey;
  constexpr auto kChar = Accelerator::Kind::kCharacter;
  constexpr Qt::KeyboardModifiers kNone = Qt::NoModifier;
  constexpr Qt::KeyboardModifiers kCtrl = Qt::ControlModifier;
  constexpr Qt::KeyboardModifiers kPad = Qt::KeypadModifier;
  return std::make_unique<platform::ui::AcceleratorTable>(std::vector<Accelerator>{
      {kKey, Qt::Key_O, kCtrl, kCmdOpen},
      {kKey, Qt::Key_Space, kNone, kCmdPlay},
      {kKey, Qt::Key_S, kNone, kCmdStop},
      {kKey, Qt::Key_Return, Qt::AltModifier, kCmdFullScreen},
      {kKey, Qt::Key_1, kNone, kCmdOriginalSize},
      {kKey, Qt::Key_Insert, kNone, kCmdBrightnessUp},
      {kKey, Qt::Key_Delete, kNone, kCmdBrightnessDown},
      {kKey, Qt::Key_Home, kNone, kCmdContrastUp},
      {kKey, Qt::Key_End, kNone, kCmdContrastDown},
      {kKey, Qt::Key_PageUp, kNone, kCmdSaturationUp},
      {kKey, Qt::Key_PageDown, kNone, kCmdSaturationDown},
      {kKey, Qt::Key_R, kNone, kCmdResetColor},
      {kKey, Qt::Key_C, kNone, kCmdSourceTransfer},
      {kChar, '[', kNone, kCmdYcOffsetDown},
      {kChar, ']', kNone, kCmdYcOffsetUp},
      {kKey, Qt::Key_Plus, kPad, kCmdSeekForward},
      {kKey, Qt::Key_Minus, kPad, kCmdSeekBack},
      {kKey, Qt::Key_D, kNone, kCmdDcc},
      {kKey, Qt::Key_Z, kNone, kCmdResynchronise},
      {kChar, '/', kNone, kCmdCGammaDown},
      {kChar, '\'', kNone, kCmdCGammaUp},
      {kChar, '.', kNone, kCmdYGammaDown},
      {kChar, ';', kNone, kCmdYGammaUp},
      {kKey, Qt::Key_Insert, kCtrl, kCmdRGammaUp},
      {kKey, Qt::Key_Home, kCtrl, kCmdGGammaUp},
      {kKey, Qt::Key_PageUp, kCtrl, kCmdBGammaUp},
      {kKey, Qt::Key_Delete, kCtrl, kCmdRGammaDown},
      {kKey, Qt::Key_End, kCtrl, kCmdGGammaDown},
      {kKey, Qt::Key_PageDown, kCtrl, kCmdBGammaDown},
      {kKey, Qt::Key_W, kNone, kCmdWaitVBlank},
      {kKey, Qt::Key_O, kNone, kCmdOsd},
      {kKey, Qt::Key_T, kNone, kCmdResizer},
      {kKey, Qt::Key_Right, kNone, kCmdNextChapter},
      {kKey, Qt::Key_Left, kNone, kCmdPreviousChapter},
      {kKey, Qt::Key_H, kNone, kCmdNormalQuality},
      {kKey, Qt::Key_Up, kNone, kCmdVolumeUp},
      {kKey, Qt::Key_Down, kNone, kCmdVolumeDown},
      {kKey, Qt::Key_Y, kNone, kCmdYuvSource},
      {kKey, Qt::Key_C, Qt::ShiftModifier, kCmdOutputTransfer},
      {kKey, Qt::Key_Plus, kCtrl | kPad, kCmdMonitorBrightnessUp},
      {kKey, Qt::Key_Minus, kCtrl | kPad, kCmdMonitorBrightnessDown},
      {kKey, Qt::Key_Right, kCtrl, kCmdAvSyncUp},
      {kKey, Qt::Key_Left, kCtrl, kCmdAvSyncDown},
      {kKey, Qt::Key_D, kCtrl, kCmdDebugDump},
  });
}

}  // namespace app
