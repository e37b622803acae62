#include "app/shell.h"

#include <QApplication>
#include <chrono>
#include <thread>

#include "app/colour_setup.h"
#include "app/commands.h"
#include "app/debug_dump.h"
#include "app/main_window_host.h"
#include "app/menus.h"
#include "app/on_screen_display.h"
#include "app/setting_commands.h"
#include "app/settings_store.h"
#include "audio/ks/ks_renderer.h"
#include "audio/wave_out_renderer.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "common/allocation_lock.h"
#include "platform/display/create_device.h"
#include "platform/display/video_window.h"
#include "platform/mixer/mixer.h"
#include "platform/system/system.h"
#include "platform/ui/main_window.h"
#include "platform/ui/message_box.h"
#include "platform/ui/open_dialog.h"
#include "playback/engine.h"
#include "playback/stats_dump.h"
#include "scale/lanczos_resizer.h"
#include "scale/normal_quality_converter.h"

namespace app {

namespace {

constexpr int32_t kSeekStepMs = 10000;
constexpr int32_t kAvSyncStepMs = 5;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace

Shell::Shell() : settings_(common::GetSettings()) {}

Shell::~Shell() {
  if (started_) {
    ShutDown();
  }
}

int Shell::StartUp(const std::vector<playback::FileName>& files) {
  processorCount_ = platform::system::ProcessorCount();
  common::AllocationLock::Acquire();

  clock_ = std::make_unique<common::PlaybackClock>();
  settings_.ycOffset = 0;
  frameProcessor_ = std::make_unique<scale::NormalQualityConverter>(color::GetFieldInterpolator());
  frameProcessorLock_ = std::make_unique<common::Lock>();

  LoadSettings(settings_);

  auto* videoWindow = new platform::display::VideoWindow();
  window_ = std::make_unique<platform::ui::MainWindow>("Vistrel", videoWindow);
  window_->SetMenuBar(MainMenu());
  window_->SetItemChecked(kCmdDcc, settings_.enableDcc != 0);
  window_->show();
  windowHost_ = std::make_unique<MainWindowHost>(*window_);

  display_.device = platform::display::CreateDevice(videoWindow);
  if (display_.device == nullptr) {
    windowHost_.reset();
    window_.reset();
    frameProcessor_.reset();
    frameProcessorLock_.reset();
    clock_.reset();
    common::AllocationLock::Release();
    return 1;
  }

  InitColourFromSettings(settings_);
  InitFrameProcessorFromSettings(*frameProcessor_, settings_);

  presentationResizer_ = std::make_unique<Media::LanczosResizerH8_8>(settings_.ntap >> 1);
  mixer_ = platform::mixer::OpenMixer();
  statsDump_ = playback::StatsDump::FromEnvironment();
  osd_ = std::make_unique<OnScreenDisplay>(*clock_, settings_);
  settingCommands_ = std::make_unique<SettingCommandContext>(
      SettingCommandContext{settings_, *frameProcessor_, *osd_, mixer_.get(),
                            [this](bool checked) { window_->SetItemChecked(kCmdDcc, checked); },
                            [this](const std::string& text, const std::string& caption) {
                              platform::ui::ShowMessage(window_.get(), text, caption);
                            }});

  playback::EngineServices services{
      .settings = settings_,
      .clock = *clock_,
      .ticks = common::SystemTicks(),
      .display = display_,
      .presentationResizer = *presentationResizer_,
      .frameProcessor = frameProcessor_.get(),
      .frameProcessorLock = frameProcessorLock_.get(),
      .window = *windowHost_,
      .processorCount = processorCount_,
      .rendererFactory = [](int32_t kind,
                            common::PlaybackClock& clock) -> std::unique_ptr<audio::IAudioRenderer> {
        if (kind == audio::kRendererKs) return std::make_unique<audio::ks::KSRenderer>();
        return std::make_unique<audio::WaveOutRenderer>(clock);
      },
      .overlay = osd_.get(),
      .statsDump = statsDump_.get()};
  engine_ = std::make_unique<playback::Engine>(services);
  window_->onCommand = [this](int command) { OnCommand(command); };
  window_->onMenu = [this](bool open) { OnMenu(open); };
  window_->onClose = [this] { OnDestroy(); };
  window_->onVisible = [this](bool visible) { OnVisible(visible); };
  window_->onActive = [this](bool active) { OnActive(active); };
  window_->onMouse = [this](Qt::MouseButton button, QPoint position) { OnMouse(button, position); };
  window_->onDrop = [this](const std::vector<std::u16string>& paths) {
    for (const std::u16string& path : paths) engine_->Open(playback::FileName::Wide(path));
  };
  window_->AttachMenu(true);
  engine_->EnterWindowedMode();
  videoWindow->SetExposedHandler([this] {
    if (!engine_->IsFullScreen()) engine_->RequestClear();
  });

  for (const playback::FileName& name : files) {
    // Closing the window during one open cancels it and the opens after it.
    if (!window_->isVisible()) break;
    engine_->Open(name);
  }

  window_->SetAccelerators(Accelerators());
  engine_->StartThreads();
  platform::system::SetCurrentThreadPriority(platform::system::ThreadPriority::kHighest);
  started_ = true;
  return 0;
}

void Shell::ShutDown() {
  started_ = false;
  engine_->StopThreads();
  SaveSettings(settings_);
  engine_->Stop();
  color::ReleaseColour();
  engine_.reset();
  playback::ReleaseDisplay(display_);
  settingCommands_.reset();
  windowHost_.reset();
  window_.reset();
  mixer_.reset();
  frameProcessor_.reset();
  frameProcessorLock_.reset();
  clock_.reset();
  presentationResizer_.reset();
  statsDump_.reset();
  osd_.reset();
  common::AllocationLock::Release();
}

void Shell::OnCommand(int command) {
  // While an open runs, its window events come through: only Stop and Exit, which cancel it.
  if (engine_->Opening() && command != kCmdStop && command != kCmdExit) return;
  if (RunSettingCommand(command, *settingCommands_)) return;
  switch (command) {
    case kCmdOpen:
      OpenFromDialog();
      break;
    case kCmdExit:
      window_->close();
      break;
    case kCmdPlay:
      engine_->Play();
      break;
    case kCmdStop:
      engine_->Stop();
      break;
    case kCmdFullScreen:
      ToggleFullScreen();
      break;
    case kCmdOriginalSize:
      OriginalSize();
      break;
    case kCmdSeekForward:
      engine_->SeekBy(kSeekStepMs);
      break;
    case kCmdSeekBack:
      engine_->SeekBy(-kSeekStepMs);
      break;
    case kCmdResynchronise:
      engine_->Resynchronise();
      break;
    case kCmdNextChapter:
      ShowChapterMessage(engine_->NextChapter());
      break;
    case kCmdPreviousChapter:
      ShowChapterMessage(engine_->PreviousChapter());
      break;
    case kCmdAvSyncUp:
      ChangeAvSync(kAvSyncStepMs);
      break;
    case kCmdAvSyncDown:
      ChangeAvSync(-kAvSyncStepMs);
      break;
    case kCmdDebugDump:
      WriteDebugDump();
      break;
    default:
      break;
  }
}

void Shell::OpenFromDialog() {
  static const std::vector<platform::ui::FileFilter> kFilters{{"AVI file", "*.avi *.AVI"}};
  if (const auto path = platform::ui::AskFileToOpen(window_.get(), kFilters)) {
    engine_->Open(playback::FileName::Wide(*path));
  }
}

void Shell::ChangeAvSync(int32_t step) {
  settings_.avSync = settings_.avSync + step;
  osd_->ShowMessage(AvSyncMessage(settings_.avSync, engine_->AudioDelay()));
}

void Shell::ShowChapterMessage(const std::optional<std::variant<std::string, std::u16string>>& message) {
  if (!message) return;
  std::visit([this](const auto& text) { osd_->ShowMessage(text); }, *message);
}

void Shell::WriteDebugDump() {
  const auto counters = engine_->PresentationCounters();
  app::WriteDebugDump("debug.txt", static_cast<int32_t>(clock_->Now()),
                      {counters[0], counters[1], counters[2], counters[3]});
}

void Shell::ToggleFullScreen() {
  const bool fullScreen = !engine_->IsFullScreen();
  engine_->SetFullScreen(fullScreen);
  window_->SetCursorVisible(!engine_->IsFullScreen());
  if (!engine_->IsFullScreen()) engine_->RequestClear();
}

void Shell::OriginalSize() {
  if (!engine_->HasDecoder()) return;
  if (engine_->IsFullScreen()) engine_->SetFullScreen(false);
  osd_->ShowMessage(std::string("Original Size"));
  window_->SetCursorVisible(true);
  const auto size = engine_->OutputSize();
  window_->ResizeVideoArea(size[0], size[1]);
}

void Shell::OnMenu(bool open) {
  engine_->SetWindowState(open ? playback::kWindowMenu : playback::kWindowNormal);
}

void Shell::OnVisible(bool visible) {
  engine_->SetWindowState(visible ? playback::kWindowNormal : playback::kWindowHidden);
}

// A window that loses the focus stays on screen here; only in full screen does it give the
// screen up.
void Shell::OnActive(bool active) {
  if (engine_->IsFullScreen())
    engine_->SetWindowState(active ? playback::kWindowNormal : playback::kWindowHidden);
}

void Shell::OnMouse(Qt::MouseButton button, QPoint position) {
  // An open handles window events while it rebuilds an index, before the presentation thread
  // may run to clear a pending picture: the popup waits until the open is done.
  if (engine_->Opening()) return;
  if (button == Qt::LeftButton) {
    if (engine_->IsFullScreen()) window_->SetCursorVisible(false);
    engine_->SetWindowState(playback::kWindowNormal);
  } else if (button == Qt::RightButton) {
    window_->SetCursorVisible(true);
    engine_->SetWindowState(playback::kWindowMenu);
    // The menu must not be drawn over by a presentation in progress.
    while (engine_->PresentationPending()) Sleep(10);
    Sleep(100);
    window_->ShowPopup(PopupMenu(), position);
  }
}

void Shell::OnDestroy() { engine_->Stop(); }

}  // namespace app
