#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/ks/guids.h"
#include "platform/ks/stream_packet.h"

namespace platform::ks {

// An open filter or pin. Results are kOk or an error of results.h.
class Object {
 public:
  virtual ~Object() = default;

  // Answers the property request in `request` (a Property, or a PinProperty sent to a filter).
  // A get fills `value` and sets *returned to the bytes of the answer; with `valueSize` 0 it
  // only sets *returned and fails with kErrorMoreData, and with too small a buffer it fails
  // with kErrorInsufficientBuffer. A set takes its value from `value`.
  virtual int32_t Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                           uint32_t* returned) = 0;
};

// A pin made to stream: packets written are played in order while it runs.
class Pin : public Object {
 public:
  // Queues the packet behind those written before; kErrorIoPending once queued, or an error.
  // The header and its data stay the writer's and untouched until the completion's event is
  // set; destroying the pin completes every packet still queued first.
  virtual int32_t Write(StreamHeader& header, WriteCompletion& completion) = 0;
};

// An audio device with its pins.
class Filter : public Object {
 public:
  // Creates a pin from `connect`: a PinConnect followed by the DataFormat and the wave format
  // (with its extensible tail when it has one). Null with *error when it cannot be made.
  virtual std::unique_ptr<Pin> CreatePin(const void* connect, uint32_t size, int32_t* error) = 0;
};

// The audio devices of the machine. Any thread may call it.
class DeviceTree {
 public:
  virtual ~DeviceTree() = default;

  // The paths of the present devices found in `category`, in a stable order; false when the
  // devices cannot be listed at all.
  virtual bool Interfaces(const Guid& category, std::vector<std::string>* paths) = 0;
  // Whether the device at `path` is also found in `category`; *usable when that entry is
  // enabled and the device still there.
  virtual bool Alias(const std::string& path, const Guid& category, bool* usable) = 0;
  // Opens the device at `path`; null with *error when it cannot.
  virtual std::unique_ptr<Filter> Open(const std::string& path, int32_t* error) = 0;
};

// The sound cards' playback devices through ALSA: a card ("hw:C") is a filter in the audio and
// render categories, each of its playback devices a render pin that plays as the exclusive
// hardware PCM "hw:C,D".
DeviceTree& SystemDeviceTree();

}  // namespace platform::ks
