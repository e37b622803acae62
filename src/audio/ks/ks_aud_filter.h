#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/ks/ks_aud_pin.h"
#include "audio/ks/ks_filter.h"

namespace audio::ks {

// A filter whose pins are audio pins: render sinks (data flowing in) as CKsAudRenPin.
class CKsAudFilter : public CKsFilter {
 public:
  using CKsFilter::CKsFilter;

 protected:
  std::unique_ptr<CKsPin> MakePin(uint32_t pinId, uint32_t communication, uint32_t dataFlow) override;
};

// An audio filter that plays: it creates a render pin in a wave format.
class CKsAudRenFilter final : public CKsAudFilter {
 public:
  using CKsAudFilter::CKsAudFilter;

  // The first render sink that takes `format`; none when no sink does.
  CKsAudPin* FindViablePin(const riff::WaveFormat* format) const;
  // A render pin created in `format`: the viable pin, else the first render sink that can be
  // created in it whatever its ranges say. The pin leaves the filter's lists and belongs to
  // the caller; none when no sink can be created.
  std::unique_ptr<CKsAudPin> CreateRenderPin(const riff::WaveFormat* format, bool looped);
};

}  // namespace audio::ks
