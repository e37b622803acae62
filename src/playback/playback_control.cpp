#include "playback/playback_control.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <system_error>

#include "audio/audio_decoder.h"
#include "avi/audio_stream.h"
#include "common/thread.h"

namespace playback {

namespace {

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

constexpr int32_t kBothEnded = kVideoEnded | kAudioEnded;

// How long to sleep before a frame is due: until then, but never so long that a seek, a clock
// re-base or the end goes unnoticed.
int32_t UntilDue(int32_t stamp, uint32_t due) {
  constexpr uint32_t kLongestWaitMs = 8;
  return static_cast<int32_t>(std::clamp<uint32_t>(uint32_t(stamp) - due, 1, kLongestWaitMs));
}

}  // namespace

PlaybackControl::PlaybackControl(EngineContext& context, Presenter& presenter)
    : c_(context), presenter_(presenter), decoder_(context) {}

PlaybackControl::~PlaybackControl() { Stop(); }

void PlaybackControl::Play() {
  if (running_.load(std::memory_order_acquire)) return;
  if (thread_.joinable()) thread_.join();  // the last playback ended by itself
  c_.playback.previousShown.store(c_.playback.framesShown.load(std::memory_order_relaxed),
                                  std::memory_order_relaxed);
  running_.store(true, std::memory_order_release);
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    running_.store(false, std::memory_order_release);
  }
}

void PlaybackControl::Stop() {
  if (running_.load(std::memory_order_acquire)) {
    c_.playback.endFlags.fetch_or(kBothEnded);
    while (running_.load(std::memory_order_acquire)) Sleep(10);
  }
  while (c_.playback.decodeThreadAlive.load(std::memory_order_acquire)) Sleep(10);
  if (thread_.joinable()) thread_.join();
}

void PlaybackControl::OnRendererNotice(int32_t code, void* user, intptr_t) {
  if (code == audio::kNotifyDeviceFailed) {
    static_cast<PlaybackControl*>(user)->failuresReported_.fetch_add(1, std::memory_order_relaxed);
  }
}

void PlaybackControl::OpenAudio() {
  const RendererFactory& factory = c_.services.rendererFactory;
  if (!factory) return;
  // Direct output only when the user asked for it by hand.
  const bool direct = c_.services.settings.useWaveOut == 0;
  renderer_ = factory(direct ? audio::kRendererKs : audio::kRendererWaveOut, c_.services.clock);
  if (renderer_ == nullptr) return;
  const avi::Movie* movie = c_.file.movie.get();
  if (movie != nullptr && movie->audioStreams.Count() > 0) {
    stream_ = movie->audioStreams.Owned(0);
    if (renderer_->SetStream(stream_)) {
      decoderAttached_ = stream_->AddStage(std::make_unique<audio::AudioDecoder>(*stream_)) == 0;
      renderer_->SetStream(stream_);
    }
    renderer_->SetNotification(&PlaybackControl::OnRendererNotice, this);
    if (renderer_->Play()) {
      c_.services.window.ShowMessage("Cannot use KS, use Waveout", "Error");
      // The failure it notified was its own device's, not one for the new renderer to retry.
      failuresReported_.store(0, std::memory_order_relaxed);
      renderer_ = factory(audio::kRendererWaveOut, c_.services.clock);
      if (renderer_ != nullptr) {
        renderer_->SetNotification(&PlaybackControl::OnRendererNotice, this);
        renderer_->SetStream(stream_);
        renderer_->Play();
      }
    }
    c_.playback.audioDelay.store(stream_->Delay(), std::memory_order_relaxed);
  } else {
    c_.playback.audioDelay.store(0, std::memory_order_relaxed);
  }
  std::lock_guard lock(c_.rendererMutex);
  c_.renderer = renderer_.get();
}

void PlaybackControl::RetryAudioIfAsked() {
  if (retryRunning_.load(std::memory_order_acquire) || renderer_ == nullptr) return;
  if (retryThread_.joinable()) retryThread_.join();
  if (failuresReported_.load(std::memory_order_relaxed) <= retriesMade_) return;
  if (retriesMade_ == kAudioRetries) {
    ++retriesMade_;
    std::fprintf(stderr, "vistrel: No sound device\n");
    if (c_.services.overlay != nullptr) c_.services.overlay->ShowMessage(std::string("No sound device"));
    return;
  }
  if (retriesMade_ > kAudioRetries) return;
  ++retriesMade_;
  retryRunning_.store(true, std::memory_order_release);
  try {
    retryThread_ = std::thread([this] {
      std::lock_guard retry(c_.rendererMutex);
      renderer_->Stop();
      renderer_->Play();
      retryRunning_.store(false, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    retryRunning_.store(false, std::memory_order_release);
  }
}

void PlaybackControl::CloseAudio() {
  if (retryThread_.joinable()) retryThread_.join();
  {
    std::lock_guard lock(c_.rendererMutex);
    c_.renderer = nullptr;
  }
  if (renderer_ != nullptr) renderer_->Stop();
  renderer_.reset();
  if (decoderAttached_ && stream_ != nullptr) stream_->RemoveLastStage();
  decoderAttached_ = false;
  stream_.reset();
  failuresReported_.store(0, std::memory_order_relaxed);
  retriesMade_ = 0;
}

void PlaybackControl::EmptyRing() {
  FrameRing& ring = c_.ring;
  std::lock_guard lock(ring.lock);
  for (FrameSlot& slot : ring.frameSlots) slot.notReady = true;
  ring.singleNotReady = true;
  ring.decodedCount.store(0, std::memory_order_relaxed);
  ring.ringFull.store(0, std::memory_order_relaxed);
  c_.playback.playbackTime.store(0, std::memory_order_relaxed);
}

void PlaybackControl::UpdateStatistics() {
  PlaybackState& playback = c_.playback;
  const uint32_t now = c_.services.clock.Now();
  const uint32_t elapsed = now - playback.lastStatisticsTime.load(std::memory_order_relaxed);
  if (elapsed <= 1000) return;
  const int32_t shown = playback.framesShown.load(std::memory_order_relaxed);
  playback.fps.store((shown - playback.previousShown.load(std::memory_order_relaxed)) * 1000.0 / elapsed,
                     std::memory_order_relaxed);
  playback.previousShown.store(shown, std::memory_order_relaxed);
  const platform::system::ProcessTimes times = platform::system::GetProcessTimes();
  const double processors = c_.services.processorCount > 0 ? c_.services.processorCount : 1;
  playback.kernelLoad.store((times.kernel - baseline_.kernel) * 0.01 / elapsed / processors,
                            std::memory_order_relaxed);
  playback.userLoad.store((times.user - baseline_.user) * 0.01 / elapsed / processors,
                          std::memory_order_relaxed);
  baseline_ = times;
  playback.lastStatisticsTime.store(now, std::memory_order_relaxed);
  if (c_.services.statsDump != nullptr) {
    int32_t ready = 0;
    int32_t busy = 0;
    {
      std::lock_guard lock(c_.ring.lock);
      for (const FrameSlot& slot : c_.ring.frameSlots) {
        ready += !slot.notReady && !slot.busy;
        busy += slot.busy;
      }
    }
    c_.services.statsDump->Second(playback.fps.load(std::memory_order_relaxed),
                                  playback.userLoad.load(std::memory_order_relaxed),
                                  playback.kernelLoad.load(std::memory_order_relaxed), ready, busy);
  }
}

int32_t PlaybackControl::PresentDueFrame(int32_t playbackTime) {
  FrameRing& ring = c_.ring;
  const uint32_t due =
      uint32_t(playbackTime) + uint32_t(c_.presentation.presentationDelay.load(std::memory_order_relaxed));
  int candidate = -1;
  int32_t stamp = 0;
  bool candidateBusy = false;
  {
    std::lock_guard lock(ring.lock);
    if (ring.mode.load(std::memory_order_relaxed) == RingMode::kSingleBuffer) {
      if (ring.singleNotReady) return 1;
      if (uint32_t(ring.singleStamp) > due) return UntilDue(ring.singleStamp, due);
      candidate = 0;
      stamp = ring.singleStamp;
    } else {
      for (int i = kFrameSlots - 1; i >= 0; --i) {
        const FrameSlot& slot = ring.frameSlots[size_t(i)];
        if (candidate < 0) {
          if (!slot.notReady) {
            candidate = i;
            stamp = slot.stamp;
          }
        } else if ((!slot.notReady || slot.busy) && slot.stamp < stamp) {
          candidate = i;
          stamp = slot.stamp;
          candidateBusy = slot.busy;
        }
      }
      if (candidate < 0 || candidateBusy) return 1;
      if (uint32_t(stamp) > due) return UntilDue(stamp, due);
    }
  }
  presenter_.Request(candidate, playbackTime - stamp, stamp);
  return 0;
}

void PlaybackControl::Run() {
  platform::system::SetCurrentThreadName("vistrel-control");
  PlaybackState& playback = c_.playback;
  OpenAudio();
  playback.playing.store(1, std::memory_order_release);
  c_.services.clock.Start(0);
  baseline_ = platform::system::GetProcessTimes();
  playback.lastStatisticsTime.store(c_.services.clock.Now(), std::memory_order_relaxed);
  EmptyRing();

  std::thread decodeThread;
  playback.decodeThreadAlive.store(true, std::memory_order_release);
  try {
    decodeThread = std::thread([this] { decoder_.Run(); });
  } catch (const std::system_error&) {
    playback.decodeThreadAlive.store(false, std::memory_order_release);
    playback.endFlags.fetch_or(kVideoEnded);
  }
  platform::system::SetCurrentThreadPriority(platform::system::ThreadPriority::kHighest);

  const common::Settings& settings = c_.services.settings;
  PresentationState& presentation = c_.presentation;
  while ((playback.endFlags.load() & kBothEnded) != kBothEnded) {
    if (playback.seeking.load(std::memory_order_acquire) != 0) {
      Sleep(1);
      continue;
    }
    UpdateStatistics();
    RetryAudioIfAsked();
    if (renderer_ == nullptr || renderer_->State() == audio::kRendererStopped) {
      playback.endFlags.fetch_or(kAudioEnded);
    }
    int64_t time = int64_t{c_.services.clock.Now()} + settings.avSync +
                   playback.audioDelay.load(std::memory_order_relaxed);
    const int32_t playbackTime = time < 0 ? 0 : time > INT32_MAX ? INT32_MAX : static_cast<int32_t>(time);
    playback.playbackTime.store(playbackTime, std::memory_order_relaxed);
    if ((presentation.presentRequest.load(std::memory_order_acquire) & kRequestPresent) != 0) {
      presentation.presentDoneEvent.Wait(100);
      continue;
    }
    const int32_t wait = presentation.windowState.load(std::memory_order_relaxed) == kWindowHidden
                             ? 1
                             : PresentDueFrame(playbackTime);
    if (wait > 0) Sleep(wait);
  }

  if (decodeThread.joinable()) decodeThread.join();
  CloseAudio();
  if (c_.services.overlay != nullptr) c_.services.overlay->ClearDeadline();
  c_.services.clock.Stop();
  playback.endFlags.store(0);
  playback.playing.store(0, std::memory_order_release);
  running_.store(false, std::memory_order_release);
}

void PlaybackControl::Seek(int32_t ms) {
  PlaybackState& playback = c_.playback;
  FrameRing& ring = c_.ring;
  playback.seeking.store(1, std::memory_order_release);
  // The pass under way and the conversion under way would fill the ring with frames of before.
  std::lock_guard pass(ring.passMutex);
  while (ring.workerState.load() == kWorkerPosted) Sleep(1);
  {
    std::lock_guard lock(c_.rendererMutex);
    if (c_.renderer != nullptr) {
      playback.endFlags.fetch_and(~kAudioEnded);
      ms = c_.renderer->Seek(ms);
    }
  }
  common::PlaybackClock& clock = c_.services.clock;
  clock.Start(ms);
  playback.previousShown.store(playback.framesShown.load(std::memory_order_relaxed),
                               std::memory_order_relaxed);
  playback.lastStatisticsTime.store(clock.Now(), std::memory_order_relaxed);
  playback.playbackTime.store(static_cast<int32_t>(clock.Now()), std::memory_order_relaxed);
  {
    std::lock_guard lock(ring.lock);
    PresentationState& p = c_.presentation;
    p.delays.fill(0);
    p.delaySum = 0;
    p.presentationDelay.store(0, std::memory_order_relaxed);
    for (FrameSlot& slot : ring.frameSlots) {
      slot.notReady = true;
      slot.busy = false;
      slot.stamp = ms;
    }
    ring.singleNotReady = true;
    ring.decodedCount.store(0, std::memory_order_relaxed);
    ring.ringFull.store(0, std::memory_order_relaxed);
  }
  playback.seeks.fetch_add(1, std::memory_order_relaxed);
  playback.seeking.store(0, std::memory_order_release);
}

void PlaybackControl::Resynchronise() {
  std::lock_guard lock(c_.rendererMutex);
  audio::IAudioRenderer* renderer = c_.renderer;
  if (renderer == nullptr) return;
  // A stopped renderer forgets where it was, so the place being heard is taken first and the
  // sound started again from there.
  const int32_t heard = renderer->HeardPositionMs();
  if (heard < 0) return;
  const int32_t ms = renderer->Seek(heard);
  c_.services.clock.Start(ms);
  PlaybackState& playback = c_.playback;
  playback.previousShown.store(playback.framesShown.load(std::memory_order_relaxed),
                               std::memory_order_relaxed);
  playback.lastStatisticsTime.store(c_.services.clock.Now(), std::memory_order_relaxed);
}

}  // namespace playback
