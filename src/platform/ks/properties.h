#pragma once

#include <cstdint>

#include "platform/ks/guids.h"

namespace platform::ks {

// Pin properties (kPropertySetPin).
inline constexpr uint32_t kPinInstances = 0;
inline constexpr uint32_t kPinTypes = 1;
inline constexpr uint32_t kPinDataFlow = 2;
inline constexpr uint32_t kPinDataRanges = 3;
inline constexpr uint32_t kPinInterfaces = 5;
inline constexpr uint32_t kPinMediums = 6;
inline constexpr uint32_t kPinCommunication = 7;
inline constexpr uint32_t kPinGlobalInstances = 8;
inline constexpr uint32_t kPinCategory = 11;
inline constexpr uint32_t kPinName = 12;
// The state of a pin's connection (kPropertySetConnection).
inline constexpr uint32_t kConnectionState = 0;
// The types of a filter's topology nodes (kPropertySetTopology).
inline constexpr uint32_t kTopologyNodes = 1;

// Property request flags.
inline constexpr uint32_t kPropertyGet = 0x1;
inline constexpr uint32_t kPropertySet = 0x2;

// How a pin communicates.
inline constexpr uint32_t kCommunicationNone = 0;
inline constexpr uint32_t kCommunicationSink = 1;
inline constexpr uint32_t kCommunicationSource = 2;
inline constexpr uint32_t kCommunicationBoth = 3;

// Which way data moves through a pin, seen from the filter.
inline constexpr uint32_t kDataFlowIn = 1;
inline constexpr uint32_t kDataFlowOut = 2;

// Pin states.
inline constexpr uint32_t kStateStop = 0;
inline constexpr uint32_t kStateAcquire = 1;
inline constexpr uint32_t kStatePause = 2;
inline constexpr uint32_t kStateRun = 3;

// Ids in the standard interface and medium sets.
inline constexpr uint32_t kInterfaceStreaming = 0;
inline constexpr uint32_t kInterfaceLoopedStreaming = 1;
inline constexpr uint32_t kMediumAnyInstance = 0;

inline constexpr uint32_t kPriorityNormal = 0x40000000;

// A property request on a filter or a pin.
struct Property {
  Guid set;
  uint32_t id;
  uint32_t flags;
};

// A property request on one pin, sent to its filter.
struct PinProperty {
  Property property;
  uint32_t pinId;
  uint32_t reserved;
};

// The head of a property value that is a list: its size in bytes (head included) and count.
struct MultipleItem {
  uint32_t size;
  uint32_t count;
};

// An interface or medium of a pin.
struct alignas(8) Identifier {
  Guid set;
  uint32_t id;
  uint32_t flags;
};

struct PinInstances {
  uint32_t possible;
  uint32_t current;
};

// A data format, and the head of a data range.
struct alignas(8) DataFormat {
  uint32_t formatSize;
  uint32_t flags;
  uint32_t sampleSize;
  uint32_t reserved;
  Guid majorFormat;
  Guid subFormat;
  Guid specifier;
};

// The audio formats a pin takes.
struct alignas(8) AudioDataRange {
  DataFormat range;
  uint32_t maximumChannels;
  uint32_t minimumBitsPerSample;
  uint32_t maximumBitsPerSample;
  uint32_t minimumSampleFrequency;
  uint32_t maximumSampleFrequency;
};

struct Priority {
  uint32_t priorityClass;
  uint32_t prioritySubClass;
};

// The head of a pin creation request; a DataFormat and its wave format follow it.
struct alignas(8) PinConnect {
  Identifier streamInterface;
  Identifier medium;
  uint32_t pinId;
  uint32_t pinToHandle;  // 0: not connected to another pin
  Priority priority;
};

static_assert(sizeof(Property) == 24 && sizeof(PinProperty) == 32 && sizeof(Identifier) == 24);
static_assert(sizeof(DataFormat) == 64 && sizeof(AudioDataRange) == 88 && sizeof(PinConnect) == 64);

}  // namespace platform::ks
