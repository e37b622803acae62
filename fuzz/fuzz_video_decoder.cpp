// Hostile formats and packets through the video decoder and FFmpeg's decoders behind it: the
// input chooses the codec, the picture size and depth, the field mode and the quality, then
// carries the format's extra bytes and the packets with their key flags.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/movie.h"
#include "color/colour_state.h"
#include "color/kernel_scratch.h"
#include "color/level_tables.h"
#include "color/picture_model.h"
#include "fuzz_input.h"
#include "riff/fourcc.h"
#include "scale/normal_quality_converter.h"
#include "video/vcm_decoder.h"

namespace {

constexpr const char* kHandlers[] = {"XVID", "DIVX", "H264", "MJPG", "HFYU", "FFV1",
                                     "MP43", "MP42", "DIB ", "YV12", "YUY2", "\0\0\0\0"};
constexpr uint16_t kBits[] = {12, 16, 24, 32, 8, 0};
constexpr size_t kMaxPackets = 48;

scale::NormalQualityConverter& FrameProcessor() {
  static const bool ready = [] {
    color::InitColour(1.0, 1.0, 1.0, 4, color::kTransferSrgb, color::kTransferSrgb, 100);
    color::BuildLevelTables();
    return true;
  }();
  static scale::NormalQualityConverter converter(color::GetFieldInterpolator(), 1);
  (void)ready;
  return converter;
}

struct Reader {
  const uint8_t* data;
  size_t size;
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzinput::SilenceFfmpeg();
  Reader in{data, size};
  const char* handler = kHandlers[in.Byte() % std::size(kHandlers)];
  const int32_t width = (in.Byte() % 48) + 1;
  const int32_t height = (in.Byte() % 48) + 1;
  const uint16_t bits = kBits[in.Byte() % std::size(kBits)];
  const uint8_t fieldMode = in.Byte() % 6;
  const int32_t mode = in.Byte() % 3;
  const size_t extra = std::min<size_t>(in.Byte(), in.size);

  auto movie = std::make_unique<avi::Movie>();
  riff::BitmapInfoHeader header{};
  header.size = static_cast<uint32_t>(sizeof(header) + extra);
  header.width = width;
  header.height = height;
  header.planes = 1;
  header.bitCount = bits;
  header.compression = riff::LoadU32(reinterpret_cast<const uint8_t*>(handler));
  movie->format.assign(reinterpret_cast<const uint8_t*>(&header),
                       reinterpret_cast<const uint8_t*>(&header) + sizeof(header));
  movie->format.insert(movie->format.end(), in.data, in.data + extra);
  in.data += extra;
  in.size -= extra;
  movie->streamHeader.fccHandler = header.compression;
  movie->colourInfo[3] = fieldMode;

  // Packets: a 16-bit length whose top bit marks a key frame, then the bytes.
  avi::FileView view = fuzzinput::AsFile(in.data, in.size);
  if (!view.IsOpen()) return 0;
  auto table = std::make_unique<avi::PacketTable>(view);
  size_t offset = 0;
  const size_t total = in.size;
  while (offset + 2 <= total && table->Count() < kMaxPackets) {
    const uint32_t word = static_cast<uint32_t>(in.data[offset] | in.data[offset + 1] << 8);
    offset += 2;
    const uint32_t length = std::min<uint32_t>(word & 0x7FFF, static_cast<uint32_t>(total - offset));
    table->Append(offset, length | ((word & 0x8000) != 0 ? 0 : avi::kNotKeyFrame));
    offset += length;
  }
  if (table->Count() == 0) return 0;
  const int32_t frames = static_cast<int32_t>(table->Count());
  movie->packetTables.Append(std::move(table));

  video::VCMDecoder decoder(*movie, &FrameProcessor());
  if (decoder.Kind() == video::kKindUnusable) return 0;
  video::DecodedPicture record{};
  decoder.GetOutputInfo(&record);
  std::vector<uint8_t> picture(decoder.OutputSize());
  for (int32_t frame = 0; frame < frames; ++frame) {
    decoder.DecodeForPlayback(frame, picture.data(), &record, nullptr, nullptr);
  }
  // Converted pictures at twice the height cover field pairs; seeks go back and forth.
  const ptrdiff_t pitch = 4 * static_cast<ptrdiff_t>(decoder.Width());
  std::vector<uint8_t> converted(static_cast<size_t>(pitch) * 2 * decoder.Height());
  for (int32_t frame : {frames - 1, 0, frames / 2, frames / 2 + 1, 2 * frames - 1}) {
    decoder.DecodeConverted(frame, converted.data(), pitch, frame % 11 - 5, (frame & 1) != 0, mode);
  }
  decoder.DecodeToRgb(frames / 3, converted.data());
  return 0;
}
