#include "app/on_screen_display.h"

#include <algorithm>
#include <cstring>

#include "app/statistics_line.h"
#include "common/allocation_lock.h"
#include "platform/display/surface.h"

namespace app {
namespace {

using platform::text::kLineHeight;

// Cut at a character's start, so that the UTF-8 that is left stays UTF-8.
std::string_view Bounded(std::string_view text) {
  if (text.size() <= OnScreenDisplay::kMaxText) {
    return text;
  }
  size_t cut = OnScreenDisplay::kMaxText;
  for (int i = 0; i < 3 && cut > 0 && (static_cast<uint8_t>(text[cut]) & 0xC0) == 0x80; ++i) {
    --cut;
  }
  return text.substr(0, cut);
}

// Cut before a surrogate pair rather than through it.
std::u16string_view Bounded(std::u16string_view text) {
  if (text.size() <= OnScreenDisplay::kMaxText) {
    return text;
  }
  size_t cut = OnScreenDisplay::kMaxText;
  if (text[cut - 1] >= 0xD800 && text[cut - 1] < 0xDC00) {
    --cut;
  }
  return text.substr(0, cut);
}

void CopyRows(const platform::text::LinePicture& picture, platform::display::Surface& surface) {
  platform::display::LockedRect locked;
  if (surface.Lock(&locked) != platform::display::Result::kOk) {
    return;
  }
  const int32_t rows = std::min(kLineHeight, locked.height);
  const size_t bytes = static_cast<size_t>(std::min(picture.width, locked.width)) * 4;
  for (int32_t y = 0; y < rows; ++y) {
    std::memcpy(locked.bits + static_cast<ptrdiff_t>(y) * locked.pitch,
                picture.bits + static_cast<ptrdiff_t>(y) * picture.pitch, bytes);
  }
  surface.Unlock();
}

}  // namespace

void OnScreenDisplay::Draw(platform::display::Surface& surface) {
  if (settings_.osdEnable == 0) {
    return;
  }
  const uint32_t now = clock_.Now();
  std::string narrow;
  std::u16string wide;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    if (length_ == 0) {
      return;
    }
    if (now > deadline_) {
      length_ = 0;
      return;
    }
    if (length_ > 0) {
      narrow = narrow_;
    } else {
      wide = wide_;
    }
  }
  std::lock_guard<common::Lock> guard(common::AllocationLock::Get());
  const platform::text::LinePicture picture = narrow.empty() ? rasteriser_.Render(wide, surface.Width())
                                                             : rasteriser_.Render(narrow, surface.Width());
  if (picture.width > 0) {
    CopyRows(picture, surface);
  }
}

void OnScreenDisplay::FrameDecoded(const playback::StatisticsFigures& figures) {
  Show(StatisticsLine(figures), {}, false);
}

void OnScreenDisplay::ShowMessage(const std::string& text) { Show(text, {}, true); }

void OnScreenDisplay::ShowMessage(const std::u16string& text) { Show({}, text, true); }

void OnScreenDisplay::Show(std::string_view narrow, std::u16string_view wide, bool message) {
  const uint32_t now = clock_.Now();
  std::lock_guard<std::mutex> guard(mutex_);
  if (!message && newMessage_ && length_ != 0) {
    return;
  }
  if (wide.empty()) {
    narrow_.assign(Bounded(narrow));
    length_ = static_cast<int32_t>(narrow_.size());
  } else {
    wide_.assign(Bounded(wide));
    length_ = -static_cast<int32_t>(wide_.size());
  }
  deadline_ = now + (message ? kMessageMs : kStatisticsMs);
  newMessage_ = message;
}

void OnScreenDisplay::ClearDeadline() {
  std::lock_guard<std::mutex> guard(mutex_);
  deadline_ = 0;
}

}  // namespace app
