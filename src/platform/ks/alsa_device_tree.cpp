#include <alsa/asoundlib.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ks/described_filter.h"
#include "platform/ks/device_tree.h"
#include "platform/ks/hardware_pcm.h"
#include "platform/ks/queued_pin.h"
#include "platform/ks/results.h"
#include "platform/waveout/alsa_pcm_handle.h"

namespace platform::ks {
namespace {

struct CtlCloser {
  void operator()(snd_ctl_t* handle) const { snd_ctl_close(handle); }
};
using CtlHandle = std::unique_ptr<snd_ctl_t, CtlCloser>;

struct PlaybackDevice {
  int device;
  PinDescription pin;
};

std::string CardPath(int card) { return "hw:" + std::to_string(card); }

// The playback devices of the card whose control device is `path`, with what their pins say.
std::vector<PlaybackDevice> PlaybackDevices(const std::string& path, bool withRanges) {
  std::vector<PlaybackDevice> devices;
  snd_ctl_t* raw = nullptr;
  waveout::QuietAlsaErrors();
  if (snd_ctl_open(&raw, path.c_str(), 0) < 0) return devices;
  CtlHandle ctl(raw);
  snd_pcm_info_t* info = nullptr;
  snd_pcm_info_alloca(&info);
  int device = -1;
  while (snd_ctl_pcm_next_device(ctl.get(), &device) >= 0 && device >= 0) {
    snd_pcm_info_set_device(info, static_cast<unsigned>(device));
    snd_pcm_info_set_subdevice(info, 0);
    snd_pcm_info_set_stream(info, SND_PCM_STREAM_PLAYBACK);
    if (snd_ctl_pcm_info(ctl.get(), info) < 0) continue;  // a capture-only device
    PlaybackDevice found{device, {}};
    const unsigned count = snd_pcm_info_get_subdevices_count(info);
    const unsigned available = snd_pcm_info_get_subdevices_avail(info);
    found.pin.instances = {count, count > available ? count - available : 0};
    found.pin.globalInstances = found.pin.instances;
    found.pin.name = snd_pcm_info_get_name(info);
    if (withRanges) found.pin.dataRanges = HardwareRanges((path + "," + std::to_string(device)).c_str());
    devices.push_back(std::move(found));
  }
  return devices;
}

// A card: one render sink per playback device, each opened as its hardware PCM.
class CardFilter final : public DescribedFilter {
 public:
  CardFilter(std::string path, FilterDescription description, std::vector<int> devices)
      : DescribedFilter(std::move(description)), path_(std::move(path)), devices_(std::move(devices)) {}

 protected:
  std::unique_ptr<Pin> OpenPin(uint32_t pinId, const waveout::PcmLayout& layout, int32_t* error) override {
    const std::string name = path_ + "," + std::to_string(devices_[pinId]);
    std::unique_ptr<waveout::Pcm> pcm = OpenHardwarePcm(name.c_str(), layout, error);
    if (!pcm) return nullptr;
    return std::make_unique<QueuedPin>(std::move(pcm), layout);
  }

 private:
  std::string path_;
  std::vector<int> devices_;
};

class AlsaDeviceTree final : public DeviceTree {
 public:
  bool Interfaces(const Guid& category, std::vector<std::string>* paths) override {
    paths->clear();
    if (!(category == kCategoryAudio) && !(category == kCategoryRender)) return true;
    int card = -1;
    while (snd_card_next(&card) >= 0 && card >= 0) {
      if (!PlaybackDevices(CardPath(card), false).empty()) paths->push_back(CardPath(card));
    }
    return true;
  }

  bool Alias(const std::string& path, const Guid& category, bool* usable) override {
    *usable = false;
    if (!(category == kCategoryAudio) && !(category == kCategoryRender)) return false;
    *usable = !PlaybackDevices(path, false).empty();
    return true;
  }

  std::unique_ptr<Filter> Open(const std::string& path, int32_t* error) override {
    std::vector<PlaybackDevice> devices = PlaybackDevices(path, true);
    if (devices.empty()) {
      *error = kErrorFileNotFound;
      return nullptr;
    }
    FilterDescription description;
    std::vector<int> numbers;
    for (PlaybackDevice& device : devices) {
      description.pins.push_back(std::move(device.pin));
      numbers.push_back(device.device);
    }
    *error = kOk;
    return std::make_unique<CardFilter>(path, std::move(description), std::move(numbers));
  }
};

}  // namespace

DeviceTree& SystemDeviceTree() {
  static AlsaDeviceTree tree;
  return tree;
}

}  // namespace platform::ks
