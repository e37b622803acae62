#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/ks/properties.h"

namespace platform::ks {

// Hands `answer` to a property get as Object::Property describes: the size alone for a size
// query, kErrorInsufficientBuffer for a buffer too small, else the bytes.
int32_t Reply(const std::vector<uint8_t>& answer, void* value, uint32_t valueSize, uint32_t* returned);

// The bytes of a plain value.
template <typename T>
std::vector<uint8_t> BytesOf(const T& value) {
  std::vector<uint8_t> bytes(sizeof value);
  std::memcpy(bytes.data(), &value, sizeof value);
  return bytes;
}

// The bytes of a list value: a MultipleItem head, then the items back to back.
template <typename T>
std::vector<uint8_t> MultipleOf(const std::vector<T>& items) {
  const MultipleItem head{static_cast<uint32_t>(sizeof head + items.size() * sizeof(T)),
                          static_cast<uint32_t>(items.size())};
  std::vector<uint8_t> bytes(head.size);
  std::memcpy(bytes.data(), &head, sizeof head);
  if (!items.empty()) std::memcpy(bytes.data() + sizeof head, items.data(), items.size() * sizeof(T));
  return bytes;
}

// The items of a list value; false when the head is missing or the items overrun it.
template <typename T>
bool ItemsOf(const std::vector<uint8_t>& bytes, std::vector<T>* items) {
  items->clear();
  MultipleItem head;
  if (bytes.size() < sizeof head) return false;
  std::memcpy(&head, bytes.data(), sizeof head);
  if (head.size < sizeof head || head.size > bytes.size() ||
      head.count > (head.size - sizeof head) / sizeof(T)) {
    return false;
  }
  items->resize(head.count);
  if (head.count > 0) std::memcpy(items->data(), bytes.data() + sizeof head, head.count * sizeof(T));
  return true;
}

}  // namespace platform::ks
