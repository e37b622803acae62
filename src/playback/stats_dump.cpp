#include "playback/stats_dump.h"

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

namespace playback {

std::unique_ptr<StatsDump> StatsDump::FromEnvironment() {
  const char* path = std::getenv("VISTREL_STATS");
  if (path == nullptr || *path == '\0') return nullptr;
  std::FILE* file = std::fopen(path, "a");
  if (file == nullptr) {
    std::fprintf(stderr, "vistrel: %s: cannot write the statistics dump: %s\n", path, std::strerror(errno));
    return nullptr;
  }
  return std::make_unique<StatsDump>(file);
}

StatsDump::StatsDump(std::FILE* file) : file_(file) {
  std::fprintf(file_,
               "# frame|dropped stamp_ms now_ms request_us shown_us lateness_ms pdelay_ms audio_ms; "
               "second fps user_pct kernel_pct pbuff dbuff\n");
  std::fflush(file_);
}

StatsDump::~StatsDump() { std::fclose(file_); }

void StatsDump::Write(const char* kind, const PresentationRecord& r) {
  std::lock_guard lock(mutex_);
  std::fprintf(
      file_, "%s %" PRId32 " %" PRIu32 " %" PRId64 " %" PRId64 " %" PRId32 " %" PRId32 " %" PRId32 "\n", kind,
      r.stampMs, r.nowMs, r.requestUs, r.shownUs, r.latenessMs, r.presentationDelayMs, r.audioMs);
  std::fflush(file_);
}

void StatsDump::Second(double fps, double userPercent, double kernelPercent, int32_t ready, int32_t busy) {
  std::lock_guard lock(mutex_);
  std::fprintf(file_, "second %.2f %.1f %.1f %" PRId32 " %" PRId32 "\n", fps, userPercent, kernelPercent,
               ready, busy);
  std::fflush(file_);
}

}  // namespace playback
