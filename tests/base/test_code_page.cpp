#include "base/code_page.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/D_Error.h"

namespace pw {
namespace {

const std::string Fffd = "\xEF\xBF\xBD";

// Each code page by each of its spellings, and what it makes of the bytes beyond ASCII.
TEST(Code_Page, ConvertsToUtf8) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string utf8;
  };
  const std::string degree_umlaut_micro = "\xC2\xB0" "C \xC3\xA4 \xC2\xB5";
  const std::vector<Case> cases = {
      {"Windows-1252", "\xB0" "C \xE4 \xB5 \x80", degree_umlaut_micro + " \xE2\x82\xAC"},
      {"cp1252", "\xB0" "C \xE4 \xB5 \x80", degree_umlaut_micro + " \xE2\x82\xAC"},
      {"CP1252", "[a]\r\nb=\x9C\n", "[a]\r\nb=\xC5\x93\n"},
      {"cp1252", "a\x81" "b\x8D", "a" + Fffd + "b" + Fffd},  // undefined in the code page
      {"ISO-8859-1", "\xB0" "C \xE4 \xB5 \x80", degree_umlaut_micro + " \xC2\x80"},
      {"Latin-1", "\xFF", "\xC3\xBF"},
      {"latin1", "\xE4", "\xC3\xA4"},
      {"LATIN-1", "\xE4", "\xC3\xA4"},
      {"ISO-8859-15", "\xA4 \xBD", "\xE2\x82\xAC \xC5\x93"},
      {"Shift_JIS", "x=\x82\xA0", "x=\xE3\x81\x82"},
      {"Shift_JIS", "x=\x82", "x=" + Fffd},  // cut off by the end of the text
      {"UTF-8", "\xB0\xC3\xA4", "\xB0\xC3\xA4"},
      {"utf8", "\xE4", "\xE4"},
      {"cp1252", "", ""},
  };
  for (const Case& c : cases) {
    const TC_Code_Page code_page(c.name, "Plotwright");
    EXPECT_EQ(code_page.To_Utf8(c.bytes), c.utf8) << c.name << " " << c.bytes;
  }
}

TEST(Code_Page, OnlyUtf8NeedsNoConversion) {
  for (const char* name : {"UTF-8", "utf-8", "Utf8"}) {
    EXPECT_TRUE(TC_Code_Page(name, "S").Is_Utf8()) << name;
  }
  for (const char* name : {"cp1252", "latin-1", "ISO-8859-15"}) {
    EXPECT_FALSE(TC_Code_Page(name, "S").Is_Utf8()) << name;
  }
}

// A text longer than the converter's block, converted twice by one converter: the same.
TEST(Code_Page, LongTextInPieces) {
  std::string bytes;
  std::string utf8;
  for (int k = 0; k < 20000; ++k) {
    bytes += "\x80x";
    utf8 += "\xE2\x82\xAC" "x";
  }
  const TC_Code_Page code_page("cp1252", "S");
  EXPECT_EQ(code_page.To_Utf8(bytes), utf8);
  EXPECT_EQ(code_page.To_Utf8(bytes), utf8);
}

// Names no converter knows, names read from the locale or with options, and code pages that
// write ASCII otherwise (so could not name themselves in the file).
TEST(Code_Page, WrongNames) {
  for (const char* name : {"klingon", "", " ", "-", "_.", "CP1252//TRANSLIT", "//", "UTF-16",
                           "UCS-4", "EBCDIC-US", "IBM037"}) {
    try {
      const TC_Code_Page code_page(name, "DataFile");
      ADD_FAILURE() << "accepted: " << name;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), std::string("Wrong Encoding in [DataFile]: ") + name);
      EXPECT_FALSE(e.Fatal());
    }
  }
}

// Back from UTF-8: a character the code page lacks (U+FFFD, Greek in Windows-1252) or bytes
// that are not UTF-8 give no bytes.
TEST(Code_Page, FromUtf8) {
  struct Case {
    const char* name;
    std::string utf8;
    bool converts;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"cp1252", "S\xC3\xBC" "d \xE2\x82\xAC", true, "S\xFC" "d \x80"},
      {"ISO-8859-15", "\xE2\x82\xAC", true, "\xA4"},
      {"cp1252", "a" + Fffd, false, ""},
      {"cp1252", "\xCE\xB1", false, ""},
      {"cp1252", "\xFC", false, ""},
      {"UTF-8", "\xFC", true, "\xFC"},
  };
  for (const Case& c : cases) {
    std::string bytes;
    EXPECT_EQ(TC_Code_Page(c.name, "S").From_Utf8(c.utf8, bytes), c.converts) << c.utf8;
    if (c.converts) {
      EXPECT_EQ(bytes, c.bytes) << c.utf8;
    }
  }
}

}  // namespace
}  // namespace pw
