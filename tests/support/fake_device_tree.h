#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/ks/device_tree.h"
#include "platform/ks/filter_description.h"
#include "platform/waveout/pcm_layout.h"
#include "support/fake_pcm.h"

namespace testsupport {

// A device tree the test describes: devices in categories, each a filter described pin by pin,
// whose render pins are the layer's own pins over fake PCMs the test reads and drives.
class FakeDeviceTree final : public platform::ks::DeviceTree {
 public:
  struct Device {
    std::string path;
    std::vector<platform::ks::Guid> categories{platform::ks::kCategoryAudio, platform::ks::kCategoryRender};
    std::vector<platform::ks::Guid> disabled;  // categories it is found in, but disabled
    platform::ks::FilterDescription filter;
    bool opens = true;
    std::vector<uint32_t> busyPins;  // pins another program holds: they cannot be created
    // A pin's data ranges answered as these bytes instead of the description's.
    std::map<uint32_t, std::vector<uint8_t>> rawDataRanges;
  };

  // A pin that was created, with every state it was set to.
  struct CreatedPin {
    std::string path;
    uint32_t pinId = 0;
    platform::waveout::PcmLayout layout;
    std::shared_ptr<FakePcm::State> pcm;
    std::vector<uint32_t> states;
  };

  void Add(Device device);
  // Created PCMs hold up to this many frames and play as the test says; 0 (the default) plays
  // every frame at once.
  void SetPcmCapacity(long frames);
  std::vector<CreatedPin> Created() const;

  bool Interfaces(const platform::ks::Guid& category, std::vector<std::string>* paths) override;
  bool Alias(const std::string& path, const platform::ks::Guid& category, bool* usable) override;
  std::unique_ptr<platform::ks::Filter> Open(const std::string& path, int32_t* error) override;

 private:
  class Filter;
  class RecordingPin;

  const Device* Find(const std::string& path) const;

  mutable std::mutex mutex_;
  std::vector<Device> devices_;
  long capacity_ = 0;
  std::vector<std::shared_ptr<CreatedPin>> created_;
};

// A render sink that takes 16-bit PCM of up to `channels` channels at 44.1 and 48 kHz.
platform::ks::PinDescription RenderSink(uint32_t channels = 2);

}  // namespace testsupport
