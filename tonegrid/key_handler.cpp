#include "tonegrid/key_handler.h"

#include <Qt>

namespace tonegrid {
namespace {

constexpr double kStep = 0.01;

ChannelCalibration& ChosenChannel(CalibrationState& state) {
  if (state.shift) return state.channels[kBlue];
  if (state.ctrl) return state.channels[kGreen];
  return state.channels[kRed];
}

}  // namespace

KeyResult HandleKeyDown(CalibrationState& state, int key) {
  switch (key) {
    case Qt::Key_Shift:
      state.shift = true;
      return KeyResult::kNone;
    case Qt::Key_Control:
      state.ctrl = true;
      return KeyResult::kNone;
    case Qt::Key_Escape:
      return KeyResult::kQuit;
    case Qt::Key_PageUp:
      ChosenChannel(state).gamma += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_PageDown:
      ChosenChannel(state).gamma -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_Home:
      ChosenChannel(state).contrast += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_End:
      ChosenChannel(state).contrast -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_Insert:
      ChosenChannel(state).black += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_Delete:
      ChosenChannel(state).black -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_Q:
      state.testScales[kRed] += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_A:
      state.testScales[kRed] -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_W:
      state.testScales[kGreen] += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_S:
      state.testScales[kGreen] -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_E:
      state.testScales[kBlue] += kStep;
      return KeyResult::kRedraw;
    case Qt::Key_D:
      state.testScales[kBlue] -= kStep;
      return KeyResult::kRedraw;
    case Qt::Key_R:
      state.channels.fill(ChannelCalibration{});
      return KeyResult::kRedraw;
    case Qt::Key_C:
      if (!state.shift) return KeyResult::kNone;
      state.transferType = NextTransferType(state.transferType);
      return KeyResult::kRedraw;
    case Qt::Key_B:
      state.pattern = (state.pattern + kPatternCount - 1) % kPatternCount;
      return KeyResult::kRedraw;
    default:
      state.pattern = (state.pattern + 1) % kPatternCount;
      return KeyResult::kRedraw;
  }
}

void HandleKeyUp(CalibrationState& state, int key) {
  if (key == Qt::Key_Shift) state.shift = false;
  if (key == Qt::Key_Control) state.ctrl = false;
}

}  // namespace tonegrid
