#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace playback {

// One presentation as the statistics dump records it.
struct PresentationRecord {
  int32_t stampMs = 0;    // the frame's time stamp
  uint32_t nowMs = 0;     // the playback clock at the request
  int64_t requestUs = 0;  // performance counter at the request
  int64_t shownUs = 0;    // performance counter once blitted or flipped
  int32_t latenessMs = 0;
  int32_t presentationDelayMs = 0;
  int32_t audioMs = -1;  // the sound being heard, or -1 without a renderer
};

// Plain text lines for people tuning their system: one per presentation, one per frame consumed
// without being shown, one per statistics second. Appended to the file VISTREL_STATS names.
class StatsDump {
 public:
  // None when the variable is unset or the file cannot be opened (said once on stderr).
  static std::unique_ptr<StatsDump> FromEnvironment();
  explicit StatsDump(std::FILE* file);
  ~StatsDump();
  StatsDump(const StatsDump&) = delete;
  StatsDump& operator=(const StatsDump&) = delete;

  void Frame(const PresentationRecord& record) { Write("frame", record); }
  void Dropped(const PresentationRecord& record) { Write("dropped", record); }
  void Second(double fps, double userPercent, double kernelPercent, int32_t ready, int32_t busy);

 private:
  void Write(const char* kind, const PresentationRecord& record);

  std::mutex mutex_;
  std::FILE* file_;
};

}  // namespace playback
