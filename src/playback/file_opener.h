#pragma once

#include <atomic>
#include <memory>

#include "avi/avi_file.h"
#include "playback/display_modes.h"
#include "playback/engine_context.h"
#include "playback/file_name.h"
#include "playback/playback_control.h"
#include "playback/presenter.h"

namespace playback {

// Replaces whatever is loaded by a new file: checks the container, stops playback, parses the
// file, applies its colour hints, opens the decoder, sizes the window to the picture, rebuilds
// the frame surfaces and shows the first picture. On the user-interface thread.
class FileOpener {
 public:
  FileOpener(EngineContext& context, PlaybackControl& control, DisplayModes& modes, Presenter& presenter)
      : c_(context), control_(control), modes_(modes), presenter_(presenter) {}

  // Not taken while another open is under way (from the window's events that it lets through).
  void Open(const FileName& name);
  // Makes the open under way give up: it ends with nothing loaded and no message.
  void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
  bool Opening() const { return opening_; }

 private:
  // The parse, followed on stderr and the on-screen display, and cancellable, when it is long.
  std::unique_ptr<avi::Movie> Parse(avi::AVIFile& reader, avi::FileView& view);
  void ApplyColourHints(const avi::Movie& movie);
  void Unload();
  static void OnFrameEvent(void* user, int32_t event, intptr_t, intptr_t);

  EngineContext& c_;
  PlaybackControl& control_;
  DisplayModes& modes_;
  Presenter& presenter_;
  bool opening_ = false;
  // Set by Stop and by closing the window; only the flag itself is shared.
  std::atomic<bool> cancel_{false};
};

}  // namespace playback
