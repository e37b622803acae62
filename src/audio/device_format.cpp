#include "audio/device_format.h"

#include "audio/wide_sample.h"
#include "platform/waveout/pcm_layout.h"

namespace audio {

namespace waveout = platform::waveout;

uint32_t ChannelMask(uint16_t channels) {
  switch (channels) {
    case 1:
      return 0x4;
    case 2:
      return 0x3;
    case 4:
      return 0x33;
    case 6:
      return 0x3F;
    case 8:
      return 0xFF;
    default:
      return 0;
  }
}

bool IsPlayablePcm(const riff::WaveFormat& format) {
  const uint16_t bits = format.bitsPerSample;
  if (format.formatTag != riff::kWaveFormatPcm) return false;
  if (bits != 8 && bits != 16 && bits != 24 && bits != 32 && bits != kWideSampleBytes * 8) return false;
  if (format.channels == 0 || format.channels > waveout::kMaxChannels) return false;
  if (format.samplesPerSec == 0 || format.samplesPerSec > waveout::kMaxRate) return false;
  return format.blockAlign == format.channels * bits / 8 &&
         format.avgBytesPerSec == uint64_t{format.blockAlign} * format.samplesPerSec;
}

riff::WaveFormatExtensible DeviceFormat(const riff::WaveFormat& stream) {
  riff::WaveFormatExtensible device{};
  device.format = stream;
  device.format.cbSize = 0;
  if (stream.bitsPerSample == kWideSampleBytes * 8) {
    device.format.bitsPerSample = 16;
    device.format.avgBytesPerSec = stream.avgBytesPerSec / 4;
    device.format.blockAlign = static_cast<uint16_t>(stream.blockAlign / 4);
  }
  if (device.format.channels > 2 || device.format.bitsPerSample > 16) {
    device.format.formatTag = riff::kWaveFormatExtensible;
    device.format.cbSize = riff::kExtensibleExtraBytes;
    device.validBitsPerSample = device.format.bitsPerSample;
    device.channelMask = ChannelMask(device.format.channels);
    device.subFormat = riff::kSubtypePcm;
  }
  return device;
}

}  // namespace audio
