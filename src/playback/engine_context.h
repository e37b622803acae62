#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "audio/audio_renderer.h"
#include "avi/movie.h"
#include "common/lock.h"
#include "common/playback_clock.h"
#include "common/settings.h"
#include "common/tick_source.h"
#include "playback/display_objects.h"
#include "playback/frame_ring.h"
#include "playback/frame_timing.h"
#include "playback/overlay.h"
#include "playback/playback_state.h"
#include "playback/presentation_state.h"
#include "playback/stats_dump.h"
#include "playback/window_host.h"
#include "video/vcm_decoder.h"

namespace scale {
class NormalQualityConverter;
}
namespace Media {
class LanczosResizerH8_8;
}

namespace playback {

// Makes an audio renderer of a kind (waveOut or kernel streaming) driving the clock; none when
// that kind cannot be had here.
using RendererFactory =
    std::function<std::unique_ptr<audio::IAudioRenderer>(int32_t kind, common::PlaybackClock&)>;

// The program-wide objects the engine works with, made and owned by the shell.
struct EngineServices {
  common::Settings& settings;
  common::PlaybackClock& clock;
  const common::TickSource& ticks;
  DisplayObjects& display;
  Media::LanczosResizerH8_8& presentationResizer;
  scale::NormalQualityConverter* frameProcessor;
  common::Lock* frameProcessorLock;
  WindowHost& window;
  int processorCount = 1;
  // Makes the audio renderer of each playback; none plays the video on the free-running clock.
  RendererFactory rendererFactory;
  Overlay* overlay = nullptr;
  StatsDump* statsDump = nullptr;
};

// The loaded file: replaced by each open, on the user-interface thread, while nothing plays.
struct LoadedFile {
  std::unique_ptr<avi::Movie> movie;
  std::unique_ptr<video::VCMDecoder> decoder;
  // The decoder's output size, set with the surfaces while presentation is suspended.
  std::atomic<int32_t> outputWidth{0};
  std::atomic<int32_t> outputHeight{0};
  // Frames per second = rate / scale of the video stream.
  uint32_t rate = 0;
  uint32_t scale = 1;
  bool fieldPictures = false;
  FrameTiming Timing() const { return {rate, scale, fieldPictures}; }
  // Pictures the decoder reported, for the tone curve's update every fourth.
  uint32_t pictureEvents = 0;
};

// Everything the engine's threads share: the services and the three state records.
struct EngineContext {
  explicit EngineContext(const EngineServices& s) : services(s) {}

  EngineServices services;
  PresentationState presentation;
  FrameRing ring;
  PlaybackState playback;
  LoadedFile file;

  // The control thread's renderer, reachable from the presentation thread for the dump.
  mutable std::mutex rendererMutex;
  audio::IAudioRenderer* renderer = nullptr;

  int64_t Ticks() const { return services.ticks.Counter(); }
  int32_t MillisecondsSince(int64_t start) const {
    return static_cast<int32_t>(services.ticks.Milliseconds(start, Ticks()));
  }
  // Whole seconds and the rest apart, so that a counter of days in nanoseconds cannot overflow.
  int64_t Microseconds(int64_t ticks) const {
    const int64_t frequency = services.ticks.Frequency();
    return ticks / frequency * 1000000 + ticks % frequency * 1000000 / frequency;
  }
};

}  // namespace playback
