#include "playback/chapters.h"

namespace playback {

uint32_t CurrentFrame(uint32_t ms, const FrameTiming& timing) {
  if (!timing.Valid()) return 0;
  return static_cast<uint32_t>(uint64_t{ms} * timing.rate / timing.scale / 1000);
}

std::optional<size_t> NextChapter(const avi::ChapterTable& table, uint32_t frame) {
  for (size_t i = 0; i < table.Count(); ++i) {
    if (table.Frame(i) > frame) return i;
  }
  return std::nullopt;
}

std::optional<size_t> PreviousChapter(const avi::ChapterTable& table, uint32_t frame) {
  size_t started = 0;
  while (started < table.Count() && table.Frame(started) <= frame) ++started;
  if (started < 2) return std::nullopt;
  return started - 2;
}

uint32_t ChapterStartMs(const avi::ChapterTable& table, size_t index, const FrameTiming& timing) {
  if (!timing.Valid()) return 0;
  // A long double holds the product of any frame number and scale exactly.
  const long double ms = static_cast<long double>(table.Frame(index)) * 1000 * timing.scale / timing.rate;
  return ms > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(ms);
}

}  // namespace playback
