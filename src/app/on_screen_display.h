#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "common/playback_clock.h"
#include "common/settings.h"
#include "platform/text/line_rasteriser.h"
#include "playback/overlay.h"

namespace app {

// One line of green text on black stamped into the top-left corner of each picture about to
// be presented: the last command message for three seconds, or during playback the statistics
// line, renewed by each decoded frame, for ten.
class OnScreenDisplay final : public playback::Overlay {
 public:
  static constexpr uint32_t kMessageMs = 3000;
  static constexpr uint32_t kStatisticsMs = 10000;
  // Longest text kept, in bytes or UTF-16 units; one line never shows more, and a hostile
  // chapter title costs no more than this.
  static constexpr size_t kMaxText = 1023;

  OnScreenDisplay(const common::PlaybackClock& clock, const common::Settings& settings)
      : clock_(clock), settings_(settings) {}

  // Draws nothing with `OSDEnable` 0, nothing showing, or once the clock has passed the
  // deadline (which also ends the text). The text is copied into rows 0 to 17 from column 0,
  // cut at the surface's right and bottom edges. The caller checks that the presentation
  // thread runs. Needs the AllocationLock.
  void Draw(platform::display::Surface& surface) override;
  void FrameDecoded(const playback::StatisticsFigures& figures) override;
  void ShowMessage(const std::string& text) override;
  void ShowMessage(const std::u16string& text) override;
  void ClearDeadline() override;

 private:
  // The narrow text, or the wide one where it is not empty, shown from now: a message for
  // kMessageMs, else the statistics line for kStatisticsMs unless a message is showing.
  void Show(std::string_view narrow, std::u16string_view wide, bool message);

  const common::PlaybackClock& clock_;
  const common::Settings& settings_;

  // Messages come from the user-interface thread, the statistics line from the decoding
  // thread, Draw runs on the presenting one. A leaf lock: nothing else is taken under it.
  std::mutex mutex_;
  std::string narrow_;
  std::u16string wide_;
  int32_t length_ = 0;  // > 0 bytes of narrow_, < 0 minus the units of wide_, 0 nothing
  uint32_t deadline_ = 0;
  bool newMessage_ = false;  // keeps a message from being overwritten by the statistics line

  platform::text::LineRasteriser rasteriser_;  // under the AllocationLock
};

}  // namespace app
