#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/ks/ks_result.h"
#include "platform/ks/device_tree.h"

namespace audio::ks {

// An open filter or pin of the kernel-streaming layer, and the property requests sent to it.
class CKsIrpTarget {
 public:
  CKsIrpTarget(const CKsIrpTarget&) = delete;
  CKsIrpTarget& operator=(const CKsIrpTarget&) = delete;

  bool IsValidHandle() const { return handle_ != nullptr; }
  platform::ks::Object* GetHandle() const { return handle_.get(); }
  // Closes the object when it is open.
  void SafeCloseHandle() { handle_.reset(); }

  // Sends `request` with `value` as its buffer; *returned gets the bytes of the answer. A size
  // query (`valueSize` 0) succeeds with the size needed.
  KsResult SyncIoctl(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                     uint32_t* returned) const;
  KsResult GetPropertySimple(const platform::ks::Guid& set, uint32_t id, void* value, uint32_t size) const;
  // A value of any size (a list, a name), sized by a first request.
  KsResult GetPropertyMulti(const platform::ks::Guid& set, uint32_t id, std::vector<uint8_t>* value) const;
  KsResult SetPropertySimple(const platform::ks::Guid& set, uint32_t id, const void* value,
                             uint32_t size) const;

 protected:
  CKsIrpTarget() = default;
  ~CKsIrpTarget() = default;

  // The value of `request`, of any size, sized by a first request that sends no buffer.
  KsResult QueryMulti(const void* request, uint32_t requestSize, std::vector<uint8_t>* value) const;

  std::unique_ptr<platform::ks::Object> handle_;
};

}  // namespace audio::ks
