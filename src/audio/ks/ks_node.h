#pragma once

#include <cstdint>

#include "platform/ks/guids.h"

namespace audio::ks {

// One node of a filter's topology.
class CKsNode {
 public:
  CKsNode(uint32_t nodeId, const platform::ks::Guid& type) : nodeId_(nodeId), type_(type) {}

  uint32_t NodeId() const { return nodeId_; }
  const char* Name() const { return "NONE"; }
  const platform::ks::Guid& Type() const { return type_; }

 private:
  uint32_t nodeId_;
  platform::ks::Guid type_;
};

}  // namespace audio::ks
