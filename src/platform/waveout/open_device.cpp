#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/waveout/alsa_pcm.h"
#include "platform/waveout/alsa_sink.h"
#include "platform/waveout/device.h"
#include "platform/waveout/queued_device.h"
#include "platform/waveout/virtual_sink.h"

namespace platform::waveout {

std::unique_ptr<Device> OpenDevice(const riff::WaveFormat* format, DoneCallback done) {
  PcmLayout layout;
  if (!ReadPcmLayout(format, &layout)) return nullptr;

  std::unique_ptr<Sink> sink;
  const char* choice = std::getenv("VISTREL_AUDIO");
  if (choice && std::strcmp(choice, "virtual") == 0) {
    std::unique_ptr<WavFile> capture;
    if (const char* path = std::getenv("VISTREL_AUDIO_CAPTURE"); path && *path) {
      capture = WavFile::Open(path, layout);
    }
    sink = std::make_unique<VirtualSink>(layout, std::move(capture));
  } else {
    std::unique_ptr<Pcm> pcm = OpenAlsaPcm("default", layout);
    if (!pcm) return nullptr;
    sink = std::make_unique<AlsaSink>(std::move(pcm), layout);
  }
  return std::make_unique<QueuedDevice>(layout, std::move(sink), std::move(done));
}

}  // namespace platform::waveout
