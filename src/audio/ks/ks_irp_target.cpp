#include "audio/ks/ks_irp_target.h"

#include "audio/ks/ks_trace.h"
#include "platform/ks/properties.h"
#include "platform/ks/results.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

// No property a filter or pin answers comes near this; a larger size is a driver's error.
constexpr uint32_t kMaxPropertyBytes = 1 << 20;

}  // namespace

KsResult CKsIrpTarget::SyncIoctl(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                                 uint32_t* returned) const {
  TraceScope trace("CKsIrpTarget::SyncIoctl()");
  uint32_t bytes = 0;
  if (returned) *returned = 0;
  if (!IsValidHandle()) {
    Trace(kTraceError, "CKsIrpTarget::SyncIoctl Invalid Handle");
    return trace.Leave(kResultFail);
  }
  const int32_t error = handle_->Property(request, requestSize, value, valueSize, &bytes);
  if (returned) *returned = bytes;
  if (error == pks::kOk) return trace.Leave(kResultOk);
  if (error == pks::kErrorInsufficientBuffer || error == pks::kErrorMoreData) {
    return trace.Leave(valueSize == 0 ? kResultOk : kResultFail);
  }
  return trace.Leave(kResultFail);
}

KsResult CKsIrpTarget::GetPropertySimple(const platform::ks::Guid& set, uint32_t id, void* value,
                                         uint32_t size) const {
  TraceScope trace("CKsIrpTarget::GetPropertySimple()");
  const pks::Property property{set, id, pks::kPropertyGet};
  uint32_t returned = 0;
  return trace.Leave(SyncIoctl(&property, sizeof property, value, size, &returned));
}

KsResult CKsIrpTarget::GetPropertyMulti(const platform::ks::Guid& set, uint32_t id,
                                        std::vector<uint8_t>* value) const {
  TraceScope trace("CKsIrpTarget::GetPropertyMulti()");
  const pks::Property property{set, id, pks::kPropertyGet};
  return trace.Leave(QueryMulti(&property, sizeof property, value));
}

KsResult CKsIrpTarget::SetPropertySimple(const platform::ks::Guid& set, uint32_t id, const void* value,
                                         uint32_t size) const {
  TraceScope trace("CKsIrpTarget::SetPropertySimple()");
  const pks::Property property{set, id, pks::kPropertySet};
  uint32_t returned = 0;
  // A set sends its value in the buffer the answer of a get would come back in.
  return trace.Leave(SyncIoctl(&property, sizeof property, const_cast<void*>(value), size, &returned));
}

KsResult CKsIrpTarget::QueryMulti(const void* request, uint32_t requestSize,
                                  std::vector<uint8_t>* value) const {
  value->clear();
  uint32_t size = 0;
  KsResult result = SyncIoctl(request, requestSize, nullptr, 0, &size);
  if (Failed(result)) return result;
  if (size > kMaxPropertyBytes) return kResultFail;
  if (size == 0) return kResultOk;
  value->resize(size);
  uint32_t returned = 0;
  result = SyncIoctl(request, requestSize, value->data(), size, &returned);
  if (Failed(result) || returned > size) {
    value->clear();
    return Failed(result) ? result : kResultFail;
  }
  value->resize(returned);
  return kResultOk;
}

}  // namespace audio::ks
