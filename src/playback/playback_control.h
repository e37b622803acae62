#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/system/system.h"
#include "playback/engine_context.h"
#include "playback/presenter.h"
#include "playback/video_decode_thread.h"

namespace playback {

// The time base of playback and the thread that drives it: opens the sound, starts the decoding
// thread, and loops choosing the frame that is due and handing it to presentation. Play, Stop,
// Seek and Resynchronise are called on the user-interface thread.
class PlaybackControl {
 public:
  // A device that cannot be opened is tried again this many times, then the video plays alone.
  static constexpr int kAudioRetries = 2;

  PlaybackControl(EngineContext& context, Presenter& presenter);
  ~PlaybackControl();
  PlaybackControl(const PlaybackControl&) = delete;
  PlaybackControl& operator=(const PlaybackControl&) = delete;

  // Starts the control thread unless it runs.
  void Play();
  // Ends playback and waits until the control and decoding threads are gone.
  void Stop();
  // Moves playback to `ms` (what the sound can use); also while stopped, where it sets the clock.
  void Seek(int32_t ms);
  // Starts the sound again from the place being heard and sets the clock there.
  void Resynchronise();
  bool Running() const { return running_.load(std::memory_order_acquire); }

 private:
  void Run();
  void OpenAudio();
  void CloseAudio();
  void EmptyRing();
  void UpdateStatistics();
  // One pass's frame choice: 0 when a frame was presented, else the milliseconds to sleep.
  int32_t PresentDueFrame(int32_t playbackTime);
  void RetryAudioIfAsked();
  static void OnRendererNotice(int32_t code, void* user, intptr_t);

  EngineContext& c_;
  Presenter& presenter_;
  VideoDecodeThread decoder_;
  std::thread thread_;
  // True from Play until the control thread has torn everything down.
  std::atomic<bool> running_{false};

  // The control thread's own while it runs.
  std::unique_ptr<audio::IAudioRenderer> renderer_;
  std::shared_ptr<avi::AudioStream> stream_;
  bool decoderAttached_ = false;
  platform::system::ProcessTimes baseline_;

  // Device failures reported by the renderer's thread, and the retries made for them.
  std::atomic<int32_t> failuresReported_{0};
  int32_t retriesMade_ = 0;
  std::thread retryThread_;
  std::atomic<bool> retryRunning_{false};
};

}  // namespace playback
