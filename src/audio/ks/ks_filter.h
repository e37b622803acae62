#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/ks/ks_irp_target.h"
#include "audio/ks/ks_node.h"
#include "audio/ks/ks_pin.h"
#include "platform/ks/device_tree.h"

namespace audio::ks {

// The lists a filter sorts its pins into, by data flow and communication.
enum class PinList { kRenderSink, kRenderSource, kCaptureSink, kCaptureSource, kOther };

// A device of the kernel-streaming layer: opened from its path, its pins enumerated and
// classified, its topology nodes listed.
class CKsFilter : public CKsIrpTarget {
 public:
  CKsFilter(platform::ks::DeviceTree& tree, std::string path);
  virtual ~CKsFilter() = default;

  KsResult Instantiate();
  KsResult EnumerateNodes();
  // Makes every pin whose communication is sink, source or both; fails when none of them is a
  // render or capture pin.
  KsResult EnumeratePins();
  void DestroyLists();

  KsResult GetPinPropertySimple(uint32_t pinId, const platform::ks::Guid& set, uint32_t id, void* value,
                                uint32_t size) const;
  KsResult GetPinPropertyMulti(uint32_t pinId, const platform::ks::Guid& set, uint32_t id,
                               std::vector<uint8_t>* value) const;

  const std::string& Path() const { return path_; }
  // The open filter; none before Instantiate.
  platform::ks::Filter* FilterHandle() const {
    // A filter's handle is only ever the Filter its device tree opened.
    return static_cast<platform::ks::Filter*>(handle_.get());
  }
  const std::vector<std::unique_ptr<CKsPin>>& Pins() const { return pins_; }
  const std::vector<CKsPin*>& PinsIn(PinList list) const { return lists_[static_cast<size_t>(list)]; }
  const std::vector<CKsNode>& Nodes() const { return nodes_; }

 protected:
  // Pin `pinId`, made and initialised; none when its construction failed.
  virtual std::unique_ptr<CKsPin> MakePin(uint32_t pinId, uint32_t communication, uint32_t dataFlow);
  // Takes `pin` out of every list; the caller owns it from then on.
  std::unique_ptr<CKsPin> TakePin(CKsPin* pin);

 private:
  void ClassifyPins();

  platform::ks::DeviceTree& tree_;
  std::string path_;
  std::vector<CKsNode> nodes_;
  std::vector<std::unique_ptr<CKsPin>> pins_;
  std::array<std::vector<CKsPin*>, 5> lists_;
};

}  // namespace audio::ks
