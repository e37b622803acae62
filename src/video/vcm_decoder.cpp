#include "video/vcm_decoder.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "avi/packet_entry.h"
#include "common/format.h"
#include "common/log.h"
#include "common/text_encoding.h"
#include "platform/codec/output_format.h"
#include "riff/fourcc.h"
#include "video/dib_rows.h"
#include "video/padded_yv12.h"

namespace video {

namespace {

constexpr uint32_t kRgbCompression = 0;
// Size of the spare tail of a YV12 buffer: a Y/C offset of up to five chroma samples never
// reads past it.
constexpr size_t kYv12Spare = 5;

// Handlers of codecs that the MPEG-4 decoder stands in for.
constexpr std::array<uint32_t, 4> kXvidAliases = {riff::MakeFourcc("DX50"), riff::MakeFourcc("DIVX"),
                                                  riff::MakeFourcc("divf"), riff::MakeFourcc("divx")};
// Codecs whose 32-bit output takes the round trip through YV12.
constexpr std::array<uint32_t, 7> kRgbToYv12Codes = {
    riff::MakeFourcc("mpg4"), riff::MakeFourcc("MP42"), riff::MakeFourcc("mp42"), riff::MakeFourcc("mp43"),
    riff::MakeFourcc("MP43"), riff::MakeFourcc("div3"), riff::MakeFourcc("div4")};

template <size_t N>
bool Contains(const std::array<uint32_t, N>& codes, uint32_t code) {
  return std::find(codes.begin(), codes.end(), code) != codes.end();
}

riff::BitmapInfoHeader& Header(std::vector<uint8_t>& format) {
  return *reinterpret_cast<riff::BitmapInfoHeader*>(format.data());
}

const riff::BitmapInfoHeader& Header(const std::vector<uint8_t>& format) {
  return *reinterpret_cast<const riff::BitmapInfoHeader*>(format.data());
}

std::string NameOf(const avi::PacketTable* table) {
  if (table != nullptr) {
    if (const std::string* narrow = table->View().BaseName8()) return *narrow;
    if (const std::u16string* wide = table->View().BaseName16()) return common::Utf16ToUtf8(*wide);
  }
  return "video stream";
}

}  // namespace

VCMDecoder::VCMDecoder(const avi::Movie& movie, scale::NormalQualityConverter* frameProcessor,
                       common::Lock* frameProcessorLock, platform::codec::Registry& registry)
    : frameProcessor_(frameProcessor),
      frameProcessorLock_(frameProcessorLock),
      movie_(movie),
      table_(movie.VideoTable()),
      name_(NameOf(table_)) {
  Open(registry);
  if (kind_ != kKindUnusable) AllocateBuffers();
}

VCMDecoder::~VCMDecoder() {
  if (codec_ && kind_ != kKindUnusable && kind_ != kKindDib && kind_ != kKindRawYv12) codec_->End();
}

void VCMDecoder::Open(platform::codec::Registry& registry) {
  // The stream format as far as the file holds it, its size field telling the truth.
  const uint32_t stated = Header(movie_.format).size;
  const size_t bytes = std::clamp<size_t>(stated, sizeof(riff::BitmapInfoHeader), movie_.format.size());
  inputFormat_.assign(movie_.format.begin(), movie_.format.begin() + static_cast<ptrdiff_t>(bytes));
  Header(inputFormat_).size = static_cast<uint32_t>(bytes);
  if (table_ == nullptr) {
    Report("the file has no video packets");
    return;
  }
  if (!platform::codec::PictureSize(Header(inputFormat_), &width_, &height_)) {
    Report(common::Format("the picture size %dx%d is out of range", Header(inputFormat_).width,
                          Header(inputFormat_).height));
    return;
  }

  uint32_t code = movie_.streamHeader.fccHandler;
  if (Contains(kXvidAliases, code)) code = riff::MakeFourcc("xvid");
  codec_ = registry.Open(code);
  openedCode_ = code;
  const uint32_t compression = Header(inputFormat_).compression;
  if (!codec_) {
    // Muxers write uncompressed RGB with a handler of 0; it is the same picture as "DIB ".
    if (code == riff::MakeFourcc("DIB ") || (code == 0 && compression == kRgbCompression)) {
      kind_ = kKindDib;
    } else if (code == riff::MakeFourcc("YV12") && ((width_ | height_) & 1) == 0) {
      kind_ = kKindRawYv12;
      ApplyFieldMode();
    } else if (code == riff::MakeFourcc("YV12")) {
      Report(common::Format("raw YV12 pictures need even sides, these are %dx%d", width_, height_));
    } else {
      const std::string pictures =
          compression != code ? " ('" + riff::FourccText(compression) + "' pictures)" : std::string();
      Report("no codec for '" + riff::FourccText(code) + "'" + pictures);
    }
    outputFormat_ = inputFormat_;
    return;
  }
  if (!codec_->Query(inputFormat_)) {
    const std::string refusal = codec_->Failure();
    codec_.reset();
    openedCode_ = compression;
    codec_ = registry.Open(openedCode_);
    if (!codec_) {
      Report("codec '" + riff::FourccText(code) + "' does not take the stream (" + refusal +
             "), and no codec opens for its compression '" + riff::FourccText(compression) + "'");
      return;
    }
  }
  const uint32_t formatSize = codec_->FormatSize(inputFormat_);
  outputFormat_.assign(std::max<size_t>(formatSize, sizeof(riff::BitmapInfoHeader)), 0);
  std::memcpy(outputFormat_.data(), inputFormat_.data(), std::min(outputFormat_.size(), inputFormat_.size()));
  InspectFirstKeyFrame();
  Negotiate();
}

void VCMDecoder::InspectFirstKeyFrame() {
  if (!codec_->NeedsInspection(inputFormat_)) return;
  for (size_t i = 0; i < table_->Count(); ++i) {
    const uint32_t size = table_->Size(i);
    if ((size & avi::kNotKeyFrame) != 0 || size == 0) continue;
    std::vector<uint8_t> packet(std::min(size, kMaxPacketBytes));
    const uint32_t read =
        ReadPacket(static_cast<int64_t>(i), packet.data(), static_cast<uint32_t>(packet.size()));
    codec_->Inspect(inputFormat_, packet.data(), read);
    return;
  }
}

bool VCMDecoder::TryOutput(uint32_t compression, uint16_t bits) {
  riff::BitmapInfoHeader& output = Header(outputFormat_);
  output.compression = compression;
  output.bitCount = bits;
  output.sizeImage = 0;
  return codec_->Begin(inputFormat_, outputFormat_) == platform::codec::kOk;
}

bool VCMDecoder::Negotiate() {
  if (TryOutput(riff::MakeFourcc("YV12"), 12)) {
    kind_ = kKindYv12;
    ApplyFieldMode();
    return true;
  }
  // Why the preferred output was refused says most about the stream.
  const std::string refusal = codec_->Failure();
  if (TryOutput(riff::MakeFourcc("YUY2"), 16)) {
    kind_ = kKindYuy2;
  } else if (TryOutput(kRgbCompression, 32)) {
    kind_ = Contains(kRgbToYv12Codes, openedCode_) ? kKindRgbToYv12 : kKindRgb;
  } else if (TryOutput(kRgbCompression, 24)) {
    kind_ = kKindRgb;
  } else {
    Report(
        common::Format("codec '%s' refused the picture format %dx%d as YV12, YUY2, 32-bit and 24-bit RGB: %s",
                       riff::FourccText(openedCode_).c_str(), width_, height_, refusal.c_str()));
  }
  return kind_ != kKindUnusable;
}

// The field mode of the stream's colour information: 0 progressive, 3 and 4 stacked fields
// (4 the lower first), anything else field pairs. It describes the pictures, so raw YV12
// pictures take it as decoded ones do.
void VCMDecoder::ApplyFieldMode() {
  fieldMode_ = movie_.colourInfo[3];
  stackedFields_ = fieldMode_ == 3 || fieldMode_ == 4;
  bottomFieldFirst_ = fieldMode_ == 4;
  fieldPairs_ = fieldMode_ != 0 && !stackedFields_;
}

void VCMDecoder::AllocateBuffers() {
  const size_t area = static_cast<size_t>(width_) * static_cast<size_t>(height_);
  switch (kind_) {
    case kKindRgb:
    case kKindRgbToYv12:
      bufferA_.resize(4 * area);
      bufferB_.resize(4 * area);
      bufferC_.resize(8 * area);
      break;
    case kKindYuy2:
      bufferA_.resize(2 * area);
      break;
    case kKindYv12:
      bufferA_.resize(2 * area + kYv12Spare);
      if (stackedFields_) fieldBuffer_.resize(4 * area);
      break;
    case kKindDib: {
      const int32_t bits = Header(inputFormat_).bitCount;
      // Other depths are refused at decoding; they get no buffer.
      if (bits == 16 || bits == 24 || bits == 32) {
        bufferA_.resize(DibRowBytes(bits, width_) * height_);
      } else {
        Report(common::Format("uncompressed pictures of %d bits a pixel are not supported", bits));
      }
      break;
    }
    case kKindRawYv12:
      bufferA_.resize(area * 3 / 2 + kYv12Spare);
      if (stackedFields_) fieldBuffer_.resize(4 * area);
      break;
    default:
      break;
  }
  if (kind_ != kKindDib && kind_ != kKindRawYv12) {
    uint32_t largest = 1;
    for (size_t i = 0; i < table_->Count(); ++i)
      largest = std::max(largest, table_->Size(i) & ~avi::kNotKeyFrame);
    packet_.resize(std::min(largest, kMaxPacketBytes));
  }
  if (kind_ == kKindYv12 || kind_ == kKindRawYv12) {
    const int32_t padded = scale::NormalQualityConverter::PaddedWidth(width_);
    if (padded != width_ && frameProcessor_ != nullptr) {
      paddedPicture_.resize(PaddedYv12Bytes(padded, height_));
      wideRows_.resize(4 * static_cast<size_t>(padded) * height_ * (fieldPairs_ ? 2 : 1));
    }
  }
}

size_t VCMDecoder::OutputSize() const {
  if (kind_ == kKindUnusable) return 0;
  const size_t w = static_cast<size_t>(width_);
  const size_t h = static_cast<size_t>(height_);
  return kind_ == kKindYv12 ? w / 2 * h * 3 : w * h * 4;
}

int32_t VCMDecoder::GetOutputInfo(DecodedPicture* record) const {
  *record = DecodedPicture{};
  if (kind_ == kKindUnusable) return 0;
  record->width = width_;
  record->height = fieldPairs_ ? 2 * height_ : height_;
  record->format = kFormatRgb;
  record->size = record->width * record->height * 4;
  return 0;
}

}  // namespace video
