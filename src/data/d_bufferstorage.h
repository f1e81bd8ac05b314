// The data buffer's storage, shared by the buffer and its loader.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "data/d_databuffer.h"

namespace pw {

struct Free_Deleter {
  void operator()(void* block) const noexcept { std::free(block); }
};

// Blocks come from malloc so that growth can use realloc: large blocks are then remapped
// rather than copied, and pages never written cost no memory.
struct TC_Data_Buffer::Storage {
  std::vector<std::unique_ptr<char, Free_Deleter>> values;  // one per column, packed
  std::vector<std::unique_ptr<char, Free_Deleter>> texts;          // one per selector
  std::vector<std::string> titles;
  std::vector<int> decimals;
  std::int32_t capacity = 0;

  // Resizes every array to `new_capacity` points keeping the contents; false when memory
  // runs out (the arrays then still hold at least the old capacity and all their contents).
  bool Resize(std::int32_t new_capacity) {
    const auto points = static_cast<std::size_t>(new_capacity);
    for (auto& block : values) {
      if (!Resize_Block(block, Packed_Values::Array_Bytes(points))) return false;
    }
    for (auto& block : texts) {
      if (!Resize_Block(block, points * Slot_Size)) return false;
    }
    capacity = new_capacity;
    return true;
  }

 private:
  template <typename T>
  static bool Resize_Block(std::unique_ptr<T, Free_Deleter>& block, std::size_t bytes) {
    void* moved = std::realloc(block.get(), bytes);
    if (moved == nullptr) return false;
    (void)block.release();  // realloc took the old block over
    block.reset(static_cast<T*>(moved));
    return true;
  }
};

}  // namespace pw
