#include "setup/d_inifile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <clocale>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "utf16_util.h"

namespace pw {
namespace {

namespace fs = std::filesystem;

// Writes setup files under a per-test temporary folder and removes them afterwards.
class Ini_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           ("pw_ini_" + std::string(info->name()) + "_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string Write(const std::string& content, const std::string& name = "setup.ini") {
    const fs::path path = dir_ / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return path.string();
  }

  fs::path dir_;
};

// ---- multi-section lookup ----

TEST_F(Ini_Test, MostSpecificSectionWins) {
  TC_Ini_File ini(Write("[A]\nboth=fromA\nonlyA=a\n[B]\nboth=fromB\nonlyB=b\n"));
  const Section_List list = {"A", "B"};
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"both", "fromB"}, {"onlyA", "a"}, {"onlyB", "b"}, {"none", "dflt"}};
  for (const auto& [key, expected] : cases) {
    EXPECT_EQ(ini.Read_String(list, key, "dflt"), expected) << key;
  }
  EXPECT_EQ(ini.Read_String({"B", "A"}, "both", "dflt"), "fromA");
  EXPECT_EQ(ini.Read_String({"A", "Missing"}, "both", "dflt"), "fromA");
}

TEST_F(Ini_Test, EmptyValueInMostSpecificSectionIsUsed) {
  TC_Ini_File ini(
      Write("[A]\ns=general\ni=5\nf=2.5\nb=yes\nl=x y\n"
            "[B]\ns=\ni=\nf=\nb=\nl=\n"));
  const Section_List list = {"A", "B"};
  EXPECT_EQ(ini.Read_String(list, "s", "dflt"), "");
  EXPECT_EQ(ini.Read_Integer(list, "i", 7), 7);
  EXPECT_EQ(ini.Read_Float(list, "f", 1.5L), 1.5L);
  try {
    ini.Read_Bool(list, "b", true);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Bad Boolean constant: ");
    EXPECT_FALSE(e.Fatal());
  }
  std::array<std::string, 3> items = {"old", "old", "old"};
  EXPECT_EQ(ini.Read_List(list, "l", items, 3), 0);
  EXPECT_EQ(items[0], "old");
}

TEST_F(Ini_Test, ValueThatDoesNotConvertStopsTheSearch) {
  TC_Ini_File ini(Write("[A]\ni=5\nf=2.5\n[B]\ni=abc\nf=abc\n"));
  EXPECT_EQ(ini.Read_Integer({"A", "B"}, "i", -1), -1);
  EXPECT_EQ(ini.Read_Float({"A", "B"}, "f", -1.0L), -1.0L);
}

// ---- conversion rules ----

TEST_F(Ini_Test, IntegerRule) {
  const std::vector<std::pair<std::string, std::int32_t>> cases = {
      {"0x1F", 31},
      {"0X1f", 31},
      {"$1F", 31},
      {"-12", -12},
      {"12", 12},
      {"0", 0},
      {"12abc", 99},
      {"3000000000", 99},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", 99},
      {"0x", 99},
      {"", 99},
      {"abc", 99},
      {"1.5", 99},
      {"0xZZ", 99},
      {"00x1F", 99},
      {"  42  ", 42},
  };
  std::string text = "[S]\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
  }
  TC_Ini_File ini(Write(text));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const std::string key = "k" + std::to_string(i);
    EXPECT_EQ(ini.Read_Integer({"S"}, key, 99), cases[i].second) << "'" << cases[i].first << "'";
    EXPECT_EQ(ini.Get_Integer("S", key, 99), cases[i].second) << "'" << cases[i].first << "'";
  }
  EXPECT_EQ(ini.Get_Integer("S", "absent", 99), 99);
  EXPECT_EQ(ini.Read_Integer({"S"}, "absent", 99), 99);
}

TEST_F(Ini_Test, FloatRule) {
  const long double dflt = -7.25L;
  const std::vector<std::pair<std::string, long double>> cases = {
      {"2.5", 2.5L},      {"2,5", dflt},
      {"-1e3", -1000.0L}, {"1E-2", static_cast<long double>(0.01)},
      {"+4", 4.0L},       {"0.1", static_cast<long double>(0.1)},  // double precision, not extended
      {"abc", dflt},      {"1e400", dflt},                         // beyond the double range
      {"1,000", dflt},    {"", dflt},
  };
  std::string text = "[S]\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
  }
  TC_Ini_File ini(Write(text));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(ini.Read_Float({"S"}, "k" + std::to_string(i), dflt), cases[i].second)
        << "'" << cases[i].first << "'";
  }
  EXPECT_NE(ini.Read_Float({"S"}, "k5", dflt), 0.1L);
  EXPECT_EQ(ini.Read_Float({"S"}, "absent", dflt), dflt);
}

TEST_F(Ini_Test, FloatRuleIgnoresCommaLocale) {
  TC_Ini_File ini(Write("[S]\ndot=2.5\ncomma=2,5\n"));
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  bool comma_locale = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "German"}) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      comma_locale = true;
      break;
    }
  }
  if (!comma_locale) GTEST_SKIP() << "no locale with a decimal comma available";
  const long double dot = ini.Read_Float({"S"}, "dot", 0.0L);
  const long double comma = ini.Read_Float({"S"}, "comma", 9.0L);
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(dot, 2.5L);
  EXPECT_EQ(comma, 9.0L);
}

TEST_F(Ini_Test, BooleanRule) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"yes", true},    {"TRUE", true}, {"1", true},  {"Y", true},  {"t", true},
      {"10", true},     {"no", false},  {"f", false}, {"0", false}, {"N", false},
      {"false", false}, {"0.5", false}, {"F", false}, {"n", false},
  };
  std::string text = "[S]\n";
  for (std::size_t i = 0; i < cases.size(); ++i) {
    text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
  }
  TC_Ini_File ini(Write(text + "on=on\nmaybe= maybe \nempty=\n"));
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(ini.Read_Bool({"S"}, "k" + std::to_string(i), !cases[i].second), cases[i].second)
        << "'" << cases[i].first << "'";
  }
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"on", "Bad Boolean constant: on"},
      {"maybe", "Bad Boolean constant: maybe"},
      {"empty", "Bad Boolean constant: "},
  };
  for (const auto& [key, message] : bad) {
    try {
      ini.Read_Bool({"S"}, key, true);
      ADD_FAILURE() << key << ": no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), message);
      EXPECT_FALSE(e.Fatal());
    }
  }
  EXPECT_TRUE(ini.Read_Bool({"S"}, "absent", true));
  EXPECT_FALSE(ini.Read_Bool({"S"}, "absent", false));
}

TEST_F(Ini_Test, ListRule) {
  TC_Ini_File ini(Write("[S]\nabc=a  b   c\nspaces=   \ntrail= x  y  \n"));
  std::array<std::string, 4> items = {"old", "old", "old", "old"};
  EXPECT_EQ(ini.Read_List({"S"}, "abc", items, 2), 2);
  EXPECT_EQ(items[0], "a");
  EXPECT_EQ(items[1], "b");
  EXPECT_EQ(items[2], "old");
  EXPECT_EQ(items[3], "old");

  items.fill("old");
  EXPECT_EQ(ini.Read_List({"S"}, "abc", items, 4), 3);
  EXPECT_EQ(items[2], "c");
  EXPECT_EQ(items[3], "old");

  items.fill("old");
  EXPECT_EQ(ini.Read_List({"S"}, "trail", items, 4), 2);
  EXPECT_EQ(items[1], "y");
  EXPECT_EQ(items[2], "old");

  items.fill("old");
  EXPECT_EQ(ini.Read_List({"S"}, "spaces", items, 4), 0);
  EXPECT_EQ(ini.Read_List({"S"}, "absent", items, 4), 0);
  EXPECT_EQ(ini.Read_List({"Nope"}, "abc", items, 4), 0);
  for (const auto& item : items) EXPECT_EQ(item, "old");

  std::array<std::string, 2> small;
  EXPECT_EQ(ini.Read_List({"S"}, "abc", small, 32), 2);  // limited to the array
}

TEST_F(Ini_Test, NamesIgnoreLetterCase) {
  TC_Ini_File ini(Write("[MySection]\nKeyName=v\n"));
  EXPECT_TRUE(ini.Key_Exists("mysection", "KEYNAME"));
  EXPECT_TRUE(ini.Key_Exists("MYSECTION", "keyname"));
  EXPECT_EQ(ini.Get_String("MySeCtIoN", "kEyNaMe", "d"), "v");
  EXPECT_EQ(ini.Read_String({"mysection"}, "keyname", "d"), "v");
  EXPECT_FALSE(ini.Key_Exists("MySection", "Key"));
}

// Every letter, not only A to Z; names that are not UTF-8 (here Latin-1) keep matching byte
// for byte, with A to Z folded as before.
TEST_F(Ini_Test, NamesIgnoreLetterCaseBeyondAscii) {
  TC_Ini_File ini(
      Write("[Übersicht]\nHÖHE=1\nΣΤΆΘΜΗ=2\n[Ω/Граф]\nx=3\n"
            "[L\xC4NGE]\nK\xD6R=4\n"));
  EXPECT_EQ(ini.Read_String({"übersicht"}, "höhe", "d"), "1");
  EXPECT_EQ(ini.Read_String({"ÜBERSICHT"}, "Höhe", "d"), "1");
  EXPECT_EQ(ini.Read_String({"übersicht"}, "στάθμη", "d"), "2");
  EXPECT_EQ(ini.Read_String({"ω/граф"}, "X", "d"), "3");
  EXPECT_EQ(ini.Read_String({"l\xC4nge"}, "k\xD6r", "d"), "4");
  EXPECT_FALSE(ini.Key_Exists("l\xE4nge", "k\xD6r"));  // Latin-1 ä is not Ä
  EXPECT_FALSE(ini.Key_Exists("uebersicht", "HÖHE"));
  EXPECT_FALSE(ini.Key_Exists("übersicht", "HOHE"));
  // The listing keeps the names as written.
  EXPECT_EQ(ini.Get_Section_Lines("ÜBERSICHT"), (std::vector<std::string>{"HÖHE=1", "ΣΤΆΘΜΗ=2"}));
}

// ---- file syntax ----

struct Syntax_Case {
  const char* what;
  std::string content;
  std::string section;
  std::string key;
  bool exists;
  std::string value;  // when it exists
};

TEST_F(Ini_Test, SyntaxTable) {
  const std::vector<Syntax_Case> cases = {
      {"plain", "[S]\nk=v\n", "S", "k", true, "v"},
      {"no final newline", "[S]\nk=v", "S", "k", true, "v"},
      {"semicolon comment", "[S]\n;k=v\n", "S", "k", false, ""},
      {"hash comment", "[S]\n#k=v\n", "S", "k", false, ""},
      {"indented comment", "[S]\n  ; k=v\n", "S", ";k", false, ""},
      {"no inline comment", "[S]\nk=v ; note\n", "S", "k", true, "v ; note"},
      {"byte-order mark", "\xEF\xBB\xBF[S]\nk=v\n", "S", "k", true, "v"},
      {"CRLF", "[S]\r\nk=v\r\nj=w\r\n", "S", "k", true, "v"},
      {"lone CR", "[S]\rk=v\rj=w\r", "S", "j", true, "w"},
      {"before first section", "k=v\n[S]\n", "S", "k", false, ""},
      {"before first section, empty name", "k=v\n[S]\n", "", "k", false, ""},
      {"line without =", "[S]\njustkey\nk=v\n", "S", "justkey", false, ""},
      {"key with no =, next line", "[S]\njustkey\nk=v\n", "S", "k", true, "v"},
      {"empty value", "[S]\nk=\n", "S", "k", true, ""},
      {"blank value", "[S]\nk=   \n", "S", "k", true, ""},
      {"empty key ignored", "[S]\n=v\n", "S", "", false, ""},
      {"duplicate key", "[S]\nk=1\nK=2\n", "S", "k", true, "1"},
      {"blanks around", "[S]\n \t k \t = \t v w \t \n", "S", "k", true, "v w"},
      {"inner key blank", "[S]\nmy key=v\n", "S", "my key", true, "v"},
      {"second =", "[S]\nk=a=b\n", "S", "k", true, "a=b"},
      {"double quotes", "[S]\nk=\"x\"\n", "S", "k", true, "x"},
      {"single quotes", "[S]\nk='x'\n", "S", "k", true, "x"},
      {"quotes keep inner blanks", "[S]\nk=\" x \"\n", "S", "k", true, " x "},
      {"mixed quotes kept", "[S]\nk=\"x'\n", "S", "k", true, "\"x'"},
      {"one quote kept", "[S]\nk=\"\n", "S", "k", true, "\""},
      {"empty quotes", "[S]\nk=''\n", "S", "k", true, ""},
      {"inner quotes kept", "[S]\nk=a\"b\"\n", "S", "k", true, "a\"b\""},
      {"blanks in header", "[  S x  ]\nk=v\n", "S x", "k", true, "v"},
      {"indented header", "   [S]\nk=v\n", "S", "k", true, "v"},
      {"text after header", "[S] trailing\nk=v\n", "S", "k", true, "v"},
      {"header without ]", "[S\nk=v\n", "S", "k", true, "v"},
      {"sections separate", "[S]\nk=v\n[T]\nj=w\n", "S", "j", false, ""},
      {"repeated section merges", "[S]\na=1\n[T]\n[s]\nk=v\na=2\n", "S", "k", true, "v"},
      {"repeated section, first wins", "[S]\na=1\n[T]\n[s]\na=2\n", "S", "a", true, "1"},
      {"empty file", "", "S", "k", false, ""},
  };
  for (const auto& c : cases) {
    TC_Ini_File ini(Write(c.content));
    EXPECT_EQ(ini.Key_Exists(c.section, c.key), c.exists) << c.what;
    EXPECT_EQ(ini.Get_String(c.section, c.key, "<none>"), c.exists ? c.value : "<none>") << c.what;
  }
}

TEST_F(Ini_Test, LongValuesAreCut) {
  const std::string exact(Max_Value_Length, 'x');
  const std::string longer(3000, 'y');
  const std::string quoted = "\"" + std::string(Max_Value_Length, 'q') + "\"";
  // The limit counts characters: a letter beyond ASCII counts once, whatever its bytes.
  const std::string utf8 = std::string(Max_Value_Length - 1, 'a') + "\xC3\xA9" + "zz";
  std::string umlauts, umlauts_cut, invalid(3000, '\xFF');
  for (std::size_t i = 0; i < Max_Value_Length + 5; ++i) umlauts += "\xC3\x84";
  umlauts_cut = umlauts.substr(0, 2 * Max_Value_Length);
  TC_Ini_File ini(Write("[S]\nexact=" + exact + "\nlonger=" + longer + "\nquoted=" + quoted +
                        "\nutf8=" + utf8 + "\numlauts=" + umlauts + "\ninvalid=" + invalid +
                        "\n"));
  EXPECT_EQ(ini.Get_String("S", "exact", ""), exact);
  EXPECT_EQ(ini.Get_String("S", "longer", ""), std::string(Max_Value_Length, 'y'));
  EXPECT_EQ(ini.Get_String("S", "quoted", ""), std::string(Max_Value_Length, 'q'));
  EXPECT_EQ(ini.Get_String("S", "utf8", ""), std::string(Max_Value_Length - 1, 'a') + "\xC3\xA9");
  EXPECT_EQ(ini.Get_String("S", "umlauts", ""), umlauts_cut);
  // Bytes that are not UTF-8 count one each, as they always did.
  EXPECT_EQ(ini.Get_String("S", "invalid", ""), std::string(Max_Value_Length, '\xFF'));
}

TEST_F(Ini_Test, MissingFileOrFolderHasNoKeys) {
  for (const std::string& name : {(dir_ / "absent.ini").string(), dir_.string()}) {
    TC_Ini_File ini(name);
    EXPECT_EQ(ini.File_Name(), name);
    EXPECT_FALSE(ini.Key_Exists("S", "k"));
    EXPECT_EQ(ini.Get_String("S", "k", "d"), "d");
    EXPECT_EQ(ini.Get_Integer("S", "k", 3), 3);
    EXPECT_TRUE(ini.Get_Section_Lines("S").empty());
    EXPECT_EQ(ini.Read_String({"A", "S"}, "k", "d"), "d");
    EXPECT_EQ(ini.Read_Float({"S"}, "k", 1.25L), 1.25L);
    EXPECT_TRUE(ini.Read_Bool({"S"}, "k", true));
  }
}

TEST_F(Ini_Test, NulBytesAreOrdinaryCharacters) {
  static constexpr char kContent[] = "[S]\nk=v\0w\n\0\0\xff\xfe[T]\nx=1\n";
  const std::string content(kContent, sizeof kContent - 1);
  TC_Ini_File ini(Write(content));
  EXPECT_EQ(ini.Get_String("S", "k", ""), std::string("v\0w", 3));
  EXPECT_FALSE(ini.Key_Exists("T", "x"));  // that line did not start with "["
  EXPECT_EQ(ini.Get_Integer("S", "x", 0), 1);
}

TEST_F(Ini_Test, BinaryGarbageDoesNotCrash) {
  std::mt19937 random(12345);
  std::string garbage;
  for (int i = 0; i < 200000; ++i) {
    const unsigned r = random();
    // Enough structure characters to make sections and keys appear.
    const char pick[] = {'[', ']', '=', '\n', '\r', '\0', ' ', ';', '"'};
    garbage += (r % 4 == 0) ? pick[(r >> 8) % sizeof pick] : static_cast<char>(r >> 16);
  }
  TC_Ini_File ini(Write(garbage));
  std::size_t lines = 0;
  for (int i = 0; i < 50; ++i) {
    const std::string name(1, static_cast<char>(random()));
    lines += ini.Get_Section_Lines(name).size();
    ini.Read_Integer({name, ""}, name, 5);
    ini.Read_Float({name}, name, 0.0L);
    try {
      ini.Read_Bool({name}, "", false);
    } catch (const Error&) {
    }
    std::array<std::string, 4> items;
    EXPECT_LE(ini.Read_List({name}, name, items, 4), 4);
  }
  SUCCEED() << lines << " lines seen";
}

TEST_F(Ini_Test, SectionLinesInFileOrder) {
  TC_Ini_File ini(Write("[S]\nB=2\n; note\na= \"q\" \nc=\nb=3\nnoequals\nZ=last\n[T]\nt=1\n"));
  // "b" repeats "B": listed again, under its own spelling, with the value reads give.
  const std::vector<std::string> expected = {"B=2", "a=q", "c=", "b=2", "Z=last"};
  EXPECT_EQ(ini.Get_Section_Lines("s"), expected);
  EXPECT_EQ(ini.Get_Section_Lines("T"), std::vector<std::string>{"t=1"});
  EXPECT_TRUE(ini.Get_Section_Lines("U").empty());
}

TEST_F(Ini_Test, SectionLinesListEveryRepeatedKey) {
  struct Case {
    const char* text;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"[DataFile]\nA=1 1.0\nB=2 1.0\na=3 1.0\n", {"A=1 1.0", "B=2 1.0", "a=1 1.0"}},
      {"[S]\nk=1\nk=2\nk=3\n", {"k=1", "k=1", "k=1"}},
      {"[S]\nK=\nk=full\n", {"K=", "k="}},  // an empty first value still wins
      {"[S]\nx=1\n[T]\ny=2\n[s]\nX=9\nz=3\n", {"x=1", "X=1", "z=3"}},  // one section
      {"[S]\n k = 'q' \nk=r\n", {"k=q", "k=q"}},
  };
  for (const auto& c : cases) {
    TC_Ini_File ini(Write(c.text));
    EXPECT_EQ(ini.Get_Section_Lines(c.text[1] == 'D' ? "DataFile" : "S"), c.lines) << c.text;
  }
  // Reads keep the first occurrence.
  TC_Ini_File ini(Write("[S]\nA=1\nB=2\na=3\n"));
  EXPECT_EQ(ini.Get_String("S", "a", "none"), "1");
  EXPECT_EQ(ini.Get_Integer("S", "A", -1), 1);
  EXPECT_TRUE(ini.Key_Exists("S", "a"));
  EXPECT_EQ(ini.Read_String({"T", "S"}, "A", "none"), "1");
}

TEST_F(Ini_Test, RepeatedLongValueIsKeptOnce) {
  // One long value under a key repeated 20000 times (a setup of about 80 KB): kept once, not
  // once per line (40 MB); an entry costs a few hundred bytes at most.
  std::string text = "[S]\nk=" + std::string(2000, 'v') + "\n";
  for (int i = 0; i < 20000; ++i) text += (i % 2 ? "k=\n" : "K=x\n");
  text += "[T]\nt=1\n";
  TC_Ini_File ini(Write(text));
  EXPECT_LT(ini.Stored_Bytes(), 20001u * 250);
  EXPECT_EQ(ini.Get_String("s", "K", ""), std::string(2000, 'v'));
  const std::vector<std::string> lines = ini.Get_Section_Lines("S", 3);
  const std::string line = "=" + std::string(2000, 'v');
  EXPECT_EQ(lines, (std::vector<std::string>{"k" + line, "K" + line, "k" + line}));
  EXPECT_EQ(ini.Get_Section_Lines("S").size(), 20001u);
  EXPECT_EQ(ini.Get_Section_Lines("T", 0).size(), 0u);
  EXPECT_EQ(ini.Get_Section_Lines("T", 5), std::vector<std::string>{"t=1"});
}

TEST_F(Ini_Test, ManySectionsAndKeys) {
  std::string text;
  for (int s = 0; s < 1000; ++s) {
    text += "[Sec" + std::to_string(s) + "]\n";
    for (int k = 0; k < 10; ++k)
      text += "Key" + std::to_string(k) + "=" + std::to_string(s * 10 + k) + "\n";
  }
  TC_Ini_File ini(Write(text));
  EXPECT_EQ(ini.Get_Integer("sec999", "key9", -1), 9999);
  EXPECT_EQ(ini.Read_Integer({"Sec0", "Sec500"}, "KEY3", -1), 5003);
  EXPECT_EQ(ini.Get_Section_Lines("Sec42").size(), 10u);
}

TEST_F(Ini_Test, NewReaderSeesChangedFile) {
  const std::string path = Write("[S]\nk=old\n");
  TC_Ini_File first(path);
  EXPECT_EQ(first.Get_String("S", "k", ""), "old");
  Write("[S]\nk=new\nj=added\n");
  EXPECT_EQ(first.Get_String("S", "k", ""), "old");  // one reader, one reading of the file
  TC_Ini_File second(path);
  EXPECT_EQ(second.Get_String("S", "k", ""), "new");
  EXPECT_TRUE(second.Key_Exists("S", "j"));
}

// A setup saved as UTF-16 ("Unicode" in Windows editors) reads as the same setup in UTF-8:
// names beyond ASCII fold, a 4-byte character is one character of a cut value, CRLF ends.
TEST_F(Ini_Test, Utf16ReadsAsUtf8) {
  const std::string pair = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16
  const std::string text = "; \xC3\x9C" "bersicht\r\n[\xC3\x9C" "BERSICHT]\r\n"
                           "Caption = \"Gr\xC3\xB6\xC3\x9F" "e " + pair + "\"\r\n"
                           "N=$1F\r\nlong=" + std::string(Max_Value_Length - 1, 'a') + pair +
                           "zz\r\n[b]\r\nx=1";
  for (const bool big_endian : {false, true}) {
    TC_Ini_File ini(Write(pw_test::Utf16(text, big_endian)));
    SCOPED_TRACE(big_endian);
    EXPECT_EQ(ini.Get_String("\xC3\xBC" "bersicht", "caption", ""),
              "Gr\xC3\xB6\xC3\x9F" "e " + pair);
    EXPECT_EQ(ini.Read_Integer({"\xC3\x9C" "bersicht"}, "n", 0), 31);
    EXPECT_EQ(ini.Get_String("\xC3\x9C" "bersicht", "long", ""),
              std::string(Max_Value_Length - 1, 'a') + pair);
    EXPECT_EQ(ini.Get_String("B", "X", ""), "1");
  }
}

// Broken UTF-16 reads as editors show it: U+FFFD for each bad unit, the rest as it is.
TEST_F(Ini_Test, BrokenUtf16GivesReplacementCharacters) {
  using namespace std::string_literals;
  const std::string fffd = "\xEF\xBF\xBD";
  // [S] a=<lone high surrogate>x b=<lone low surrogate> c=1<odd last byte>
  const std::string le = "\xFF\xFE[\0S\0]\0\n\0a\0=\0\x3D\xD8x\0\n\0b\0=\0\x00\xDC\n\0c\0=\0001\0\x01"s;
  TC_Ini_File ini(Write(le));
  EXPECT_EQ(ini.Get_Section_Lines("S"),
            (std::vector<std::string>{"a=" + fffd + "x", "b=" + fffd, "c=1" + fffd}));
}

// ---- setups in a code page ----

// The same setup in Windows-1252 with its Encoding key reads as its UTF-8; the key's name,
// section and value ignore letter case, wherever in the section it stands.
TEST_F(Ini_Test, CodePageSetupReadsAsUtf8) {
  const std::vector<std::string> headers = {
      "[Plotwright]\nEncoding=Windows-1252\n",
      "[PLOTWRIGHT]\r\nTabs=Top\r\nENCODING = cp1252\r\n",
      "; Windows\n[plotwright]\nencoding=\"CP1252\"\n", "[Plotwright]\nEncoding=latin1\n"};
  for (const std::string& header : headers) {
    SCOPED_TRACE(header);
    TC_Ini_File ini(Write(header + "[P]\nTitle=Temperatur in \xB0" "C\nCaption=L\xE4nge \xB5m\n"
                          "[\xC4]\nx=1\n"));
    EXPECT_EQ(ini.Get_String("P", "Title", ""), "Temperatur in \xC2\xB0" "C");
    EXPECT_EQ(ini.Read_String({"P"}, "caption", ""), "L\xC3\xA4nge \xC2\xB5m");
    EXPECT_EQ(ini.Get_String("\xC3\xA4", "x", ""), "1");  // the section name folds as UTF-8
  }
  TC_Ini_File euro(Write("[Plotwright]\nEncoding=Windows-1252\n[P]\nName=\x80 \x81\n"));
  EXPECT_EQ(euro.Get_String("P", "Name", ""), "\xE2\x82\xAC \xEF\xBF\xBD");
}

// Without the key, with "UTF-8", with the key elsewhere than in [Plotwright], and behind a
// byte-order mark, the bytes are read as they are.
TEST_F(Ini_Test, CodePageOnlyFromTheMainSectionWithoutMark) {
  const std::vector<std::string> files = {
      "[P]\nTitle=\xB0\n", "[Plotwright]\nEncoding=UTF-8\n[P]\nTitle=\xB0\n",
      "[Plotwright]\nEncoding=utf8\n[P]\nTitle=\xB0\n",
      "[Pages]\nEncoding=cp1252\n[P]\nTitle=\xB0\n",
      "\xEF\xBB\xBF[Plotwright]\nEncoding=cp1252\n[P]\nTitle=\xB0\n"};
  for (const std::string& file : files) {
    TC_Ini_File ini(Write(file));
    EXPECT_EQ(ini.Get_String("P", "Title", ""), "\xB0") << file;
  }
  const std::string utf8 = "[Plotwright]\nEncoding=cp1252\n[P]\nTitle=\xC3\xA4\n";
  TC_Ini_File utf16(Write(pw_test::Utf16(utf8)));
  EXPECT_EQ(utf16.Get_String("P", "Title", ""), "\xC3\xA4");
}

// A value no converter knows: every read raises the error, none gives a value.
TEST_F(Ini_Test, UnknownCodePageFailsEveryRead) {
  for (const std::string value : {"klingon", "", "UTF-16", "cp1252//TRANSLIT"}) {
    TC_Ini_File ini(Write("[Plotwright]\nTabs=Top\nEncoding=" + value + "\n[P]\nx=1\n"));
    for (int read = 0; read < 2; ++read) {
      try {
        ini.Get_String("Plotwright", "Tabs", "");
        ADD_FAILURE() << value;
      } catch (const Error& e) {
        EXPECT_EQ(e.Message(), "Wrong Encoding in [Plotwright]: " + value);
        EXPECT_FALSE(e.Fatal());
      }
    }
    EXPECT_THROW(ini.Read_Integer({"P"}, "x", 0), Error);
  }
}

}  // namespace
}  // namespace pw
