#include "platform/ks/property_reply.h"

#include "platform/ks/results.h"

namespace platform::ks {

int32_t Reply(const std::vector<uint8_t>& answer, void* value, uint32_t valueSize, uint32_t* returned) {
  const auto size = static_cast<uint32_t>(answer.size());
  *returned = size;
  if (valueSize == 0 && size > 0) return kErrorMoreData;
  if (valueSize < size) return kErrorInsufficientBuffer;
  if (size > 0) std::memcpy(value, answer.data(), size);
  return kOk;
}

}  // namespace platform::ks
