#include "app/shell.h"

#include <QApplication>

#include "app/colour_setup.h"
#include "app/commands.h"
#include "app/menus.h"
#include "app/settings_store.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "common/allocation_lock.h"
#include "platform/display/create_device.h"
#include "platform/display/video_window.h"
#include "platform/system/system.h"
#include "platform/ui/main_window.h"
#include "scale/lanczos_resizer.h"
#include "scale/normal_quality_converter.h"

namespace app {

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
  window_->onCommand = [this](int command) { OnCommand(command); };
  window_->onMenu = [this](bool open) { OnMenu(open); };
  window_->onClose = [this] { OnDestroy(); };
  window_->SetMenuBar(MainMenu());
  window_->SetItemChecked(kCmdDcc, settings_.enableDcc != 0);
  window_->show();

  display_.device = platform::display::CreateDevice(videoWindow);
  if (display_.device == nullptr) {
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

  window_->AttachMenu(true);
  playback::EnterWindowedMode(display_);

  for (const playback::FileName& name : files) {
    OpenFile(name);
  }

  window_->SetAccelerators(Accelerators());
  platform::system::SetCurrentThreadPriority(platform::system::ThreadPriority::kHighest);
  started_ = true;
  return 0;
}

void Shell::ShutDown() {
  started_ = false;
  SaveSettings(settings_);
  color::ReleaseColour();
  playback::ReleaseDisplay(display_);
  window_.reset();
  frameProcessor_.reset();
  frameProcessorLock_.reset();
  clock_.reset();
  presentationResizer_.reset();
  common::AllocationLock::Release();
}

void Shell::OnCommand(int command) {
  switch (command) {
    case kCmdExit:
      window_->close();
      break;
    default:
      break;
  }
}

void Shell::OnMenu(bool open) { (void)open; }

void Shell::OnDestroy() {}

void Shell::OpenFile(const playback::FileName& name) { (void)name; }

}  // namespace app
