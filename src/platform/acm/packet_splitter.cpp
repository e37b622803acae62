#include "platform/acm/packet_splitter.h"

#include <algorithm>
#include <cstring>

namespace platform::acm {

namespace {

// Enough bytes to hold the header of any framed codec taken here.
constexpr uint32_t kHeaderProbeBytes = 64;
// Candidate frame starts checked in the first packet of a run; real streams need one or two.
constexpr int kMaxStartTries = 16;
// Sample codecs are handed over in packets of about this many bytes.
constexpr uint32_t kSamplePacketBytes = 16384;

}  // namespace

PacketSplitter::PacketSplitter(const CodecChoice& choice, uint16_t blockAlign)
    : framing_(choice.framing), codec_(choice.codec), block_(blockAlign ? blockAlign : 1) {
  packetBytes_ = framing_ == CodecChoice::Framing::kSamples
                     ? std::max<uint32_t>(1, kSamplePacketBytes / block_) * block_
                     : block_;
}

PacketSplitter::~PacketSplitter() = default;

void PacketSplitter::Begin(AVCodecContext* context, const uint8_t* data, uint32_t size) {
  context_ = context;
  data_ = data;
  size_ = size;
  offset_ = 0;
  lastEnd_ = 0;
  pendingChecked_ = false;
  if (framing_ == CodecChoice::Framing::kParser) parser_.reset(av_parser_init(codec_));
}

bool PacketSplitter::Next(Packet* packet) {
  return framing_ == CodecChoice::Framing::kParser ? NextParsed(packet) : NextFixed(packet);
}

bool PacketSplitter::NextFixed(Packet* packet) {
  uint32_t take = std::min(size_ - offset_, packetBytes_);
  take -= take % block_;
  if (take == 0) return false;
  packet->data = data_ + offset_;
  packet->size = take;
  offset_ += take;
  packet->end = offset_;
  return true;
}

bool PacketSplitter::NextParsed(Packet* packet) {
  if (!parser_) return false;
  while (offset_ < size_) {
    uint8_t* out = nullptr;
    int outSize = 0;
    int used = av_parser_parse2(parser_.get(), context_, &out, &outSize, data_ + offset_,
                                static_cast<int>(size_ - offset_), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (used < 0) return false;
    offset_ += static_cast<uint32_t>(used);
    if (outSize > 0) {
      packet->data = out;
      packet->size = static_cast<uint32_t>(outSize);
      packet->end = offset_;
      if (lastEnd_ == 0) SkipLeadingBytes(packet);
      lastEnd_ = offset_;
      return true;
    }
    if (used == 0) break;
  }
  if (pendingChecked_) return false;
  pendingChecked_ = true;
  uint32_t pending = size_ - lastEnd_;
  if (pending == 0 || !WholeFrame(data_ + lastEnd_, pending)) return false;
  packet->data = data_ + lastEnd_;
  packet->size = pending;
  packet->end = size_;
  return true;
}

void PacketSplitter::SkipLeadingBytes(Packet* packet) {
  // A run that starts inside a frame hands that frame's tail to the parser, which glues it to
  // the front of the first whole frame. The frame after it shows what a frame start looks like.
  uint32_t end = packet->end;
  if (packet->size > end || end + 2 > size_) return;
  uint32_t start = end - packet->size;
  const uint8_t* sync = data_ + end;
  if (data_[start] == sync[0] && data_[start + 1] == sync[1]) return;
  int tries = kMaxStartTries;
  for (uint32_t j = start + 1; j + 2 < end && tries > 0; ++j) {
    if (data_[j] != sync[0] || data_[j + 1] != sync[1]) continue;
    --tries;
    if (WholeFrame(data_ + j, end - j)) {
      packet->data = data_ + j;
      packet->size = end - j;
      return;
    }
  }
}

bool PacketSplitter::WholeFrame(const uint8_t* data, uint32_t size) {
  // A fresh parser shown the bytes and then a copy of their own header hands them back as
  // exactly one frame when they are one.
  ffmpeg::ParserPtr parser(av_parser_init(codec_));
  if (!parser) return false;
  uint32_t probe = std::min(size, kHeaderProbeBytes);
  probe_.assign(size + probe + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  std::memcpy(probe_.data(), data, size);
  std::memcpy(probe_.data() + size, data, probe);
  uint32_t total = size + probe;
  for (uint32_t offset = 0; offset < total;) {
    uint8_t* out = nullptr;
    int outSize = 0;
    int used = av_parser_parse2(parser.get(), context_, &out, &outSize, probe_.data() + offset,
                                static_cast<int>(total - offset), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
    if (used < 0) return false;
    if (outSize > 0) return static_cast<uint32_t>(outSize) == size;
    if (used == 0) return false;
    offset += static_cast<uint32_t>(used);
  }
  return false;
}

}  // namespace platform::acm
