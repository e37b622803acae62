#include "platform/waveout/queued_device.h"

#include <chrono>
#include <utility>

#include "platform/system/system.h"
#include "platform/waveout/position.h"

namespace platform::waveout {
namespace {

// Short beside the sinks' buffering, so that the output never runs dry between two feeds.
constexpr std::chrono::milliseconds kFeedInterval{10};

}  // namespace

QueuedDevice::QueuedDevice(const PcmLayout& layout, std::unique_ptr<Sink> sink, DoneCallback done)
    : layout_(layout), sink_(std::move(sink)), done_(std::move(done)), queue_(layout.blockAlign) {
  thread_ = std::thread([this] {
    system::SetCurrentThreadPriority(system::ThreadPriority::kHighest);
    Run();
  });
}

QueuedDevice::~QueuedDevice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

bool QueuedDevice::Write(const uint8_t* data, uint32_t bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (failed_) return false;
  queue_.Add(data, bytes);
  Kick();
  return true;
}

void QueuedDevice::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (paused_) return;
  Advance();
  if (!failed_) sink_->Hold(played_);
  paused_ = true;
}

void QueuedDevice::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!paused_) return;
  paused_ = false;
  if (!failed_) sink_->Resume(played_);
  Kick();
}

void QueuedDevice::Reset() {
  std::unique_lock<std::mutex> lock(mutex_);
  sink_->Drop();
  unreported_ += queue_.Clear();
  played_ = 0;
  Kick();
  reported_.wait(lock, [this] { return unreported_ == 0; });
}

bool QueuedDevice::GetPosition(TimeKind wanted, Position* position) {
  std::lock_guard<std::mutex> lock(mutex_);
  Advance();
  if (failed_) return false;
  *position = PositionOf(played_, layout_, wanted);
  return true;
}

void QueuedDevice::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    Advance();
    unreported_ += queue_.Retire(played_);
    if (unreported_ > 0) {
      // Reported without the lock, so that the callback may call back into the device.
      const uint32_t count = unreported_;
      lock.unlock();
      for (uint32_t i = 0; i < count; ++i) done_();
      lock.lock();
      unreported_ -= count;
      reported_.notify_all();
      continue;
    }
    wake_.wait_for(lock, kFeedInterval, [this] { return quit_ || kicked_; });
    kicked_ = false;
  }
}

void QueuedDevice::Advance() {
  if (!failed_ && !sink_->Advance(queue_, !paused_, &played_)) failed_ = true;
}

void QueuedDevice::Kick() {
  kicked_ = true;
  wake_.notify_one();
}

}  // namespace platform::waveout
