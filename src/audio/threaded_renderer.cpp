#include "audio/threaded_renderer.h"

#include <algorithm>
#include <utility>

#include "avi/audio_stream.h"
#include "common/thread.h"

namespace audio {
namespace {

constexpr uint32_t kPlayPollMs = 10;

}  // namespace

bool ThreadedRenderer::SetStream(std::shared_ptr<avi::AudioStream> stream) {
  std::lock_guard<std::mutex> lock(control_);
  EndThread();
  position_.store(0, std::memory_order_relaxed);
  const riff::WaveFormat* format = stream ? stream->OutputFormat() : nullptr;
  if (!format || !Adopt(*format)) {
    stream_.reset();
    return true;
  }
  stream_ = std::move(stream);
  return false;
}

void ThreadedRenderer::SetNotification(RendererCallback callback, void* user) {
  std::lock_guard<std::mutex> lock(notifyLock_);
  callback_ = callback;
  user_ = user;
}

int32_t ThreadedRenderer::Seek(int32_t ms) {
  std::lock_guard<std::mutex> lock(control_);
  if (!stream_) return ms;
  const int32_t state = State();
  const bool playing = state == kRendererPlaying || state == kRendererPaused;
  if (playing) EndThread();
  const riff::WaveFormat& format = *stream_->OutputFormat();
  const int64_t position = ByteAt(std::max(ms, 0), format);
  position_.store(position, std::memory_order_relaxed);
  if (playing && static_cast<uint64_t>(position) <= stream_->TotalLength()) {
    StartThread();
    if (state == kRendererPaused) Pause();
  }
  return static_cast<int32_t>(position * 1000 / format.avgBytesPerSec);
}

void ThreadedRenderer::Pause() {
  requests_.fetch_or(kRequestPause, std::memory_order_relaxed);
  wake_.Set();
}

void ThreadedRenderer::Stop() {
  std::lock_guard<std::mutex> lock(control_);
  EndThread();
}

const riff::WaveFormat* ThreadedRenderer::OutputFormat() const {
  std::lock_guard<std::mutex> lock(control_);
  return stream_ ? stream_->OutputFormat() : nullptr;
}

int64_t ThreadedRenderer::ByteAt(int64_t ms, const riff::WaveFormat& format) {
  return ms * format.avgBytesPerSec / 1000 / format.blockAlign * format.blockAlign;
}

bool ThreadedRenderer::StartThread() {
  // A thread that ended by itself at the end of the data is still to be joined.
  if (thread_.joinable()) thread_.join();
  requests_.store(0, std::memory_order_relaxed);
  threadLive_.store(true, std::memory_order_relaxed);
  thread_ = common::StartThread(common::ThreadPriority::kHighest, [this] { Run(); });
  while (State() == kRendererStopped && threadLive_.load(std::memory_order_acquire)) {
    stateChanged_.Wait(kPlayPollMs);
  }
  // The failure has been notified; the renderer is stopped again for the next attempt.
  int32_t noDevice = kRendererNoDevice;
  return state_.compare_exchange_strong(noDevice, kRendererStopped, std::memory_order_acq_rel);
}

void ThreadedRenderer::EndThread() {
  if (!thread_.joinable()) return;
  requests_.fetch_or(kRequestStop, std::memory_order_relaxed);
  wake_.Set();
  thread_.join();
}

void ThreadedRenderer::Notify(int32_t code) {
  RendererCallback callback;
  void* user;
  {
    std::lock_guard<std::mutex> lock(notifyLock_);
    callback = callback_;
    user = user_;
  }
  if (callback) callback(code, user, 0);
}

void ThreadedRenderer::Publish(int32_t state) {
  state_.store(state, std::memory_order_release);
  stateChanged_.Set();
}

}  // namespace audio
