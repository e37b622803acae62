#include "audio/ks/ks_enum_filters.h"

#include <string>

#include "audio/ks/ks_aud_filter.h"
#include "audio/ks/ks_trace.h"

namespace audio::ks {
namespace {

namespace pks = platform::ks;

std::unique_ptr<CKsFilter> MakeFilter(int32_t filterType, pks::DeviceTree& tree, const std::string& path) {
  switch (filterType) {
    case kFilterTypeAudioRender:
      return std::make_unique<CKsAudRenFilter>(tree, path);
    case kFilterTypeAudioCapture:
      return std::make_unique<CKsAudFilter>(tree, path);
    default:
      return std::make_unique<CKsFilter>(tree, path);
  }
}

}  // namespace

KsResult CKsEnumFilters::EnumFilters(int32_t filterType, const platform::ks::Guid* categories,
                                     uint32_t categoryCount, bool enumeratePins, bool enumerateNodes,
                                     bool instantiate) {
  TraceScope trace("CKsEnumFilters::EnumFilters()");
  DestroyLists();
  if (categories == nullptr || categoryCount == 0 || categories[0] == pks::kNullGuid) {
    return trace.Leave(kResultInvalidArg);
  }
  std::vector<std::string> paths;
  if (!tree_.Interfaces(categories[0], &paths)) {
    Trace(kTraceError, "No devices found");
    return trace.Leave(kResultFail);
  }
  for (const std::string& path : paths) {
    if (!UsableInAll(path, categories, categoryCount)) continue;
    std::unique_ptr<CKsFilter> filter = MakeFilter(filterType, tree_, path);
    KsResult result = kResultOk;
    if (instantiate) result = filter->Instantiate();
    if (!Failed(result) && enumerateNodes) result = filter->EnumerateNodes();
    if (!Failed(result) && enumeratePins) result = filter->EnumeratePins();
    if (Failed(result)) {
      Trace(kTraceWarning, "Failed to create filter for %s", path.c_str());
      continue;
    }
    filters_.push_back(std::move(filter));
  }
  return trace.Leave(filters_.empty() ? kResultFail : kResultOk);
}

bool CKsEnumFilters::UsableInAll(const std::string& path, const platform::ks::Guid* categories,
                                 uint32_t categoryCount) const {
  for (uint32_t i = 1; i < categoryCount; ++i) {
    bool usable = false;
    if (!tree_.Alias(path, categories[i], &usable)) {
      Trace(kTraceWarning, "Failed to get requested DeviceInterfaceAlias");
      return false;
    }
    if (!usable) {
      Trace(kTraceWarning, "DeviceInterfaceAlias disabled.");
      return false;
    }
  }
  return true;
}

}  // namespace audio::ks
