#pragma once

#include <memory>

#include "platform/display/device.h"

namespace platform::display {

class VideoWindow;

// The display device for the video window: OpenGL where the window has it, painted
// otherwise. Without a window, or with VISTREL_DISPLAY=memory, a memory device that records
// what it presents (its backend is a MemoryBackend) and needs no display at all.
std::unique_ptr<Device> CreateDevice(VideoWindow* window);

}  // namespace platform::display
