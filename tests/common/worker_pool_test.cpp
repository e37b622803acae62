#include "common/worker_pool.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/mul_div.h"

namespace common {
namespace {

constexpr int32_t kPosted = 2;
constexpr int32_t kDone = 3;
constexpr int32_t kQuit = 4;

// Each worker squares its band of an array; the result must equal a single pass.
class BandSquarer {
 public:
  explicit BandSquarer(int workers) {
    bands_.resize(workers);
    pool_.Start(workers, kQuit, [this](int index, int32_t state) {
      if (state != kPosted) {
        return -1;
      }
      for (int i = bands_[index].first; i < bands_[index].second; ++i) {
        values_[i] *= values_[i];
      }
      return kDone;
    });
  }

  void Square(std::vector<int>& values) {
    values_ = values.data();
    const int rows = static_cast<int>(values.size());
    const int n = pool_.Size();
    for (int k = n - 1; k >= 0; --k) {
      bands_[k] = {MulDiv(k, rows, n), MulDiv(k + 1, rows, n)};
      pool_.Post(k, kPosted);
    }
    pool_.WaitWhileAny(kPosted);
  }

  WorkerPool& pool() { return pool_; }

 private:
  std::vector<std::pair<int, int>> bands_;
  int* values_ = nullptr;
  WorkerPool pool_;
};

TEST(WorkerPool, BandsCoverEveryRowOnceForAnyWorkerCount) {
  for (int workers : {1, 2, 3, 8}) {
    for (int rows : {1, 2, 5, 17, 100}) {
      BandSquarer squarer(workers);
      std::vector<int> values(rows);
      for (int i = 0; i < rows; ++i) {
        values[i] = i + 1;
      }
      squarer.Square(values);
      squarer.Square(values);
      for (int i = 0; i < rows; ++i) {
        const long long v = i + 1;
        EXPECT_EQ(values[i], v * v * v * v) << workers << " workers, " << rows << " rows, row " << i;
      }
    }
  }
}

TEST(WorkerPool, StartsEveryWorkerIdleAndStopsThemAll) {
  BandSquarer squarer(3);
  ASSERT_EQ(squarer.pool().Size(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(squarer.pool().State(i), WorkerPool::kIdle);
  }
  squarer.pool().Stop();
  EXPECT_FALSE(squarer.pool().Running());
  squarer.pool().Stop();  // A second stop is harmless.
}

TEST(WorkerPool, AtLeastOneWorker) {
  WorkerPool pool;
  pool.Start(0, kQuit, [](int, int32_t) { return -1; });
  EXPECT_EQ(pool.Size(), 1);
}

}  // namespace
}  // namespace common
