#include "platform/acm/format_suggest.h"

#include <cstring>

#include "platform/acm/acm_result.h"
#include "platform/acm/codec_choice.h"

namespace platform::acm {

uint32_t MaxFormatSize() { return sizeof(riff::WaveFormat); }

int SuggestFormat(const riff::WaveFormat* source, riff::WaveFormat* destination, uint32_t destinationSize,
                  uint32_t flags) {
  if (!source || !destination || destinationSize < sizeof(riff::WaveFormat)) return kInvalidParameter;
  if ((flags & kSuggestFormatTag) && destination->formatTag != 1) return kNotPossible;
  CodecChoice choice;
  if (!ChooseCodec(source, &choice)) return kNotPossible;
  std::memset(destination, 0, destinationSize);
  destination->formatTag = 1;
  destination->channels = source->channels;
  destination->samplesPerSec = source->samplesPerSec;
  destination->bitsPerSample = 16;
  destination->blockAlign = static_cast<uint16_t>(source->channels * 2);
  destination->avgBytesPerSec = destination->blockAlign * source->samplesPerSec;
  return kOk;
}

bool IsSuggestedFormat(const riff::WaveFormat& source, const riff::WaveFormat& destination) {
  return destination.formatTag == 1 && destination.bitsPerSample == 16 &&
         destination.channels == source.channels && destination.samplesPerSec == source.samplesPerSec &&
         destination.blockAlign == destination.channels * 2;
}

}  // namespace platform::acm
