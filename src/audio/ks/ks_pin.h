#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "audio/ks/ks_irp_target.h"
#include "platform/ks/properties.h"
#include "platform/ks/stream_packet.h"

namespace audio::ks {

class CKsFilter;

// A pin of a filter: what the filter says about it, the request that creates it, and once
// created its state and the packets written to it.
class CKsPin : public CKsIrpTarget {
 public:
  CKsPin(CKsFilter* filter, uint32_t pinId);
  // Closes the pin when it was created.
  virtual ~CKsPin();

  // Reads the pin's properties from the filter; one it cannot read is traced and left at zero.
  virtual KsResult Init();
  // Creates the pin from the connect buffer; `looped` asks for the looped streaming interface.
  KsResult Instantiate(bool looped);
  KsResult SetState(uint32_t state);
  // Queues a packet; success when it was queued or already played.
  KsResult WriteData(platform::ks::StreamHeader* header, platform::ks::WriteCompletion* completion);
  // Stops and closes the pin when it was created.
  void ClosePin();

  uint32_t PinId() const { return pinId_; }
  uint32_t GetCommunication() const { return communication_; }
  uint32_t GetDataFlow() const { return dataFlow_; }
  uint32_t GetState() const { return state_; }
  const platform::ks::PinInstances& Instances() const { return instances_; }
  const platform::ks::PinInstances& GlobalInstances() const { return globalInstances_; }
  const platform::ks::Guid& Category() const { return category_; }
  const std::string& Name() const { return name_; }
  // A PinConnect, its DataFormat, and the wave format of an audio pin.
  const std::vector<uint8_t>& ConnectBuffer() const { return connect_; }

 protected:
  static constexpr size_t kNameBytes = 259;

  CKsFilter* filter_;
  uint32_t pinId_;
  std::vector<uint8_t> connect_;
  // List values as the filter gave them.
  std::vector<uint8_t> interfaces_;
  std::vector<uint8_t> mediums_;
  std::vector<uint8_t> dataRanges_;

 private:
  platform::ks::Pin* PinHandle() const {
    // A pin's handle is only ever the Pin its filter created.
    return static_cast<platform::ks::Pin*>(handle_.get());
  }

  uint32_t communication_ = 0;
  uint32_t dataFlow_ = 0;
  platform::ks::PinInstances instances_{};
  platform::ks::PinInstances globalInstances_{};
  platform::ks::Guid category_{};
  std::string name_;
  uint32_t state_ = platform::ks::kStateStop;
};

}  // namespace audio::ks
