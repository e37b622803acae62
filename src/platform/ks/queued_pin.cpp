#include "platform/ks/queued_pin.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/ks/event_group.h"
#include "platform/ks/properties.h"
#include "platform/ks/property_reply.h"
#include "platform/ks/results.h"
#include "platform/waveout/channel_order.h"

namespace platform::ks {
namespace {

// While packets are out, the PCM is fed and asked what it played this often; its periods are
// a few times longer.
constexpr auto kPoll = std::chrono::milliseconds(4);
constexpr uint64_t kReorderFrames = 4096;

}  // namespace

QueuedPin::QueuedPin(std::unique_ptr<waveout::Pcm> pcm, const waveout::PcmLayout& layout)
    : pcm_(std::move(pcm)),
      blockAlign_(layout.blockAlign),
      sampleBytes_(static_cast<uint16_t>(layout.bits / 8)),
      order_(layout.extensible ? waveout::AlsaChannelOrder(layout.channels, layout.channelMask)
                               : std::vector<uint8_t>{}),
      state_(kStateStop) {
  if (!order_.empty()) reordered_.resize(kReorderFrames * blockAlign_);
  thread_ = std::thread([this] { Run(); });
}

QueuedPin::~QueuedPin() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
    CompleteAll(kErrorOperationAborted);
  }
  wake_.notify_all();
  thread_.join();
}

int32_t QueuedPin::Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                            uint32_t* returned) {
  *returned = 0;
  ks::Property property;
  if (request == nullptr || requestSize < sizeof property) return kErrorInvalidParameter;
  std::memcpy(&property, request, sizeof property);
  if (!(property.set == kPropertySetConnection)) return kErrorSetNotFound;
  if (property.id != kConnectionState) return kErrorNotFound;
  if (property.flags == kPropertyGet) {
    std::lock_guard<std::mutex> lock(mutex_);
    return Reply(BytesOf(state_), value, valueSize, returned);
  }
  if (property.flags != kPropertySet) return kErrorNotSupported;
  uint32_t state = 0;
  if (value == nullptr || valueSize < sizeof state) return kErrorInsufficientBuffer;
  std::memcpy(&state, value, sizeof state);
  return SetState(state);
}

int32_t QueuedPin::SetState(uint32_t state) {
  if (state > kStateRun) return kErrorInvalidParameter;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (state == kStateStop) {
      if (state_ != kStateStop) pcm_->Drop();
      CompleteAll(kErrorOperationAborted);
      sent_ = 0;
    }
    state_ = state;
  }
  wake_.notify_all();
  return kOk;
}

int32_t QueuedPin::Write(StreamHeader& header, WriteCompletion& completion) {
  if (header.size < sizeof header || header.dataUsed > header.frameExtent ||
      (header.dataUsed > 0 && header.data == nullptr) || completion.events == nullptr ||
      completion.event >= completion.events->Count()) {
    return kErrorInvalidParameter;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (failed_) return kErrorDeviceNotConnected;
    completion.result = kErrorIoPending;
    completion.bytes = 0;
    queue_.push_back({&header, &completion, 0, 0});
  }
  wake_.notify_all();
  return kErrorIoPending;
}

void QueuedPin::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!quit_) {
    if (state_ != kStateRun || queue_.empty()) {
      wake_.wait(lock);
      continue;
    }
    Feed();
    Retire();
    if (!queue_.empty()) wake_.wait_for(lock, kPoll);
  }
}

void QueuedPin::Feed() {
  while (sending_ < queue_.size()) {
    Queued& packet = queue_[sending_];
    const uint64_t frames = packet.header->dataUsed / blockAlign_;  // a trailing part frame is not played
    if (packet.framesSent >= frames) {
      packet.end = sent_;
      ++sending_;
      continue;
    }
    const uint8_t* data = packet.header->data + packet.framesSent * blockAlign_;
    uint64_t count = frames - packet.framesSent;
    if (!order_.empty()) {
      count = std::min(count, kReorderFrames);
      waveout::Reorder(data, count, order_, sampleBytes_, reordered_.data());
      data = reordered_.data();
    }
    const long taken = pcm_->Write(data, static_cast<unsigned long>(count));
    if (taken == -EAGAIN || taken == 0) return;
    if (taken < 0) {
      if (!Recovered(static_cast<int>(taken))) return;
      continue;
    }
    packet.framesSent += static_cast<uint64_t>(taken);
    sent_ += static_cast<uint64_t>(taken);
  }
}

void QueuedPin::Retire() {
  long held = 0;
  const int error = pcm_->Delay(&held);
  if (error < 0) {
    Recovered(error);
    return;
  }
  const uint64_t played = sent_ - std::min<uint64_t>(static_cast<uint64_t>(std::max(held, 0L)), sent_);
  while (sending_ > 0 && queue_.front().end <= played) {
    CompleteFront(kOk);
    --sending_;
  }
}

bool QueuedPin::Recovered(int error) {
  if (pcm_->Recover(error) < 0) {
    failed_ = true;
    CompleteAll(kErrorGenFailure);
    return false;
  }
  // An underrun (the pin paused or was fed late) or a suspend: nothing sent is left in the PCM.
  for (; sending_ > 0; --sending_) CompleteFront(kOk);
  return true;
}

void QueuedPin::CompleteFront(int32_t result) {
  const Queued packet = queue_.front();
  queue_.pop_front();
  packet.completion->result = result;
  packet.completion->bytes =
      result == kOk ? packet.header->dataUsed : static_cast<uint32_t>(packet.framesSent * blockAlign_);
  // The writer may reuse the packet from here on.
  packet.completion->events->Set(packet.completion->event);
}

void QueuedPin::CompleteAll(int32_t result) {
  while (!queue_.empty()) CompleteFront(result);
  sending_ = 0;
}

}  // namespace platform::ks
