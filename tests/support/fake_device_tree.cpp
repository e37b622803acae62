#include "support/fake_device_tree.h"

#include <algorithm>
#include <cstring>

#include "platform/ks/described_filter.h"
#include "platform/ks/property_reply.h"
#include "platform/ks/queued_pin.h"
#include "platform/ks/results.h"

namespace testsupport {

namespace pks = platform::ks;

// The layer's own pin, with the states it is set to written down.
class FakeDeviceTree::RecordingPin final : public pks::Pin {
 public:
  RecordingPin(std::unique_ptr<pks::Pin> pin, std::shared_ptr<CreatedPin> record, std::mutex& mutex)
      : pin_(std::move(pin)), record_(std::move(record)), mutex_(mutex) {}

  int32_t Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                   uint32_t* returned) override {
    const int32_t result = pin_->Property(request, requestSize, value, valueSize, returned);
    pks::Property property;
    std::memcpy(&property, request, sizeof property);
    if (result == pks::kOk && property.set == pks::kPropertySetConnection &&
        property.flags == pks::kPropertySet) {
      uint32_t state = 0;
      std::memcpy(&state, value, sizeof state);
      std::lock_guard<std::mutex> lock(mutex_);
      record_->states.push_back(state);
    }
    return result;
  }
  int32_t Write(pks::StreamHeader& header, pks::WriteCompletion& completion) override {
    return pin_->Write(header, completion);
  }

 private:
  std::unique_ptr<pks::Pin> pin_;
  std::shared_ptr<CreatedPin> record_;
  std::mutex& mutex_;
};

class FakeDeviceTree::Filter final : public pks::DescribedFilter {
 public:
  Filter(FakeDeviceTree& tree, const Device& device)
      : DescribedFilter(device.filter),
        tree_(tree),
        path_(device.path),
        busyPins_(device.busyPins),
        rawDataRanges_(device.rawDataRanges) {}

  int32_t Property(const void* request, uint32_t requestSize, void* value, uint32_t valueSize,
                   uint32_t* returned) override {
    pks::PinProperty property{};
    std::memcpy(&property, request, std::min<size_t>(requestSize, sizeof property));
    const auto raw = rawDataRanges_.find(property.pinId);
    if (requestSize >= sizeof property && property.property.set == pks::kPropertySetPin &&
        property.property.id == pks::kPinDataRanges && raw != rawDataRanges_.end()) {
      return pks::Reply(raw->second, value, valueSize, returned);
    }
    return DescribedFilter::Property(request, requestSize, value, valueSize, returned);
  }

 protected:
  std::unique_ptr<pks::Pin> OpenPin(uint32_t pinId, const platform::waveout::PcmLayout& layout,
                                    int32_t* error) override {
    if (std::find(busyPins_.begin(), busyPins_.end(), pinId) != busyPins_.end()) {
      *error = pks::kErrorBusy;
      return nullptr;
    }
    auto record = std::make_shared<CreatedPin>();
    record->path = path_;
    record->pinId = pinId;
    record->layout = layout;
    long capacity = 0;
    {
      std::lock_guard<std::mutex> lock(tree_.mutex_);
      capacity = tree_.capacity_;
    }
    auto pcm = std::make_unique<FakePcm>(layout.blockAlign, capacity);
    record->pcm = pcm->GetState();
    record->pcm->instant = capacity == 0;
    {
      std::lock_guard<std::mutex> lock(tree_.mutex_);
      tree_.created_.push_back(record);
    }
    return std::make_unique<RecordingPin>(std::make_unique<pks::QueuedPin>(std::move(pcm), layout), record,
                                          tree_.mutex_);
  }

 private:
  FakeDeviceTree& tree_;
  std::string path_;
  std::vector<uint32_t> busyPins_;
  std::map<uint32_t, std::vector<uint8_t>> rawDataRanges_;
};

void FakeDeviceTree::Add(Device device) {
  std::lock_guard<std::mutex> lock(mutex_);
  devices_.push_back(std::move(device));
}

void FakeDeviceTree::SetPcmCapacity(long frames) {
  std::lock_guard<std::mutex> lock(mutex_);
  capacity_ = frames;
}

std::vector<FakeDeviceTree::CreatedPin> FakeDeviceTree::Created() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<CreatedPin> created;
  for (const auto& pin : created_) created.push_back(*pin);
  return created;
}

const FakeDeviceTree::Device* FakeDeviceTree::Find(const std::string& path) const {
  for (const Device& device : devices_) {
    if (device.path == path) return &device;
  }
  return nullptr;
}

bool FakeDeviceTree::Interfaces(const pks::Guid& category, std::vector<std::string>* paths) {
  std::lock_guard<std::mutex> lock(mutex_);
  paths->clear();
  for (const Device& device : devices_) {
    if (std::find(device.categories.begin(), device.categories.end(), category) != device.categories.end()) {
      paths->push_back(device.path);
    }
  }
  return true;
}

bool FakeDeviceTree::Alias(const std::string& path, const pks::Guid& category, bool* usable) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Device* device = Find(path);
  *usable = false;
  if (device == nullptr ||
      std::find(device->categories.begin(), device->categories.end(), category) == device->categories.end()) {
    return false;
  }
  *usable = std::find(device->disabled.begin(), device->disabled.end(), category) == device->disabled.end();
  return true;
}

std::unique_ptr<pks::Filter> FakeDeviceTree::Open(const std::string& path, int32_t* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Device* device = Find(path);
  if (device == nullptr || !device->opens) {
    *error = device == nullptr ? pks::kErrorFileNotFound : pks::kErrorAccessDenied;
    return nullptr;
  }
  *error = pks::kOk;
  return std::make_unique<Filter>(*this, *device);
}

pks::PinDescription RenderSink(uint32_t channels) {
  pks::PinDescription pin;
  pin.dataRanges.push_back(pks::PcmRange(channels, 16, 16, 44100, 48000));
  pin.name = "Playback";
  return pin;
}

}  // namespace testsupport
