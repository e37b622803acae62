#include <algorithm>

#include "audio/device_format.h"
#include "audio/device_position.h"
#include "audio/pcm_narrowing.h"
#include "audio/wave_out_renderer.h"
#include "audio/wide_sample.h"
#include "avi/audio_stream.h"

namespace audio {
namespace {

// Requests are acknowledged within one poll, and a returned buffer is refilled within one.
constexpr uint32_t kPollMs = 50;
constexpr uint32_t kResyncMs = 1000;

}  // namespace

void WaveOutRenderer::Run() {
  returned_.store(0, std::memory_order_relaxed);
  for (auto& entry : decoded_) entry.store(0, std::memory_order_relaxed);
  decodedIndex_.store(0, std::memory_order_release);

  Output output;
  output.source = stream_->OutputFormat();
  output.format = DeviceFormat(*output.source);
  if (output.source->bitsPerSample == kWideSampleBytes * 8)
    output.fetch.resize(output.source->avgBytesPerSec);
  output.device =
      openDevice_(&output.format.format, [this] { returned_.fetch_add(1, std::memory_order_release); });
  if (!output.device) {
    Notify(kNotifyDeviceFailed);
    Publish(kRendererNoDevice);
    Finished();
    return;
  }

  for (auto& buffer : output.buffers) buffer.resize(output.format.format.avgBytesPerSec);
  output.device->Pause();
  const uint64_t total = stream_->TotalLength();
  const int64_t startMs = position_.load(std::memory_order_relaxed) * 1000 / output.source->avgBytesPerSec;
  const bool kept = PlayOut(output, startMs, total);

  {
    std::lock_guard<std::mutex> lock(heardLock_);
    heard_ = nullptr;
  }
  output.device->Reset();
  output.device.reset();
  requests_.store(0, std::memory_order_relaxed);
  if (kept) position_.store(0, std::memory_order_relaxed);
  Notify(kept ? kNotifyEnded : kNotifyDeviceFailed);
  Publish(kRendererStopped);
  Finished();
}

bool WaveOutRenderer::PlayOut(Output& output, int64_t startMs, uint64_t total) {
  const int64_t start = position_.load(std::memory_order_relaxed);
  for (auto& buffer : output.buffers) {
    Fill(output, buffer);
    if (!output.device->Write(buffer.data(), static_cast<uint32_t>(buffer.size()))) {
      position_.store(start, std::memory_order_relaxed);
      return false;
    }
  }
  int64_t startDeviceMs = 0;
  if (!DeviceMs(output, &startDeviceMs)) {
    position_.store(start, std::memory_order_relaxed);
    return false;
  }
  clock_.Start(static_cast<int32_t>(startMs));
  output.device->Restart();
  uint32_t lastResync = clock_.Now();
  {
    std::lock_guard<std::mutex> lock(heardLock_);
    heard_ = &output;
    heardBaseMs_ = startMs - startDeviceMs;
  }
  // Published once the clock runs, so that Play returns with the clock at the start.
  Notify(kNotifyStarted);
  Publish(kRendererPlaying);

  // Buffers that came back empty once; the second time the data has ended for good.
  std::array<bool, kBufferCount> emptyOnce{};
  int countdown = kBufferCount;
  int next = 0;
  for (;;) {
    const int32_t requests = requests_.load(std::memory_order_relaxed);
    if (requests & kRequestStop) break;
    if (AnswerPauseOrResume(requests, [&](bool hold) {
          if (hold) {
            output.device->Pause();
          } else {
            output.device->Restart();
          }
        })) {
      continue;
    }

    if (clock_.Now() - lastResync > kResyncMs) {
      int64_t deviceMs = 0;
      if (!DeviceMs(output, &deviceMs)) {
        KeepPlayedPosition(output, total);
        return false;
      }
      clock_.Start(static_cast<int32_t>(deviceMs - startDeviceMs + startMs));
      lastResync = clock_.Now();
    }
    wake_.Wait(kPollMs);
    if (State() != kRendererPlaying || returned_.load(std::memory_order_acquire) <= 0) continue;
    returned_.fetch_sub(1, std::memory_order_relaxed);

    // Once the data has ended, the buffers queued then play out before the thread ends.
    if (static_cast<uint64_t>(position_.load(std::memory_order_relaxed)) >= total && --countdown == 0) break;
    std::vector<uint8_t>& buffer = output.buffers[next];
    const uint32_t read = Fill(output, buffer);
    const int32_t slot = decodedIndex_.load(std::memory_order_relaxed);
    decoded_[slot].store(stream_->DecodedPosition(), std::memory_order_relaxed);
    decodedIndex_.store((slot + 1) % kRingSize, std::memory_order_release);
    if (read == 0) {
      if (emptyOnce[next]) break;
      emptyOnce[next] = true;
    }
    if (!output.device->Write(buffer.data(), static_cast<uint32_t>(buffer.size()))) {
      KeepPlayedPosition(output, total);
      return false;
    }
    next = (next + 1) % kBufferCount;
  }
  return true;
}

uint32_t WaveOutRenderer::Fill(Output& output, std::vector<uint8_t>& buffer) {
  const auto at = static_cast<uint64_t>(position_.load(std::memory_order_relaxed));
  uint32_t read = 0;
  size_t produced = 0;
  if (!output.fetch.empty()) {
    const auto wanted = static_cast<uint32_t>(output.fetch.size());
    read = std::min(stream_->Read(at, wanted, output.fetch.data()), wanted);
    const uint32_t samples = read / kWideSampleBytes;
    NarrowToTop16(output.fetch.data(), samples, buffer.data());
    produced = size_t{samples} * 2;
  } else {
    const auto wanted = static_cast<uint32_t>(buffer.size());
    read = std::min(stream_->Read(at, wanted, buffer.data()), wanted);
    produced = read;
  }
  // 8-bit samples are unsigned: their silence is the middle value.
  std::fill(buffer.begin() + static_cast<ptrdiff_t>(produced), buffer.end(),
            output.source->bitsPerSample == 8 ? 0x80 : 0);
  position_.store(static_cast<int64_t>(at + read), std::memory_order_relaxed);
  return read;
}

int32_t WaveOutRenderer::HeardPositionMs() const {
  std::lock_guard<std::mutex> lock(heardLock_);
  int64_t ms = 0;
  if (!heard_ || !DeviceMs(*heard_, &ms)) return -1;
  return static_cast<int32_t>(heardBaseMs_ + ms);
}

bool WaveOutRenderer::DeviceMs(const Output& output, int64_t* ms) const {
  platform::waveout::Position position;
  if (!output.device->GetPosition(platform::waveout::TimeKind::kMs, &position)) return false;
  *ms = PositionMs(position, output.format.format);
  return true;
}

void WaveOutRenderer::KeepPlayedPosition(const Output& output, uint64_t total) {
  // The clock followed the device up to its last second.
  const int64_t played = ByteAt(clock_.Now(), *output.source);
  position_.store(std::min(played, static_cast<int64_t>(total)), std::memory_order_relaxed);
}

}  // namespace audio
