#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace color {

// A conversion table that kernels read without a lock while a builder on another thread may be
// rewriting it. Every entry is its own relaxed atomic: a reader sees, entry by entry, either the
// old or the new value, never a torn one, so a picture converted during a rebuild at worst mixes
// two table generations. Nothing orders the entries against anything else, so relaxed suffices,
// and a relaxed load of a lock-free atomic is an ordinary load: readers pay nothing.
// The table never moves while it exists; only the first build allocates it.
template <typename T, size_t N>
class SharedTable {
 public:
  static_assert(std::atomic<T>::is_always_lock_free && sizeof(std::atomic<T>) == sizeof(T));

  static constexpr size_t Size() { return N; }

  T operator[](size_t i) const { return entries_[i].load(std::memory_order_relaxed); }
  void Set(size_t i, T value) { entries_[i].store(value, std::memory_order_relaxed); }

  // Only one kernel accumulates at a time; a reset or decay on another thread can make one
  // addition be lost, which merely perturbs a statistic. A locked add per pixel would not pay.
  void Add(size_t i, T delta) { Set(i, (*this)[i] + delta); }

 private:
  std::array<std::atomic<T>, N> entries_{};
};

}  // namespace color
