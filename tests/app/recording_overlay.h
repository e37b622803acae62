#pragma once

#include <string>
#include <vector>

#include "common/text_encoding.h"
#include "playback/overlay.h"

namespace app::testing {

// An on-screen display that keeps the messages it was given, wide ones as UTF-8.
class RecordingOverlay final : public playback::Overlay {
 public:
  void Draw(platform::display::Surface&) override {}
  void FrameDecoded(const playback::StatisticsFigures&) override {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowMessage(const std::u16string& text) override { messages.push_back(common::Utf16ToUtf8(text)); }
  void ClearDeadline() override {}

  // The last message, or "" when there was none; forgets them all.
  std::string Take() {
    std::string last = messages.empty() ? "" : messages.back();
    messages.clear();
    return last;
  }

  std::vector<std::string> messages;
};

}  // namespace app::testing
