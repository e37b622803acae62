#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace avi {

// A growable list of owning pointers (std::unique_ptr or std::shared_ptr) for stream lists and
// filter chains. Elements are handed out as plain pointers; removal hands back the owner.
template <typename Owner>
class PtrList {
 public:
  using Element = typename Owner::element_type;

  PtrList() { items_.reserve(kInitialCapacity); }

  void Append(Owner item) { items_.push_back(std::move(item)); }
  size_t Count() const { return items_.size(); }
  // None for an index out of range.
  Element* Get(size_t index) const { return index < items_.size() ? items_[index].get() : nullptr; }
  const Owner& Owned(size_t index) const { return items_[index]; }
  // Removes the element at index, shifting the later ones down; none for an index out of range.
  Owner Remove(size_t index) {
    if (index >= items_.size()) return Owner();
    Owner item = std::move(items_[index]);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    return item;
  }
  // Releases the elements from the last to the first.
  void Clear() {
    while (!items_.empty()) items_.pop_back();
  }
  ~PtrList() { Clear(); }

  PtrList(PtrList&&) noexcept = default;
  PtrList& operator=(PtrList&& other) noexcept {
    Clear();
    items_ = std::move(other.items_);
    return *this;
  }

 private:
  static constexpr size_t kInitialCapacity = 40;
  std::vector<Owner> items_;
};

}  // namespace avi
