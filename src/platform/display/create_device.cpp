#include "platform/display/create_device.h"

#include <cstdlib>
#include <cstring>

#include "platform/display/memory_backend.h"
#include "platform/display/opengl_backend.h"
#include "platform/display/software_backend.h"
#include "platform/display/video_window.h"

namespace platform::display {

std::unique_ptr<Device> CreateDevice(VideoWindow* window) {
  const char* forced = std::getenv("VISTREL_DISPLAY");
  if (!window || (forced && std::strcmp(forced, "memory") == 0)) {
    return std::make_unique<Device>(std::make_shared<MemoryBackend>());
  }
  if (window->UsesOpenGL()) return std::make_unique<Device>(std::make_shared<OpenGLBackend>(window->Link()));
  return std::make_unique<Device>(std::make_shared<SoftwareBackend>(window->Link()));
}

}  // namespace platform::display
