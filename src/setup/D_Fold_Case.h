// Letter case of setup names: the key every section and key name is compared by.
#pragma once

#include <string>
#include <string_view>

namespace pw {

// `name` with every letter replaced by its Unicode simple case folding, so that two names
// differing only in letter case give the same text ("Übersicht" and "ÜBERSICHT" both give
// "übersicht", "HÖHE" gives "höhe"). Each character folds to exactly one character (never
// "ß" to "ss"), and no other change is made (no normalisation: a precomposed "ü" and "u" with
// a combining mark stay different).
//
// A name of ASCII bytes only folds A..Z to a..z and nothing else, without any table lookup.
// A name that is not valid UTF-8 (a stray byte, a cut sequence, an overlong form or a
// surrogate) also folds A..Z only, keeping every other byte as it is: such names match
// exactly as they did before letters beyond ASCII were folded. Empty gives empty; NUL bytes
// are ordinary characters.
//
// Inline: the setup reader folds a section and a key name for every lookup, and nearly all
// of them are ASCII, which this one pass folds.
std::string Fold_Beyond_Ascii(std::string_view name);
inline std::string Fold_Case(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (static_cast<unsigned char>(c) >= 0x80) return Fold_Beyond_Ascii(name);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

}  // namespace pw
