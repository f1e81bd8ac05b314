#include "setup/D_Fold_Case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pw {
namespace {

struct Fold_Case_Row {
  std::string name;
  std::string folded;
};

TEST(FoldCase, Table) {
  using namespace std::string_literals;
  const std::vector<Fold_Case_Row> rows = {
      {"", ""},
      {"Plotwright", "plotwright"},
      {"P1/G1/Layer_2 [x]", "p1/g1/layer_2 [x]"},  // only letters change
      {"Übersicht", "übersicht"},
      {"HÖHE", "höhe"},
      {"ÉTÉ Ça", "été ça"},
      {"ΣΟΦΊΑ", "σοφία"},
      {"ς", "σ"},  // final sigma folds like sigma
      {"ДАННЫЕ Ё", "данные ё"},
      {"ẞ", "ß"},  // capital sharp s: simple folding, one character
      {"ß", "ß"},  // not "ss"
      {"STRASSE", "strasse"},
      {"İ", "İ"},            // dotted capital I has no simple folding
      {"\u212A", "k"},       // Kelvin sign: 3 bytes fold to 1
      {"\u017F", "s"},       // long s
      {"\u1F88", "\u1F80"},  // capital alpha with psili and prosgegrammeni
      {"\u01C4\u01C5", "\u01C6\u01C6"},
      {"\U00010400", "\U00010428"},  // Deseret, 4 bytes
      {"A\0Ä"s, "a\0ä"s},            // NUL is an ordinary character
      // Not UTF-8: A..Z fold, every other byte stays, valid letters included.
      {"H\xD6HE", "h\xD6he"},              // Latin-1 Ö
      {"ÄB\xFF", "Äb\xFF"},                // a stray byte after a valid letter
      {"ABC\xC3", "abc\xC3"},              // a sequence cut at the end
      {"\xC0\x81Q", "\xC0\x81q"},          // overlong form
      {"\xED\xA0\x80X", "\xED\xA0\x80x"},  // surrogate
  };
  for (const Fold_Case_Row& row : rows) {
    EXPECT_EQ(Fold_Case(row.name), row.folded) << row.name;
  }
}

TEST(FoldCase, CapitalAndSmallFoldAlike) {
  const std::vector<std::pair<std::string, std::string>> pairs = {
      {"Übersicht", "ÜBERSICHT"}, {"Höhe", "hÖHE"}, {"Σίσυφος", "ΣΊΣΥΦΟΣ"},
      {"Москва", "МОСКВА"},       {"ǆ", "ǅ"},       {"straße", "STRAẞE"}};
  for (const auto& [a, b] : pairs) EXPECT_EQ(Fold_Case(a), Fold_Case(b)) << a << " " << b;
  // Different letters stay different.
  EXPECT_NE(Fold_Case("straße"), Fold_Case("STRASSE"));
  EXPECT_NE(Fold_Case("Höhe"), Fold_Case("Hohe"));
  EXPECT_NE(Fold_Case("ü"), Fold_Case("u\u0308"));  // no normalisation
}

}  // namespace
}  // namespace pw
