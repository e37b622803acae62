#pragma once

#include <atomic>
#include <chrono>

#include "playback/engine_context.h"
#include "playback/presenter.h"

namespace playback {

// Follows a long parse on the user-interface thread. The window's events are handled now and
// then, so that Stop and closing the window can cancel it; once it has run for half a second,
// how far it got is shown as one line rewritten in place on stderr and on the on-screen display.
class OpenProgress {
 public:
  OpenProgress(EngineContext& context, Presenter& presenter, const std::atomic<bool>& cancel)
      : c_(context), presenter_(presenter), cancel_(cancel) {}
  // Ends the line on stderr, and tells on the display how the parse ended, when either was
  // shown.
  ~OpenProgress();
  OpenProgress(const OpenProgress&) = delete;
  OpenProgress& operator=(const OpenProgress&) = delete;

  // The parser's progress callback: the fraction of the file done.
  void Report(double fraction);

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::milliseconds kShowAfter{500};
  static constexpr std::chrono::milliseconds kEventsEvery{25};

  void Show(const std::string& text);
  void EndLine();

  EngineContext& c_;
  Presenter& presenter_;
  const std::atomic<bool>& cancel_;
  const Clock::time_point start_ = Clock::now();
  // The first report handles the events at once.
  Clock::time_point eventsHandled_ = start_ - kEventsEvery;
  int percent_ = -1;        // the percentage shown, -1 before any
  bool lineOpen_ = false;   // a progress line on stderr waits for its newline
  bool lineEnded_ = false;  // the scan is over: nothing more is shown
};

}  // namespace playback
