#pragma once

#include <string>

#include "playback/overlay.h"

namespace app {

// The statistics line: the time code "hh:mm:ss:cc" of the frame just decoded (hundredths of
// a second last), a blank, then frame rate, CPU load, ring occupancy, presentation delay and
// the six stage timings.
std::string StatisticsLine(const playback::StatisticsFigures& figures);

}  // namespace app
