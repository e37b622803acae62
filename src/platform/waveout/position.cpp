#include "platform/waveout/position.h"

namespace platform::waveout {

Position PositionOf(uint64_t frames, const PcmLayout& layout, TimeKind kind) {
  Position position;
  position.kind = kind;
  switch (kind) {
    case TimeKind::kMs:
      position.value = frames * 1000 / layout.rate;
      break;
    case TimeKind::kSamples:
      position.value = frames;
      break;
    case TimeKind::kBytes:
      position.value = frames * layout.blockAlign;
      break;
    case TimeKind::kSmpte: {
      const uint64_t seconds = frames / layout.rate;
      position.smpte.hour = static_cast<uint8_t>(seconds / 3600);
      position.smpte.minute = static_cast<uint8_t>(seconds / 60 % 60);
      position.smpte.second = static_cast<uint8_t>(seconds % 60);
      position.smpte.frame = static_cast<uint8_t>(frames % layout.rate * kSmpteFps / layout.rate);
      position.smpte.fps = kSmpteFps;
      break;
    }
  }
  return position;
}

}  // namespace platform::waveout
