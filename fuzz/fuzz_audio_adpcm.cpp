// The PCM and ADPCM readers of the audio decoder over arbitrary data and formats: the first
// bytes choose the format and a few reads at positions and counts of their own, the rest is
// the stream's packet data. Reads that follow each other must join as one read would give.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/audio_decoder.h"
#include "audio_read_check.h"
#include "avi/audio_stream.h"
#include "fuzz_input.h"
#include "support/wave_format_builder.h"

namespace {

constexpr size_t kHeader = 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeader) return 0;
  static const uint16_t kTags[] = {1, 0x2080, 0x2081, 0x2082};
  riff::WaveFormat format{};
  format.formatTag = kTags[data[0] & 3];
  format.channels = data[1] & 3;
  format.samplesPerSec = 8000u + data[2] * 100u;
  format.blockAlign = static_cast<uint16_t>(data[3] | data[4] << 8);
  format.bitsPerSample = data[5];
  // 0 too: the decoder derives what the layout fixes.
  format.avgBytesPerSec = (data[6] | data[7] << 8) * 16u;
  std::vector<uint8_t> formatBytes = testsupport::WaveFormatBytes(format);

  const uint8_t* body = data + kHeader;
  size_t bodySize = size - kHeader;
  avi::FileView view = fuzzinput::AsFile(body, bodySize);
  if (!view.IsOpen()) return 0;
  auto table = fuzzinput::EvenPackets(view, bodySize, 1 + data[8] * 7u);
  avi::AudioStream stream(formatBytes, std::move(table), std::string("fuzz"), 0);
  if (stream.AddStage(std::make_unique<audio::AudioDecoder>(stream)) != 0) return 0;

  std::vector<uint8_t> out(65536);
  uint64_t position = 0;
  for (int read = 0; read < 3; ++read) {
    const uint8_t* choice = data + 9 + 2 * read;
    uint32_t count = (choice[0] | (choice[1] & 0x0F) << 8) * 16u + (choice[1] >> 4);
    if (read == 1) position = (uint64_t{choice[0]} << 8 | choice[1]) * 8;
    uint32_t got = stream.Read(position, count, out.data());
    if (got > count) __builtin_trap();
    position += got;
  }
  fuzzcheck::CheckReadsJoin(stream, true, uint64_t{data[15]} * 24,
                            (data[9] | (data[10] & 0x0F) << 8) * 8u + 1);
  return 0;
}
