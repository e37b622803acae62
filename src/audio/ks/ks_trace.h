#pragma once

#include "audio/ks/ks_result.h"

namespace audio::ks {

// Trace levels.
inline constexpr int kTraceError = 1;
inline constexpr int kTraceWarning = 3;
inline constexpr int kTraceInfo = 5;
inline constexpr int kTraceEntry = 6;

// Traces of a level up to this are written to stderr; 0, the default, writes none.
void SetTraceLevel(int level);

// One line of at most 260 characters.
void Trace(int level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Traces "<name> Enter" now and "<name> Leave" at the end of the scope, with the result when
// Leave gave one.
class TraceScope {
 public:
  explicit TraceScope(const char* name);
  ~TraceScope();
  TraceScope(const TraceScope&) = delete;
  TraceScope& operator=(const TraceScope&) = delete;

  KsResult Leave(KsResult result) {
    result_ = result;
    hasResult_ = true;
    return result;
  }

 private:
  const char* name_;
  KsResult result_ = kResultOk;
  bool hasResult_ = false;
};

}  // namespace audio::ks
