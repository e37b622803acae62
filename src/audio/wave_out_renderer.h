#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/audio_renderer.h"
#include "common/event.h"
#include "common/playback_clock.h"
#include "platform/waveout/device.h"
#include "platform/waveout/wave_format_extensible.h"

namespace audio {

// Opens the sound output for a format; platform::waveout::OpenDevice unless a test gives its own.
using DeviceFactory = std::function<std::unique_ptr<platform::waveout::Device>(
    const avi::WaveFormat* format, platform::waveout::DoneCallback done)>;

// Plays a PCM stream through the waveout layer: a thread of its own keeps four one-second
// buffers queued at the device and re-bases the playback clock on the device's position about
// once a second. The notification callback runs on that thread and must not call back into
// the renderer; each notification is made before the state it goes with is published.
class WaveOutRenderer final : public IAudioRenderer {
 public:
  explicit WaveOutRenderer(common::PlaybackClock& clock,
                           DeviceFactory openDevice = platform::waveout::OpenDevice);
  ~WaveOutRenderer() override;
  WaveOutRenderer(const WaveOutRenderer&) = delete;
  WaveOutRenderer& operator=(const WaveOutRenderer&) = delete;

  int32_t Kind() const override { return kRendererWaveOut; }
  bool SetStream(std::shared_ptr<avi::AudioStream> stream) override;
  void SetNotification(RendererCallback callback, void* user) override;
  int32_t Seek(int32_t ms) override;
  bool Play() override;
  void Pause() override;
  void Stop() override;
  int32_t State() const override { return state_.load(std::memory_order_acquire); }
  int64_t DecodedPosition() const override;
  const avi::WaveFormat* OutputFormat() const override;
  // The stream time being heard now, ms (the start position plus the device's play
  // position), or -1 while nothing plays. Any thread; for diagnostics.
  int32_t HeardPositionMs() const override;

 private:
  static constexpr int kBufferCount = 4;
  static constexpr int kRingSize = 5;
  static constexpr int32_t kRequestResume = 1;
  static constexpr int32_t kRequestPause = 2;
  static constexpr int32_t kRequestStop = 4;

  // What one run of the thread plays through.
  struct Output {
    const avi::WaveFormat* source;
    platform::waveout::WaveFormatExtensible format;
    std::unique_ptr<platform::waveout::Device> device;
    std::vector<uint8_t> fetch;  // one second of wide samples, narrowed into the buffers
    std::array<std::vector<uint8_t>, kBufferCount> buffers;
  };

  // The stream byte at `ms`, rounded down to a whole block.
  static int64_t ByteAt(int64_t ms, const avi::WaveFormat& format);

  // With control_ held.
  void StartThread();
  void EndThread();

  // The renderer thread.
  void Run();
  // Prefills and plays until stopped or the data ends; false when the device went away.
  bool PlayOut(Output& output, int64_t startMs, uint64_t total);
  // Reads the next second of the stream into `buffer`, silence behind what the read gave;
  // returns the stream bytes read.
  uint32_t Fill(Output& output, std::vector<uint8_t>& buffer);
  // False when the device went away.
  bool DeviceMs(const Output& output, int64_t* ms) const;
  // After the device went away mid-play: the next play starts where the sound stopped.
  void KeepPlayedPosition(const Output& output, uint64_t total);
  void Notify(int32_t code);
  void Publish(int32_t state);

  common::PlaybackClock& clock_;
  const DeviceFactory openDevice_;

  // Serialises the callers' Play, Stop, Seek and SetStream, which start and end the thread,
  // and guards stream_.
  mutable std::mutex control_;
  std::thread thread_;
  std::shared_ptr<avi::AudioStream> stream_;

  // Release and acquire: a state seen publishes the position written before it.
  std::atomic<int32_t> state_{kRendererStopped};
  // Set by the thread when it has done its last work; lets Play stop waiting for a state.
  std::atomic<bool> threadLive_{false};
  common::Event stateChanged_;
  // Wakes the thread's poll early when a request arrives.
  common::Event wake_;
  // kRequest* bits; relaxed: they carry no data, the thread acts on them alone.
  std::atomic<int32_t> requests_{0};
  // Stream byte of the next fetch; the start of the next play while stopped.
  std::atomic<int64_t> position_{0};
  // Buffers the device has finished with. Release by the device and acquire by the thread:
  // a buffer counted here is no longer read, so refilling it cannot race the device.
  std::atomic<int32_t> returned_{0};
  std::array<std::atomic<int64_t>, kRingSize> decoded_{};
  // Release and acquire: the entry behind a published index is complete.
  std::atomic<int32_t> decodedIndex_{0};

  // The output while it plays and its start less the device's position then, for
  // HeardPositionMs.
  mutable std::mutex heardLock_;
  const Output* heard_ = nullptr;
  int64_t heardBaseMs_ = 0;

  mutable std::mutex notifyLock_;
  RendererCallback callback_ = nullptr;
  void* user_ = nullptr;
};

}  // namespace audio
