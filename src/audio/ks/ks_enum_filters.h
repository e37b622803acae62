#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/ks/ks_filter.h"
#include "platform/ks/device_tree.h"

namespace audio::ks {

// The kinds of filter EnumFilters makes.
inline constexpr int32_t kFilterTypeAudioRender = 1;
inline constexpr int32_t kFilterTypeAudioCapture = 2;

// Finds the devices found in every one of a set of categories and makes a filter of each.
class CKsEnumFilters {
 public:
  explicit CKsEnumFilters(platform::ks::DeviceTree& tree) : tree_(tree) {}
  CKsEnumFilters(const CKsEnumFilters&) = delete;
  CKsEnumFilters& operator=(const CKsEnumFilters&) = delete;

  // Lists the devices of the first category whose entries in the others are usable, as
  // CKsAudRenFilter for kFilterTypeAudioRender, CKsAudFilter for kFilterTypeAudioCapture and
  // CKsFilter otherwise; instantiates them and enumerates their nodes and pins as asked. A
  // device that fails a step is left out; fails when none is left.
  KsResult EnumFilters(int32_t filterType, const platform::ks::Guid* categories, uint32_t categoryCount,
                       bool enumeratePins, bool enumerateNodes, bool instantiate);
  void DestroyLists() { filters_.clear(); }

  const std::vector<std::unique_ptr<CKsFilter>>& Filters() const { return filters_; }

 private:
  // Whether the device at `path` is usable in every category after the first.
  bool UsableInAll(const std::string& path, const platform::ks::Guid* categories,
                   uint32_t categoryCount) const;

  platform::ks::DeviceTree& tree_;
  std::vector<std::unique_ptr<CKsFilter>> filters_;
};

}  // namespace audio::ks
