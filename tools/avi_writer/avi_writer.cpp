#include "avi_writer/avi_writer.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

#include "riff/bitmap_info_header.h"
#include "riff/fourcc.h"
#include "riff/wave_format.h"

namespace aviwriter {

namespace {

using riff::MakeFourcc;

constexpr uint32_t kAvihSize = 56;
constexpr uint32_t kDmlhSize = 248;
constexpr uint32_t kKeyFrameFlag = 0x10;
constexpr uint32_t kHasIndex = 0x10;
constexpr uint32_t kIsInterleaved = 0x100;

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put64(std::vector<uint8_t>& out, uint64_t v) {
  Put32(out, static_cast<uint32_t>(v));
  Put32(out, static_cast<uint32_t>(v >> 32));
}
void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size) {
  auto* bytes = static_cast<const uint8_t*>(data);
  out.insert(out.end(), bytes, bytes + size);
}

// A chunk whose body is padded to an even size inside the size field, so that readers that
// round to even and readers that do not find the next chunk at the same place.
void PutChunk(std::vector<uint8_t>& out, uint32_t fourcc, const std::vector<uint8_t>& body) {
  uint32_t size = static_cast<uint32_t>(body.size() + (body.size() & 1));
  Put32(out, fourcc);
  Put32(out, size);
  PutBytes(out, body.data(), body.size());
  if (body.size() & 1) out.push_back(0);
}

void PutList(std::vector<uint8_t>& out, uint32_t type, const std::vector<uint8_t>& body) {
  Put32(out, MakeFourcc("LIST"));
  Put32(out, static_cast<uint32_t>(body.size() + 4));
  Put32(out, type);
  PutBytes(out, body.data(), body.size());
}

uint32_t StreamChunkId(uint32_t number, const char* type) {
  char code[5] = {static_cast<char>('0' + number / 10), static_cast<char>('0' + number % 10), type[0],
                  type[1], 0};
  return MakeFourcc(code);
}

std::vector<uint8_t> ChapterBody(const std::vector<Chapter>& chapters) {
  std::vector<uint8_t> titles;
  std::vector<uint8_t> body;
  uint32_t titleStart = static_cast<uint32_t>(4 + 8 * chapters.size());
  Put32(body, static_cast<uint32_t>(chapters.size()));
  for (const Chapter& chapter : chapters) {
    Put32(body, chapter.frame);
    Put32(body, titleStart + static_cast<uint32_t>(titles.size()));
    if (!chapter.wideTitle.empty()) {
      titles.push_back(0xFF);
      titles.push_back(0xFE);
      for (char16_t c : chapter.wideTitle) Put16(titles, c);
      Put16(titles, 0);
    } else {
      PutBytes(titles, chapter.title.data(), chapter.title.size());
      titles.push_back(0);
    }
  }
  PutBytes(body, titles.data(), titles.size());
  return body;
}

}  // namespace

AviWriter::~AviWriter() {
  if (fd_ >= 0) ::close(fd_);
}

bool AviWriter::Put(uint64_t position, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t wrote =
        ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(position + done));
    if (wrote <= 0) {
      failed_ = true;
      return false;
    }
    done += static_cast<size_t>(wrote);
  }
  return true;
}

std::vector<uint8_t> AviWriter::HeaderList() const {
  const StreamState* video = nullptr;
  uint32_t videoFrames = 0;
  uint32_t maxPacket = 0;
  for (const StreamState& s : streams_) {
    if (!video && s.description.header.fccType == MakeFourcc("vids")) video = &s;
    if (s.maxPacket > maxPacket) maxPacket = s.maxPacket;
  }
  if (video)
    videoFrames = static_cast<uint32_t>(packets_[static_cast<size_t>(video - streams_.data())].size());

  std::vector<uint8_t> body;
  Put32(body, MakeFourcc("avih"));
  Put32(body, kAvihSize);
  uint32_t microSecPerFrame = 0;
  riff::BitmapInfoHeader bitmap{};
  if (video) {
    if (video->description.header.rate) {
      microSecPerFrame = static_cast<uint32_t>(uint64_t{1000000} * video->description.header.scale /
                                               video->description.header.rate);
    }
    std::memcpy(
        &bitmap, video->description.format.data(),
        video->description.format.size() < sizeof bitmap ? video->description.format.size() : sizeof bitmap);
  }
  Put32(body, microSecPerFrame);
  Put32(body, 0);  // max bytes per second
  Put32(body, 0);  // padding granularity
  Put32(body, kIsInterleaved | (options_.legacyIndex ? kHasIndex : 0));
  Put32(body, options_.openDml ? firstRiffFrames_ : videoFrames);
  Put32(body, 0);  // initial frames
  Put32(body, static_cast<uint32_t>(streams_.size()));
  Put32(body, maxPacket + 8);
  Put32(body, static_cast<uint32_t>(bitmap.width));
  Put32(body, static_cast<uint32_t>(bitmap.height < 0 ? -bitmap.height : bitmap.height));
  for (int i = 0; i < 4; ++i) Put32(body, 0);

  for (size_t i = 0; i < streams_.size(); ++i) {
    const StreamState& s = streams_[i];
    avi::StreamHeader header = s.description.header;
    bool audio = header.fccType == MakeFourcc("auds");
    uint32_t count = static_cast<uint32_t>(packets_[i].size());
    header.length = audio && header.sampleSize ? static_cast<uint32_t>(s.bytes / header.sampleSize) : count;
    header.suggestedBufferSize = s.maxPacket;
    std::vector<uint8_t> list;
    std::vector<uint8_t> strh(sizeof header);
    std::memcpy(strh.data(), &header, sizeof header);
    PutChunk(list, MakeFourcc("strh"), strh);
    PutChunk(list, MakeFourcc("strf"), s.description.format);
    if (options_.openDml) {
      std::vector<uint8_t> indx;
      Put16(indx, 4);
      indx.push_back(0);  // sub-type
      indx.push_back(0);  // an index of indexes
      Put32(indx, static_cast<uint32_t>(s.indexes.size()));
      Put32(indx, s.chunkId);
      for (int r = 0; r < 3; ++r) Put32(indx, 0);
      for (uint32_t e = 0; e < options_.superIndexCapacity; ++e) {
        RiffIndex entry = e < s.indexes.size() ? s.indexes[e] : RiffIndex{0, 0, 0};
        Put64(indx, entry.offset);
        Put32(indx, entry.size);
        Put32(indx, entry.duration);
      }
      PutChunk(list, MakeFourcc("indx"), indx);
    }
    if (!s.description.name.empty()) {
      std::vector<uint8_t> text(s.description.name.begin(), s.description.name.end());
      text.push_back(0);
      PutChunk(list, MakeFourcc("strn"), text);
    }
    for (const auto& [fourcc, chunk] : s.description.extraChunks) PutChunk(list, fourcc, chunk);
    PutList(body, MakeFourcc("strl"), list);
  }
  if (options_.openDml) {
    std::vector<uint8_t> dmlh;
    Put32(dmlh, videoFrames);
    dmlh.resize(kDmlhSize, 0);
    std::vector<uint8_t> odml;
    PutChunk(odml, MakeFourcc("dmlh"), dmlh);
    PutList(body, MakeFourcc("odml"), odml);
  }
  std::vector<uint8_t> list;
  PutList(list, MakeFourcc("hdrl"), body);
  return list;
}

bool AviWriter::Open(const std::string& path, std::vector<StreamDescription> streams, WriterOptions options) {
  if (streams.empty() || streams.size() > 99) return false;
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd_ < 0) return false;
  options_ = std::move(options);
  for (uint32_t i = 0; i < streams.size(); ++i) {
    StreamState state{};
    bool audio = streams[i].header.fccType == MakeFourcc("auds");
    state.chunkId = StreamChunkId(i, audio ? "wb" : "dc");
    state.description = std::move(streams[i]);
    streams_.push_back(std::move(state));
  }
  packets_.resize(streams_.size());
  return StartRiff(true);
}

bool AviWriter::StartRiff(bool first) {
  riffStart_ = position_;
  std::vector<uint8_t> head;
  Put32(head, MakeFourcc("RIFF"));
  Put32(head, 0);
  Put32(head, MakeFourcc(first ? "AVI " : "AVIX"));
  if (first) {
    std::vector<uint8_t> header = HeaderList();
    PutBytes(head, header.data(), header.size());
  }
  moviStart_ = position_ + head.size();
  Put32(head, MakeFourcc("LIST"));
  Put32(head, 0);
  Put32(head, MakeFourcc("movi"));
  position_ += head.size();
  return Put(riffStart_, head);
}

bool AviWriter::WritePacket(uint32_t stream, const uint8_t* data, uint32_t size, bool key) {
  if (failed_ || fd_ < 0 || stream >= streams_.size() || size >= avi::kNotKeyFrame) return false;
  StreamState& s = streams_[stream];
  uint64_t chunkSize = 8 + uint64_t{size} + (size & 1);
  if (options_.openDml) {
    bool anyPackets = false;
    for (const StreamState& other : streams_) anyPackets |= !other.riffPackets.empty();
    if (anyPackets && position_ + chunkSize - riffStart_ > options_.riffLimit) {
      if (!EndRiff() || !StartRiff(false)) return false;
    }
  } else if (position_ + chunkSize - riffStart_ > UINT32_MAX - (uint64_t{1} << 24)) {
    return false;  // a classic file ends at 4 GiB, with room left for idx1
  }
  std::vector<uint8_t> head;
  Put32(head, s.chunkId);
  Put32(head, size);
  if (!Put(position_, head)) return false;
  if (!options_.sparse && size) {
    std::vector<uint8_t> body(data, data + size);
    if (size & 1) body.push_back(0);
    if (!Put(position_ + 8, body)) return false;
  }
  bool video = s.description.header.fccType != MakeFourcc("auds");
  avi::PacketEntry entry{position_ + 8, video && !key ? size | avi::kNotKeyFrame : size};
  packets_[stream].push_back(entry);
  s.riffPackets.push_back(entry);
  s.bytes += size;
  if (size > s.maxPacket) s.maxPacket = size;
  if (firstRiff_) {
    if (video && stream == 0) ++firstRiffFrames_;
    if (options_.legacyIndex) {
      legacy_.push_back(LegacyEntry{s.chunkId, key ? kKeyFrameFlag : 0,
                                    static_cast<uint32_t>(position_ - (moviStart_ + 8)), size});
    }
  }
  position_ += chunkSize;
  return true;
}

bool AviWriter::WriteStandardIndexes() {
  for (uint32_t i = 0; i < streams_.size(); ++i) {
    StreamState& s = streams_[i];
    if (s.riffPackets.empty()) continue;
    if (s.indexes.size() >= options_.superIndexCapacity) {
      failed_ = true;
      return false;
    }
    std::vector<uint8_t> chunk;
    uint32_t count = static_cast<uint32_t>(s.riffPackets.size());
    Put32(chunk, StreamChunkId(i, "ix"));
    Put32(chunk, 24 + 8 * count);
    Put16(chunk, 2);
    chunk.push_back(0);  // no field index
    chunk.push_back(1);  // an index of chunks
    Put32(chunk, count);
    Put32(chunk, s.chunkId);
    Put64(chunk, riffStart_);
    Put32(chunk, 0);
    uint64_t bytes = 0;
    for (const avi::PacketEntry& packet : s.riffPackets) {
      Put32(chunk, static_cast<uint32_t>(packet.offset - riffStart_));
      Put32(chunk, packet.size);
      bytes += packet.size & ~avi::kNotKeyFrame;
    }
    uint16_t blockAlign = 0;
    if (s.description.header.fccType == MakeFourcc("auds") &&
        s.description.format.size() >= sizeof(riff::WaveFormat)) {
      std::memcpy(&blockAlign, s.description.format.data() + offsetof(riff::WaveFormat, blockAlign), 2);
    }
    uint32_t duration = blockAlign ? static_cast<uint32_t>(bytes / blockAlign) : count;
    s.indexes.push_back(RiffIndex{position_, static_cast<uint32_t>(chunk.size()), duration});
    if (!Put(position_, chunk)) return false;
    position_ += chunk.size();
    s.riffPackets.clear();
  }
  return true;
}

bool AviWriter::EndRiff() {
  if (options_.openDml && !WriteStandardIndexes()) return false;
  std::vector<uint8_t> size;
  Put32(size, static_cast<uint32_t>(position_ - (moviStart_ + 8)));
  if (!Put(moviStart_ + 4, size)) return false;
  if (firstRiff_) {
    if (options_.legacyIndex) {
      std::vector<uint8_t> index;
      Put32(index, MakeFourcc("idx1"));
      Put32(index, static_cast<uint32_t>(16 * legacy_.size()));
      for (const LegacyEntry& e : legacy_) {
        Put32(index, e.id);
        Put32(index, e.flags);
        Put32(index, e.offset);
        Put32(index, e.size);
      }
      if (!Put(position_, index)) return false;
      position_ += index.size();
      legacy_.clear();
      legacy_.shrink_to_fit();
    }
    if (!options_.chapters.empty()) {
      std::vector<uint8_t> chunk;
      std::vector<uint8_t> body = ChapterBody(options_.chapters);
      Put32(chunk, MakeFourcc("SMCH"));
      Put32(chunk, static_cast<uint32_t>(body.size()));
      PutBytes(chunk, body.data(), body.size());
      // The chunk's size stays as it is; the pad byte behind an odd body is outside it.
      if (body.size() & 1) chunk.push_back(0);
      if (!Put(position_, chunk)) return false;
      position_ += chunk.size();
    }
  }
  std::vector<uint8_t> riffSize;
  Put32(riffSize, static_cast<uint32_t>(position_ - riffStart_ - 8));
  firstRiff_ = false;
  return Put(riffStart_ + 4, riffSize);
}

bool AviWriter::Close() {
  if (fd_ < 0) return false;
  bool ok = !failed_ && EndRiff();
  // The header is rewritten in place with the final counts and super index entries.
  ok = ok && Put(12, HeaderList());
  ok = ok && ::ftruncate(fd_, static_cast<off_t>(position_)) == 0;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  return ok;
}

}  // namespace aviwriter
