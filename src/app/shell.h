#pragma once

#include <QPoint>
#include <Qt>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/lock.h"
#include "common/playback_clock.h"
#include "common/settings.h"
#include "playback/display_objects.h"
#include "playback/file_name.h"

namespace scale {
class NormalQualityConverter;
}
namespace Media {
class LanczosResizerH8_8;
}
namespace platform::ui {
class MainWindow;
}
namespace platform::mixer {
class Mixer;
}
namespace playback {
class Engine;
class StatsDump;
class WindowHost;
}  // namespace playback

namespace app {

class OnScreenDisplay;
struct SettingCommandContext;

// The player's program-wide objects, brought up in a fixed order and taken down in another.
class Shell {
 public:
  Shell();
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  // Everything up to the message loop. Returns 0, or 1 when the window or the display could not
  // be created (the partial set-up is already undone then).
  int StartUp(const std::vector<playback::FileName>& files);
  // Everything after the message loop, settings written.
  void ShutDown();

  platform::ui::MainWindow* Window() const { return window_.get(); }
  int ProcessorCount() const { return processorCount_; }
  const playback::DisplayObjects& Display() const { return display_; }
  playback::Engine* Engine() const { return engine_.get(); }
  // Chosen menu items and keys end here.
  void OnCommand(int command);

 private:
  void OnMenu(bool open);
  void OnVisible(bool visible);
  void OnActive(bool active);
  void OnMouse(Qt::MouseButton button, QPoint position);
  void OnDestroy();
  void ToggleFullScreen();
  void OriginalSize();
  void OpenFromDialog();
  void ChangeAvSync(int32_t step);
  void ShowChapterMessage(const std::optional<std::variant<std::string, std::u16string>>& message);
  void WriteDebugDump();

  common::Settings& settings_;
  int processorCount_ = 1;
  std::unique_ptr<common::PlaybackClock> clock_;
  std::unique_ptr<scale::NormalQualityConverter> frameProcessor_;
  std::unique_ptr<common::Lock> frameProcessorLock_;  // one conversion through it at a time
  std::unique_ptr<platform::ui::MainWindow> window_;
  std::unique_ptr<playback::WindowHost> windowHost_;
  std::unique_ptr<Media::LanczosResizerH8_8> presentationResizer_;
  std::unique_ptr<playback::StatsDump> statsDump_;
  std::unique_ptr<OnScreenDisplay> osd_;
  std::unique_ptr<platform::mixer::Mixer> mixer_;
  std::unique_ptr<SettingCommandContext> settingCommands_;
  playback::DisplayObjects display_;
  std::unique_ptr<playback::Engine> engine_;
  bool started_ = false;
};

}  // namespace app
