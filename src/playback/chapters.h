#pragma once

#include <cstdint>
#include <optional>

#include "avi/chapter_table.h"
#include "playback/frame_timing.h"

namespace playback {

// The video frame showing at clock time `ms`.
uint32_t CurrentFrame(uint32_t ms, const FrameTiming& timing);
// The first chapter that starts after `frame`.
std::optional<size_t> NextChapter(const avi::ChapterTable& table, uint32_t frame);
// The chapter before the one in progress at `frame`; none inside the first two.
std::optional<size_t> PreviousChapter(const avi::ChapterTable& table, uint32_t frame);
// Where a chapter starts, ms.
uint32_t ChapterStartMs(const avi::ChapterTable& table, size_t index, const FrameTiming& timing);

}  // namespace playback
