#include "app/settings_store.h"

#include <array>

#include "platform/settings/settings_key.h"
#include "platform/system/system.h"

namespace app {
namespace {

using common::Settings;
using common::SharedInt;

struct StoredValue {
  const char* name;
  SharedInt Settings::*member;
};

// Reading order.
constexpr std::array<StoredValue, 33> kReadOrder = {{
    {"Saturation", &Settings::saturation},
    {"Brightness", &Settings::brightness},
    {"Contrast", &Settings::contrast},
    {"YGamma", &Settings::yGamma},
    {"CGamma", &Settings::cGamma},
    {"RGamma", &Settings::rGamma},
    {"GGamma", &Settings::gGamma},
    {"BGamma", &Settings::bGamma},
    {"MonRG", &Settings::monRG},
    {"MonGG", &Settings::monGG},
    {"MonBG", &Settings::monBG},
    {"MonRC", &Settings::monRC},
    {"MonGC", &Settings::monGC},
    {"MonBC", &Settings::monBC},
    {"MonRB", &Settings::monRB},
    {"MonGB", &Settings::monGB},
    {"MonBB", &Settings::monBB},
    {"MonBright", &Settings::monBright},
    {"EnableDCC", &Settings::enableDcc},
    {"Priority", &Settings::priority},
    {"WaitVBlank", &Settings::waitVBlank},
    {"OSDEnable", &Settings::osdEnable},
    {"ResizeType", &Settings::resizeType},
    {"RGBType", &Settings::rgbType},
    {"RGBType2", &Settings::rgbType2},
    {"RGBCSType", &Settings::rgbCsType},
    {"YUVType", &Settings::yuvType},
    {"HQMode", &Settings::hqMode},
    {"NTAP", &Settings::ntap},
    {"UseWaveOut", &Settings::useWaveOut},
    {"ForceWidth", &Settings::forceWidth},
    {"ForceHeight", &Settings::forceHeight},
    {"AVSync", &Settings::avSync},
}};

// Writing order; Priority follows separately.
constexpr std::array<StoredValue, 19> kSaveOrder = {{
    {"Saturation", &Settings::saturation}, {"Brightness", &Settings::brightness},
    {"Contrast", &Settings::contrast},     {"YGamma", &Settings::yGamma},
    {"CGamma", &Settings::cGamma},         {"RGamma", &Settings::rGamma},
    {"GGamma", &Settings::gGamma},         {"BGamma", &Settings::bGamma},
    {"MonBright", &Settings::monBright},   {"EnableDCC", &Settings::enableDcc},
    {"WaitVBlank", &Settings::waitVBlank}, {"OSDEnable", &Settings::osdEnable},
    {"ResizeType", &Settings::resizeType}, {"RGBType", &Settings::rgbType},
    {"RGBType2", &Settings::rgbType2},     {"RGBCSType", &Settings::rgbCsType},
    {"YUVType", &Settings::yuvType},       {"HQMode", &Settings::hqMode},
    {"AVSync", &Settings::avSync},
}};

}  // namespace

void LoadSettings(Settings& settings) {
  if (auto key = platform::settings::SettingsKey::Open()) {
    settings.priority = 0;
    for (const StoredValue& value : kReadOrder) {
      if (const auto stored = key->Read(value.name)) {
        settings.*value.member = *stored;
      }
    }
    if (settings.priority != 0) {
      platform::system::SetProcessPriorityClass(settings.priority);
    }
  }
  if (settings.ntap < 1) {
    settings.ntap = 6;
  }
}

bool SaveSettings(const Settings& settings) {
  auto key = platform::settings::SettingsKey::Open();
  if (!key) {
    return false;
  }
  for (const StoredValue& value : kSaveOrder) {
    key->Write(value.name, settings.*value.member);
  }
  const int32_t priorityClass = platform::system::GetProcessPriorityClass();
  if (priorityClass != 0) {
    key->Write("Priority", priorityClass);
  }
  return key->Close();
}

}  // namespace app
