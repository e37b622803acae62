// The packet path: codecs whose packets only the container frames (AAC with its configuration,
// Vorbis, FLAC) are decoded one whole packet at a time, and positions follow the packets'
// sample counts rather than byte rates.
#include <algorithm>
#include <cstring>

#include "audio/audio_decoder.h"
#include "avi/audio_stream.h"
#include "platform/acm/acm_result.h"

namespace audio {

namespace {

namespace acm = platform::acm;

// How far the rate a codec decodes at may stand from the stream's before the packets' sample
// counts are no longer believed (implicit SBR doubles it).
constexpr uint32_t kMaxRateRatio = 8;
// Empty packets passed looking for the one before a jump target; muxers write a few.
constexpr size_t kMaxEmptyBefore = 64;

}  // namespace

bool AudioDecoder::OpenPackets(const avi::AudioStream& stream, std::string* why) {
  if (!SuggestOutput(why)) return false;
  if (acm::PacketStream::Open(&packets_, &In(), &Out()) != acm::kOk) {
    *why = "the decoder did not open";
    return false;
  }
  // What the first packet with bytes gives shows only in decoding it: some codecs hold it back
  // whole. The codec may also learn its true rate and packet length from it.
  const size_t count = stream.PacketCount();
  size_t first = 0;
  while (first < count && stream.PacketSize(first) == 0) ++first;
  uint64_t firstSamples = 0;
  if (first < count) {
    int64_t got =
        ReadWholePacket([&](uint32_t bytes, uint8_t* destination,
                            uint32_t* size) { return stream.ReadPacket(first, bytes, destination, size); },
                        &packet_);
    if (got > 0) packets_->Decode(packet_.data(), static_cast<uint32_t>(got), &pending_);
    firstSamples = pending_.size() / Out().blockAlign;
    pending_.clear();
  }
  const uint32_t outputRate = Out().samplesPerSec;
  const uint32_t codecRate = packets_->CodecRate();
  const uint32_t fixed = packets_->FixedPacketSamples();
  if (codecRate > outputRate * kMaxRateRatio || outputRate > codecRate * kMaxRateRatio) {
    *why = "the codec runs at " + std::to_string(codecRate) + " Hz";
    return false;
  }

  // Every packet in order: a packet's length may depend on the one before.
  timeline_ = PacketTimeline(outputRate, codecRate);
  uint8_t head[acm::PacketStream::kHeadBytes];
  for (size_t j = 0; j < count; ++j) {
    if (stream.PacketSize(j) <= 0) {
      timeline_.Add(0);
      continue;
    }
    uint32_t samples = fixed;
    if (!fixed) {
      int64_t got = stream.ReadPacket(j, sizeof head, head, nullptr);
      samples = packets_->PacketSamples(head, static_cast<uint32_t>(std::max<int64_t>(got, 0)));
    }
    if (j == first) {
      timeline_.AddDecoded(firstSamples);
    } else {
      timeline_.Add(samples);
    }
  }
  return true;
}

void AudioDecoder::SeekPackets(const Chain& chain, int64_t position) {
  const uint32_t block = Out().blockAlign;
  size_t target = timeline_.PacketAt(static_cast<uint64_t>(position) / block);
  packets_->Restart();
  // The packet with bytes before the target, decoded and dropped: the first samples of an AAC or
  // Vorbis packet overlap the one before it.
  for (size_t j = target, passed = 0; j-- > 0 && passed <= kMaxEmptyBefore; ++passed) {
    int64_t got = chain.ReadPacket(j, &packet_);
    if (got <= 0) continue;
    scratch_.clear();
    packets_->Decode(packet_.data(), static_cast<uint32_t>(got), &scratch_);
    break;
  }
  nextPacket_ = target;
  pending_.clear();
  pendingOffset_ = 0;
  skip_ = target < timeline_.Count() ? static_cast<uint64_t>(position) - timeline_.Start(target) * block : 0;
  positioned_ = true;
}

void AudioDecoder::DecodePacket(const Chain& chain, size_t index) {
  pending_.clear();
  int64_t got = chain.ReadPacket(index, &packet_);
  if (got > 0 && !packets_->Decode(packet_.data(), static_cast<uint32_t>(got), &pending_)) {
    ReportOnce("packet " + std::to_string(index) + " refused by the decoder");
  }
  // The timeline is what positions are: a packet that gave less plays out as silence, one that
  // gave more is cut, so that every later packet keeps its place.
  pending_.resize((timeline_.Start(index + 1) - timeline_.Start(index)) * Out().blockAlign, 0);
  pendingOffset_ = static_cast<size_t>(std::min<uint64_t>(skip_, pending_.size()));
  skip_ -= pendingOffset_;
}

uint32_t AudioDecoder::ReadPackets(const Chain& chain, int64_t position, uint32_t count,
                                   uint8_t* destination) {
  if (!positioned_ || position != position_) SeekPackets(chain, position);
  uint32_t produced = 0;
  while (produced < count) {
    if (pendingOffset_ == pending_.size()) {
      if (nextPacket_ >= timeline_.Count()) break;
      DecodePacket(chain, nextPacket_++);
      continue;
    }
    uint32_t take =
        static_cast<uint32_t>(std::min<size_t>(pending_.size() - pendingOffset_, count - produced));
    std::memcpy(destination + produced, pending_.data() + pendingOffset_, take);
    pendingOffset_ += take;
    produced += take;
  }
  position_ = position + produced;
  return produced;
}

}  // namespace audio
