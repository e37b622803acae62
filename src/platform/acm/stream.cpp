#include "platform/acm/stream.h"

#include <algorithm>
#include <cstring>

#include "platform/acm/acm_result.h"

namespace platform::acm {

namespace {

// More bytes than the longest frame of any framed codec: a source of this many bytes without
// one frame in it is skipped, all but this tail, so that garbage cannot stall the caller.
constexpr uint32_t kLongestFrame = 32768;
// Destination room beyond the byte rates: a few of the longest frames.
constexpr uint64_t kSlackSamples = 4 * 8192;
constexpr uint64_t kMaxDestination = 64u << 20;

}  // namespace

Stream::Stream(const CodecChoice& choice, const riff::WaveFormat& source, const riff::WaveFormat& destination)
    : choice_(choice),
      source_(source),
      destination_(destination),
      splitter_(choice, source.blockAlign),
      sink_(destination.channels, destination.samplesPerSec, choice.channelMask) {}

Stream::~Stream() = default;

int Stream::Open(std::unique_ptr<Stream>* stream, const riff::WaveFormat* source,
                 const riff::WaveFormat* destination, uint32_t flags) {
  if (!stream) return kInvalidParameter;
  CodecChoice choice;
  // Codecs that need the container's packets go through PacketStream.
  int result = ChooseStreamCodec(source, destination, false, &choice);
  if (result != kOk) return result;

  std::unique_ptr<Stream> opened(new Stream(choice, *source, *destination));
  result = OpenDecoder(choice, *source, &opened->decoder_);
  if (result != kOk) return result;
  *stream = std::move(opened);
  return kOk;
}

int Stream::Size(uint32_t length, uint32_t* result, uint32_t flags) const {
  if (!result) return kInvalidParameter;
  uint64_t in = source_.avgBytesPerSec;
  uint64_t out = destination_.avgBytesPerSec;
  uint64_t bytes;
  if (flags & kSizeDestination) {
    bytes = out ? length * in / out : 0;
  } else {
    // Twice the byte-rate ratio: variable-rate sources run ahead of their average.
    bytes = in ? length * out / in * 2 + kSlackSamples * destination_.blockAlign : 0;
    bytes = std::min(bytes, kMaxDestination);
  }
  if (bytes == 0) return kNotPossible;
  *result = static_cast<uint32_t>(std::min<uint64_t>(bytes, UINT32_MAX));
  return kOk;
}

int Stream::Prepare(StreamHeader* header) const {
  if (!header || !header->source || !header->destination) return kInvalidParameter;
  header->preparedSourceLength = header->sourceLength;
  header->preparedDestinationLength = header->destinationLength;
  header->status = kHeaderPrepared;
  return kOk;
}

int Stream::Unprepare(StreamHeader* header) const {
  if (!header) return kInvalidParameter;
  if (!(header->status & kHeaderPrepared)) return kUnprepared;
  header->status = 0;
  header->preparedSourceLength = 0;
  header->preparedDestinationLength = 0;
  return kOk;
}

void Stream::Restart() {
  avcodec_flush_buffers(decoder_.context.get());
  sink_.Reset();
}

bool Stream::Decode(const PacketSplitter::Packet& packet, uint8_t* destination, uint32_t room,
                    uint32_t* used) {
  // A packet the codec refuses is skipped: broken data must not stop the stream.
  if (!decoder_.Send(packet.data, packet.size)) return true;
  decoder_.Receive([&](AVFrame* frame) {
    bool ok = false;
    *used += sink_.Write(frame, destination + *used, room - *used, &ok);
  });
  return !sink_.HasWaiting();
}

int Stream::Convert(StreamHeader* header, uint32_t flags) {
  if (!header) return kInvalidParameter;
  if (!(header->status & kHeaderPrepared)) return kUnprepared;
  if (header->sourceLength > header->preparedSourceLength ||
      header->destinationLength > header->preparedDestinationLength) {
    return kInvalidParameter;
  }
  if (flags & kConvertStart) Restart();
  header->status &= ~kHeaderDone;

  uint32_t frameBytes = destination_.blockAlign;
  uint32_t room = header->destinationLength - header->destinationLength % frameBytes;
  uint32_t used = sink_.Drain(header->destination, room);
  uint32_t consumed = 0;
  uint32_t length = header->sourceLength;
  if (!sink_.HasWaiting() && length > 0) {
    // Parsers and decoders read a little past the end of what they are given.
    input_.resize(static_cast<size_t>(length) + AV_INPUT_BUFFER_PADDING_SIZE);
    std::memcpy(input_.data(), header->source, length);
    std::memset(input_.data() + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    splitter_.Begin(decoder_.context.get(), input_.data(), length);
    bool found = false;
    PacketSplitter::Packet packet{};
    while (room - used >= frameBytes && splitter_.Next(&packet)) {
      found = true;
      consumed = packet.end;
      if (!Decode(packet, header->destination, room, &used)) break;
    }
    if (!found && room - used >= frameBytes && choice_.framing == CodecChoice::Framing::kParser &&
        length > kLongestFrame) {
      consumed = length - kLongestFrame;
    }
  }
  header->sourceLengthUsed = consumed;
  header->destinationLengthUsed = used;
  header->status |= kHeaderDone;
  return kOk;
}

}  // namespace platform::acm
