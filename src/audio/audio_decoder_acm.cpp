// The paths through the audio compression layer: AC-3 one frame's output per conversion with
// the dialogue-level gain, and every other format one second of source per conversion.
#include <algorithm>
#include <cstring>

#include "audio/audio_decoder.h"
#include "audio/mpeg_audio_header.h"
#include "avi/audio_stream.h"
#include "avi/source_layout.h"
#include "platform/acm/acm_result.h"
#include "platform/acm/format_info.h"
#include "platform/acm/format_suggest.h"

namespace audio {

namespace {

namespace acm = platform::acm;

constexpr uint16_t kWaveFormatMpeg = 0x50;
// The stream's start that the byte rate of MPEG audio is taken from when the format has none.
constexpr uint32_t kMpegProbeBytes = 65536;
constexpr uint32_t kAc3FrameSamples = 1536;
// Far above the longest AC-3 frame; a format that claims more is broken.
constexpr uint64_t kMaxAc3FrameBytes = 65536;

// The MPEG Layer III extension as decoders of this format expect it.
struct Mp3Extension {
  uint16_t id;
  uint32_t flags;
  uint16_t blockSize;
  uint16_t framesPerBlock;
  uint16_t codecDelay;
} __attribute__((packed));
static_assert(sizeof(Mp3Extension) == 12);

}  // namespace

bool AudioDecoder::SuggestOutput(std::string* why) {
  uint32_t formatSize = acm::MaxFormatSize();
  output_.assign(formatSize, 0);
  auto* out = reinterpret_cast<riff::WaveFormat*>(output_.data());
  out->formatTag = riff::kWaveFormatPcm;
  if (acm::SuggestFormat(&In(), out, formatSize, acm::kSuggestFormatTag) != acm::kOk) {
    *why = "no PCM format to decode to";
    return false;
  }
  return true;
}

bool AudioDecoder::OpenAcm(const avi::AudioStream& stream, std::string* why) {
  auto* in = reinterpret_cast<riff::WaveFormat*>(input_.data());
  if (in->formatTag == riff::kWaveFormatMpegLayer3 && in->cbSize == sizeof(Mp3Extension)) {
    Mp3Extension extension;
    std::memcpy(&extension, input_.data() + sizeof(riff::WaveFormat), sizeof extension);
    if (extension.id != 1 || extension.flags != 2) {
      extension = {1, 2, 960, 1, 1393};
      std::memcpy(input_.data() + sizeof(riff::WaveFormat), &extension, sizeof extension);
    }
  }
  // Muxers write 0 for MPEG audio whose bit rate they were not told: the frames tell it.
  if ((tag_ == kWaveFormatMpeg || tag_ == riff::kWaveFormatMpegLayer3) && in->avgBytesPerSec == 0) {
    std::vector<uint8_t> start(kMpegProbeBytes);
    start.resize(stream.ReadRaw(0, kMpegProbeBytes, start.data()));
    in->avgBytesPerSec = MpegByteRate(start.data(), start.size());
    if (in->avgBytesPerSec == 0) {
      *why = "byte rate 0 and no MPEG audio frame in the first " + std::to_string(kMpegProbeBytes) + " bytes";
      return false;
    }
  }
  // Blocks of a known number of samples fix the byte rate; a stored one may be only nominal.
  if (uint32_t blockSamples = avi::SamplesPerBlock(*in)) {
    uint64_t rate = (uint64_t{in->blockAlign} * in->samplesPerSec + blockSamples / 2) / blockSamples;
    in->avgBytesPerSec = static_cast<uint32_t>(std::clamp<uint64_t>(rate, 1, UINT32_MAX));
  }
  platform::acm::FormatInfo info = acm::DescribeFormat(in);
  if (!info.decodable) {
    *why = info.refusal;
    return false;
  }
  if (tag_ == kWaveFormatAc3) {
    uint64_t frameBytes = uint64_t{in->avgBytesPerSec} * kAc3FrameSamples / in->samplesPerSec;
    if (frameBytes == 0 || frameBytes > kMaxAc3FrameBytes) {
      *why = "frames of " + std::to_string(frameBytes) + " bytes by the byte rate";
      return false;
    }
    ac3FrameBytes_ = static_cast<uint32_t>(frameBytes);
  }

  if (!SuggestOutput(why)) return false;
  const riff::WaveFormat& out = Out();
  if (acm::Stream::Open(&acm_, in, &out, acm::kOpenNonRealtime) != acm::kOk ||
      acm_->Size(in->avgBytesPerSec, &decodedSize_, acm::kSizeSource) != acm::kOk) {
    *why = "the decoder did not open";
    return false;
  }

  uint32_t sourceBytes = in->avgBytesPerSec;
  if (tag_ == kWaveFormatAc3) {
    // Two frames by the stream's byte rate hold a whole frame even when the frames are of
    // another sample rate than the stream says.
    sourceBytes = 2 * ac3FrameBytes_;
    decodedSize_ = uint32_t{out.blockAlign} * kAc3FrameSamples;
  }
  source_.assign(sourceBytes, 0);
  decoded_.assign(decodedSize_, 0);
  header_ = {};
  header_.source = source_.data();
  header_.sourceLength = sourceBytes;
  header_.destination = decoded_.data();
  header_.destinationLength = decodedSize_;
  if (acm_->Prepare(&header_) != acm::kOk) {
    *why = "the decoder took no buffers";
    return false;
  }
  header_.sourceLength = 0;
  header_.sourceLengthUsed = 0;
  header_.destinationLengthUsed = 0;
  convertFlags_ = acm::kConvertStart | acm::kConvertBlockAlign;
  return true;
}

void AudioDecoder::CloseAcm() {
  if (acm_ && (header_.status & platform::acm::kHeaderPrepared)) acm_->Unprepare(&header_);
  acm_.reset();
  source_.clear();
  decoded_.clear();
}

void AudioDecoder::DropPendingAc3() {
  waiting_ = 0;
  // Output the codec still holds belongs to the frames before a jump.
  header_.sourceLength = 0;
  do {
    header_.destinationLength = decodedSize_;
    header_.sourceLengthUsed = 0;
    header_.destinationLengthUsed = 0;
  } while (acm_->Convert(&header_, acm::kConvertBlockAlign) == acm::kOk && header_.destinationLengthUsed > 0);
}

bool AudioDecoder::ConvertAc3(const Chain& chain) {
  // The codec takes the whole frames at the front of the window and says how many bytes they
  // had, so the source follows the frames as they are, whatever size the byte rate gives them.
  uint32_t got = chain.Read(sourcePosition_, static_cast<uint32_t>(source_.size()), source_.data());
  header_.sourceLength = got;
  header_.destinationLength = decodedSize_;
  header_.sourceLengthUsed = 0;
  header_.destinationLengthUsed = 0;
  if (acm_->Convert(&header_, convertFlags_) != acm::kOk) {
    ReportOnce("conversion failed at source byte " + std::to_string(sourcePosition_));
    return false;
  }
  convertFlags_ = acm::kConvertBlockAlign;
  if (!gain_.Built() && got >= 2 && source_[0] == 0x0B && source_[1] == 0x77)
    gain_.Build(source_.data(), got);
  uint32_t used = header_.destinationLengthUsed;
  uint32_t consumed = header_.sourceLengthUsed;
  if (used == 0) {
    // Less than a frame of bytes left: the stream ends.
    if (consumed == 0 && got < ac3FrameBytes_) return false;
    // A frame that decodes to nothing plays as a frame of silence, so later frames keep their
    // positions.
    used = decodedSize_;
    std::memset(decoded_.data(), 0, used);
    if (consumed == 0) consumed = ac3FrameBytes_;
  }
  sourcePosition_ += consumed;
  if (gain_.Built() && Out().bitsPerSample == 16) gain_.Apply(decoded_.data(), used / 2);
  waiting_ = used;
  return true;
}

uint32_t AudioDecoder::HandOut(uint64_t* skip, uint8_t* destination, uint32_t room) {
  uint32_t dropped = static_cast<uint32_t>(std::min<uint64_t>(*skip, waiting_));
  *skip -= dropped;
  uint32_t take = std::min(waiting_ - dropped, room);
  std::memcpy(destination, decoded_.data() + dropped, take);
  waiting_ -= dropped + take;
  if (waiting_ > 0) std::memmove(decoded_.data(), decoded_.data() + dropped + take, waiting_);
  return take;
}

uint32_t AudioDecoder::ReadAc3(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination) {
  const uint64_t frameOutput = decodedSize_;
  // Reads that follow each other go on with the decoded output as it comes; only a jump
  // places the source by the stream's byte rate, at the frame that holds the position.
  uint64_t skip = 0;
  if (position != position_) {
    uint64_t index = static_cast<uint64_t>(position) / frameOutput;
    if (index > static_cast<uint64_t>(INT64_MAX) / ac3FrameBytes_) return 0;
    sourcePosition_ = static_cast<int64_t>(index * ac3FrameBytes_);
    convertFlags_ = index == 0 ? acm::kConvertStart | acm::kConvertBlockAlign : acm::kConvertBlockAlign;
    DropPendingAc3();
    skip = static_cast<uint64_t>(position) - index * frameOutput;
  }
  uint32_t produced = 0;
  while (produced < count) {
    if (waiting_ == 0 && !ConvertAc3(chain)) break;
    produced += HandOut(&skip, destination + produced, count - produced);
  }
  position_ = position + produced;
  return produced;
}

uint32_t AudioDecoder::ReadAcm(const Chain& chain, int64_t position, uint32_t count, uint8_t* destination) {
  if (position != position_) {
    int64_t start = position;
    sourcePosition_ = chain.SourcePosition(position, &start);
    header_.sourceLength = 0;
    header_.sourceLengthUsed = 0;
    header_.destinationLengthUsed = 0;
    waiting_ = 0;
    // Decoding starts at the block or frame that holds the position; what comes before the
    // position is decoded and dropped. More than a second before it says the mapping is off.
    uint64_t before = static_cast<uint64_t>(position - start);
    skip_ = before <= Out().avgBytesPerSec ? before : 0;
    position_ = position;
  }
  uint64_t total = chain.TotalLength();
  uint32_t produced = 0;
  uint32_t lastRead = 1;
  while (static_cast<uint64_t>(position_) < total) {
    if (waiting_ > 0) {
      uint32_t copied = HandOut(&skip_, destination + produced, count - produced);
      produced += copied;
      position_ += copied;
      if (produced == count) break;
    }
    if (lastRead == 0) break;
    sourcePosition_ += header_.sourceLengthUsed;
    header_.sourceLengthUsed = 0;
    lastRead = chain.Read(sourcePosition_, In().avgBytesPerSec, source_.data());
    header_.sourceLength = lastRead;
    header_.destinationLength = decodedSize_;
    header_.destinationLengthUsed = 0;
    int result = acm_->Convert(&header_, convertFlags_);
    convertFlags_ = acm::kConvertBlockAlign;
    if (result != acm::kOk) {
      ReportOnce("conversion failed at source byte " + std::to_string(sourcePosition_));
      break;
    }
    waiting_ = header_.destinationLengthUsed;
    // Bytes the codec can make nothing of (a frame cut off at the end) would come back the
    // same on every round.
    if (header_.sourceLengthUsed == 0 && waiting_ == 0) break;
  }
  return produced;
}

}  // namespace audio
