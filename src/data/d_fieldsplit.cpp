#include "data/d_fieldsplit.h"

namespace pw {

namespace {

// A space or control character that does not separate fields here.
inline bool Is_Blank(char c, char delimiter) {
  return static_cast<unsigned char>(c) <= ' ' && c != delimiter;
}

inline const char* Trim_Back(const char* start, const char* stop, char delimiter) {
  while (stop != start && Is_Blank(stop[-1], delimiter)) --stop;
  return stop;
}

// The rare quoted field that must be put together: from its opening quote at `p` (whose
// closing quote is known to exist or not) up to, not including, the delimiter that ends it.
// Appends its text to `out` from `out_size` on and returns the field; `p` moves to the
// delimiter or the line's end. Null when the quote is open at the line's end.
const char* Join_Quoted(const char*& p, const char* end, char delimiter, char* out,
                        std::size_t& out_size, std::size_t& length) {
  char* const start = out + out_size;
  char* q = start;
  ++p;  // the opening quote
  for (;;) {
    const auto* quote = static_cast<const char*>(std::memchr(p, '"', end - p));
    if (quote == nullptr) return nullptr;
    std::memcpy(q, p, quote - p);
    q += quote - p;
    p = quote + 1;
    if (p == end || *p != '"') break;
    *q++ = '"';  // a doubled quote
    ++p;
  }
  // Text after the closing quote, up to the delimiter, kept without its trailing blanks.
  const char* const rest_end = Find_Byte(p, end, Byte_Pattern(delimiter));
  const char* const rest_stop = Trim_Back(p, rest_end, delimiter);
  std::memcpy(q, p, rest_stop - p);
  q += rest_stop - p;
  p = rest_end;
  length = static_cast<std::size_t>(q - start);
  out_size += length;
  return start;
}

}  // namespace

int Split_Delimited(std::string_view line, char delimiter, Line_Fields& fields, int limit,
                    std::string& unquoted) {
  const std::uint64_t pattern = Byte_Pattern(delimiter);
  const char* p = line.data();
  const char* const end = p + line.size();
  std::size_t joined = 0;  // bytes of `unquoted` in use; it is sized on first use
  int count = 0;
  while (count < limit) {
    while (p != end && Is_Blank(*p, delimiter)) ++p;
    if (p != end && *p == '"') {
      const auto* close = static_cast<const char*>(std::memchr(p + 1, '"', end - p - 1));
      if (close == nullptr) return -1;
      const char* after = close + 1;
      while (after != end && Is_Blank(*after, delimiter)) ++after;
      if (after == end || *after == delimiter) {
        // The common quoted field: its text is a view of the line.
        fields[count++] = std::string_view(p + 1, static_cast<std::size_t>(close - p - 1));
        p = after;
      } else {
        if (joined == 0 && unquoted.size() < line.size() + Split_Padding) {
          unquoted.resize(line.size() + Split_Padding);
        }
        std::size_t length = 0;
        const char* text = Join_Quoted(p, end, delimiter, unquoted.data(), joined, length);
        if (text == nullptr) return -1;
        fields[count++] = std::string_view(text, length);
      }
    } else {
      const char* const start = p;
      p = Find_Byte(p, end, pattern);
      const char* const stop = Trim_Back(start, p, delimiter);
      fields[count++] = std::string_view(start, static_cast<std::size_t>(stop - start));
    }
    if (p == end) break;
    ++p;  // the delimiter
  }
  return count;
}

}  // namespace pw
