#include "color/channel_tables.h"

#include <cstdint>
#include <mutex>

namespace color {
namespace {

// One table position: l once for the three channels, then each channel's tail of the model.
void SetEntry(const PictureParams& p, ChannelTableSet& set, int32_t s, double x) {
  const double l = OutputLight(p, x);
  const size_t index = static_cast<uint16_t>(s);
  for (int channel = 0; channel < 3; ++channel) {
    set[channel].Set(index, ChannelByte(p, channel, l));
  }
}

// Positive half from the top down, then the negative half from −1 down.
template <typename Scale>
void BuildSet(const PictureParams& p, ChannelTableSet& set, Scale scale) {
  for (int32_t s = 32767; s >= 0; --s) {
    SetEntry(p, set, s, scale(s));
  }
  for (int32_t s = -1; s >= -32768; --s) {
    SetEntry(p, set, s, scale(s));
  }
}

}  // namespace

void BuildChannelTablesLocked(ColourState& state, const std::array<double, 3>& displayGamma) {
  ColourTables& t = state.tables;
  if (!t.channelA || !t.channelB) {
    return;
  }
  PictureParams p = state.params;
  p.displayGamma = displayGamma;
  p.monitorBrightness = state.monitorBrightnessPercent / 100.0;
  BuildSet(p, *t.channelA, [](int32_t s) { return s / 32767.0 * 4; });
  BuildSet(p, *t.channelB, [](int32_t s) { return s / kSetBOne; });
}

void BuildChannelTables(double gammaR, double gammaG, double gammaB) {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  BuildChannelTablesLocked(state, {gammaR, gammaG, gammaB});
}

}  // namespace color
