#pragma once

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/waveout/alsa_pcm.h"

namespace testsupport {

// A PCM that holds up to `capacity` frames and plays them only when the test says so, or at
// once while `instant`. What it played is kept, so a test sees every frame that was heard, in
// order.
class FakePcm final : public platform::waveout::Pcm {
 public:
  struct State {
    std::mutex mutex;
    size_t frameBytes = 0;
    long capacity = 0;
    std::vector<uint8_t> held;   // written, not yet heard
    std::vector<uint8_t> heard;  // in the order heard
    bool underrun = false;       // the PCM ran dry: its calls fail with -EPIPE until recovered
    int failure = 0;             // an error every call returns from now on
    bool instant = false;        // frames written are heard at once
    int recoveries = 0;
    int drops = 0;

    long HeldFrames() const { return static_cast<long>(held.size() / frameBytes); }
    // Plays up to `frames` held frames.
    void Play(long frames) {
      std::lock_guard<std::mutex> lock(mutex);
      const size_t bytes = std::min(held.size(), static_cast<size_t>(frames) * frameBytes);
      heard.insert(heard.end(), held.begin(), held.begin() + bytes);
      held.erase(held.begin(), held.begin() + bytes);
    }
    // Plays everything held, then runs dry.
    void Underrun() {
      Play(capacity);
      std::lock_guard<std::mutex> lock(mutex);
      underrun = true;
    }
    std::vector<uint8_t> Heard() {
      std::lock_guard<std::mutex> lock(mutex);
      return heard;
    }
  };

  FakePcm(size_t frameBytes, long capacity) : state_(std::make_shared<State>()) {
    state_->frameBytes = frameBytes;
    state_->capacity = capacity;
  }
  std::shared_ptr<State> GetState() const { return state_; }

  long Write(const uint8_t* data, unsigned long frames) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->failure) return state_->failure;
    if (state_->underrun) return -EPIPE;
    if (state_->instant) {
      state_->heard.insert(state_->heard.end(), data, data + frames * state_->frameBytes);
      return static_cast<long>(frames);
    }
    const long taken = std::min(static_cast<long>(frames), state_->capacity - state_->HeldFrames());
    if (taken == 0) return -EAGAIN;
    state_->held.insert(state_->held.end(), data, data + taken * state_->frameBytes);
    return taken;
  }
  int Delay(long* frames) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->failure) return state_->failure;
    if (state_->underrun) return -EPIPE;
    *frames = state_->HeldFrames();
    return 0;
  }
  int Recover(int error) override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    if (state_->failure) return state_->failure;
    state_->underrun = false;
    ++state_->recoveries;
    return 0;
  }
  void Drop() override {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->held.clear();
    ++state_->drops;
  }

 private:
  std::shared_ptr<State> state_;
};

}  // namespace testsupport
