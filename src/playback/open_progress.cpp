#include "playback/open_progress.h"

#include <cstdio>
#include <string>

namespace playback {

OpenProgress::~OpenProgress() {
  if (percent_ < 0) return;
  EndLine();
  // The parser reads the flag alone; so does this.
  Show(cancel_.load(std::memory_order_relaxed) ? "Open cancelled" : "Index rebuilt");
}

void OpenProgress::EndLine() {
  if (!lineOpen_) return;
  std::fputc('\n', stderr);
  lineOpen_ = false;
}

void OpenProgress::Show(const std::string& text) {
  if (c_.services.overlay == nullptr) return;
  c_.services.overlay->ShowMessage(text);
  // With nothing loaded the cleared picture area carries the text.
  presenter_.RequestClear();
}

void OpenProgress::Report(double fraction) {
  const Clock::time_point now = Clock::now();
  if (now - eventsHandled_ >= kEventsEvery) {
    c_.services.window.ProcessEvents();
    eventsHandled_ = Clock::now();
  }
  if (now - start_ < kShowAfter || lineEnded_) return;
  const int percent = static_cast<int>(fraction * 100.0);
  if (percent != percent_) {
    percent_ = percent;
    const std::string text = "Rebuilding the index: " + std::to_string(percent) + " %";
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    lineOpen_ = true;
    Show(text);
  }
  // The parser's own line about how the rebuild ended follows on a line of its own.
  if (fraction >= 1.0 || cancel_.load(std::memory_order_relaxed)) {
    EndLine();
    lineEnded_ = true;
  }
}

}  // namespace playback
