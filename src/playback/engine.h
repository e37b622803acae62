#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <variant>

#include "playback/conversion_worker.h"
#include "playback/display_modes.h"
#include "playback/engine_context.h"
#include "playback/file_name.h"
#include "playback/file_opener.h"
#include "playback/playback_control.h"
#include "playback/presenter.h"

namespace playback {

// The playback engine as the shell sees it: opening files, the long-lived presentation and
// conversion threads, playback control, seeking, chapters and the display modes. Everything here
// is called on the user-interface thread.
class Engine {
 public:
  explicit Engine(const EngineServices& services);
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // Start-up: windowed operation, which creates the surfaces.
  void EnterWindowedMode();
  // Start-up: the conversion worker and the presentation thread. Shut-down: both stopped by
  // their handshakes.
  void StartThreads();
  void StopThreads();

  void Open(const FileName& name);
  // An open is under way: the window's events reach the shell from inside it.
  bool Opening() const { return opener_.Opening(); }
  void Play() { control_.Play(); }
  // Also cancels an open under way.
  void Stop() {
    opener_.Cancel();
    control_.Stop();
  }
  // Seeks to the clock's time plus `deltaMs`, not below 0.
  void SeekBy(int32_t deltaMs);
  void Seek(int32_t ms) { control_.Seek(ms); }
  void Resynchronise() { control_.Resynchronise(); }
  // The message of a chapter jump: narrow, or wide for a UTF-16 title.
  using ChapterMessage = std::variant<std::string, std::u16string>;
  // Jumps to the next or previous chapter; the message to show, or none when nothing happened.
  std::optional<ChapterMessage> NextChapter();
  std::optional<ChapterMessage> PreviousChapter();

  // Full screen on or off; while stopped, the current picture is shown again in the new mode.
  void SetFullScreen(bool fullScreen);
  bool IsFullScreen() const { return context_.presentation.fullScreen.load(std::memory_order_relaxed) != 0; }

  void SetWindowState(int32_t state) {
    context_.presentation.windowState.store(state, std::memory_order_relaxed);
  }
  // A repaint of the picture area.
  void RequestClear() { presenter_.RequestClear(); }
  bool PresentationPending() const {
    return (context_.presentation.presentRequest.load(std::memory_order_acquire) & kRequestPresent) != 0;
  }

  bool HasDecoder() const { return context_.file.decoder != nullptr; }
  // The decoder's output size, or 0 × 0.
  std::array<int32_t, 2> OutputSize() const;
  int32_t AudioDelay() const { return context_.playback.audioDelay.load(std::memory_order_relaxed); }
  // Wake-ups by event, by time-out, all waits, requests.
  std::array<int32_t, 4> PresentationCounters() const;

  void SetOverlay(Overlay* overlay) { context_.services.overlay = overlay; }
  EngineContext& Context() { return context_; }

 private:
  // The chapter a jump goes to, from the frame showing now.
  using ChapterChoice = std::optional<size_t> (*)(const avi::ChapterTable& table, uint32_t frame);
  std::optional<ChapterMessage> JumpToChapter(ChapterChoice choose);

  EngineContext context_;
  Presenter presenter_;
  DisplayModes modes_;
  PlaybackControl control_;
  FileOpener opener_;
  ConversionWorker worker_;
  std::thread presentationThread_;
  std::thread workerThread_;
};

}  // namespace playback
