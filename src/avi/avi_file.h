#pragma once

#include <memory>

#include "avi/stream_data_handler.h"

namespace avi {

// The AVI reader: classic files with an `idx1` index and OpenDML files through their `indx`
// super indexes. It reads only headers and indexes; packet data is read later through the
// packet tables. It holds no state.
class AVIFile : public IStreamDataHandler {
 public:
  AVIFile() = default;
  ~AVIFile() override = default;

  // 2 when the file starts "RIFF", any size, "AVI "; else 0.
  int Probe(FileView& view) override;
  // The Movie of the file's last video stream, or none.
  std::unique_ptr<Movie> Parse(FileView& view) override;
};

}  // namespace avi
