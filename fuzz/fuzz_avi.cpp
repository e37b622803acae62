// Probe and parse of arbitrary bytes as an AVI file, then reads over what the parse built:
// every video packet through its table's view, and the first audio streams raw and through
// their decoders. All tables together must hold no more entries than the file has bytes for,
// and reads that follow each other must join as one read would give. A parse that rebuilds its
// tables from the data reports progress rising from 0 to 1, and a parse cancelled at its first
// report yields nothing.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio_read_check.h"
#include "avi/avi_file.h"
#include "fuzz_input.h"

namespace {

// Audio streams read per input; a file may have a thousand.
constexpr size_t kStreamsRead = 4;

size_t ReservedEntries(const avi::Movie& movie) {
  size_t entries = movie.VideoTable()->Capacity();
  for (size_t i = 0; i < movie.audioStreams.Count(); ++i) {
    entries += movie.audioStreams.Get(i)->PacketTables().Get(0)->Capacity();
  }
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzinput::SilenceFfmpeg();
  avi::FileView view = fuzzinput::AsFile(data, size);
  if (!view.IsOpen()) return 0;
  avi::AVIFile reader;
  if (!reader.Probe(view)) return 0;
  double last = 0.0;
  bool reported = false;
  std::unique_ptr<avi::Movie> movie = reader.Parse(view, {[&](double fraction) {
                                                            if (fraction < last || fraction > 1.0)
                                                              __builtin_trap();
                                                            last = fraction;
                                                            reported = true;
                                                          },
                                                          nullptr});
  if (reported) {
    std::atomic<bool> cancel{false};
    if (reader.Parse(view, {[&](double) { cancel = true; }, &cancel})) __builtin_trap();
  }
  if (!movie) return 0;
  if (ReservedEntries(*movie) > size / 8) __builtin_trap();

  std::vector<uint8_t> buffer(4096);
  const avi::PacketTable* video = movie->VideoTable();
  for (size_t j = 0; video && j < video->Count() && j < 64; ++j) {
    const avi::PacketEntry& packet = (*video)[j];
    uint32_t want = packet.size & ~avi::kNotKeyFrame;
    video->View().Read(packet.offset, want < buffer.size() ? want : buffer.size(), buffer.data());
  }
  for (size_t i = 0; i < movie->audioStreams.Count() && i < kStreamsRead; ++i) {
    avi::AudioStream& stream = *movie->audioStreams.Get(i);
    stream.TotalLength();
    stream.SourcePosition(size);
    for (uint64_t position = 0; position < 3 * buffer.size(); position += buffer.size() - 7) {
      if (stream.Read(position, static_cast<uint32_t>(buffer.size()), buffer.data()) == 0) break;
    }
    // Positions and counts of no particular alignment, from the input's own length.
    uint64_t position = size % 1000;
    uint32_t count = static_cast<uint32_t>(1 + size % 9000);
    fuzzcheck::CheckReadsJoin(stream, false, position, count);
    fuzzcheck::CheckReadsJoin(stream, true, position, count);
  }
  if (movie->chapters) {
    for (size_t c = 0; c < movie->chapters->Count(); ++c) {
      movie->chapters->Title8(c);
      movie->chapters->Title16(c);
    }
  }
  return 0;
}
