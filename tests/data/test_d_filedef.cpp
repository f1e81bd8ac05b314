#include "data/d_filedef.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/D_Error.h"
#include "data_test_util.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

using pw_test::Make_Def;

std::string Data_File(const std::string& entries, const std::string& filters = "") {
  std::string text = "[DataFile]\n" + entries;
  if (!filters.empty()) text += "[Filters]\n" + filters;
  return text;
}

TEST(FileDef, DefinitionTable) {
  auto def = Make_Def(Data_File(
      "Speed=4/5 6.2 3.6 km per h\nDepth=7 5.1\nNote=2 8.0 -1 inverted\n@Site=3 station name\n",
      "Speed=0 120\n"));
  ASSERT_EQ(def->Column_Count(), 3);
  ASSERT_EQ(def->Selector_Count(), 1);
  const Column_Def& speed = def->Column(1);
  EXPECT_EQ(speed.Name, "Speed");
  EXPECT_EQ(speed.Source_A, 4);
  EXPECT_EQ(speed.Source_B, 5);
  EXPECT_EQ(speed.Operation, Op_Div);
  EXPECT_EQ(speed.Decimals, 2);
  EXPECT_EQ(speed.Scale, 3.6L);
  EXPECT_EQ(speed.Title, "km per h");
  EXPECT_EQ(speed.Filter_Low, 0.0);
  EXPECT_EQ(speed.Filter_High, 120.0);
  const Column_Def& depth = def->Column(2);
  EXPECT_EQ(depth.Source_A, 7);
  EXPECT_EQ(depth.Operation, Op_None);
  EXPECT_EQ(depth.Decimals, 1);
  EXPECT_EQ(depth.Scale, 1.0L);
  EXPECT_EQ(depth.Title, "");
  EXPECT_TRUE(Is_Missing(depth.Filter_Low));
  EXPECT_TRUE(Is_Missing(depth.Filter_High));
  const Column_Def& note = def->Column(3);
  EXPECT_EQ(note.Source_A, 2);
  EXPECT_EQ(note.Decimals, 0);
  EXPECT_EQ(note.Scale, 1.0L);
  EXPECT_EQ(note.Title, "-1 inverted");
  EXPECT_EQ(def->Selector(1).Name, "@Site");
  EXPECT_EQ(def->Selector(1).Column, 3);
  EXPECT_EQ(def->DateCol, 0);
}

TEST(FileDef, ColumnsAndSelectorsNumberedSeparatelyInFileOrder) {
  auto def = Make_Def(Data_File("@A=1\nX=2 1\n@B=3 x\nY=4 1\nnot a definition\n"));
  ASSERT_EQ(def->Column_Count(), 2);
  ASSERT_EQ(def->Selector_Count(), 2);
  EXPECT_EQ(def->Column(1).Name, "X");
  EXPECT_EQ(def->Column(2).Name, "Y");
  EXPECT_EQ(def->Selector(1).Name, "@A");
  EXPECT_EQ(def->Selector(2).Column, 3);
}

struct Source_Case {
  const char* source;
  int a;
  int b;
  Column_Operation operation;
};

TEST(FileDef, OperatorsInSearchOrder) {
  const std::vector<Source_Case> cases = {
      {"3-2", 3, 2, Op_Sub}, {"3+2", 3, 2, Op_Add}, {"3*2", 3, 2, Op_Mul},
      {"3/2", 3, 2, Op_Div}, {"12", 12, 0, Op_None}, {"128", 128, 0, Op_None},
      {"1-128", 1, 128, Op_Sub}};
  for (const auto& c : cases) {
    auto def = Make_Def(Data_File(std::string("V=") + c.source + " 1.0\n"));
    EXPECT_EQ(def->Column(1).Source_A, c.a) << c.source;
    EXPECT_EQ(def->Column(1).Source_B, c.b) << c.source;
    EXPECT_EQ(def->Column(1).Operation, c.operation) << c.source;
  }
}

struct Error_Case {
  std::string setup;
  std::string message;
  bool fatal;
};

void Expect_Errors(const std::vector<Error_Case>& cases) {
  for (const auto& c : cases) {
    try {
      Make_Def(c.setup);
      ADD_FAILURE() << "no error for: " << c.setup;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), c.message) << c.setup;
      EXPECT_EQ(e.Fatal(), c.fatal) << c.setup;
    }
  }
}

TEST(FileDef, BadSourcesAndIndexes) {
  Expect_Errors({
      {Data_File("V=3-2+1 1.0\n"), "'2+1' is not a valid integer value", false},
      {Data_File("V=3+2-1 1.0\n"), "'3+2' is not a valid integer value", false},
      {Data_File("V=3*2/1 1.0\n"), "'2/1' is not a valid integer value", false},
      {Data_File("V=3x 1.0\n"), "'3x' is not a valid integer value", false},
      {Data_File("V=0 5.1 title\n"), "Wrong table column index: 5.1 title", false},
      {Data_File("V=x 5.1\n"), "Wrong table column index: 5.1", false},
      {Data_File("V=-3 5.1\n"), "Wrong table column index: 5.1", false},
      {Data_File("V=\n"), "Wrong table column index: ", false},
      {Data_File("V=129 5.1 t\n"), "Wrong table column index: 5.1 t", false},
      {Data_File("V=3-129 5.1 t\n"), "Wrong table column index: 5.1 t", false},
      {Data_File("V=3- 5.1 t\n"), "Wrong table column index: 5.1 t", false},
      {Data_File("V=3/ 5.1\n"), "Wrong table column index: 5.1", false},
      {Data_File("V=3--2 5.1\n"), "Wrong table column index: 5.1", false},
      {Data_File("@S=0 a b\n"), "Wrong table column index: a b", false},
      {Data_File("@S=\n"), "Wrong table column index: ", false},
      {Data_File("@S=x\n"), "Wrong table column index: ", false},
      {Data_File("@S=200 t\n"), "Wrong table column index: t", false},
      {Data_File("@S=2q t\n"), "'2q' is not a valid integer value", false},
  });
}

TEST(FileDef, DecimalsRoundToTenthsTiesToEven) {
  const std::vector<std::pair<const char*, int>> cases = {
      {"6.25", 2}, {"6.26", 3}, {"6", 0}, {"0.5", 5}, {"6.35", 4}, {"9.96", 0}, {"1e0", 0}};
  for (const auto& [format, decimals] : cases) {
    auto def = Make_Def(Data_File(std::string("V=1 ") + format + "\n"));
    EXPECT_EQ(def->Column(1).Decimals, decimals) << format;
  }
  Expect_Errors({
      {Data_File("V=1\n"), "'' is not a valid floating point value", false},
      {Data_File("V=1 abc\n"), "'abc' is not a valid floating point value", false},
  });
}

TEST(FileDef, ScaleVersusTitle) {
  struct Case {
    const char* definition;
    long double scale;
    const char* title;
  };
  const std::vector<Case> cases = {
      {"3 4.1 2.54 cm", 2.54L, "cm"},    {"3 4.1 cm", 1, "cm"},
      {"3 4.1", 1, ""},                  {"3 4.1   .5   half  way ", 0.5L, "half  way"},
      {"3 4.1 -2 minus", 1, "-2 minus"}, {"3 4.1 +2 plus", 1, "+2 plus"},
      {"3 4.1 1e3", 1000, ""},
  };
  for (const auto& c : cases) {
    auto def = Make_Def(Data_File(std::string("Width=") + c.definition + "\n"));
    EXPECT_EQ(def->Column(1).Scale, c.scale) << c.definition;
    EXPECT_EQ(def->Column(1).Title, c.title) << c.definition;
  }
  Expect_Errors({{Data_File("W=3 4.1 2x cm\n"), "'2x' is not a valid floating point value",
                  false}});
}

TEST(FileDef, Filters) {
  auto def = Make_Def(Data_File("Speed=1 1\nDepth=2 1\nOther=3 1\n",
                                "SPEED=10 20\nDepth=1 2 3\nNobody=5 6\n"));
  EXPECT_EQ(def->Column(1).Filter_Low, 10.0);  // the key's letter case does not matter
  EXPECT_EQ(def->Column(1).Filter_High, 20.0);
  EXPECT_EQ(def->Column(2).Filter_Low, 1.0);
  EXPECT_EQ(def->Column(2).Filter_High, 2.0);
  EXPECT_TRUE(Is_Missing(def->Column(3).Filter_Low));
  EXPECT_TRUE(Is_Missing(def->Column(3).Filter_High));
  Expect_Errors({
      {Data_File("S=1 1\n", "S=20 10\n"), "Wrong filter limits", true},
      {Data_File("S=1 1\n", "S=5 5\n"), "Wrong filter limits", true},
      {Data_File("S=1 1\n", "S=5\n"), "Two values required in a filter", true},
      {Data_File("S=1 1\n", "S=a 5\n"), "'a' is not a valid floating point value", false},
      {Data_File("S=1 1\n", "S=1 b\n"), "'b' is not a valid floating point value", false},
  });
}

TEST(FileDef, FilterLimitsBeyondDoubleRangeDoNotConvert) {
  Expect_Errors({
      {Data_File("S=1 1\n", "S=0 1e400\n"), "'1e400' is not a valid floating point value",
       false},
      {Data_File("S=1 1\n", "S=-1e400 0\n"), "'-1e400' is not a valid floating point value",
       false},
      // Rounds to an infinity in double precision, though it is finite in extended.
      {Data_File("S=1 1\n", "S=0 1.7976931348623159e308\n"),
       "'1.7976931348623159e308' is not a valid floating point value", false},
  });
  struct Case {
    const char* limits;
    double low;
    double high;
  };
  const std::vector<Case> cases = {
      {"-1e308 1e308", -1e308, 1e308},
      {"0 1.7976931348623157e308", 0, 1.7976931348623157e308},  // DBL_MAX itself
      {"-1e-400 1", 0, 1},                                      // underflow is zero
  };
  for (const auto& c : cases) {
    auto def = Make_Def(Data_File("S=1 1\n", std::string("S=") + c.limits + "\n"));
    EXPECT_EQ(def->Column(1).Filter_Low, c.low) << c.limits;
    EXPECT_EQ(def->Column(1).Filter_High, c.high) << c.limits;
  }
}

TEST(FileDef, Counts) {
  std::string columns;
  for (int i = 1; i <= 128; ++i) columns += "C" + std::to_string(i) + "=1 1\n";
  std::string selectors;
  for (int i = 1; i <= 64; ++i) selectors += "@S" + std::to_string(i) + "=1\n";
  auto def = Make_Def(Data_File(columns + selectors));
  EXPECT_EQ(def->Column_Count(), 128);
  EXPECT_EQ(def->Selector_Count(), 64);
  Expect_Errors({
      {Data_File(columns + "C129=1 1\n"), "Too many columns in file definition", true},
      {Data_File("C=1 1\n" + selectors + "@S65=1\n"), "Too many selectors in file definition",
       true},
      // Full to the last column and selector: the entry after them still stops the definition.
      {Data_File(columns + selectors + "C129=1 1\n"), "Too many columns in file definition", true},
      {Data_File(columns + selectors + "@S65=1\n"), "Too many selectors in file definition",
       true},
      {Data_File("@S=1\n"), "Zero columns in file definition", true},
      {Data_File(""), "Zero columns in file definition", true},
      {"[Other]\nA=1 1\n", "Zero columns in file definition", true},
  });
}

TEST(FileDef, ColumnsOfOneNameAllExistAndTheFirstIsFound) {
  auto def = Make_Def(Data_File("A=1 1.0\nB=2 1.0\na=3 1.0\n"));
  ASSERT_EQ(def->Column_Count(), 3);
  const std::vector<std::pair<const char*, int>> columns = {{"A", 1}, {"B", 2}, {"a", 1}};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(def->Column(i + 1).Name, columns[i].first) << i;
    // The setup reader gives a repeated key its first value, so both "A" columns read field 1.
    EXPECT_EQ(def->Column(i + 1).Source_A, columns[i].second) << i;
  }
  EXPECT_EQ(def->Find_Column("A"), 1);
  EXPECT_EQ(def->Find_Column("a"), 3);

  auto same = Make_Def(Data_File("V=1 1.0\nW=2 1.0\nV=3 2.0\n"));
  ASSERT_EQ(same->Column_Count(), 3);
  EXPECT_EQ(same->Column(3).Name, "V");
  EXPECT_EQ(same->Column(3).Source_A, 1);
  EXPECT_EQ(same->Column(3).Decimals, 0);
  EXPECT_EQ(same->Find_Column("V"), 1);
}

TEST(FileDef, FindIsExact) {
  auto def = Make_Def(Data_File("Speed=1 1\n@Site=2\nDepth=3 1\n"));
  EXPECT_EQ(def->Find_Column("Speed"), 1);
  EXPECT_EQ(def->Find_Column("Depth"), 2);
  EXPECT_EQ(def->Find_Column("speed"), 0);
  EXPECT_EQ(def->Find_Column(""), 0);
  EXPECT_EQ(def->Find_Selector("@Site"), 1);
  EXPECT_EQ(def->Find_Selector("Site"), 0);
  EXPECT_EQ(def->Find_Selector("@site"), 0);
}

// "Encoding" names the texts' code page unless its value is a column definition (a field
// number first), which it has always been.
TEST(FileDef, EncodingKey) {
  struct Case {
    std::string entries;
    std::string encoding;
    int columns;
  };
  const std::vector<Case> cases = {
      {"X=1 1\n", "", 1},
      {"Encoding=Windows-1252\nX=1 1\n", "Windows-1252", 1},
      {"X=1 1\nENCODING = cp1252\n", "cp1252", 1},
      {"encoding=latin1\nX=1 1\n", "latin1", 1},
      {"Encoding=UTF-8\nX=1 1\n", "UTF-8", 1},
      {"Encoding=3 1 Enc\nX=1 1\n", "", 2},
  };
  for (const Case& c : cases) {
    const auto def = Make_Def(Data_File(c.entries));
    EXPECT_EQ(def->Encoding(), c.encoding) << c.entries;
    EXPECT_EQ(def->Column_Count(), c.columns) << c.entries;
  }
  for (const std::string value : {"klingon", "", "UTF-16", "0 1"}) {
    try {
      Make_Def(Data_File("X=1 1\nEncoding=" + value + "\n"));
      ADD_FAILURE() << value;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "Wrong Encoding in [DataFile]: " + value);
      EXPECT_FALSE(e.Fatal());
    }
  }
}

}  // namespace
}  // namespace pw
