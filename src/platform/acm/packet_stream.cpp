#include "platform/acm/packet_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/acm/acm_result.h"

namespace platform::acm {

PacketStream::PacketStream(const CodecChoice& choice, const riff::WaveFormat& source,
                           const riff::WaveFormat& destination)
    : choice_(choice),
      source_(source),
      sink_(destination.channels, destination.samplesPerSec, choice.channelMask) {}

PacketStream::~PacketStream() = default;

int PacketStream::Open(std::unique_ptr<PacketStream>* stream, const riff::WaveFormat* source,
                       const riff::WaveFormat* destination) {
  if (!stream) return kInvalidParameter;
  CodecChoice choice;
  int result = ChooseStreamCodec(source, destination, true, &choice);
  if (result != kOk) return result;

  std::unique_ptr<PacketStream> opened(new PacketStream(choice, *source, *destination));
  result = OpenDecoder(choice, *source, &opened->decoder_);
  if (result != kOk) return result;
  // Where the codec has one packet length, a parser would only guess it from the bytes.
  if (opened->FixedPacketSamples() == 0) {
    opened->parseContext_ = MakeContext(choice, *source);
    if (opened->parseContext_) opened->parser_.reset(av_parser_init(choice.codec));
    if (opened->parser_) opened->parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
  }
  *stream = std::move(opened);
  return kOk;
}

bool PacketStream::Decode(const uint8_t* data, uint32_t size, std::vector<uint8_t>* pcm) {
  // Decoders read a little past the end of what they are given.
  input_.resize(static_cast<size_t>(size) + AV_INPUT_BUFFER_PADDING_SIZE);
  if (size > 0) std::memcpy(input_.data(), data, size);
  std::memset(input_.data() + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  if (!decoder_.Send(input_.data(), size)) return false;
  bool converted = true;
  decoder_.Receive([&](AVFrame* frame) { converted = sink_.Append(frame, pcm) && converted; });
  return converted;
}

void PacketStream::Restart() {
  // The codec opened anew: a flush leaves state behind (the seed of a noise generator), and the
  // same packets must decode alike whatever was decoded before them.
  Decoder fresh;
  if (OpenDecoder(choice_, source_, &fresh) == kOk) {
    decoder_ = std::move(fresh);
  } else {
    avcodec_flush_buffers(decoder_.context.get());
  }
  sink_.Reset();
}

uint32_t PacketStream::FixedPacketSamples() const {
  return decoder_.context->frame_size > 0 ? static_cast<uint32_t>(decoder_.context->frame_size) : 0;
}

uint32_t PacketStream::PacketSamples(const uint8_t* head, uint32_t size) {
  if (uint32_t fixed = FixedPacketSamples()) return fixed;
  if (!parser_) return 0;
  uint8_t bytes[kHeadBytes + AV_INPUT_BUFFER_PADDING_SIZE] = {};
  uint32_t take = std::min(size, kHeadBytes);
  std::memcpy(bytes, head, take);
  uint8_t* out = nullptr;
  int outSize = 0;
  parser_->duration = 0;
  av_parser_parse2(parser_.get(), parseContext_.get(), &out, &outSize, bytes, static_cast<int>(take),
                   AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
  return parser_->duration > 0 ? static_cast<uint32_t>(parser_->duration) : 0;
}

uint32_t PacketStream::CodecRate() const {
  return decoder_.context->sample_rate > 0 ? static_cast<uint32_t>(decoder_.context->sample_rate)
                                           : source_.samplesPerSec;
}

}  // namespace platform::acm
