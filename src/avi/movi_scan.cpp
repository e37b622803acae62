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
// No offset: nothing found.
constexpr uint64_t kNone = UINT64_MAX;

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
  // Reports progress at `position`; false, marking the scan cancelled, when it is to end.
  bool Report(uint64_t position);
  // The first offset from `from` on where a chunk header stands again, before `end`; kNone
  // when there is none or the scan was cancelled.
  uint64_t Resync(uint64_t from, uint64_t end);
  // A header at `position` that damaged data does not make by chance: a movi, rec or AVIX list,
  // or a chunk of a scanned stream that fits in the file with a chunk id or the end behind it.
  bool StartsChunk(const uint8_t* header, size_t got, uint64_t position, uint64_t end);
  bool Scanned(uint32_t id) const;
  // Up to 4 bytes at `position` into `out` without moving the window; how many.
  size_t ReadId(uint64_t position, uint8_t* out);
  void Take(uint32_t id, uint64_t offset, uint32_t size);
  // The movi lists of the AVIX RIFFs from `position` on.
  void ScanExtensions(uint64_t position);
  void Skip(uint64_t from, uint64_t to) {
    ++result_.damagedStretches;
    result_.damagedBytes += to - from;
  }
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
    if (!Report(position)) return false;
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
        // The tail of a cut file, or a damaged size with more data behind it.
        const uint64_t found = Resync(position + 8, end);
        if (found == kNone) {
          if (result_.cancelled) return false;
          return Stop(common::Format("the chunk at offset %llu is cut off by the end of the file",
                                     (unsigned long long)position));
        }
        Skip(position, found);
        position = found;
        continue;
      }
      Take(id, position + 8, size);
    } else if (!IsChunkId(id)) {
      const uint64_t found = Resync(position + 1, end);
      if (found == kNone) {
        if (result_.cancelled) return false;
        return Stop(common::Format("the data at offset %llu is no chunk", (unsigned long long)position));
      }
      Skip(position, found);
      position = found;
      continue;
    }
    position = Behind(next, size);
  }
  return true;
}

bool Scanner::Report(uint64_t position) {
  // Only the flag is read here: the parse is given up, nothing else.
  if (control_.Cancelled()) {
    result_.cancelled = true;
    return false;
  }
  if (control_.progress && position >= nextReport_) {
    control_.progress(static_cast<double>(position) / static_cast<double>(length_));
    nextReport_ = position + kReportBytes;
  }
  return true;
}

bool Scanner::Scanned(uint32_t id) const {
  const int32_t stream = StreamNumberOf(id);
  if (stream < 0) return false;
  return (stream == targets_.video && IsVideoChunk(id)) ||
         (targets_.audio[static_cast<size_t>(stream)] && IsAudioChunk(id));
}

size_t Scanner::ReadId(uint64_t position, uint8_t* out) {
  if (position >= windowStart_ && position + 4 <= windowStart_ + window_.size()) {
    std::copy_n(window_.data() + (position - windowStart_), 4, out);
    return 4;
  }
  return view_.Read(position, 4, out);
}

bool Scanner::StartsChunk(const uint8_t* header, size_t got, uint64_t position, uint64_t end) {
  const uint32_t id = LoadU32(header);
  const uint32_t size = LoadU32(header + 4);
  const uint32_t type = got >= 12 ? LoadU32(header + 8) : 0;
  if ((id == kListId && (type == kRec || type == kMoviId)) || (id == kRiffId && type == kAvix)) return true;
  if (!Scanned(id) || (size & kNotKeyFrame) || position + 8 + size > length_) return false;
  const uint64_t next = position + 8 + size;
  if (next + 8 > std::min(end, length_)) return true;
  uint8_t behind[4];
  if (ReadId(next, behind) == 4 && IsChunkId(LoadU32(behind))) return true;
  return (size & 1) != 0 && ReadId(next + 1, behind) == 4 && IsChunkId(LoadU32(behind));
}

uint64_t Scanner::Resync(uint64_t from, uint64_t end) {
  const uint64_t last = std::min(end, length_);
  for (uint64_t position = from; position + 8 <= last; ++position) {
    if ((position % kReportBytes) == 0 && !Report(position)) return kNone;
    size_t got;
    const uint8_t* header = Peek(position, 12, &got);
    if (got < 8) return kNone;
    if (StartsChunk(header, got, position, end)) return position;
  }
  return kNone;
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
