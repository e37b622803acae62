#include "app/statistics_line.h"

#include "common/format.h"

namespace app {
namespace {

void TwoDigits(std::string& text, uint32_t value) {
  text += static_cast<char>('0' + value / 10 % 10);
  text += static_cast<char>('0' + value % 10);
}

}  // namespace

std::string StatisticsLine(const playback::StatisticsFigures& f) {
  const uint32_t t = f.stampMs > 0 ? static_cast<uint32_t>(f.stampMs) : 0;
  std::string line;
  TwoDigits(line, t / 3600000);
  line += ':';
  TwoDigits(line, t / 60000 % 60);
  line += ':';
  TwoDigits(line, t / 1000 % 60);
  line += ':';
  TwoDigits(line, t % 1000 / 10);
  line += ' ';
  line += common::Format(
      "%.2lf fps, Usr %.0lf%%, Krnl: %.0lf%%, PBuff: %d, DBuff: %d, PDelay: %d, Delays: %02d, %02d, %02d. "
      "%02d, "
      "%02d, %02d",
      f.fps, f.userLoad, f.kernelLoad, f.ready, f.busy, f.presentationDelay, f.copyMs, f.conversionMs,
      f.scalingMs, f.frameProcessorMs, f.decodeMs, f.readMs);
  return line;
}

}  // namespace app
