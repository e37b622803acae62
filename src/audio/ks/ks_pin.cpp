#include "audio/ks/ks_pin.h"

#include <algorithm>
#include <cstring>

#include "audio/ks/ks_filter.h"
#include "audio/ks/ks_trace.h"
#include "platform/ks/results.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

}  // namespace

CKsPin::CKsPin(CKsFilter* filter, uint32_t pinId) : filter_(filter), pinId_(pinId) {
  const pks::PinConnect head{{pks::kInterfaceSetStandard, pks::kInterfaceStreaming, 0},
                             {pks::kMediumSetStandard, pks::kMediumAnyInstance, 0},
                             pinId,
                             0,
                             {pks::kPriorityNormal, 1}};
  pks::DataFormat format{};
  format.formatSize = sizeof format;
  connect_.resize(sizeof head + sizeof format);
  std::memcpy(connect_.data(), &head, sizeof head);
  std::memcpy(connect_.data() + sizeof head, &format, sizeof format);
}

CKsPin::~CKsPin() { ClosePin(); }

KsResult CKsPin::Init() {
  TraceScope trace("CKsPin::Init()");
  const auto simple = [this](uint32_t id, void* value, uint32_t size, const char* name) {
    if (Failed(filter_->GetPinPropertySimple(pinId_, pks::kPropertySetPin, id, value, size))) {
      Trace(kTraceWarning, "Failed to retrieve pin property %s on PinID: %d", name, static_cast<int>(pinId_));
    }
  };
  const auto multi = [this](uint32_t id, std::vector<uint8_t>* value, const char* name) {
    if (Failed(filter_->GetPinPropertyMulti(pinId_, pks::kPropertySetPin, id, value))) {
      Trace(kTraceWarning, "Failed to retrieve pin property %s on PinID: %d", name, static_cast<int>(pinId_));
    }
  };
  simple(pks::kPinCommunication, &communication_, sizeof communication_, "KSPROPERTY_PIN_COMMUNICATION");
  multi(pks::kPinInterfaces, &interfaces_, "KSPROPETY_PIN_INTERFACES");  // the message's old spelling
  multi(pks::kPinMediums, &mediums_, "KSPROPERTY_PIN_MEDIUMS");
  multi(pks::kPinDataRanges, &dataRanges_, "KSPROPERTY_PIN_DATARANGES");
  simple(pks::kPinDataFlow, &dataFlow_, sizeof dataFlow_, "KSPROPERTY_PIN_DATAFLOW");
  simple(pks::kPinInstances, &instances_, sizeof instances_, "KSPROPERTY_PIN_CINSTANCES");
  simple(pks::kPinGlobalInstances, &globalInstances_, sizeof globalInstances_,
         "KSPROPERTY_PIN_GLOBALCINSTANCES");
  simple(pks::kPinCategory, &category_, sizeof category_, "KSPROPERTY_PIN_CATEGORY");
  std::vector<uint8_t> name;
  multi(pks::kPinName, &name, "KSPROPERTY_PIN_NAME");
  const auto end =
      std::find(name.begin(), name.begin() + static_cast<ptrdiff_t>(std::min(name.size(), kNameBytes)), 0);
  name_.assign(name.begin(), end);
  return trace.Leave(kResultOk);
}

KsResult CKsPin::Instantiate(bool looped) {
  TraceScope trace("CKsPin::Instantiate()");
  pks::PinConnect head;
  std::memcpy(&head, connect_.data(), sizeof head);
  head.streamInterface.id = looped ? pks::kInterfaceLoopedStreaming : pks::kInterfaceStreaming;
  std::memcpy(connect_.data(), &head, sizeof head);
  pks::Filter* filter = filter_ != nullptr ? filter_->FilterHandle() : nullptr;
  int32_t error = pks::kErrorInvalidHandle;
  std::unique_ptr<pks::Pin> pin =
      filter != nullptr ? filter->CreatePin(connect_.data(), static_cast<uint32_t>(connect_.size()), &error)
                        : nullptr;
  if (!pin) {
    const KsResult result = ResultFromError(error != pks::kOk ? error : pks::kErrorGenFailure);
    Trace(kTraceError, "Failed to instantiate pin. hr=0x%08x", static_cast<unsigned>(result));
    return trace.Leave(result);
  }
  handle_ = std::move(pin);
  state_ = pks::kStateStop;
  return trace.Leave(kResultOk);
}

KsResult CKsPin::SetState(uint32_t state) {
  TraceScope trace("CKsPin::SetState()");
  const KsResult result =
      SetPropertySimple(pks::kPropertySetConnection, pks::kConnectionState, &state, sizeof state);
  if (Failed(result)) {
    Trace(kTraceError, "Failed to Set Pin State");
  } else {
    state_ = state;
  }
  return trace.Leave(result);
}

KsResult CKsPin::WriteData(platform::ks::StreamHeader* header, platform::ks::WriteCompletion* completion) {
  TraceScope trace("CKsPin::WriteData()");
  if (!IsValidHandle() || header == nullptr || completion == nullptr) return trace.Leave(kResultFail);
  const int32_t error = PinHandle()->Write(*header, *completion);
  if (error == pks::kOk) {
    Trace(kTraceWarning, "DeviceIoControl returned TRUE even though the pin is paused");
    return trace.Leave(kResultOk);
  }
  if (error == pks::kErrorIoPending) return trace.Leave(kResultOk);
  Trace(kTraceError, "CKsPin::WriteData's DeviceIoControl Failed!  Error=0x%#08x",
        static_cast<unsigned>(error));
  return trace.Leave(kResultFail);
}

void CKsPin::ClosePin() {
  TraceScope trace("CKsPin::ClosePin()");
  if (!IsValidHandle()) return;
  SetState(pks::kStateStop);
  SafeCloseHandle();
}

}  // namespace audio::ks
