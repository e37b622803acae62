#pragma once

#include <cstdint>
#include <memory>

#include "riff/wave_format.h"

namespace avi {
class AudioStream;
}

namespace audio {

// Renderer kinds.
inline constexpr int32_t kRendererWaveOut = 2;
inline constexpr int32_t kRendererKs = 3;

// Renderer states.
inline constexpr int32_t kRendererStopped = 0;
inline constexpr int32_t kRendererPlaying = 1;
inline constexpr int32_t kRendererPaused = 2;
inline constexpr int32_t kRendererNoDevice = 3;

// Notification codes.
inline constexpr int32_t kNotifyStarted = 0;
inline constexpr int32_t kNotifyEnded = 1;
inline constexpr int32_t kNotifyDeviceFailed = 2;

// Called on the renderer's thread as callback(code, user, 0).
using RendererCallback = void (*)(int32_t code, void* user, intptr_t);

// Plays one audio stream on a sound device and, while it plays, sets the playback clock from
// the device position, so that the video follows the sound.
class IAudioRenderer {
 public:
  virtual ~IAudioRenderer() = default;

  virtual int32_t Kind() const = 0;
  // True when the stream was refused: its output is not PCM (the caller then inserts a
  // decoder and calls again), or the renderer's thread could not be stopped.
  virtual bool SetStream(std::shared_ptr<avi::AudioStream> stream) = 0;
  virtual void SetNotification(RendererCallback callback, void* user) = 0;
  // Moves the start of the next play to `ms`; returns the milliseconds actually used.
  virtual int32_t Seek(int32_t ms) = 0;
  // Starts or resumes; true on failure.
  virtual bool Play() = 0;
  virtual void Pause() = 0;
  // Ends the renderer's thread and waits for it.
  virtual void Stop() = 0;
  virtual int32_t State() const = 0;
  // Bytes of the stream's output decoded so far (the start position while stopped).
  virtual int64_t DecodedPosition() const = 0;
  // The stream's output format, or null without a stream.
  virtual const riff::WaveFormat* OutputFormat() const = 0;
  // The stream time being heard now, ms (the start position plus the device's play position),
  // or -1 while nothing plays. Any thread; for diagnostics.
  virtual int32_t HeardPositionMs() const = 0;
};

}  // namespace audio
