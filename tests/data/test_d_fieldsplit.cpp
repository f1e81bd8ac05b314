// Splitting whitespace-table and delimited lines (CSV and its kin), and the setup keys that
// choose the table form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/D_Error.h"
#include "data/d_databuffer.h"
#include "data/d_fieldsplit.h"
#include "data/d_tableform.h"
#include "data_test_util.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

// The fields of `line` as "[a][b]", or "open" for a quoted field open at the line's end.
std::string Split(const std::string& line, char delimiter, int limit = Max_Fields) {
  // The line sits in a longer buffer, as in a batch: the splitter may read past its end.
  const std::string padded = line + "\n" + std::string(Split_Padding, 'z');
  Line_Fields fields;
  std::string unquoted = "left over from an earlier line";
  const int count =
      Split_Delimited(std::string_view(padded).substr(0, line.size()), delimiter, fields, limit,
                      unquoted);
  if (count < 0) return "open";
  std::string text;
  for (int k = 0; k < count; ++k) text += "[" + std::string(fields[k]) + "]";
  return text;
}

TEST(SplitDelimited, FieldsQuotesAndBlanks) {
  struct Case {
    const char* line;
    char delimiter;
    const char* fields;
  };
  const std::vector<Case> cases = {
      {"1,2,3", ',', "[1][2][3]"},
      {" 1 , 2\t,3 \r", ',', "[1][2][3]"},
      {"1,,3", ',', "[1][][3]"},
      {"1,2,", ',', "[1][2][]"},
      {",1", ',', "[][1]"},
      {",", ',', "[][]"},
      {"\"a,b\",c", ',', "[a,b][c]"},
      {"\"a\"\"b\",c", ',', "[a\"b][c]"},
      {"\"\"\"\"", ',', "[\"]"},
      {"\"\",x", ',', "[][x]"},
      {"  \"a b \"  ,c", ',', "[a b ][c]"},
      {"\"ab\" cd ,e", ',', "[ab cd][e]"},
      {"\"a\"\"\"x,\"y\"", ',', "[a\"x][y]"},
      {"5\",6\"\"", ',', "[5\"][6\"\"]"},
      {"x \"y\",z", ',', "[x \"y\"][z]"},
      {"\"abc", ',', "open"},
      {"\"a\"\"", ',', "open"},
      {"a,\"b", ',', "open"},
      {"a;b,c;\"d;e\"", ';', "[a][b,c][d;e]"},
      {"a|b||\"|\"", '|', "[a][b][][|]"},
      {"\t5\t6", '\t', "[][5][6]"},
      {"5\t\t6\t", '\t', "[5][][6][]"},
      {" 5 \t \"6\t7\" \r", '\t', "[5][6\t7]"},
      {"5  6", ' ', "[5][][6]"},
      {"\t5 6\t", ' ', "[5][6]"},
      {"12345678901234567,b", ',', "[12345678901234567][b]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split(c.line, c.delimiter), c.fields) << c.line;
  }
}

TEST(SplitDelimited, FieldsPastTheLimitAreNotLookedAt) {
  EXPECT_EQ(Split("1,2,3,4", ',', 2), "[1][2]");
  EXPECT_EQ(Split("1,\"open", ',', 1), "[1]");
  EXPECT_EQ(Split("1,\"open", ',', 2), "open");
  std::string many;
  for (int k = 1; k <= 200; ++k) many += "\"" + std::to_string(k) + "\"\"\",";
  const std::string split = Split(many, ',');
  EXPECT_TRUE(split.ends_with("[128\"]")) << split.substr(split.size() - 20);
}

// Texts put together from quotes on neighbouring lines share the splitter's buffer: each line
// keeps its own.
TEST(SplitDelimited, QuotedTextsOfNeighbouringLines) {
  const auto def = pw_test::Make_Def("[DataFile]\nA=1 1\n@G=2\n");
  def->Form.Delimiter = ',';
  pw_test::Temp_File file(
      "1,\"a\"\"b\"\n2,\"a\"\"c\"\n3,\"a\"\"c\"\n4,\"a\" \"\n5,a\"b\n6,\"" + std::string(200, 'x') +
      "\"\"\"\n7,\"a\"\"b\"\n");
  TC_Data_Buffer buffer;
  buffer.Load_File(file.Path(), *def);
  std::string texts;
  for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
    texts += "[" + std::string(buffer.Get_Text(p, 1)) + "]";
  }
  EXPECT_EQ(texts, "[a\"b][a\"c][a\"c][a \"][a\"b][" + std::string(31, 'x') + "][a\"b]");
}

// The fields of a whitespace-table line as "[a][b]", split in a buffer with padding behind.
std::string Split_Spaces(const std::string& line, int limit = Max_Fields) {
  const std::string padded = line + std::string(Split_Padding, 'z');
  Line_Fields fields;
  const int count = Split_Line(std::string_view(padded).substr(0, line.size()), fields, limit);
  std::string text;
  for (int k = 0; k < count; ++k) text += "[" + std::string(fields[k]) + "]";
  return text;
}

// The same, one byte at a time: the rule itself.
std::string Split_Spaces_Slowly(const std::string& line, int limit) {
  std::string text;
  int count = 0;
  std::size_t i = 0;
  while (count < limit) {
    while (i < line.size() && line[i] == ' ') ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && line[i] != ' ') ++i;
    text += "[" + line.substr(start, i - start) + "]";
    ++count;
  }
  return text;
}

TEST(SplitSpaces, FieldsAndLimits) {
  struct Case {
    std::string line;
    int limit;
    std::string fields;
  };
  const std::string long_field(70, 'a');
  const std::vector<Case> cases = {
      {"", 8, ""},
      {"   ", 8, ""},
      {"1 2  3", 8, "[1][2][3]"},
      {" 1 2 ", 8, "[1][2]"},
      {"1\t2 \x80\xff 3", 8, "[1\t2][\x80\xff][3]"},  // tabs and high bytes are text
      {"1 2 3", 2, "[1][2]"},
      {"1 2 3", 0, ""},
      {std::string(63, ' ') + "x", 8, "[x]"},
      {std::string(64, ' ') + "x", 8, "[x]"},
      {std::string(63, 'a') + " b", 8, "[" + std::string(63, 'a') + "][b]"},
      {long_field + " " + long_field, 8, "[" + long_field + "][" + long_field + "]"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split_Spaces(c.line, c.limit), c.fields) << c.line;
  }
}

// Every line of up to 10 bytes from space and 'x' at every offset, and longer lines of runs
// around the 64-byte steps, as the rule splits them.
TEST(SplitSpaces, AsTheRuleAtEveryLength) {
  for (int length = 0; length <= 10; ++length) {
    for (int bits = 0; bits < (1 << length); ++bits) {
      std::string line;
      for (int b = 0; b < length; ++b) line += (bits >> b) & 1 ? 'x' : ' ';
      for (const int limit : {1, 3, Max_Fields}) {
        ASSERT_EQ(Split_Spaces(line, limit), Split_Spaces_Slowly(line, limit)) << line;
      }
    }
  }
  unsigned seed = 1;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int length = 50 + round % 150;
    while (static_cast<int>(line.size()) < length) {
      seed = seed * 1103515245 + 12345;
      line += std::string(1 + (seed >> 16) % 9, (seed >> 8) % 3 == 0 ? ' ' : 'y');
    }
    for (const int limit : {2, 7, Max_Fields}) {
      ASSERT_EQ(Split_Spaces(line, limit), Split_Spaces_Slowly(line, limit)) << line;
    }
  }
}

TEST(TableForm, DelimiterValues) {
  struct Case {
    const char* value;
    int delimiter;  // -1: refused
  };
  const std::vector<Case> cases = {
      {"", 0},   {",", ','},   {";", ';'},   {"|", '|'},   {"tab", '\t'}, {"TAB", '\t'},
      {"Tab", '\t'}, {"\t", '\t'}, {" ", ' '}, {":", ':'},   {"ab", -1},    {"\"", -1},
      {"tabs", -1},  {"\xC2\xA7", -1}, {"\x1a", -1}, {",,", -1},
  };
  for (const Case& c : cases) {
    if (c.delimiter >= 0) {
      EXPECT_EQ(Parse_Delimiter(c.value, "Plotwright"), c.delimiter) << c.value;
      continue;
    }
    try {
      Parse_Delimiter(c.value, "Plotwright");
      ADD_FAILURE() << c.value;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), std::string("Wrong Delimiter in [Plotwright]: ") + c.value);
      EXPECT_FALSE(e.Fatal());
    }
  }
}

TEST(TableForm, ReadFromTheMainSection) {
  struct Case {
    const char* keys;
    std::string outcome;
  };
  const std::vector<Case> cases = {
      {"", "0 0"},
      {"delimiter=\",\"\nHEADER=2\n", "44 2"},
      {"Delimiter=;\nHeader=x\n", "59 0"},  // the integer rule: not a number gives the default
      {"Delimiter=tab\nHeader=0x10\n", "9 16"},
      {"Header=-1\n", "Wrong Header in [Plotwright]: -1"},
      {"Delimiter=comma\n", "Wrong Delimiter in [Plotwright]: comma"},
  };
  for (const Case& c : cases) {
    pw_test::Temp_File file(std::string("[Plotwright]\n") + c.keys + "[Other]\nHeader=5\n",
                            ".ini");
    TC_Ini_File ini(file.Path());
    std::string outcome;
    try {
      const Table_Form form = Read_Table_Form(ini, "Plotwright");
      outcome = std::to_string(form.Delimiter) + " " + std::to_string(form.Header_Lines);
    } catch (const Error& e) {
      outcome = e.Message();
    }
    EXPECT_EQ(outcome, c.outcome) << c.keys;
  }
}

}  // namespace
}  // namespace pw
