#pragma once

#include <cstdint>

class QOpenGLContext;

namespace platform::display {

// Sets how many vertical blanks a buffer swap of the current context waits for (0 or 1),
// through the GLX or EGL swap-control extensions. False where the platform has no way.
bool SetSwapInterval(QOpenGLContext& context, uintptr_t nativeWindow, int interval);

}  // namespace platform::display
