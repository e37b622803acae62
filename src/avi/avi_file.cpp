#include "avi/avi_file.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "avi/chunk_ids.h"
#include "avi/key_frames.h"
#include "avi/legacy_index.h"
#include "avi/movi_scan.h"
#include "avi/odml_index.h"
#include "common/format.h"
#include "common/log.h"
#include "riff/fourcc.h"

namespace avi {

using riff::BitmapInfoHeader;
using riff::LoadU16;
using riff::LoadU32;
using riff::MakeFourcc;

namespace {

constexpr uint32_t kAvi = MakeFourcc("AVI ");
constexpr uint32_t kHdrl = MakeFourcc("hdrl");
constexpr uint32_t kAvih = MakeFourcc("avih");
constexpr uint32_t kStrl = MakeFourcc("strl");
constexpr uint32_t kStrh = MakeFourcc("strh");
constexpr uint32_t kStrf = MakeFourcc("strf");
constexpr uint32_t kJunk = MakeFourcc("JUNK");
constexpr uint32_t kIdx1 = MakeFourcc("idx1");
constexpr uint32_t kSmch = MakeFourcc("SMCH");
constexpr uint32_t kVids = MakeFourcc("vids");
constexpr uint32_t kAuds = MakeFourcc("auds");
constexpr uint32_t kStrn = MakeFourcc("strn");
constexpr uint32_t kIndx = MakeFourcc("indx");
constexpr uint32_t kStrc = MakeFourcc("strc");
constexpr uint32_t kVpar = MakeFourcc("vpar");
constexpr uint32_t kStrd = MakeFourcc("strd");

constexpr size_t kStreamsOffset = 24;  // dwStreams in the avih body
constexpr uint32_t kPageBytes = 4096;
// More streams than any real file has; lists beyond are walked over, as other readers do.
constexpr uint32_t kMaxStreams = 1000;
// An audio delay beyond an hour is not one any file means, and it would carry the clock's
// 32-bit millisecond sums past their range.
constexpr int32_t kMaxDelayMs = 3600000;

// One `strl` list as found: a stream that no well-formed `strl` filled keeps no type.
struct StreamEntry {
  StreamHeader header{};
  std::vector<uint8_t> format;
  std::vector<uint8_t> extra;
};

// A FOURCC, a size and the four bytes after them.
struct Header {
  uint32_t fourcc = 0;
  uint32_t size = 0;
  uint32_t type = 0;
};

// A sub-chunk of a stream's extra area, its body cut to the area.
struct SubChunk {
  uint32_t fourcc;
  uint32_t size;
  const uint8_t* body;
  size_t available;
};

// A `strn` name ends at its terminator or at the end of what the chunk holds.
std::string ReadStrn(const SubChunk& chunk) {
  const char* text = reinterpret_cast<const char*>(chunk.body);
  return std::string(text, strnlen(text, chunk.available));
}

// RIFF pads a chunk of odd size with a byte, normally zero. Some writers leave it out, so the
// byte behind an odd chunk is taken as its pad only when it is zero: no FOURCC starts with one.
uint64_t SkipPad(const std::vector<uint8_t>& bytes, uint64_t end, uint64_t size) {
  return (size & 1) && end < bytes.size() && bytes[end] == 0 ? end + 1 : end;
}

// The clock divides by both terms of the frame rate and multiplies by them in 32 bits. A rate
// without two such terms comes from the main header's frame period, as other readers take it,
// else it is 25 frames a second.
void BoundFrameRate(StreamHeader& header, uint32_t microSecPerFrame) {
  auto usable = [](uint32_t term) { return term != 0 && term <= INT32_MAX; };
  if (usable(header.scale) && usable(header.rate)) return;
  if (usable(microSecPerFrame)) {
    header.scale = microSecPerFrame;
    header.rate = 1000000;
  } else {
    header.scale = 1;
    header.rate = 25;
  }
}

// A crop that leaves no picture is no crop; a pixel aspect needs two positive terms.
void BoundPictureValues(std::array<int32_t, 6>& params, const BitmapInfoHeader& bitmap) {
  int64_t width = bitmap.width;
  int64_t height = std::llabs(int64_t{bitmap.height});
  if (int64_t{params[0]} + params[1] >= height || int64_t{params[2]} + params[3] >= width) {
    std::fill(params.begin(), params.begin() + 4, 0);
  }
  if (params[4] <= 0 || params[5] <= 0) params[4] = params[5] = 1;
}

class Parser {
 public:
  Parser(FileView& view, const ParseControl& control)
      : view_(view), control_(control), length_(view.Length()), budget_(view.Length()) {}

  std::unique_ptr<Movie> Run();
  // Says why the file yields no Movie.
  std::unique_ptr<Movie> Refuse(const std::string& why) const {
    common::LogFailure(view_.Path(), why);
    return nullptr;
  }

 private:
  // Headers and other small reads are served from a page of the file held here, so that a
  // walk over many small chunks costs one read of the file per page, not one per chunk.
  uint32_t ReadSmall(uint64_t position, uint32_t count, void* destination) const;
  bool ReadExact(uint64_t position, uint32_t count, void* destination) const {
    return ReadSmall(position, count, destination) == count;
  }
  // Reads a 12-byte header; false when fewer than 8 bytes arrive.
  bool ReadHeader(uint64_t position, Header& header) const;
  // Reads the header behind a chunk of `size` body bytes that ends at `end`, past its pad byte
  // when it has one; `position` receives where that header starts.
  bool ReadHeaderBehind(uint64_t end, uint32_t size, uint64_t& position, Header& header) const;
  // Reads up to `size` bytes at position, as many as the file holds.
  std::vector<uint8_t> ReadBody(uint64_t position, uint64_t size) const;
  void ReadStreamList(uint64_t position, uint32_t listSize);
  void Walk(uint64_t position, Header header);
  uint64_t FindLegacyBase() const;
  // A stream's own OpenDML index replaces what idx1 said about every stream. Without a table
  // (a video stream that is not played) only that is noted: its index is not read.
  void TakeSuperIndex(const SubChunk& chunk, uint32_t number, bool video, PacketTable* table);
  // Only the last video stream makes the Movie; the others are read for their indexes alone.
  // Reads a stream's extra chunks: its name, returned, and its OpenDML index; `other` gets the
  // rest. Video chunks step to even offsets, audio ones past padding where there is some.
  template <typename Other>
  std::optional<std::string> ReadStreamChunks(const StreamEntry& entry, uint32_t number, bool video,
                                              PacketTable* table, Other other);
  void TakeVideo(const StreamEntry& entry, uint32_t number, bool last);
  void TakeAudio(const StreamEntry& entry, uint32_t number);
  // Why the indexes leave the Movie's streams without all their packets, or empty.
  std::string IndexTrouble() const;
  // Replaces every table by what a scan of the data finds, unless it finds nothing; false when
  // the scan was cancelled.
  bool RebuildTables(const std::string& trouble);
  template <typename Visit>
  static void ForEachSubChunk(const std::vector<uint8_t>& area, bool evenSteps, Visit visit);

  FileView& view_;
  const ParseControl& control_;
  uint64_t length_;
  mutable std::vector<uint8_t> page_;
  mutable uint64_t pageStart_ = 0;
  uint64_t riffEnd_ = 0;
  // Where the first RIFF ends by its size field, whatever that is worth: AVIX RIFFs follow it.
  uint64_t declaredRiffEnd_ = 0;
  uint32_t streamCount_ = 0;
  uint32_t microSecPerFrame_ = 0;
  std::vector<StreamEntry> streams_;
  uint64_t moviBase_ = 0;
  uint64_t moviEnd_ = 0;
  // What idx1 offsets are added to: moviBase_, or 4 for a file whose offsets are absolute.
  uint64_t legacyBase_ = 0;
  std::vector<uint8_t> index_;
  bool idx1Found_ = false;
  // The idx1 chunk ends before its size says: a file cut off inside its index.
  bool idx1Cut_ = false;
  // From the first super index on, streams take nothing from idx1.
  bool indexReleased_ = false;
  // A super index that cannot be used whole.
  bool superIndexBroken_ = false;
  // The tables of the Movie's streams by stream number, which a rebuild replaces.
  std::vector<std::pair<uint32_t, PacketTable*>> streamTables_;
  uint32_t videoNumber_ = 0;
  // The tables of the streams that take their packets from idx1, filled in one pass at the end.
  LegacyTables legacyTables_;
  std::vector<uint8_t> chapterData_;
  bool hasChapters_ = false;
  // Index bytes the file can still account for: every table is charged against it.
  uint64_t budget_;
  std::unique_ptr<Movie> movie_ = std::make_unique<Movie>();
};

uint32_t Parser::ReadSmall(uint64_t position, uint32_t count, void* destination) const {
  if (position < pageStart_ || position - pageStart_ + count > page_.size()) {
    page_.resize(kPageBytes);
    pageStart_ = position;
    page_.resize(view_.Read(position, kPageBytes, page_.data()));
  }
  uint64_t offset = position - pageStart_;
  uint32_t available =
      offset < page_.size() ? static_cast<uint32_t>(std::min<uint64_t>(count, page_.size() - offset)) : 0;
  if (available) std::memcpy(destination, page_.data() + offset, available);
  return available;
}

bool Parser::ReadHeader(uint64_t position, Header& header) const {
  uint8_t bytes[12] = {};
  if (ReadSmall(position, sizeof bytes, bytes) < 8) return false;
  header = Header{LoadU32(bytes), LoadU32(bytes + 4), LoadU32(bytes + 8)};
  return true;
}

bool Parser::ReadHeaderBehind(uint64_t end, uint32_t size, uint64_t& position, Header& header) const {
  uint8_t pad = 1;
  position = (size & 1) && ReadExact(end, 1, &pad) && pad == 0 ? end + 1 : end;
  return ReadHeader(position, header);
}

std::vector<uint8_t> Parser::ReadBody(uint64_t position, uint64_t size) const {
  if (position >= length_) return {};
  uint64_t available = length_ - position;
  // Nothing is allocated beyond what the file can deliver.
  if (size > available) size = available;
  std::vector<uint8_t> body(static_cast<size_t>(size));
  uint32_t got = size ? view_.Read(position, static_cast<uint32_t>(size), body.data()) : 0;
  body.resize(got);
  return body;
}

void Parser::ReadStreamList(uint64_t position, uint32_t listSize) {
  // Lists beyond the stream count are walked over but not read.
  if (streams_.size() >= streamCount_) return;
  std::vector<uint8_t> body = ReadBody(position, listSize >= 4 ? listSize - 4 : 0);
  StreamEntry& entry = streams_.emplace_back();
  uint64_t size = body.size();
  if (size < 8 || LoadU32(body.data()) != kStrh) return;
  uint64_t strhSize = LoadU32(body.data() + 4);
  uint64_t strfAt = SkipPad(body, 8 + strhSize, strhSize);
  if (strfAt + 8 > size || LoadU32(body.data() + strfAt) != kStrf) return;
  // The header record keeps its first 56 bytes; a shorter one reads as zeros behind.
  std::memcpy(&entry.header, body.data() + 8,
              strhSize < sizeof(StreamHeader) ? strhSize : sizeof(StreamHeader));
  uint64_t strfSize = LoadU32(body.data() + strfAt + 4);
  uint64_t formatAt = strfAt + 8;
  uint64_t formatEnd = formatAt + strfSize < size ? formatAt + strfSize : size;
  entry.format.assign(body.begin() + static_cast<std::ptrdiff_t>(formatAt),
                      body.begin() + static_cast<std::ptrdiff_t>(formatEnd));
  uint64_t extraAt = SkipPad(body, formatAt + strfSize, strfSize);
  if (extraAt + 8 <= size && LoadU32(body.data() + extraAt) == kJunk) {
    uint64_t junkSize = LoadU32(body.data() + extraAt + 4);
    extraAt = SkipPad(body, extraAt + 8 + junkSize, junkSize);
  }
  if (extraAt < size) {
    entry.extra.assign(body.begin() + static_cast<std::ptrdiff_t>(extraAt), body.end());
  }
}

void Parser::Walk(uint64_t position, Header header) {
  // Every step moves on by at least the 8 bytes of a chunk header, so the walk ends.
  bool read = true;
  while (read) {
    uint64_t body = position + 8;
    uint64_t next = body + header.size;
    // A RIFF that ends inside one of its own chunks has a size that cannot be right.
    if (position < riffEnd_ && next > riffEnd_) riffEnd_ = std::max(riffEnd_, length_);
    if (position + 12 > riffEnd_ - 4) break;
    switch (header.fourcc) {
      case kIdx1:
        // The size field stays in front of the entries, as the index walkers expect.
        index_ = ReadBody(position + 4, uint64_t{header.size} + 4);
        idx1Found_ = true;
        idx1Cut_ = index_.size() < uint64_t{header.size} + 4;
        break;
      case kListId:
        // The movi body is not read here: packets are reached through the indexes. INFO and
        // odml lists carry nothing that the player uses.
        if (header.type == kMoviId) {
          moviBase_ = position + 12;
          moviEnd_ = next;
        }
        break;
      case kSmch:
        chapterData_ = ReadBody(body, header.size);
        hasChapters_ = true;
        next += next & 1;
        position = next;
        read = ReadHeader(position, header);
        continue;
      default:
        break;
    }
    read = ReadHeaderBehind(next, header.size, position, header);
  }
}

uint64_t Parser::FindLegacyBase() const {
  // idx1 offsets count from the movi FOURCC, but some muxers store absolute file positions.
  // The first entry's chunk header tells which: its id stands where the offset points.
  if (index_.size() < 4 + 16) return moviBase_;
  uint32_t id = LoadU32(index_.data() + 4);
  uint64_t offset = LoadU32(index_.data() + 4 + 8);
  uint8_t found[4];
  bool relative = moviBase_ >= 4 && ReadExact(moviBase_ - 4 + offset, 4, found) && LoadU32(found) == id;
  if (!relative && ReadExact(offset, 4, found) && LoadU32(found) == id) return 4;
  return moviBase_;
}

template <typename Visit>
void Parser::ForEachSubChunk(const std::vector<uint8_t>& area, bool evenSteps, Visit visit) {
  uint64_t offset = 0;
  while (offset + 8 <= area.size()) {
    uint32_t fourcc = LoadU32(area.data() + offset);
    uint32_t size = LoadU32(area.data() + offset + 4);
    uint64_t available = area.size() - (offset + 8);
    if (available > size) available = size;
    visit(SubChunk{fourcc, size, area.data() + offset + 8, static_cast<size_t>(available)});
    offset += uint64_t{size} + 8;
    offset = evenSteps ? offset + (offset & 1) : SkipPad(area, offset, size);
  }
}

void Parser::TakeSuperIndex(const SubChunk& chunk, uint32_t number, bool video, PacketTable* table) {
  indexReleased_ = true;
  if (table == nullptr) return;
  if (!ReadSuperIndex(view_, number, chunk.body, chunk.available, video, *table, budget_))
    superIndexBroken_ = true;
}

template <typename Other>
std::optional<std::string> Parser::ReadStreamChunks(const StreamEntry& entry, uint32_t number, bool video,
                                                    PacketTable* table, Other other) {
  std::optional<std::string> name;
  ForEachSubChunk(entry.extra, video, [&](const SubChunk& chunk) {
    if (chunk.fourcc == kStrn) {
      name = ReadStrn(chunk);
    } else if (chunk.fourcc == kIndx) {
      TakeSuperIndex(chunk, number, video, table);
    } else {
      other(chunk);
    }
  });
  return name;
}

void Parser::TakeVideo(const StreamEntry& entry, uint32_t number, bool last) {
  auto table = std::make_unique<PacketTable>(view_);
  std::array<uint8_t, 4> colour{};
  std::array<int32_t, 6> params{0, 0, 0, 0, 1, 1};
  std::optional<std::string> name =
      ReadStreamChunks(entry, number, true, last ? table.get() : nullptr, [&](const SubChunk& chunk) {
        switch (chunk.fourcc) {
          case kStrc:
            colour = {};
            for (size_t i = 0; i < 4 && i < chunk.available; ++i) colour[i] = chunk.body[i];
            break;
          case kVpar:
            for (size_t i = 0; i < 6 && 2 * i + 2 <= chunk.available; ++i) {
              params[i] = static_cast<int16_t>(LoadU16(chunk.body + 2 * i));
            }
            break;
          default:
            break;
        }
      });
  if (!last) return;
  if (!indexReleased_) legacyTables_.video = table.get();
  streamTables_.emplace_back(number, table.get());
  videoNumber_ = number;

  Movie& movie = *movie_;
  movie.name = std::move(name);
  movie.format = entry.format;
  if (movie.format.size() < sizeof(BitmapInfoHeader)) movie.format.resize(sizeof(BitmapInfoHeader), 0);
  movie.streamHeader = entry.header;
  BoundFrameRate(movie.streamHeader, microSecPerFrame_);
  movie.packetTables.Append(std::move(table));
  movie.colourInfo = colour;
  BoundPictureValues(params, movie.Bitmap());
  movie.videoParams = params;
}

void Parser::TakeAudio(const StreamEntry& entry, uint32_t number) {
  auto table = std::make_unique<PacketTable>(view_);
  int32_t delay = 0;
  std::optional<std::string> name =
      ReadStreamChunks(entry, number, false, table.get(), [&](const SubChunk& chunk) {
        if (chunk.fourcc == kStrd && chunk.available >= 4) {
          delay = std::clamp(static_cast<int32_t>(LoadU32(chunk.body)), -kMaxDelayMs, kMaxDelayMs);
        }
      });
  if (!indexReleased_ && number < legacyTables_.audio.size()) legacyTables_.audio[number] = table.get();
  streamTables_.emplace_back(number, table.get());

  StreamName streamName;
  if (name) {
    streamName = std::move(*name);
  } else if (const std::u16string* wide = view_.BaseName16()) {
    streamName = *wide;
  } else if (const std::string* narrow = view_.BaseName8()) {
    streamName = *narrow;
  }
  movie_->audioStreams.Append(
      std::make_shared<AudioStream>(entry.format, std::move(table), std::move(streamName), delay));
}

std::string Parser::IndexTrouble() const {
  if (superIndexBroken_) return "an OpenDML index cannot be used";
  bool legacyUsed = legacyTables_.video != nullptr;
  for (const PacketTable* table : legacyTables_.audio) legacyUsed = legacyUsed || table != nullptr;
  if (!legacyUsed) return {};
  if (!idx1Found_) return "there is no idx1 index";
  if (idx1Cut_) return "the idx1 index is cut off";
  // The size field and less than one whole entry.
  if (index_.size() < 4 + 16) return "the idx1 index lists no packet";
  return {};
}

bool Parser::RebuildTables(const std::string& trouble) {
  ScanTargets targets;
  if (videoNumber_ < targets.audio.size()) targets.video = static_cast<int32_t>(videoNumber_);
  targets.keyRule = KeyFrameRuleFor(movie_->Bitmap().compression, movie_->streamHeader.fccHandler);
  for (const auto& [number, table] : streamTables_) {
    if (table != movie_->VideoTable() && number < targets.audio.size()) targets.audio.set(number);
  }
  ScanResult scan = ScanMovi(view_, {moviBase_, moviEnd_, declaredRiffEnd_}, targets, control_);
  // A cancel that came with the last report counts as well.
  if (scan.cancelled || control_.Cancelled()) return false;
  size_t video = 0;
  size_t audio = 0;
  for (const auto& [number, table] : streamTables_) {
    if (number >= scan.packets.size()) continue;
    (table == movie_->VideoTable() ? video : audio) += scan.packets[number].size();
  }
  if (video + audio == 0) {
    common::LogFailure(view_.Path(), trouble + ", and the movi data holds no packet of the streams either");
    return true;
  }
  // Streams that chunk ids cannot name keep nothing, so that every table comes from the data.
  static const std::vector<PacketEntry> kNone;
  for (const auto& [number, table] : streamTables_) {
    table->Replace(number < scan.packets.size() ? scan.packets[number] : kNone);
  }
  std::string said =
      common::Format("%s: packet tables rebuilt from the movi data, %zu video and %zu audio packets",
                     trouble.c_str(), video, audio);
  if (scan.damagedStretches != 0) {
    said += common::Format("; %u %s of damaged data (%llu bytes) skipped", scan.damagedStretches,
                           scan.damagedStretches == 1 ? "stretch" : "stretches",
                           (unsigned long long)scan.damagedBytes);
  }
  if (!scan.stop.empty()) said += "; " + scan.stop;
  common::LogFailure(view_.Path(), said);
  if (targets.keyRule == KeyFrameRule::kFirstOnly && video > 1) {
    const uint32_t code = movie_->Bitmap().compression;
    common::LogFailure(
        view_.Path(),
        common::Format("no key-frame test for video of code %.4s: only the first frame counts as "
                       "a key frame, so seeking decodes from the start",
                       reinterpret_cast<const char*>(&code)));
  }
  return true;
}

std::unique_ptr<Movie> Parser::Run() {
  Header file;
  if (!ReadHeader(0, file) || file.fourcc != kRiffId || file.type != kAvi) {
    return Refuse("the file does not start as a RIFF AVI file");
  }
  riffEnd_ = uint64_t{file.size} + 8;
  declaredRiffEnd_ = riffEnd_;
  Header list;
  if (!ReadHeader(12, list) || list.fourcc != kListId || list.type != kHdrl) {
    return Refuse("the first list is not the hdrl header list");
  }
  uint8_t avih[8];
  if (!ReadExact(24, sizeof avih, avih) || LoadU32(avih) != kAvih) {
    return Refuse("the header list does not start with the avih main header");
  }
  uint32_t avihSize = LoadU32(avih + 4);
  uint8_t streams[4];
  uint8_t period[4];
  if (avihSize < kStreamsOffset + 4 || !ReadExact(32 + kStreamsOffset, 4, streams) ||
      !ReadExact(32, 4, period)) {
    return Refuse(common::Format("the avih main header of %u bytes ends before its stream count", avihSize));
  }
  streamCount_ = std::min(LoadU32(streams), kMaxStreams);
  microSecPerFrame_ = LoadU32(period);

  // The stream table grows with the lists really found, never to a count the file cannot hold.
  uint64_t position;
  Header header;
  bool read = ReadHeaderBehind(32 + uint64_t{avihSize}, avihSize, position, header);
  while (read && header.fourcc == kListId && header.type == kStrl) {
    ReadStreamList(position + 12, header.size);
    read = ReadHeaderBehind(position + 8 + uint64_t{header.size}, header.size, position, header);
  }
  // A RIFF too small for the headers read so far says nothing of where the file ends.
  if (riffEnd_ < position) riffEnd_ = std::max(riffEnd_, length_);
  if (read) Walk(position, header);
  legacyBase_ = FindLegacyBase();

  size_t lastVideo = streams_.size();
  for (size_t i = 0; i < streams_.size(); ++i) {
    if (streams_[i].header.fccType == kVids) lastVideo = i;
  }
  if (lastVideo == streams_.size()) {
    return Refuse(common::Format("none of the %zu streams is a video stream", streams_.size()));
  }
  for (uint32_t i = 0; i < streams_.size(); ++i) {
    const StreamEntry& entry = streams_[i];
    if (entry.header.fccType == kVids) TakeVideo(entry, i, i == lastVideo);
    if (entry.header.fccType == kAuds) TakeAudio(entry, i);
  }
  // What idx1 gives goes to the streams before the first super index, all in one pass.
  if (index_.size() > 4) TakeLegacyPackets({index_, legacyBase_, moviEnd_}, view_, legacyTables_, budget_);
  const std::string trouble = IndexTrouble();
  if (!trouble.empty() && !RebuildTables(trouble))
    return Refuse("opening cancelled while rebuilding the index");
  if (hasChapters_) movie_->chapters = ChapterTable::FromChunk(chapterData_.data(), chapterData_.size());
  return std::move(movie_);
}

}  // namespace

int AVIFile::Probe(FileView& view) {
  uint8_t bytes[12];
  if (view.Read(0, sizeof bytes, bytes) == sizeof bytes && LoadU32(bytes) == kRiffId &&
      LoadU32(bytes + 8) == kAvi) {
    return 2;
  }
  // A path that could not be opened has said so already.
  if (view.IsOpen()) common::LogFailure(view.Path(), "not an AVI file: it does not start with RIFF ... AVI");
  return 0;
}

std::unique_ptr<Movie> AVIFile::Parse(FileView& view, const ParseControl& control) {
  Parser parser(view, control);
  // The tables are bounded by the file, but a file can still ask for more than the process has;
  // then it is refused like any other file that cannot be read.
  try {
    return parser.Run();
  } catch (const std::bad_alloc&) {
    return parser.Refuse("not enough memory for the packet tables");
  }
}

}  // namespace avi
