#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/threaded_renderer.h"
#include "common/playback_clock.h"
#include "platform/waveout/device.h"
#include "riff/wave_format_extensible.h"

namespace audio {

// Opens the sound output for a format; platform::waveout::OpenDevice unless a test gives its own.
using DeviceFactory = std::function<std::unique_ptr<platform::waveout::Device>(
    const riff::WaveFormat* format, platform::waveout::DoneCallback done)>;

// Plays a PCM stream through the waveout layer: a thread of its own keeps four one-second
// buffers queued at the device and re-bases the playback clock on the device's position about
// once a second.
class WaveOutRenderer final : public ThreadedRenderer {
 public:
  explicit WaveOutRenderer(common::PlaybackClock& clock,
                           DeviceFactory openDevice = platform::waveout::OpenDevice);
  ~WaveOutRenderer() override;
  WaveOutRenderer(const WaveOutRenderer&) = delete;
  WaveOutRenderer& operator=(const WaveOutRenderer&) = delete;

  int32_t Kind() const override { return kRendererWaveOut; }
  // Always false: a device that cannot be opened is notified instead.
  bool Play() override;
  int64_t DecodedPosition() const override;
  // The stream time being heard now, ms (the start position plus the device's play
  // position), or -1 while nothing plays. Any thread; for diagnostics.
  int32_t HeardPositionMs() const override;

 private:
  static constexpr int kBufferCount = 4;
  static constexpr int kRingSize = 5;

  // What one run of the thread plays through.
  struct Output {
    const riff::WaveFormat* source;
    riff::WaveFormatExtensible format;
    std::unique_ptr<platform::waveout::Device> device;
    std::vector<uint8_t> fetch;  // one second of wide samples, narrowed into the buffers
    std::array<std::vector<uint8_t>, kBufferCount> buffers;
  };

  // PCM the device layer plays (wide samples as their top 16 bits).
  bool Adopt(const riff::WaveFormat& format) override;
  void Run() override;
  // Prefills and plays until stopped or the data ends; false when the device went away.
  bool PlayOut(Output& output, int64_t startMs, uint64_t total);
  // Reads the next second of the stream into `buffer`, silence behind what the read gave;
  // returns the stream bytes read.
  uint32_t Fill(Output& output, std::vector<uint8_t>& buffer);
  // False when the device went away.
  bool DeviceMs(const Output& output, int64_t* ms) const;
  // After the device went away mid-play: the next play starts where the sound stopped.
  void KeepPlayedPosition(const Output& output, uint64_t total);

  common::PlaybackClock& clock_;
  const DeviceFactory openDevice_;

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
};

}  // namespace audio
