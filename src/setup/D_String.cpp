#include "setup/D_String.h"

#include <algorithm>
#include <limits>

#include "base/D_Error.h"
#include "base/utf8_chars.h"

namespace pw {

namespace {

// More than Max_Field_Text characters (utf8_chars.h); only texts of that many bytes can be.
bool Too_Long(const std::string& text) {
  return text.size() > Max_Field_Text && Character_Count(text) > Max_Field_Text;
}

}  // namespace

std::string Next_Field(std::string& text, char delimiter) {
  // The old field routines worked on 16-bit lengths; longer texts are refused rather than
  // silently mangled.
  if (Too_Long(text)) throw Error(Range_Check_Message);
  if (text.empty()) return {};
  const std::size_t start = text.find_first_not_of(delimiter);
  if (start == std::string::npos) {
    text.clear();
    return {};
  }
  const std::size_t end = text.find(delimiter, start);
  if (end == std::string::npos) {
    std::string field = text.substr(start);
    text.clear();
    return field;
  }
  std::string field = text.substr(start, end - start);
  text.erase(0, end + 1);  // the field and the one delimiter that ended it
  return field;
}

std::uint16_t Split_Fields(std::string& text, std::span<std::string> items, char delimiter,
                           std::size_t max_count) {
  const std::size_t limit =
      std::min<std::size_t>({max_count, items.size(), std::numeric_limits<std::uint16_t>::max()});
  std::uint16_t count = 0;
  while (!text.empty() && count < limit) {
    // A tail of delimiters only holds no further field: it must not count as an empty item
    // (otherwise "a b " would give three items and "   " one).
    if (text.find_first_not_of(delimiter) == std::string::npos) {
      if (Too_Long(text)) throw Error(Range_Check_Message);
      text.clear();
      break;
    }
    items[count] = Next_Field(text, delimiter);
    ++count;
  }
  return count;
}

void Pad_Left(std::string& text, std::size_t width, char fill) {
  if (text.size() < width) text.insert(0, width - text.size(), fill);
}

}  // namespace pw
