#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/file_view.h"
#include "avi/key_frames.h"
#include "avi/packet_entry.h"
#include "avi/parse_control.h"

namespace avi {

// The streams a scan collects packets for: chunks NNdc and NNdb of the video stream and NNwb of
// each audio stream, NN being the stream number as two digits.
struct ScanTargets {
  int32_t video = -1;
  KeyFrameRule keyRule = KeyFrameRule::kFirstOnly;
  std::bitset<100> audio;
};

// Where the data lies: the body of the first RIFF's movi list, behind its list type (start 0
// when there is none), and the end of that RIFF, behind which AVIX RIFFs may follow.
struct DataLayout {
  uint64_t moviStart = 0;
  uint64_t moviEnd = 0;
  uint64_t riffEnd = 0;
};

struct ScanResult {
  // Packets by stream number, in file order; a video packet's size carries kNotKeyFrame
  // unless the key-frame rule says key, and the first video packet is always a key frame.
  std::array<std::vector<PacketEntry>, 100> packets;
  bool cancelled = false;
  // Why the scan stopped before the end of the lists, or empty.
  std::string stop;
  // Stretches of damaged data stepped over to the next chunk header, and their bytes.
  uint32_t damagedStretches = 0;
  uint64_t damagedBytes = 0;
};

// Rebuilds packet tables from the data itself, for a file whose index is missing, cut off or
// broken: walks the movi list of the first RIFF and those of the AVIX RIFFs behind it chunk by
// chunk, into `rec ` lists, over JUNK, index and other chunks, taking the RIFF pad byte behind
// an odd chunk when it is zero. Nothing is read past the end of the file; a chunk cut off by
// it is dropped. Damaged data (bytes that are no chunk, or a size running past the end with
// more data behind it) is stepped over byte by byte to the next header of a scanned stream that
// another header or the end follows, or of a movi, rec or AVIX list; without one the scan ends
// there. At most one packet per 8 bytes of file is kept.
ScanResult ScanMovi(const FileView& view, const DataLayout& layout, const ScanTargets& targets,
                    const ParseControl& control);

}  // namespace avi
