#include "audio/ks/ks_renderer.h"

#include "audio/device_format.h"

namespace audio::ks {
namespace {

// One packet for each this many bytes of a second of sound.
constexpr uint32_t kBytesPerPacketSlot = 32768;
constexpr uint16_t kMaxBlockAlign = 8000;

}  // namespace

KSRenderer::~KSRenderer() {
  std::lock_guard<std::mutex> lock(control_);
  EndThread();
}

uint32_t KSRenderer::PacketCount(const riff::WaveFormat& device) {
  return device.avgBytesPerSec / kBytesPerPacketSlot + 1;
}

bool KSRenderer::Adopt(const riff::WaveFormat& format) {
  if (!IsPlayablePcm(format) || (format.samplesPerSec != 44100 && format.samplesPerSec != 48000) ||
      format.blockAlign > kMaxBlockAlign) {
    return false;
  }
  ringSize_ = PacketCount(DeviceFormat(format).format);
  decoded_ = std::make_unique<std::atomic<int64_t>[]>(ringSize_);
  return true;
}

bool KSRenderer::Play() {
  std::lock_guard<std::mutex> lock(control_);
  if (!stream_) return true;
  switch (State()) {
    case kRendererPaused:
      requests_.fetch_or(kRequestResume, std::memory_order_relaxed);
      wake_.Set();
      return false;
    case kRendererPlaying:
      requests_.fetch_and(~kRequestPause, std::memory_order_relaxed);
      return false;
    default:
      return StartThread();
  }
}

int64_t KSRenderer::DecodedPosition() const {
  std::lock_guard<std::mutex> lock(control_);
  if (State() == kRendererStopped || ringSize_ == 0) return position_.load(std::memory_order_relaxed);
  const uint32_t next = decodedIndex_.load(std::memory_order_acquire);
  return decoded_[(next + ringSize_ - 1) % ringSize_].load(std::memory_order_relaxed);
}

}  // namespace audio::ks
