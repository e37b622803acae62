#pragma once

#include <cstdint>

namespace platform::ks {

class EventGroup;

// The head of one packet of stream data written to a pin.
struct StreamHeader {
  uint32_t size;  // of this header
  uint32_t typeSpecificFlags;
  int64_t presentationTime;
  uint32_t presentationNumerator;
  uint32_t presentationDenominator;
  int64_t duration;
  uint32_t frameExtent;  // bytes of `data`
  uint32_t dataUsed;     // of those, the bytes that carry samples
  uint8_t* data;
  uint32_t optionsFlags;
};

// How a write reports its end: `result` and `bytes` are filled in, then the event is set. The
// pin does not touch the record after setting the event.
struct WriteCompletion {
  EventGroup* events;
  uint32_t event;
  int32_t result;  // kErrorIoPending while the packet is queued
  uint32_t bytes;
};

}  // namespace platform::ks
