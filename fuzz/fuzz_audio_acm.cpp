// The compression-layer paths of the audio decoder (AC-3 frame by frame, the codecs decoded
// packet by packet, and every other format through libavcodec) over arbitrary formats and data:
// the first bytes make the format and its extra bytes, the rest is the stream's packet data, in
// packets of one size or, when the first byte's top bit is set, as records of a 16-bit
// little-endian length and that many bytes. The stream is read sequentially and after a jump;
// reads that follow each other must join as one read would give.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio_read_check.h"
#include "avi/audio_stream.h"
#include "fuzz_input.h"
#include "support/wave_format_builder.h"

namespace {

constexpr size_t kHeader = 24;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzinput::SilenceFfmpeg();
  if (size < kHeader) return 0;
  // Tags the layer decodes, so that most inputs reach a codec; the last picks any tag.
  static const uint16_t kTags[] = {0x2000, 0x0055, 0x0050, 0x0002, 0x0011, 0x0006, 0x0007, 0x2001, 0x0161,
                                   0x0031, 0x0003, 0xFFFE, 0x1600, 0x00FF, 0x2081, 0x566F, 0xF1AC, 0};
  const uint16_t tag = kTags[(data[0] & 0x7F) % std::size(kTags)];
  const bool records = data[0] & 0x80;
  riff::WaveFormat format{};
  format.formatTag = tag ? tag : static_cast<uint16_t>(data[1] | data[2] << 8);
  format.channels = data[3] % 10;
  static const uint32_t kRates[] = {8000, 22050, 32000, 44100, 48000, 96000, 1, 400000};
  format.samplesPerSec = kRates[data[4] & 7];
  format.avgBytesPerSec = (data[5] | data[6] << 8 | (data[7] & 0x3F) << 16);
  format.blockAlign = static_cast<uint16_t>(data[8] | data[9] << 8);
  format.bitsPerSample = data[10];
  // Vorbis takes kilobytes of set-up headers.
  size_t extra = data[12] & 0x40 ? data[11] | (data[12] & 0x3F) << 8 : data[11] % 40;
  format.cbSize = static_cast<uint16_t>(extra + (data[12] & 0x80 ? 60000 : 0));
  if (kHeader + extra > size) return 0;
  std::vector<uint8_t> formatBytes =
      testsupport::WaveFormatBytes(format, std::vector<uint8_t>(data + kHeader, data + kHeader + extra));

  const uint8_t* body = data + kHeader + extra;
  size_t bodySize = size - kHeader - extra;
  avi::FileView view = fuzzinput::AsFile(body, bodySize);
  if (!view.IsOpen()) return 0;
  std::unique_ptr<avi::PacketTable> table;
  if (records) {
    table = std::make_unique<avi::PacketTable>(view);
    for (size_t offset = 0; offset + 2 <= bodySize;) {
      size_t length = std::min<size_t>(body[offset] | body[offset + 1] << 8, bodySize - offset - 2);
      table->Append(offset + 2, static_cast<uint32_t>(length));
      offset += 2 + length;
    }
  } else {
    table = fuzzinput::EvenPackets(view, bodySize, 1 + data[13] * 31u);
  }
  avi::AudioStream stream(formatBytes, std::move(table), std::string("fuzz"), 0);
  if (stream.AddStage(std::make_unique<audio::AudioDecoder>(stream)) != 0) return 0;

  std::vector<uint8_t> out(1 << 18);
  uint64_t position = 0;
  for (int read = 0; read < 4; ++read) {
    const uint8_t* choice = data + 14 + 2 * read;
    uint32_t count = 1 + (choice[0] | choice[1] << 8) * 4u;
    if (read == 2) position = (uint64_t{choice[0]} << 8 | choice[1]) * 64;
    uint32_t got = stream.Read(position, count, out.data());
    if (got > count) __builtin_trap();
    position += got;
  }
  fuzzcheck::CheckReadsJoin(stream, true, (uint64_t{data[22]} << 8 | data[23]) * 16,
                            1 + (data[14] | (data[15] & 0x3F) << 8) * 4u);
  return 0;
}
