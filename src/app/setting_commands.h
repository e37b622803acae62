#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/settings.h"
#include "playback/overlay.h"

namespace scale {
class NormalQualityConverter;
}
namespace platform::mixer {
class Mixer;
}

namespace app {

// What the setting commands change and announce through.
struct SettingCommandContext {
  common::Settings& settings;
  scale::NormalQualityConverter& frameProcessor;
  playback::Overlay& osd;
  platform::mixer::Mixer* mixer = nullptr;  // none: the volume keys do nothing
  // Both required: the "Use DCC" item of both menus, and a message box owned by the window.
  std::function<void(bool checked)> setDccChecked;
  std::function<void(const std::string& text, const std::string& caption)> showMessageBox;
};

// Runs one of the commands that change a setting without the playback engine: the step and
// its bounds, the new value pushed into the colour model and the frame processor, and the
// on-screen message. Returns false, doing nothing, for any other command.
bool RunSettingCommand(int command, const SettingCommandContext& context);

// The message after an `AVSync` step: the offset alone, or with the sound stream's own delay.
std::string AvSyncMessage(int32_t avSync, int32_t audioDelay);

}  // namespace app
