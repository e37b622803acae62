#include "playback/colour_refresh.h"

#include <mutex>

#include "color/channel_tables.h"
#include "color/colour_state.h"
#include "color/level_tables.h"
#include "color/rebuild_colour_tables.h"
#include "common/allocation_lock.h"

namespace playback {

void RefreshColour(const common::Settings& s) {
  color::SetYGamma(s.yGamma / 100.0);
  color::SetCGamma(s.cGamma / 100.0);
  color::SetYuvMatrix(s.yuvType);
  color::SetPictureLevels(s.brightness / 100.0, s.contrast / 100.0, s.saturation / 100.0);
}

void ChangeYuvMatrix(const common::Settings& s) {
  std::lock_guard lock(common::AllocationLock::Get());
  color::SetYGamma(s.yGamma / 100.0);
  color::SetCGamma(s.cGamma / 100.0);
  color::SetYuvMatrix(s.yuvType);
  color::RebuildColourTables();
  RefreshColour(s);
}

void RebuildRgb(const common::Settings& s) {
  color::BuildChannelTables(s.rGamma * 0.1, s.gGamma * 0.1, s.bGamma * 0.1);
}

}  // namespace playback
