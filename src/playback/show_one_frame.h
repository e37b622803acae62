#pragma once

#include <cstdint>

#include "playback/engine_context.h"
#include "playback/presenter.h"

namespace playback {

// Decodes one frame and presents it at once, while stopped: after an open, a mode switch or a
// repaint. Nothing is shown when the video has no such frame.
void ShowOneFrame(EngineContext& context, Presenter& presenter, int32_t frame);

}  // namespace playback
