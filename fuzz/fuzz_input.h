// How the fuzz targets hand their input to readers that open files: one in-memory file per
// process, rewritten for every input, opened through /proc by its descriptor.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

#include "avi/file_view.h"
#include "avi/packet_table.h"

namespace fuzzinput {

// The bytes as a file; a view that is not open when the in-memory file cannot be written.
inline avi::FileView AsFile(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("fuzz_input", 0);
  if (fd < 0 || ftruncate(fd, 0) != 0) return avi::FileView();
  if (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) return avi::FileView();
  return avi::FileView::Open("/proc/self/fd/" + std::to_string(fd));
}

// A table of the view's `size` bytes cut into packets of `packet` bytes, the last one shorter.
inline std::unique_ptr<avi::PacketTable> EvenPackets(const avi::FileView& view, size_t size,
                                                     uint32_t packet) {
  auto table = std::make_unique<avi::PacketTable>(view);
  for (size_t offset = 0; offset < size; offset += packet) {
    table->Append(offset, static_cast<uint32_t>(std::min<size_t>(packet, size - offset)));
  }
  return table;
}

// libavcodec's complaints about broken data are what the targets feed it; they only slow a run.
inline void SilenceFfmpeg() {
  static const bool silenced = (av_log_set_level(AV_LOG_QUIET), true);
  (void)silenced;
}

}  // namespace fuzzinput
