#pragma once

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

  void Open(const FileName& name);

 private:
  void ApplyColourHints(const avi::Movie& movie);
  void Unload();
  static void OnFrameEvent(void* user, int32_t event, intptr_t, intptr_t);

  EngineContext& c_;
  PlaybackControl& control_;
  DisplayModes& modes_;
  Presenter& presenter_;
};

}  // namespace playback
