#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/lock.h"
#include "common/playback_clock.h"
#include "common/settings.h"
#include "platform/display/memory_backend.h"
#include "playback/engine.h"
#include "scale/lanczos_resizer.h"
#include "scale/normal_quality_converter.h"
#include "support/fake_renderer.h"
#include "support/manual_ticks.h"
#include "support/recording_window_host.h"
#include "support/wait_until.h"

namespace testsupport {

// The playback engine over the memory display, a clock the test moves, its own settings and a
// statistics dump it can read back.
class EngineHarness {
 public:
  struct Options {
    platform::display::MemoryBackend::Options display;
    // Renderers are fakes; none means the video plays on the free-running clock.
    bool renderer = false;
    bool deviceWorks = true;
    // When set, makes the renderers instead.
    playback::RendererFactory rendererFactory;
  };

  EngineHarness() : EngineHarness(Options{}) {}
  explicit EngineHarness(const Options& options);
  ~EngineHarness();

  playback::Engine& Engine() { return *engine_; }
  playback::EngineContext& Context() { return engine_->Context(); }
  platform::display::MemoryBackend& Display() { return *backend_; }
  RecordingWindowHost& Host() { return *host_; }

  void Open(const std::string& path);
  // Waits (in real time, bounded) until `done` holds; false when it never did.
  static bool WaitFor(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(20));
  // The statistics dump's lines of one kind ("frame", "dropped", "second"), each split in fields.
  std::vector<std::vector<std::string>> DumpLines(const std::string& kind) const;
  // Time stamps of the presented frames, in order.
  std::vector<int32_t> PresentedStamps() const;

  common::Settings settings;
  ManualTicks ticks;
  common::PlaybackClock clock{ticks};
  FakeRenderer::Calls rendererCalls;

 private:
  std::shared_ptr<platform::display::MemoryBackend> backend_;
  playback::DisplayObjects display_;
  Media::LanczosResizerH8_8 resizer_{3};
  scale::NormalQualityConverter frameProcessor_;
  common::Lock frameProcessorLock_;
  std::unique_ptr<RecordingWindowHost> host_;
  std::string dumpPath_;
  std::unique_ptr<playback::StatsDump> dump_;
  std::unique_ptr<playback::Engine> engine_;
};

}  // namespace testsupport
