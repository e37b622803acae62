#include "avi/movi_scan.h"

#include <algorithm>

#include "avi/chunk_ids.h"
#include "common/format.h"
#include "riff/fourcc.h"

namespace avi {

using riff::LoadU32;
using riff::MakeFourcc;

namespace {

constexpr uint32_t kAvix = MakeFourcc("AVIX");
constexpr uint32_t kRec = MakeFourcc("rec ");
// Many small chunks are read with one read of this many bytes.
constexpr size_t kWindowBytes = 64 * 1024;
// Progress is reported at most once per this many bytes of the file.
constexpr uint64_t kReportBytes = 1024 * 1024;

bool IsLower(uint8_t c) { return c >= 'a' && c <= 'z'; }

// Any chunk the scan may step over: four printable characters. Anything else is no chunk.
bool IsChunkId(uint32_t id) {
  for (int shift = 0; shift < 32; shift += 8) {
    uint32_t c = (id >> shift) & 0xFF;
    if (c < 0x20 || c > 0x7E) return false;
  }
  return true;
}

class Scanner {
 public:
  Scanner(const FileView& view, const ScanTargets& targets, const ParseControl& control)
      : view_(view), targets_(targets), control_(control), length_(view.Length()) {}

  ScanResult Run(const DataLayout& layout);

 private:
  // Up to `want` bytes at `position`, served from the window; `got` receives how many.
  const uint8_t* Peek(uint64_t position, size_t want, size_t* got);
  // Where the next chunk starts behind one of `size` bytes ending at `end`.
  uint64_t Behind(uint64_t end, uint32_t size);
  // Walks the chunks of one list body; false when the scan is to end.
  bool ScanList(uint64_t start, uint64_t end);
  void Take(uint32_t id, uint64_t offset, uint32_t size);
  // The movi lists of the AVIX RIFFs from `position` on.
  void ScanExtensions(uint64_t position);
  bool Stop(const std::string& why) {
    result_.stop = why;
    return false;
  }

  const FileView& view_;
  const ScanTargets& targets_;
  const ParseControl& control_;
  const uint64_t length_;
  std::vector<uint8_t> window_;
  uint64_t windowStart_ = 0;
  uint64_t nextReport_ = 0;
  ScanResult result_;
};

const uint8_t* Scanner::Peek(uint64_t position, size_t want, size_t* got) {
  const uint64_t windowEnd = windowStart_ + window_.size();
  if (position < windowStart_ || position >= windowEnd ||
      (position + want > windowEnd && windowEnd < length_)) {
    window_.resize(std::max(kWindowBytes, want));
    windowStart_ = position;
    window_.resize(view_.Read(position, static_cast<uint32_t>(window_.size()), window_.data()));
  }
  const uint64_t offset = position - windowStart_;
  *got = offset < window_.size() ? static_cast<size_t>(std::min<uint64_t>(want, window_.size() - offset)) : 0;
  return window_.data() + offset;
}

uint64_t Scanner::Behind(uint64_t end, uint32_t size) {
  if ((size & 1) == 0) return end;
  size_t got;
  const uint8_t* pad = Peek(end, 1, &got);
  return got == 1 && *pad == 0 ? end + 1 : end;
}

void Scanner::Take(uint32_t id, uint64_t offset, uint32_t size) {
  const int32_t stream = StreamNumberOf(id);
  std::vector<PacketEntry>& packets = result_.packets[static_cast<size_t>(stream)];
  if (stream == targets_.video && IsVideoChunk(id)) {
    bool key = packets.empty();
    if (!key && size != 0) {
      size_t got;
      const uint8_t* data = Peek(offset, std::min<size_t>(size, kKeyFrameProbeBytes), &got);
      key = IsKeyFrame(targets_.keyRule, data, got);
    }
    packets.push_back({offset, key ? size : size | kNotKeyFrame});
  } else if (targets_.audio[static_cast<size_t>(stream)] && IsAudioChunk(id)) {
    packets.push_back({offset, size});
  }
}

bool Scanner::ScanList(uint64_t start, uint64_t end) {
  uint64_t position = start;
  while (position + 8 <= end && position + 8 <= length_) {
    // Only the flag is read here: the parse is given up, nothing else.
    if (control_.Cancelled()) {
      result_.cancelled = true;
      return false;
    }
    if (control_.progress && position >= nextReport_) {
      control_.progress(static_cast<double>(position) / static_cast<double>(length_));
      nextReport_ = position + kReportBytes;
    }
    size_t got;
    const uint8_t* header = Peek(position, 12, &got);
    if (got < 8) {
      return Stop(common::Format("the file cannot be read at offset %llu", (unsigned long long)position));
    }
    const uint32_t id = LoadU32(header);
    const uint32_t size = LoadU32(header + 4);
    const uint64_t next = position + 8 + size;
    const uint32_t type = got == 12 ? LoadU32(header + 8) : 0;
    if ((id == kListId && (type == kRec || type == kMoviId)) || (id == kRiffId && type == kAvix)) {
      // The chunks of a `rec ` list are walked as if they stood in the movi list itself; so
      // are those of the AVIX parts that a list running to the end of the file takes in.
      position += 12;
      continue;
    }
    if (StreamNumberOf(id) >= 0 && IsLower(header[2]) && IsLower(header[3])) {
      // A size with bit 31 could not be stored in a packet table; no file here has one.
      if (next > length_ || (size & kNotKeyFrame)) {
        return Stop(common::Format("the chunk at offset %llu is cut off by the end of the file",
                                   (unsigned long long)position));
      }
      Take(id, position + 8, size);
    } else if (!IsChunkId(id)) {
      return Stop(common::Format("the data at offset %llu is no chunk", (unsigned long long)position));
    }
    position = Behind(next, size);
  }
  return true;
}

void Scanner::ScanExtensions(uint64_t position) {
  while (position + 12 <= length_) {
    size_t got;
    const uint8_t* header = Peek(position, 12, &got);
    if (got < 12 || LoadU32(header) != kRiffId || LoadU32(header + 8) != kAvix) return;
    const uint32_t riffSize = LoadU32(header + 4);
    // A part whose size was never written runs to the end of the file, like such a movi list.
    const uint64_t riffEnd = riffSize > 4 ? position + 8 + riffSize : length_;
    for (uint64_t child = position + 12; child + 12 <= std::min(riffEnd, length_);) {
      const uint8_t* list = Peek(child, 12, &got);
      if (got < 12) return;
      const uint32_t size = LoadU32(list + 4);
      const uint64_t listEnd = size > 4 ? child + 8 + size : length_;
      if (LoadU32(list) == kListId && LoadU32(list + 8) == kMoviId &&
          (!ScanList(child + 12, listEnd) || listEnd >= length_)) {
        return;
      }
      child = Behind(child + 8 + size, size);
    }
    position = Behind(riffEnd, riffSize);
  }
}

ScanResult Scanner::Run(const DataLayout& layout) {
  // A list size that does not reach past its own type is one a writer never came back to fill
  // in: its data runs to the end of the file.
  const uint64_t end = layout.moviEnd > layout.moviStart ? layout.moviEnd : length_;
  // AVIX parts are looked for behind both the first RIFF and its movi list, so that a RIFF size
  // too small for its own list sends the scan over no data twice.
  if (layout.moviStart == 0) {
    ScanExtensions(layout.riffEnd);
  } else if (ScanList(layout.moviStart, end) && end < length_) {
    ScanExtensions(std::max(layout.riffEnd, end));
  }
  if (control_.progress && !result_.cancelled) control_.progress(1.0);
  return std::move(result_);
}

}  // namespace

ScanResult ScanMovi(const FileView& view, const DataLayout& layout, const ScanTargets& targets,
                    const ParseControl& control) {
  return Scanner(view, targets, control).Run(layout);
}

}  // namespace avi
