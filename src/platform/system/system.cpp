#include "platform/system/system.h"

#include <dirent.h>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>

namespace platform::system {
namespace {

struct ClassNice {
  int32_t priorityClass;
  int nice;
};
constexpr std::array<ClassNice, 6> kClassNice = {{
    {kIdlePriorityClass, 19},
    {kBelowNormalPriorityClass, 10},
    {kNormalPriorityClass, 0},
    {kAboveNormalPriorityClass, -5},
    {kHighPriorityClass, -10},
    {kRealtimePriorityClass, -20},
}};

pid_t CurrentThreadId() { return static_cast<pid_t>(::syscall(SYS_gettid)); }

// The process's nice value, which thread priorities are relative to. Kept here because Linux
// has no process-wide value once threads have their own: the main thread's may itself be raised.
int InitialNice() {
  errno = 0;
  const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()));
  return errno == 0 ? nice : 0;
}
std::atomic<int> processNice{InitialNice()};

int NiceForThreadPriority(ThreadPriority priority, int base) {
  switch (priority) {
    case ThreadPriority::kIdle:
      return 19;
    case ThreadPriority::kLowest:
      return base + 2;
    case ThreadPriority::kBelowNormal:
      return base + 1;
    case ThreadPriority::kNormal:
      return base;
    case ThreadPriority::kAboveNormal:
      return base - 1;
    case ThreadPriority::kHighest:
      return base - 2;
    case ThreadPriority::kTimeCritical:
      return -20;
  }
  return base;
}

}  // namespace

int64_t PerformanceCounter() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

int64_t PerformanceFrequency() { return 1'000'000'000; }

int ProcessorCount() {
  const long n = ::sysconf(_SC_NPROCESSORS_ONLN);
  return n < 1 ? 1 : static_cast<int>(n);
}

ProcessTimes GetProcessTimes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto units = [](const timeval& t) { return static_cast<int64_t>(t.tv_sec) * 10'000'000 + t.tv_usec * 10; };
  return {units(usage.ru_utime), units(usage.ru_stime)};
}

void SetCurrentThreadPriority(ThreadPriority priority) {
  // Relaxed: the base changes only when the process class is set, never mid-computation here.
  const int nice = NiceForThreadPriority(priority, processNice.load(std::memory_order_relaxed));
  // On Linux a PRIO_PROCESS call with a thread id changes that thread alone. Refusal to raise
  // (no CAP_SYS_NICE) leaves the old value, which is what callers expect.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(CurrentThreadId()),
                nice < -20 ? -20 : (nice > 19 ? 19 : nice));
}

void SetCurrentThreadName(const char* name) { ::pthread_setname_np(::pthread_self(), name); }

int NiceForPriorityClass(int32_t priorityClass) {
  for (const ClassNice& entry : kClassNice) {
    if (entry.priorityClass == priorityClass) {
      return entry.nice;
    }
  }
  return 0;
}

int32_t PriorityClassForNice(int nice) {
  const ClassNice* best = &kClassNice[0];
  for (const ClassNice& entry : kClassNice) {
    if (std::abs(entry.nice - nice) < std::abs(best->nice - nice)) {
      best = &entry;
    }
  }
  return best->priorityClass;
}

bool SetProcessPriorityClass(int32_t priorityClass) {
  const int nice = NiceForPriorityClass(priorityClass);
  bool ok = true;
  // Every existing thread is set, since Linux keeps a nice value per thread.
  if (DIR* tasks = ::opendir("/proc/self/task")) {
    while (dirent* entry = ::readdir(tasks)) {
      if (entry->d_name[0] == '.') {
        continue;
      }
      const id_t tid = static_cast<id_t>(std::strtol(entry->d_name, nullptr, 10));
      ok = ::setpriority(PRIO_PROCESS, tid, nice) == 0 && ok;
    }
    ::closedir(tasks);
  } else {
    ok = ::setpriority(PRIO_PROCESS, static_cast<id_t>(::getpid()), nice) == 0;
  }
  if (ok) {
    processNice.store(nice, std::memory_order_relaxed);
  }
  return ok;
}

int32_t GetProcessPriorityClass() {
  return PriorityClassForNice(processNice.load(std::memory_order_relaxed));
}

}  // namespace platform::system
