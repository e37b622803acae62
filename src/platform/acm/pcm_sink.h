#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
}

namespace platform::acm {

// Turns decoded frames into interleaved 16-bit PCM at a fixed rate and channel count and
// hands it out in whole sample frames; what does not fit the destination waits for the next.
class PcmSink {
 public:
  PcmSink(uint16_t channels, uint32_t sampleRate, uint64_t channelMask);
  ~PcmSink();
  PcmSink(const PcmSink&) = delete;
  PcmSink& operator=(const PcmSink&) = delete;

  // Writes what waits from before into destination; returns the bytes written.
  uint32_t Drain(uint8_t* destination, uint32_t room);
  // Converts `frame`, writing into destination up to `room` bytes and keeping the rest.
  // Returns the bytes written; false in `ok` when the frame cannot be converted.
  uint32_t Write(const AVFrame* frame, uint8_t* destination, uint32_t room, bool* ok);
  // Converts `frame` and appends all of it to `out`; false when it cannot be converted.
  bool Append(const AVFrame* frame, std::vector<uint8_t>* out);
  bool HasWaiting() const { return waitingOffset_ < waiting_.size(); }
  // Forgets the converter's history and what waits.
  void Reset();

 private:
  struct SwrFree {
    void operator()(SwrContext* context) const { swr_free(&context); }
  };

  bool Configure(const AVFrame* frame);
  // Converts `frame` into converted_; the bytes it gave, or -1 when it cannot be converted.
  int64_t Convert(const AVFrame* frame);

  uint16_t channels_;
  uint32_t sampleRate_;
  uint64_t channelMask_;
  uint32_t frameBytes_;
  std::unique_ptr<SwrContext, SwrFree> swr_;
  AVChannelLayout inLayout_{};
  int inFormat_ = -1;
  int inRate_ = 0;
  std::vector<uint8_t> converted_;
  std::vector<uint8_t> waiting_;
  size_t waitingOffset_ = 0;
};

}  // namespace platform::acm
