#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/audio_renderer.h"
#include "common/event.h"

namespace audio {

// What the renderers share: a thread of their own plays the stream from a byte position;
// callers' requests reach it as flags it polls, and it publishes its state back. The
// notification callback runs on that thread and must not call back into the renderer; each
// notification is made before the state it goes with is published.
class ThreadedRenderer : public IAudioRenderer {
 public:
  ThreadedRenderer(const ThreadedRenderer&) = delete;
  ThreadedRenderer& operator=(const ThreadedRenderer&) = delete;

  bool SetStream(std::shared_ptr<avi::AudioStream> stream) override;
  void SetNotification(RendererCallback callback, void* user) override;
  // Without a stream returns `ms`; else the next play starts at the whole block at `ms`, and a
  // renderer that plays starts again there (paused, when it was paused).
  int32_t Seek(int32_t ms) override;
  void Pause() override;
  void Stop() override;
  int32_t State() const override { return state_.load(std::memory_order_acquire); }
  const riff::WaveFormat* OutputFormat() const override;

 protected:
  static constexpr int32_t kRequestResume = 1;
  static constexpr int32_t kRequestPause = 2;
  static constexpr int32_t kRequestStop = 4;

  ThreadedRenderer() = default;
  // The owner ends the thread in its own destructor, while what Run uses still exists.
  ~ThreadedRenderer() override = default;

  // Prepares for a stream whose output is `format`; false refuses it. With control_ held.
  virtual bool Adopt(const riff::WaveFormat& format) = 0;
  // The renderer thread: plays stream_ from position_ until asked to stop or the data ends,
  // publishing its states; ends with the state stopped, or kRendererNoDevice when it could not
  // start.
  virtual void Run() = 0;

  // With control_ held. Starts the thread and waits until it has published a state or ended;
  // true when it could not start, after which the renderer is stopped again.
  bool StartThread();
  void EndThread();

  // The renderer thread's side.
  void Notify(int32_t code);
  void Publish(int32_t state);
  // Marks the thread's last work done, so that StartThread stops waiting for a state.
  void Finished() { threadLive_.store(false, std::memory_order_release); }
  // Answers a resume or pause request among `requests`: `hold(false)` resumes the device from a
  // pause, `hold(true)` holds it while playing, and the state follows. False when there was
  // neither request.
  template <typename Hold>
  bool AnswerPauseOrResume(int32_t requests, Hold hold) {
    const bool resume = (requests & kRequestResume) != 0;
    if (!resume && (requests & kRequestPause) == 0) return false;
    if (State() == (resume ? kRendererPaused : kRendererPlaying)) {
      hold(!resume);
      Publish(resume ? kRendererPlaying : kRendererPaused);
    }
    // Only the pause and resume bits are acknowledged, so a stop asked for meanwhile stays.
    requests_.fetch_and(~(kRequestResume | kRequestPause), std::memory_order_relaxed);
    return true;
  }

  // The stream byte at `ms`, rounded down to a whole block.
  static int64_t ByteAt(int64_t ms, const riff::WaveFormat& format);

  // Serialises the callers' Play, Stop, Seek and SetStream, which start and end the thread,
  // and guards stream_.
  mutable std::mutex control_;
  std::shared_ptr<avi::AudioStream> stream_;
  // kRequest* bits; relaxed: they carry no data, the thread acts on them alone.
  std::atomic<int32_t> requests_{0};
  // Wakes the thread's poll early when a request arrives.
  common::Event wake_;
  // Stream byte of the next fetch; the start of the next play while stopped.
  std::atomic<int64_t> position_{0};

 private:
  std::thread thread_;
  // Release and acquire: a state seen publishes the position written before it.
  std::atomic<int32_t> state_{kRendererStopped};
  std::atomic<bool> threadLive_{false};
  common::Event stateChanged_;

  mutable std::mutex notifyLock_;
  RendererCallback callback_ = nullptr;
  void* user_ = nullptr;
};

}  // namespace audio
