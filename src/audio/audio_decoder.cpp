#include "audio/audio_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "audio/adpcm_units.h"
#include "audio/pcm_widening.h"
#include "avi/audio_stream.h"
#include "common/log.h"
#include "common/text_encoding.h"
#include "platform/acm/format_info.h"

namespace audio {

namespace {

// Far above the largest packet of any codec taken here; a packet that claims more is broken.
constexpr uint32_t kMaxPacketBytes = 1u << 20;

const char* OwnFormatName(uint16_t tag) {
  switch (tag) {
    case riff::kWaveFormatPcm:
      return "PCM";
    case kWaveFormatStepAdpcm:
      return "step ADPCM";
    case kWaveFormatFilterAdpcm:
      return "filter ADPCM";
    default:
      return "XA ADPCM";
  }
}

}  // namespace

int64_t AudioDecoder::ReadWholePacket(const PacketReader& read, std::vector<uint8_t>* packet) {
  if (packet->empty()) packet->resize(4096);
  uint32_t size = 0;
  int64_t got = read(static_cast<uint32_t>(packet->size()), packet->data(), &size);
  if (got < 0) return -1;
  // A packet that claims more than any codec makes is read as one that decodes to nothing.
  if (size > kMaxPacketBytes) return 0;
  if (size > packet->size()) {
    packet->resize(size);
    got = read(size, packet->data(), &size);
  }
  return got < 0 ? -1 : std::min<int64_t>(got, size);
}

uint32_t AudioDecoder::Chain::Read(int64_t position, uint32_t count, uint8_t* destination) const {
  if (position < 0 || count == 0) return 0;
  int64_t got = callback(stage, avi::kChainRead, stream, static_cast<intptr_t>(position), 0,
                         static_cast<intptr_t>(count), reinterpret_cast<intptr_t>(destination));
  return got <= 0 ? 0 : static_cast<uint32_t>(std::min<int64_t>(got, count));
}

uint64_t AudioDecoder::Chain::TotalLength() const {
  uint64_t total = 0;
  callback(stage, avi::kChainTotalLength, stream, reinterpret_cast<intptr_t>(&total), 0, 0, 0);
  return total;
}

int64_t AudioDecoder::Chain::SourcePosition(int64_t position, int64_t* start) const {
  uint64_t wanted = static_cast<uint64_t>(position);
  uint64_t from = wanted;
  int64_t source = callback(stage, avi::kChainSourcePosition, stream, reinterpret_cast<intptr_t>(&wanted),
                            reinterpret_cast<intptr_t>(&from), 0, 0);
  *start = from <= wanted ? static_cast<int64_t>(from) : position;
  return source < 0 ? 0 : source;
}

int64_t AudioDecoder::Chain::ReadPacket(size_t index, std::vector<uint8_t>* packet) const {
  return ReadWholePacket(
      [&](uint32_t count, uint8_t* destination, uint32_t* size) {
        return callback(stage, avi::kChainReadPacket, stream, static_cast<intptr_t>(index),
                        reinterpret_cast<intptr_t>(size), static_cast<intptr_t>(count),
                        reinterpret_cast<intptr_t>(destination));
      },
      packet);
}

AudioDecoder::AudioDecoder(const avi::AudioStream& stream) {
  if (const std::string* name = stream.Name8()) {
    streamName_ = *name;
  } else if (const std::u16string* wide = stream.Name16()) {
    streamName_ = common::Utf16ToUtf8(*wide);
  }
  const riff::WaveFormat* format = stream.OutputFormat();
  size_t size = sizeof(riff::WaveFormat) + (format->formatTag == riff::kWaveFormatPcm ? 0 : format->cbSize);
  input_.assign(reinterpret_cast<const uint8_t*>(format), reinterpret_cast<const uint8_t*>(format) + size);
  tag_ = format->formatTag;
  std::string why;
  bool built;
  switch (tag_) {
    case riff::kWaveFormatPcm: {
      codecName_ = OwnFormatName(tag_);
      // Widened samples carry at most 64 bits, so only narrower sources are taken.
      uint16_t bits = format->bitsPerSample;
      built = bits == 8 || bits == 16 || bits == 24 || bits == 32;
      if (built) {
        reinterpret_cast<riff::WaveFormat*>(input_.data())->cbSize = 0;
        built = BuildWideOutput(&why);
      } else {
        why = std::to_string(bits) + "-bit samples";
      }
      break;
    }
    case kWaveFormatStepAdpcm:
    case kWaveFormatFilterAdpcm:
    case kWaveFormatXaAdpcm:
      codecName_ = OwnFormatName(tag_);
      built = BuildWideOutput(&why);
      break;
    default: {
      platform::acm::FormatInfo info = platform::acm::DescribeFormat(format);
      tag_ = info.tag;
      codecName_ = info.name;
      built = info.packets ? OpenPackets(stream, &why) : OpenAcm(stream, &why);
      break;
    }
  }
  if (!built) {
    common::LogFailure(streamName_, Label() + " refused: " + why);
    CloseAcm();
    packets_.reset();
    input_.clear();
    output_.clear();
  }
}

AudioDecoder::~AudioDecoder() { CloseAcm(); }

std::string AudioDecoder::Label() const {
  char tag[8];
  std::snprintf(tag, sizeof tag, "0x%04x", In().formatTag);
  return std::string("audio format ") + tag + " (" + codecName_ + ")";
}

void AudioDecoder::ReportOnce(const std::string& reason) {
  if (reported_) return;
  reported_ = true;
  common::LogFailure(streamName_, Label() + ": " + reason);
}

bool AudioDecoder::OutputLength(uint64_t* bytes) const {
  if (!packets_) return false;
  *bytes = timeline_.Total() * Out().blockAlign;
  return true;
}

const riff::WaveFormat* AudioDecoder::InputFormat() const { return input_.empty() ? nullptr : &In(); }

const riff::WaveFormat* AudioDecoder::OutputFormat() const { return output_.empty() ? nullptr : &Out(); }

bool AudioDecoder::BuildWideOutput(std::string* why) {
  const riff::WaveFormat& in = In();
  uint64_t blockAlign = uint64_t{in.channels} * kWideSampleBytes;
  uint64_t byteRate = blockAlign * in.samplesPerSec;
  if (in.channels == 0 || in.samplesPerSec == 0 || blockAlign > UINT16_MAX || byteRate > UINT32_MAX) {
    *why = std::to_string(in.channels) + " channels at " + std::to_string(in.samplesPerSec) + " Hz";
    return false;
  }

  uint16_t tag = in.formatTag;
  if (tag != riff::kWaveFormatPcm) {
    if (in.channels > 2) {
      *why = std::to_string(in.channels) + " channels";
      return false;
    }
    bool stereo = in.channels == 2;
    if (tag == kWaveFormatXaAdpcm) {
      layout_ = {kXaGroupBytes, 1, kXaGroupOutput};
    } else if (tag == kWaveFormatStepAdpcm) {
      // One 18-byte block a channel: a mono stream is a run of single blocks.
      layout_ = {kStepBlockBytes * in.channels, 1, kStepBlockSamples * kWideSampleBytes * in.channels};
    } else {
      // Stereo: each block-aligned chunk holds the left blocks in its first half, the right in
      // its second.
      uint32_t chunk = stereo ? 2 * kFilterBlockBytes : kFilterBlockBytes;
      if (in.blockAlign == 0 || in.blockAlign % chunk != 0) {
        *why = "block align " + std::to_string(in.blockAlign) + " is no whole number of " +
               std::to_string(chunk) + "-byte blocks";
        return false;
      }
      layout_ = stereo ? AdpcmLayout{in.blockAlign, in.blockAlign / chunk,
                                     2 * kFilterBlockSamples * kWideSampleBytes}
                       : AdpcmLayout{kFilterBlockBytes, 1, kFilterBlockSamples * kWideSampleBytes};
    }
    carry_.resize(layout_.unitOutput);
    unit_.resize(layout_.unitOutput);
  }

  output_.assign(sizeof(riff::WaveFormat), 0);
  auto* out = reinterpret_cast<riff::WaveFormat*>(output_.data());
  out->formatTag = riff::kWaveFormatPcm;
  out->channels = in.channels;
  out->samplesPerSec = in.samplesPerSec;
  out->bitsPerSample = 64;
  out->blockAlign = static_cast<uint16_t>(blockAlign);
  out->avgBytesPerSec = static_cast<uint32_t>(byteRate);

  // A stored byte rate of 0 says nothing, but these layouts fix the source bytes of every
  // output byte: the stream's length is worked out from the rate they give.
  if (in.avgBytesPerSec == 0) {
    uint64_t sourceBytes = tag == riff::kWaveFormatPcm ? in.bitsPerSample / 8 : layout_.chunkBytes;
    uint64_t outputBytes =
        tag == riff::kWaveFormatPcm ? kWideSampleBytes : uint64_t{layout_.unitOutput} * layout_.unitsPerChunk;
    uint64_t derived = byteRate * sourceBytes / outputBytes;
    reinterpret_cast<riff::WaveFormat*>(input_.data())->avgBytesPerSec =
        static_cast<uint32_t>(std::max<uint64_t>(derived, 1));
  }
  return true;
}

uint32_t AudioDecoder::Read(int stage, avi::ChainCallback callback, avi::AudioStream* stream,
                            int64_t position, uint32_t count, uint8_t* destination) {
  if (Failed() || !callback || !destination || position < 0) return 0;
  Chain chain{stage, callback, stream};
  if (packets_) return ReadPackets(chain, position, count, destination);
  // The program's own formats by their own tag; an extensible format goes through the
  // compression layer, AC-3 by its sub-format tag too.
  switch (In().formatTag) {
    case riff::kWaveFormatPcm:
      return ReadPcm(chain, position, count, destination);
    case kWaveFormatStepAdpcm:
    case kWaveFormatFilterAdpcm:
    case kWaveFormatXaAdpcm:
      return ReadAdpcm(chain, position, count, destination);
    default:
      return tag_ == kWaveFormatAc3 ? ReadAc3(chain, position, count, destination)
                                    : ReadAcm(chain, position, count, destination);
  }
}

uint32_t AudioDecoder::ReadPcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination) {
  uint32_t sampleBytes = In().bitsPerSample / 8;
  uint32_t samples = count / kWideSampleBytes;
  uint32_t produced = 0;
  if (samples > 0) {
    uint64_t wanted = uint64_t{samples} * sampleBytes;
    scratch_.resize(wanted);
    // The source sample of the output sample that holds the position: a count that is no whole
    // number of samples does not move it.
    int64_t source = position / kWideSampleBytes * sampleBytes;
    uint32_t got = chain.Read(source, static_cast<uint32_t>(wanted), scratch_.data());
    // A partial trailing sample is dropped.
    uint32_t whole = got / sampleBytes;
    WidenPcm(scratch_.data(), whole, In().bitsPerSample, destination);
    produced = whole * kWideSampleBytes;
  }
  position_ = position + produced;
  return produced;
}

}  // namespace audio
