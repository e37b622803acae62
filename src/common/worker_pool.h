#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "common/event.h"
#include "common/thread.h"

namespace common {

// The worker protocol shared by the frame processor, the resizers and the field interpolator:
// per worker a state word and an auto-reset wake event, one shared done event. State 0 means
// not running and 1 idle; the owner chooses its own job, done and quit codes above that.
// Job data lives in the owner's per-worker records, which it fills before posting.
class WorkerPool {
 public:
  static constexpr int32_t kStopped = 0;
  static constexpr int32_t kIdle = 1;

  // Runs one posted job on worker `index` in state `state`; returns the state to report
  // (the owner's done code), or a negative number when `state` is not a job it knows.
  using Job = std::function<int32_t(int index, int32_t state)>;

  WorkerPool() = default;
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;
  ~WorkerPool();

  // Starts `count` workers (at least one) one at a time, each reporting idle before the next
  // starts. `quitState` is the code that ends a worker's loop.
  void Start(int count, int32_t quitState, Job job, ThreadPriority priority = ThreadPriority::kNormal);
  // Posts the quit code to every worker and waits until each has set its state back to 0.
  void Stop();

  int Size() const { return static_cast<int>(workers_.size()); }
  bool Running() const { return !workers_.empty(); }

  // Hands worker `index` a job: its record must be filled before this call.
  void Post(int index, int32_t state);
  int32_t State(int index) const { return workers_[index]->state.load(std::memory_order_acquire); }
  // Waits on the done event until no worker is in `state` any more.
  void WaitWhileAny(int32_t state);

 private:
  struct Worker {
    std::atomic<int32_t> state{kStopped};
    Event wake;
    std::thread thread;
  };

  void Run(int index);

  std::vector<std::unique_ptr<Worker>> workers_;
  Event done_;
  Job job_;
  int32_t quitState_ = 0;
};

}  // namespace common
