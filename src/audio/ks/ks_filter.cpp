#include "audio/ks/ks_filter.h"

#include <algorithm>

#include "audio/ks/ks_trace.h"
#include "platform/ks/properties.h"
#include "platform/ks/property_reply.h"
#include "platform/ks/results.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

// More pins than any device has; a larger count is a driver's error, not a loop to run.
constexpr uint32_t kMaxPins = 256;

}  // namespace

CKsFilter::CKsFilter(platform::ks::DeviceTree& tree, std::string path)
    : tree_(tree), path_(std::move(path)) {}

KsResult CKsFilter::Instantiate() {
  TraceScope trace("CKsFilter::Instantiate()");
  if (path_.empty()) {
    Trace(kTraceError, "pszName cannot be NULL");
    return trace.Leave(kResultInvalidArg);
  }
  int32_t error = pks::kOk;
  std::unique_ptr<pks::Filter> filter = tree_.Open(path_, &error);
  if (!filter) {
    Trace(kTraceError, "CKsFilter::Instantiate: CreateFile failed for device %s.  ErrorCode = 0x%08x",
          path_.c_str(), static_cast<unsigned>(error));
    return trace.Leave(kResultFail);
  }
  handle_ = std::move(filter);
  return trace.Leave(kResultOk);
}

KsResult CKsFilter::EnumerateNodes() {
  TraceScope trace("CKsFilter::EnumerateNodes()");
  nodes_.clear();
  std::vector<uint8_t> bytes;
  if (Failed(GetPropertyMulti(pks::kPropertySetTopology, pks::kTopologyNodes, &bytes))) {
    Trace(kTraceError, "Failed to get property KSPROPSETID_Topology.KSPROPERTY_TOPOLOGY_NODES");
    return trace.Leave(kResultFail);
  }
  std::vector<pks::Guid> types;
  if (!pks::ItemsOf(bytes, &types)) return trace.Leave(kResultFail);
  for (uint32_t id = 0; id < types.size(); ++id) nodes_.emplace_back(id, types[id]);
  return trace.Leave(kResultOk);
}

KsResult CKsFilter::EnumeratePins() {
  TraceScope trace("CKsFilter::EnumeratePins()");
  for (auto& list : lists_) list.clear();
  pins_.clear();
  uint32_t count = 0;
  const KsResult result = GetPropertySimple(pks::kPropertySetPin, pks::kPinTypes, &count, sizeof count);
  if (Failed(result)) return trace.Leave(result);
  if (count > kMaxPins) {
    Trace(kTraceError, "Pin count %u doesn't make sense", count);
    return trace.Leave(kResultFail);
  }
  for (uint32_t id = 0; id < count; ++id) {
    uint32_t communication = 0;
    if (Failed(GetPinPropertySimple(id, pks::kPropertySetPin, pks::kPinCommunication, &communication,
                                    sizeof communication)) ||
        communication < pks::kCommunicationSink || communication > pks::kCommunicationBoth) {
      Trace(kTraceError, "Pin communication value doesn't make sense");
      continue;
    }
    uint32_t dataFlow = 0;
    GetPinPropertySimple(id, pks::kPropertySetPin, pks::kPinDataFlow, &dataFlow, sizeof dataFlow);
    std::unique_ptr<CKsPin> pin = MakePin(id, communication, dataFlow);
    if (pin) pins_.push_back(std::move(pin));
  }
  ClassifyPins();
  if (PinsIn(PinList::kRenderSink).empty() && PinsIn(PinList::kRenderSource).empty() &&
      PinsIn(PinList::kCaptureSink).empty() && PinsIn(PinList::kCaptureSource).empty()) {
    Trace(kTraceError, "No valid pins found on the filter");
    return trace.Leave(kResultFail);
  }
  return trace.Leave(kResultOk);
}

std::unique_ptr<CKsPin> CKsFilter::MakePin(uint32_t pinId, uint32_t communication, uint32_t dataFlow) {
  auto pin = std::make_unique<CKsPin>(this, pinId);
  if (Failed(pin->Init())) return nullptr;
  return pin;
}

void CKsFilter::ClassifyPins() {
  TraceScope trace("CKsFilter::ClassifyPins()");
  for (auto& list : lists_) list.clear();
  for (const auto& owned : pins_) {
    CKsPin* pin = owned.get();
    PinList sink;
    PinList source;
    if (pin->GetDataFlow() == pks::kDataFlowIn) {
      sink = PinList::kRenderSink;
      source = PinList::kRenderSource;
    } else if (pin->GetDataFlow() == pks::kDataFlowOut) {
      sink = PinList::kCaptureSink;
      source = PinList::kCaptureSource;
    } else {
      continue;
    }
    switch (pin->GetCommunication()) {
      case pks::kCommunicationNone:
        lists_[static_cast<size_t>(PinList::kOther)].push_back(pin);
        break;
      case pks::kCommunicationSink:
        lists_[static_cast<size_t>(sink)].push_back(pin);
        break;
      case pks::kCommunicationSource:
        lists_[static_cast<size_t>(source)].push_back(pin);
        break;
      case pks::kCommunicationBoth:
        lists_[static_cast<size_t>(sink)].push_back(pin);
        lists_[static_cast<size_t>(source)].push_back(pin);
        break;
      default:
        Trace(kTraceWarning, "Pin communication type not recognized");
        break;
    }
  }
}

std::unique_ptr<CKsPin> CKsFilter::TakePin(CKsPin* pin) {
  for (auto& list : lists_) std::erase(list, pin);
  const auto owner = std::find_if(pins_.begin(), pins_.end(), [&](const auto& p) { return p.get() == pin; });
  if (owner == pins_.end()) return nullptr;
  std::unique_ptr<CKsPin> taken = std::move(*owner);
  pins_.erase(owner);
  return taken;
}

void CKsFilter::DestroyLists() {
  for (auto& list : lists_) list.clear();
  pins_.clear();
  nodes_.clear();
}

KsResult CKsFilter::GetPinPropertySimple(uint32_t pinId, const platform::ks::Guid& set, uint32_t id,
                                         void* value, uint32_t size) const {
  TraceScope trace("CKsFilter::GetPinPropertySimple()");
  const pks::PinProperty property{{set, id, pks::kPropertyGet}, pinId, 0};
  uint32_t returned = 0;
  return trace.Leave(SyncIoctl(&property, sizeof property, value, size, &returned));
}

KsResult CKsFilter::GetPinPropertyMulti(uint32_t pinId, const platform::ks::Guid& set, uint32_t id,
                                        std::vector<uint8_t>* value) const {
  TraceScope trace("CKsFilter::GetPinPropertyMulti()");
  const pks::PinProperty property{{set, id, pks::kPropertyGet}, pinId, 0};
  return trace.Leave(QueryMulti(&property, sizeof property, value));
}

}  // namespace audio::ks
