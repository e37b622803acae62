#pragma once

#include <memory>

#include "avi/stream_data_handler.h"

namespace avi {

// The AVI reader: classic files with an `idx1` index and OpenDML files through their `indx`
// super indexes. It reads only headers and indexes, unless an index the streams depend on is
// missing, cut off or broken: then the packet tables are rebuilt from the movi data, chunk by
// chunk. Packet data is read later through the packet tables. It holds no state.
class AVIFile : public IStreamDataHandler {
 public:
  AVIFile() = default;
  ~AVIFile() override = default;

  // 2 when the file starts "RIFF", any size, "AVI "; else 0.
  int Probe(FileView& view) override;
  // The Movie of the file's last video stream, or none.
  std::unique_ptr<Movie> Parse(FileView& view, const ParseControl& control) override;
  using IStreamDataHandler::Parse;
};

}  // namespace avi
