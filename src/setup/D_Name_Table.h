// Setup words that stand for the values of an enumeration (a colour map, a density scale).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "setup/D_Fold_Case.h"

namespace pw {

// One word of a table and its value; the word is written in lower case.
template <typename T>
struct Named_Value {
  std::string_view name;
  T value;
};

// The value of the word `name`, letter case ignored as the setup reader ignores it; false, with
// `value` untouched, for any other word (the empty one included).
template <typename T, std::size_t N>
bool Value_By_Name(const Named_Value<T> (&table)[N], std::string_view name, T& value) {
  const std::string folded = Fold_Case(name);
  for (const Named_Value<T>& entry : table) {
    if (folded == entry.name) {
      value = entry.value;
      return true;
    }
  }
  return false;
}

// The word of `value` (its first in the table); "" for a value the table does not hold.
template <typename T, std::size_t N>
const char* Name_Of_Value(const Named_Value<T> (&table)[N], T value) {
  for (const Named_Value<T>& entry : table) {
    if (entry.value == value) return entry.name.data();
  }
  return "";
}

}  // namespace pw
