#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/ks/ks_aud_pin.h"
#include "audio/threaded_renderer.h"
#include "platform/ks/device_tree.h"
#include "platform/ks/event_group.h"
#include "platform/ks/stream_packet.h"
#include "riff/wave_format_extensible.h"

namespace audio::ks {

// Plays 44.1 or 48 kHz PCM straight to the first audio render device, past the sound server:
// a thread of its own writes small packets to a render pin created in the stream's own format
// and refills each as the pin completes it. It does not set the playback clock.
class KSRenderer final : public ThreadedRenderer {
 public:
  // A pin that completes no packet for 100 ms has stopped playing.
  static constexpr uint32_t kCompletionLimitMs = 100;

  explicit KSRenderer(platform::ks::DeviceTree& tree = platform::ks::SystemDeviceTree(),
                      uint32_t completionLimitMs = kCompletionLimitMs)
      : tree_(tree), completionLimitMs_(completionLimitMs) {}
  ~KSRenderer() override;

  int32_t Kind() const override { return kRendererKs; }
  // True without a stream, or when no render pin could be had (which is notified too).
  bool Play() override;
  int64_t DecodedPosition() const override;
  // The stream time of the oldest packet the pin has not completed, or -1 while nothing plays.
  int32_t HeardPositionMs() const override { return heardMs_.load(std::memory_order_relaxed); }

  // Bytes of one packet of the device format.
  static constexpr uint32_t kPacketBytes = 8192;
  // Packets for a device format: one for each 32768 bytes of a second, and one more.
  static uint32_t PacketCount(const riff::WaveFormat& device);

 private:
  struct Packet {
    platform::ks::StreamHeader header;
    platform::ks::WriteCompletion completion;
    std::vector<uint8_t> buffer;
    int64_t first = 0;  // the stream byte of its first sample
    bool queued = false;
  };

  // What one run of the thread plays through.
  struct Output {
    const riff::WaveFormat* source = nullptr;
    riff::WaveFormatExtensible format{};
    // The bytes a packet carries: whole blocks, so that no frame is split between packets.
    uint32_t packetBytes = 0;
    std::vector<uint8_t> fetch;  // wide samples, narrowed into the packets
    std::unique_ptr<platform::ks::EventGroup> events;
    std::vector<Packet> packets;
    std::unique_ptr<CKsAudPin> pin;  // closed before the packets it may still hold go
  };

  // Playable PCM at 44100 or 48000 Hz with blocks of at most 8000 bytes; sizes the ring.
  bool Adopt(const riff::WaveFormat& format) override;
  void Run() override;
  // Writes packets until stopped, or the data has played out; false when the pin stopped
  // taking or completing them.
  bool Stream(Output& output);
  // Reads the next packet's worth of the stream into `packet`; returns the stream bytes read.
  uint32_t Fill(Output& output, Packet& packet);
  bool Submit(Output& output, Packet& packet);
  // The stream byte of the oldest packet still queued, or the next byte to fetch.
  int64_t Unheard(const Output& output) const;

  // Waits up to completionLimitMs_ for the next completed packet, answering requests that come
  // meanwhile within a few milliseconds; the packet, or -1 when none came or a request did.
  int32_t AwaitPacket(const Output& output);

  platform::ks::DeviceTree& tree_;
  const uint32_t completionLimitMs_;
  // Decoded positions at the latest fills; allocated by SetStream while no thread runs.
  std::unique_ptr<std::atomic<int64_t>[]> decoded_;
  uint32_t ringSize_ = 0;
  // Release and acquire: the entry behind a published index is complete.
  std::atomic<uint32_t> decodedIndex_{0};
  // Relaxed: a diagnostic value that nothing else depends on.
  std::atomic<int32_t> heardMs_{-1};
};

}  // namespace audio::ks
