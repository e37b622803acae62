#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "audio/audio_renderer.h"
#include "avi/audio_stream.h"

namespace testsupport {

// An audio renderer without a device: it plays by saying so, or fails to open its device the
// way a real one does (state 3 for a moment, then notification 2 from the playing side).
class FakeRenderer final : public audio::IAudioRenderer {
 public:
  struct Calls {
    std::atomic<int32_t> plays{0};
    std::atomic<int32_t> stops{0};
    std::atomic<int32_t> seeks{0};
    std::atomic<int32_t> lastSeekMs{-1};
  };

  FakeRenderer(Calls& calls, bool deviceWorks) : calls_(calls), deviceWorks_(deviceWorks) {}

  int32_t Kind() const override { return audio::kRendererWaveOut; }
  bool SetStream(std::shared_ptr<avi::AudioStream> stream) override {
    stream_ = std::move(stream);
    return false;
  }
  void SetNotification(audio::RendererCallback callback, void* user) override {
    callback_ = callback;
    user_ = user;
  }
  // Whole 10 ms steps only, as a device with large blocks would.
  int32_t Seek(int32_t ms) override {
    calls_.seeks.fetch_add(1);
    calls_.lastSeekMs.store(ms);
    return ms - ms % 10;
  }
  bool Play() override {
    calls_.plays.fetch_add(1);
    if (!deviceWorks_) {
      if (callback_ != nullptr) callback_(audio::kNotifyDeviceFailed, user_, 0);
      return false;
    }
    state_.store(audio::kRendererPlaying);
    return false;
  }
  void Pause() override {}
  void Stop() override {
    calls_.stops.fetch_add(1);
    state_.store(audio::kRendererStopped);
  }
  int32_t State() const override { return state_.load(); }
  int64_t DecodedPosition() const override { return 0; }
  const riff::WaveFormat* OutputFormat() const override {
    return stream_ ? stream_->OutputFormat() : nullptr;
  }
  int32_t HeardPositionMs() const override { return state_.load() == audio::kRendererPlaying ? 0 : -1; }

 private:
  Calls& calls_;
  const bool deviceWorks_;
  std::shared_ptr<avi::AudioStream> stream_;
  audio::RendererCallback callback_ = nullptr;
  void* user_ = nullptr;
  std::atomic<int32_t> state_{audio::kRendererStopped};
};

}  // namespace testsupport
