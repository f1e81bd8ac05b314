#include "data/d_headerskip.h"

#include <cstring>

namespace pw {

TC_Header_Skip_Source::TC_Header_Skip_Source(TC_Byte_Source& source, std::uint64_t lines)
    : source_(source), left_(lines) {}

std::size_t TC_Header_Skip_Source::Read(char* into, std::size_t size) {
  while (left_ > 0) {
    const std::size_t count = source_.Read(into, size);
    if (count == 0) return 0;
    if (skipped_ == 0 && count >= 3 && std::memcmp(into, "\xEF\xBB\xBF", 3) == 0) {
      began_with_mark_ = true;
    }
    const char* p = into;
    const char* const end = into + count;
    while (left_ > 0 && p < end) {
      const auto* feed = static_cast<const char*>(std::memchr(p, '\n', end - p));
      const char* const stop = feed != nullptr ? feed : end;
      if (std::memchr(p, 26, stop - p) != nullptr) {
        left_ = 0;  // the data end within the header: the code 26 goes on
        p = static_cast<const char*>(std::memchr(p, 26, stop - p));
        break;
      }
      p = stop;
      if (feed != nullptr) {
        ++p;
        --left_;
      }
    }
    skipped_ += static_cast<std::uint64_t>(p - into);
    if (p < end) {
      const std::size_t rest = static_cast<std::size_t>(end - p);
      std::memmove(into, p, rest);
      return rest;
    }
  }
  return source_.Read(into, size);
}

}  // namespace pw
