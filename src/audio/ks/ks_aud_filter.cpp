#include "audio/ks/ks_aud_filter.h"

#include "audio/ks/ks_trace.h"
#include "platform/ks/properties.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

// The pins of an audio filter are all made by CKsAudFilter::MakePin.
CKsAudPin* AudioPin(CKsPin* pin) { return static_cast<CKsAudPin*>(pin); }

}  // namespace

std::unique_ptr<CKsPin> CKsAudFilter::MakePin(uint32_t pinId, uint32_t communication, uint32_t dataFlow) {
  std::unique_ptr<CKsAudPin> pin;
  if (communication == pks::kCommunicationSink && dataFlow == pks::kDataFlowIn) {
    pin = std::make_unique<CKsAudRenPin>(this, pinId);
  } else {
    pin = std::make_unique<CKsAudPin>(this, pinId);
  }
  if (Failed(pin->Init())) return nullptr;
  return pin;
}

CKsAudPin* CKsAudRenFilter::FindViablePin(const riff::WaveFormat* format) const {
  TraceScope trace("CKsAudRenFilter::FindViablePin()");
  for (CKsPin* pin : PinsIn(PinList::kRenderSink)) {
    if (AudioPin(pin)->IsFormatSupported(format)) return AudioPin(pin);
  }
  return nullptr;
}

std::unique_ptr<CKsAudPin> CKsAudRenFilter::CreateRenderPin(const riff::WaveFormat* format, bool looped) {
  TraceScope trace("CKsAudRenFilter::CreateRenderPin()");
  CKsAudPin* chosen = FindViablePin(format);
  if (chosen == nullptr) {
    Trace(kTraceWarning, "Could not find a Render pin that supports the given wave format");
  } else if (Failed(chosen->SetFormat(format))) {
    Trace(kTraceWarning, "Failed to set Render Pin format - the pin lied about its supported formats");
    chosen = nullptr;
  } else if (Failed(chosen->Instantiate(looped))) {
    Trace(kTraceWarning, "Failed to instantiate Render Pin");
    chosen = nullptr;
  }
  if (chosen == nullptr) {
    // A sink whose ranges do not list the format may still take it.
    for (CKsPin* pin : PinsIn(PinList::kRenderSink)) {
      if (!Failed(AudioPin(pin)->SetFormat(format)) && !Failed(AudioPin(pin)->Instantiate(looped))) {
        chosen = AudioPin(pin);
        break;
      }
    }
  }
  if (chosen == nullptr) return nullptr;
  return std::unique_ptr<CKsAudPin>(AudioPin(TakePin(chosen).release()));
}

}  // namespace audio::ks
