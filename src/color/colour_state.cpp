#include "color/colour_state.h"

#include <mutex>

#include "color/kernel_scratch.h"
#include "color/rebuild_colour_tables.h"

namespace color {

ColourState& GetColourState() {
  static ColourState state;
  return state;
}

void InitColour(double brightness, double contrast, double saturation, YuvMatrixCode matrix,
                TransferCode source, TransferCode output, int32_t monitorBrightness) {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  state.params = PictureParams{};
  state.params.matrix = matrix;
  state.params.source = source;
  state.params.output = output;
  state.monitorBrightnessPercent = monitorBrightness;
  for (size_t i = 0; i < LumaHistogram::Size(); ++i) {
    state.tables.lumaHistogram.Set(i, 0);
    state.tables.chromaHistogram.Set(i, 0);
  }
  RebuildColourTablesLocked(state);
}

void ReleaseColour() {
  ReleaseKernelScratch();
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  ColourTables& t = state.tables;
  t.channelA.reset();
  t.channelB.reset();
  t.lumaLevel.reset();
  t.chromaLevel.reset();
  t.chromaMatrix8.reset();
  t.chromaMatrix16.reset();
  t.forwardMatrix.reset();
  t.lumaQuantiser.reset();
  t.chromaQuantiser.reset();
}

namespace {

template <typename Store>
void Update(Store store) {
  ColourState& state = GetColourState();
  std::lock_guard guard(state.lock);
  store(state);
}

}  // namespace

void SetYGamma(double gamma) {
  Update([=](ColourState& s) { s.params.yGamma = gamma; });
}

void SetCGamma(double gamma) {
  Update([=](ColourState& s) { s.params.cGamma = gamma; });
}

void SetSourceTransfer(TransferCode code) {
  Update([=](ColourState& s) { s.params.source = code; });
}

void SetOutputTransfer(TransferCode code) {
  Update([=](ColourState& s) { s.params.output = code; });
}

void SetMonitorBrightness(int32_t percent) {
  Update([=](ColourState& s) { s.monitorBrightnessPercent = percent; });
}

void SetMonitorGamma(double r, double g, double b) {
  Update([=](ColourState& s) { s.params.monitorGamma = {r, g, b}; });
}

void SetMonitorContrast(double r, double g, double b) {
  Update([=](ColourState& s) { s.params.monitorContrast = {r, g, b}; });
}

void SetMonitorLevel(double r, double g, double b) {
  Update([=](ColourState& s) { s.params.monitorLevel = {r, g, b}; });
}

void SetYuvMatrix(YuvMatrixCode code) {
  Update([=](ColourState& s) { s.params.matrix = code; });
}

}  // namespace color
