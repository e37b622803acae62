#include <algorithm>

#include "audio/device_format.h"
#include "audio/ks/ks_aud_filter.h"
#include "audio/ks/ks_enum_filters.h"
#include "audio/ks/ks_renderer.h"
#include "audio/pcm_narrowing.h"
#include "audio/wide_sample.h"
#include "avi/audio_stream.h"
#include "platform/ks/results.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

// How often a renderer waiting for its pin, or paused, looks at its requests.
constexpr uint32_t kRequestPollMs = 10;

}  // namespace

void KSRenderer::Run() {
  for (uint32_t i = 0; i < ringSize_; ++i) decoded_[i].store(0, std::memory_order_relaxed);
  decodedIndex_.store(0, std::memory_order_release);

  CKsEnumFilters filters(tree_);  // declared before the output: outlives the pin made from it
  Output output;
  output.source = stream_->OutputFormat();
  output.format = DeviceFormat(*output.source);
  const uint16_t block = output.format.format.blockAlign;
  output.packetBytes = kPacketBytes / block * block;
  // Wide samples are read four times as many bytes as they give.
  if (output.source->bitsPerSample == kWideSampleBytes * 8) {
    output.fetch.resize(size_t{output.packetBytes} * (kWideSampleBytes / 2));
  }
  const pks::Guid categories[] = {pks::kCategoryAudio, pks::kCategoryRender};
  if (!Failed(filters.EnumFilters(kFilterTypeAudioRender, categories, 2, true, false, true))) {
    // The first render filter found, as its type asked.
    auto* filter = static_cast<CKsAudRenFilter*>(filters.Filters().front().get());
    output.pin = filter->CreateRenderPin(&output.format.format, false);
  }
  if (!output.pin) {
    Notify(kNotifyDeviceFailed);
    Publish(kRendererNoDevice);
    Finished();
    return;
  }

  const uint32_t count = PacketCount(output.format.format);
  output.events = std::make_unique<pks::EventGroup>(count, false);
  output.packets.resize(count);
  for (uint32_t i = 0; i < count; ++i) {
    Packet& packet = output.packets[i];
    packet.buffer.resize(kPacketBytes);
    packet.header = {};
    packet.header.size = sizeof packet.header;
    packet.header.presentationNumerator = 1;
    packet.header.presentationDenominator = 1;
    packet.header.frameExtent = kPacketBytes;
    packet.header.data = packet.buffer.data();
    packet.completion = {output.events.get(), i, pks::kOk, 0};
  }

  const bool played = Stream(output);
  const int64_t unheard = Unheard(output);
  output.pin->SetState(pks::kStatePause);
  output.pin->SetState(pks::kStateStop);
  output.pin->ClosePin();
  output.pin.reset();
  heardMs_.store(-1, std::memory_order_relaxed);
  requests_.store(0, std::memory_order_relaxed);
  // After a pin that stopped playing, the next play starts with what it did not play.
  position_.store(played ? 0 : unheard, std::memory_order_relaxed);
  Notify(played ? kNotifyEnded : kNotifyDeviceFailed);
  Publish(kRendererStopped);
  Finished();
}

bool KSRenderer::Stream(Output& output) {
  const uint64_t total = stream_->TotalLength();
  output.pin->SetState(pks::kStateRun);
  bool ended = false;
  for (Packet& packet : output.packets) {
    if (Fill(output, packet) == 0) {
      ended = true;
      break;
    }
    if (!Submit(output, packet)) return false;
  }
  const auto heard = [&] {
    heardMs_.store(static_cast<int32_t>(Unheard(output) * 1000 / output.source->avgBytesPerSec),
                   std::memory_order_relaxed);
  };
  heard();
  Notify(kNotifyStarted);
  Publish(kRendererPlaying);

  for (;;) {
    const int32_t requests = requests_.load(std::memory_order_relaxed);
    if (requests & kRequestStop) return true;
    if (AnswerPauseOrResume(
            requests, [&](bool hold) { output.pin->SetState(hold ? pks::kStatePause : pks::kStateRun); })) {
      continue;
    }
    if (State() != kRendererPlaying) {
      wake_.Wait(kRequestPollMs);
      continue;
    }
    // The data has ended and everything written has played: leaving sooner would drop the tail.
    if (std::none_of(output.packets.begin(), output.packets.end(),
                     [](const Packet& p) { return p.queued; })) {
      return true;
    }
    const int32_t index = AwaitPacket(output);
    if (index < 0) {
      if (requests_.load(std::memory_order_relaxed) != 0) continue;
      return false;  // the pin has stopped playing
    }
    Packet& packet = output.packets[static_cast<size_t>(index)];
    output.events->Reset(packet.completion.event);
    if (packet.completion.result != pks::kOk) return false;
    packet.queued = false;
    heard();
    if (ended || static_cast<uint64_t>(position_.load(std::memory_order_relaxed)) >= total ||
        Fill(output, packet) == 0) {
      ended = true;
      continue;
    }
    if (!Submit(output, packet)) return false;
  }
}

int32_t KSRenderer::AwaitPacket(const Output& output) {
  for (uint32_t waited = 0; waited < completionLimitMs_; waited += kRequestPollMs) {
    if (requests_.load(std::memory_order_relaxed) != 0) return -1;
    const int32_t index = output.events->WaitAny(std::min(kRequestPollMs, completionLimitMs_ - waited));
    if (index >= 0) return index;
  }
  return -1;
}

uint32_t KSRenderer::Fill(Output& output, Packet& packet) {
  const auto at = static_cast<uint64_t>(position_.load(std::memory_order_relaxed));
  uint32_t read = 0;
  if (!output.fetch.empty()) {
    const auto wanted = static_cast<uint32_t>(output.fetch.size());
    read = std::min(stream_->Read(at, wanted, output.fetch.data()), wanted);
    const uint32_t samples = read / kWideSampleBytes;
    NarrowToTop16(output.fetch.data(), samples, packet.buffer.data());
    packet.header.dataUsed = samples * 2;
  } else {
    read = std::min(stream_->Read(at, output.packetBytes, packet.buffer.data()), output.packetBytes);
    packet.header.dataUsed = read;
  }
  packet.first = static_cast<int64_t>(at);
  position_.store(static_cast<int64_t>(at + read), std::memory_order_relaxed);
  const uint32_t slot = decodedIndex_.load(std::memory_order_relaxed);
  decoded_[slot].store(stream_->DecodedPosition(), std::memory_order_relaxed);
  decodedIndex_.store((slot + 1) % ringSize_, std::memory_order_release);
  return read;
}

bool KSRenderer::Submit(Output& output, Packet& packet) {
  packet.completion.result = pks::kOk;
  packet.completion.bytes = 0;
  output.events->Reset(packet.completion.event);
  // Counted as queued even when the write fails: its data has not been heard.
  packet.queued = true;
  return !Failed(output.pin->WriteData(&packet.header, &packet.completion));
}

int64_t KSRenderer::Unheard(const Output& output) const {
  int64_t oldest = position_.load(std::memory_order_relaxed);
  for (const Packet& packet : output.packets) {
    if (packet.queued) oldest = std::min(oldest, packet.first);
  }
  return oldest;
}

}  // namespace audio::ks
