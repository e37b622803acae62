#pragma once

#include <cstdint>
#include <vector>

#include "audio/ks/ks_pin.h"
#include "platform/ks/properties.h"
#include "riff/wave_format.h"

namespace audio::ks {

class CKsAudFilter;

// An audio pin: it streams through the standard interface and medium, and its audio data
// ranges say which wave formats it takes.
class CKsAudPin : public CKsPin {
 public:
  CKsAudPin(CKsAudFilter* filter, uint32_t pinId);

  // Fails unless the pin has the standard streaming interface and medium and an audio range.
  KsResult Init() override;
  // `format` is followed by its cbSize extra bytes.
  bool IsFormatSupported(const riff::WaveFormat* format) const;
  // Makes `format` (followed by its cbSize extra bytes) the one the pin is created in.
  KsResult SetFormat(const riff::WaveFormat* format);

  const std::vector<platform::ks::AudioDataRange>& AudioRanges() const { return audioRanges_; }
  const std::vector<uint8_t>& Format() const { return format_; }

 private:
  // The audio ranges of the list the filter gave, from the first wave-format range on.
  void KeepAudioRanges();

  std::vector<platform::ks::AudioDataRange> audioRanges_;
  std::vector<uint8_t> format_;
};

// A sink pin that data flows into: what plays sound.
class CKsAudRenPin final : public CKsAudPin {
 public:
  using CKsAudPin::CKsAudPin;
};

}  // namespace audio::ks
