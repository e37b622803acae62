#pragma once

#include <cstdint>

namespace platform::system {

// The performance counter: steady-clock nanoseconds, so the frequency is 10^9 per second.
int64_t PerformanceCounter();
int64_t PerformanceFrequency();

// Online processors, at least 1.
int ProcessorCount();

// User and system time of the whole process, in 100-nanosecond units.
struct ProcessTimes {
  int64_t user = 0;
  int64_t kernel = 0;
};
ProcessTimes GetProcessTimes();

// Thread priorities keep the numbers callers store; they map to the calling thread's nice value.
enum class ThreadPriority : int {
  kIdle = -15,
  kLowest = -2,
  kBelowNormal = -1,
  kNormal = 0,
  kAboveNormal = 1,
  kHighest = 2,
  kTimeCritical = 15,
};
// Sets the calling thread's priority. Lowering always works; raising is tried and silently
// keeps the old value where the system refuses.
void SetCurrentThreadPriority(ThreadPriority priority);

// Names the calling thread for tools such as top and gdb (at most 15 characters are kept).
void SetCurrentThreadName(const char* name);

// Process priority classes keep their stored numbers (the Priority setting holds them).
constexpr int32_t kIdlePriorityClass = 64;
constexpr int32_t kBelowNormalPriorityClass = 16384;
constexpr int32_t kNormalPriorityClass = 32;
constexpr int32_t kAboveNormalPriorityClass = 32768;
constexpr int32_t kHighPriorityClass = 128;
constexpr int32_t kRealtimePriorityClass = 256;

// Nice value of a class; an unknown class maps to normal.
int NiceForPriorityClass(int32_t priorityClass);
// The class whose nice value is nearest.
int32_t PriorityClassForNice(int nice);

// Applies a class to every thread of the process; false where the system refused.
bool SetProcessPriorityClass(int32_t priorityClass);
// The class in force for the process, from the main thread's nice value.
int32_t GetProcessPriorityClass();

}  // namespace platform::system
