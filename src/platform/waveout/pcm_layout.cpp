#include "platform/waveout/pcm_layout.h"

#include "riff/wave_format_extensible.h"

namespace platform::waveout {

bool ReadPcmLayout(const riff::WaveFormat* format, PcmLayout* layout) {
  if (!format) return false;
  PcmLayout read;
  read.channels = format->channels;
  read.rate = format->samplesPerSec;
  read.bits = format->bitsPerSample;
  read.validBits = format->bitsPerSample;
  read.blockAlign = format->blockAlign;
  if (format->formatTag == riff::kWaveFormatExtensible) {
    if (format->cbSize < riff::kExtensibleExtraBytes) return false;
    const auto* extensible = reinterpret_cast<const riff::WaveFormatExtensible*>(format);
    if (!(extensible->subFormat == riff::kSubtypePcm)) return false;
    read.validBits = extensible->validBitsPerSample;
    read.channelMask = extensible->channelMask;
    read.extensible = true;
  } else if (format->formatTag != riff::kWaveFormatPcm) {
    return false;
  }
  if (read.bits != 8 && read.bits != 16 && read.bits != 24 && read.bits != 32) return false;
  if (read.validBits == 0 || read.validBits > read.bits) return false;
  if (read.channels == 0 || read.channels > kMaxChannels) return false;
  if (read.rate == 0 || read.rate > kMaxRate) return false;
  if (read.blockAlign != read.channels * read.bits / 8) return false;
  if (format->avgBytesPerSec != uint64_t{read.blockAlign} * read.rate) return false;
  *layout = read;
  return true;
}

}  // namespace platform::waveout
