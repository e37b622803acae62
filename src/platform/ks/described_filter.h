#pragma once

#include <cstdint>
#include <memory>

#include "platform/ks/device_tree.h"
#include "platform/ks/filter_description.h"
#include "platform/waveout/pcm_layout.h"

namespace platform::ks {

// A filter that answers property requests from a description of its pins, and creates a pin
// once the request names one of its render sinks, an interface and a medium the pin lists,
// and linear PCM described by a wave format.
class DescribedFilter : public Filter {
 public:
  explicit DescribedFilter(FilterDescription description) : description_(std::move(description)) {}

  int32_t Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                   uint32_t* returned) override;
  std::unique_ptr<Pin> CreatePin(const void* connect, uint32_t size, int32_t* error) override;

  const FilterDescription& Description() const { return description_; }

 protected:
  // Opens render pin `pinId` to play `layout`; null with *error when it cannot.
  virtual std::unique_ptr<Pin> OpenPin(uint32_t pinId, const waveout::PcmLayout& layout, int32_t* error) = 0;

 private:
  // The answer to a get of `property` (from a request of `requestSize` bytes), or an error.
  int32_t Answer(const ks::Property& property, const void* request, uint32_t requestSize,
                 std::vector<uint8_t>* answer) const;

  FilterDescription description_;
};

}  // namespace platform::ks
