// The data buffer's storage, shared by the buffer and its loader.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/code_page.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_fastnum.h"
#include "data/d_textdict.h"
#include "setup/D_Format.h"

namespace pw {

// Is_Missing, inline for the loops that run once per point.
inline bool Missing_Value(long double x) { return !std::isfinite(x); }

// A field as a time (plus `date_offset`, the line's Date_Offset) or a number; raises the
// conversion error otherwise. The fast number path refuses every text with a ":", so trying it
// first changes nothing and spares the time scan on ordinary numbers. `Padded`: 8 bytes past
// the field are readable, as in a data line (d_fieldsplit.h). Inline: the loader calls it for
// every field.
template <bool Padded = false>
inline long double Field_Value(std::string_view field, double date_offset) {
  long double value;
  if (fastnum_detail::Fast_To_Float<Padded>(field, value)) return value;
  if (Parse_Time(field, value)) return value + date_offset;
  return Str_To_Float(field);
}

struct Free_Deleter {
  void operator()(void* block) const noexcept { std::free(block); }
};

// Blocks come from malloc so that growth can use realloc: large blocks are then remapped
// rather than copied, and pages never written cost no memory.
struct TC_Data_Buffer::Storage {
  std::vector<std::unique_ptr<char, Free_Deleter>> values;    // one per column, packed
  std::vector<std::unique_ptr<char, Free_Deleter>> text_ids;  // one per selector
  std::vector<TC_Text_Dictionary> dictionaries;               // one per selector
  // With a code page other than UTF-8: it, and each selector's texts as UTF-8 by number (the
  // dictionaries keep the file's bytes, which the load compares).
  std::unique_ptr<TC_Code_Page> code_page;
  std::vector<std::vector<std::string>> shown_texts;

  // Texts are read as UTF-8 from here on (a load that adds texts first).
  void Read_As_Utf8() {
    code_page.reset();
    shown_texts.clear();
  }
  std::vector<std::string> titles;
  std::vector<int> decimals;
  std::int32_t capacity = 0;

  // Bytes the text numbers of n points take, per selector.
  static std::size_t Id_Bytes(std::size_t n) { return n * sizeof(std::uint32_t); }

  // Resizes every array to `new_capacity` points keeping the contents; false when memory
  // runs out (the arrays then still hold at least the old capacity and all their contents).
  bool Resize(std::int32_t new_capacity) {
    const auto points = static_cast<std::size_t>(new_capacity);
    for (auto& block : values) {
      if (!Resize_Block(block, Packed_Values::Array_Bytes(points))) return false;
    }
    for (auto& block : text_ids) {
      if (!Resize_Block(block, Id_Bytes(points))) return false;
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
