#include "audio/ks/ks_trace.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>

namespace audio::ks {
namespace {

constexpr int kTraceChars = 260;

// Relaxed: the level only decides whether a line is written.
std::atomic<int> traceLevel{0};

bool Traced(int level) { return level <= traceLevel.load(std::memory_order_relaxed); }

}  // namespace

void SetTraceLevel(int level) { traceLevel.store(level, std::memory_order_relaxed); }

void Trace(int level, const char* format, ...) {
  if (!Traced(level)) return;
  char line[kTraceChars + 1];
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(line, sizeof line, format, arguments);
  va_end(arguments);
  std::fprintf(stderr, "%s\n", line);
}

TraceScope::TraceScope(const char* name) : name_(name) { Trace(kTraceEntry, "%s Enter", name_); }

TraceScope::~TraceScope() {
  if (!Traced(kTraceEntry)) return;
  if (hasResult_) {
    Trace(kTraceEntry, "%s Leave, returning %#08x", name_, static_cast<unsigned>(result_));
  } else {
    Trace(kTraceEntry, "%s Leave", name_);
  }
}

}  // namespace audio::ks
