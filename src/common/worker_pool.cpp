#include "common/worker_pool.h"

#include <utility>

namespace common {

WorkerPool::~WorkerPool() { Stop(); }

void WorkerPool::Start(int count, int32_t quitState, Job job, ThreadPriority priority) {
  Stop();
  job_ = std::move(job);
  quitState_ = quitState;
  if (count < 1) {
    count = 1;
  }
  for (int i = 0; i < count; ++i) {
    workers_.push_back(std::make_unique<Worker>());
  }
  for (int i = 0; i < count; ++i) {
    workers_[i]->thread = StartThread(priority, [this, i] { Run(i); });
    while (State(i) != kIdle) {
      done_.Wait();
    }
  }
}

void WorkerPool::Stop() {
  for (auto& worker : workers_) {
    if (worker->thread.joinable()) {
      // A job still running reports its done code over the quit code, so quit is posted
      // again on every pass until the worker has left its loop.
      int32_t state = worker->state.load(std::memory_order_acquire);
      while (state != kStopped) {
        if (state != quitState_) {
          worker->state.store(quitState_, std::memory_order_release);
          worker->wake.Set();
        }
        done_.Wait(10);
        state = worker->state.load(std::memory_order_acquire);
      }
      worker->thread.join();
    }
  }
  workers_.clear();
}

void WorkerPool::Post(int index, int32_t state) {
  // Release: the record filled before this store is visible to the worker that reads the state.
  workers_[index]->state.store(state, std::memory_order_release);
  workers_[index]->wake.Set();
}

void WorkerPool::WaitWhileAny(int32_t state) {
  for (;;) {
    bool busy = false;
    for (int i = 0; i < Size(); ++i) {
      busy = busy || State(i) == state;
    }
    if (!busy) {
      return;
    }
    done_.Wait();
  }
}

void WorkerPool::Run(int index) {
  Worker& self = *workers_[index];
  self.state.store(kIdle, std::memory_order_release);
  done_.Set();
  for (;;) {
    self.wake.Wait();
    const int32_t state = self.state.load(std::memory_order_acquire);
    if (state == quitState_) {
      break;
    }
    const int32_t result = job_(index, state);
    if (result >= 0) {
      self.state.store(result, std::memory_order_release);
      done_.Set();
    }
  }
  self.state.store(kStopped, std::memory_order_release);
  done_.Set();
}

}  // namespace common
