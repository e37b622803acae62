#include "audio/wave_out_renderer.h"

#include <utility>

#include "audio/device_format.h"

namespace audio {

WaveOutRenderer::WaveOutRenderer(common::PlaybackClock& clock, DeviceFactory openDevice)
    : clock_(clock), openDevice_(std::move(openDevice)) {}

WaveOutRenderer::~WaveOutRenderer() {
  std::lock_guard<std::mutex> lock(control_);
  EndThread();
}

bool WaveOutRenderer::Adopt(const riff::WaveFormat& format) { return IsPlayablePcm(format); }

bool WaveOutRenderer::Play() {
  std::lock_guard<std::mutex> lock(control_);
  const int32_t state = State();
  if (state == kRendererPaused) {
    requests_.fetch_or(kRequestResume, std::memory_order_relaxed);
    wake_.Set();
  } else if (state == kRendererStopped && stream_) {
    StartThread();
  }
  return false;
}

int64_t WaveOutRenderer::DecodedPosition() const {
  if (State() == kRendererStopped) return position_.load(std::memory_order_relaxed);
  const int32_t next = decodedIndex_.load(std::memory_order_acquire);
  return decoded_[(next + kRingSize - 1) % kRingSize].load(std::memory_order_relaxed);
}

}  // namespace audio
