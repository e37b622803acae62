#include "platform/acm/pcm_sink.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace platform::acm {

PcmSink::PcmSink(uint16_t channels, uint32_t sampleRate, uint64_t channelMask)
    : channels_(channels), sampleRate_(sampleRate), channelMask_(channelMask), frameBytes_(channels * 2u) {}

PcmSink::~PcmSink() { av_channel_layout_uninit(&inLayout_); }

void PcmSink::Reset() {
  swr_.reset();
  av_channel_layout_uninit(&inLayout_);
  inFormat_ = -1;
  inRate_ = 0;
  waiting_.clear();
  waitingOffset_ = 0;
}

uint32_t PcmSink::Drain(uint8_t* destination, uint32_t room) {
  size_t left = waiting_.size() - waitingOffset_;
  uint32_t take = static_cast<uint32_t>(std::min<size_t>(left, room - room % frameBytes_));
  if (take == 0) return 0;
  std::memcpy(destination, waiting_.data() + waitingOffset_, take);
  waitingOffset_ += take;
  if (waitingOffset_ == waiting_.size()) {
    waiting_.clear();
    waitingOffset_ = 0;
  }
  return take;
}

bool PcmSink::Configure(const AVFrame* frame) {
  if (swr_ && frame->format == inFormat_ && frame->sample_rate == inRate_ &&
      av_channel_layout_compare(&frame->ch_layout, &inLayout_) == 0) {
    return true;
  }
  Reset();
  AVChannelLayout in{};
  if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&frame->ch_layout) == 0) {
    av_channel_layout_default(&in, frame->ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&in, &frame->ch_layout) < 0) {
    return false;
  }
  // The same channels go out as they came; only another count is remixed.
  AVChannelLayout out{};
  if (in.nb_channels == channels_) {
    av_channel_layout_copy(&out, &in);
  } else if (channelMask_ && std::popcount(channelMask_) == channels_) {
    av_channel_layout_from_mask(&out, channelMask_);
  } else {
    av_channel_layout_default(&out, channels_);
  }
  SwrContext* context = nullptr;
  int result =
      swr_alloc_set_opts2(&context, &out, AV_SAMPLE_FMT_S16, static_cast<int>(sampleRate_), &in,
                          static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr);
  av_channel_layout_uninit(&out);
  swr_.reset(context);
  if (result < 0 || !context || swr_init(context) < 0) {
    av_channel_layout_uninit(&in);
    swr_.reset();
    return false;
  }
  inLayout_ = in;
  inFormat_ = frame->format;
  inRate_ = frame->sample_rate;
  return true;
}

int64_t PcmSink::Convert(const AVFrame* frame) {
  if (frame->nb_samples <= 0 || frame->sample_rate <= 0 || !Configure(frame)) return -1;
  int capacity = swr_get_out_samples(swr_.get(), frame->nb_samples);
  if (capacity <= 0) return 0;
  converted_.resize(static_cast<size_t>(capacity) * frameBytes_);
  uint8_t* out = converted_.data();
  int samples = swr_convert(swr_.get(), &out, capacity, const_cast<const uint8_t**>(frame->extended_data),
                            frame->nb_samples);
  if (samples < 0) return -1;
  return int64_t{samples} * frameBytes_;
}

uint32_t PcmSink::Write(const AVFrame* frame, uint8_t* destination, uint32_t room, bool* ok) {
  int64_t converted = Convert(frame);
  *ok = converted >= 0;
  if (converted <= 0) return 0;
  uint32_t bytes = static_cast<uint32_t>(converted);
  uint32_t take = std::min(bytes, room - room % frameBytes_);
  std::memcpy(destination, converted_.data(), take);
  waiting_.insert(waiting_.end(), converted_.begin() + take, converted_.begin() + bytes);
  return take;
}

bool PcmSink::Append(const AVFrame* frame, std::vector<uint8_t>* out) {
  int64_t converted = Convert(frame);
  if (converted < 0) return false;
  out->insert(out->end(), converted_.begin(), converted_.begin() + converted);
  return true;
}

}  // namespace platform::acm
