#include "setup/D_Fold_Case.h"

#include <utf8proc.h>

#include <algorithm>

namespace pw {

namespace {

using Code_Point = utf8proc_int32_t;

char Fold_Ascii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Fold_Ascii_Only(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = Fold_Ascii(c);
  return folded;
}

// The full case folding of c (one to three characters); 0 when the library refuses c.
int Full_Fold(Code_Point c, Code_Point (&folded)[4]) {
  const utf8proc_ssize_t n = utf8proc_decompose_char(c, folded, 4, UTF8PROC_CASEFOLD, nullptr);
  return n >= 1 && n <= 4 ? static_cast<int>(n) : 0;
}

// The library offers the full case folding ("ß" -> "ss"); the simple folding keeps one
// character. Where the full folding is one character the two agree. Where it is several,
// the simple folding is the character's lower case when that folds to the same characters
// ("ẞ" -> "ß", Greek capitals with a subscript iota -> their small letters), and the
// character itself otherwise ("ß" stays, "İ" stays: its lower case "i" folds to "i" alone).
Code_Point Simple_Fold(Code_Point c) {
  Code_Point full[4];
  const int n = Full_Fold(c, full);
  if (n == 1) return full[0];
  if (n == 0) return c;
  const Code_Point lower = utf8proc_tolower(c);
  if (lower == c) return c;
  Code_Point again[4];
  return Full_Fold(lower, again) == n && std::equal(full, full + n, again) ? lower : c;
}

}  // namespace

// The names that are not plain ASCII.
std::string Fold_Beyond_Ascii(std::string_view name) {
  std::string folded;
  folded.reserve(name.size());
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
  std::size_t i = 0;
  while (i < name.size()) {
    if (static_cast<unsigned char>(name[i]) < 0x80) {  // ASCII needs no table
      folded += Fold_Ascii(name[i++]);
      continue;
    }
    Code_Point c = 0;
    const utf8proc_ssize_t length =
        utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(name.size() - i), &c);
    if (length < 1) return Fold_Ascii_Only(name);  // not UTF-8: the byte rule of before
    utf8proc_uint8_t encoded[4];
    const utf8proc_ssize_t size = utf8proc_encode_char(Simple_Fold(c), encoded);
    folded.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(size));
    i += static_cast<std::size_t>(length);
  }
  return folded;
}

}  // namespace pw
