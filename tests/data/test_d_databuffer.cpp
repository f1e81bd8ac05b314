#include "data/d_databuffer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <filesystem>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_filedef.h"
#include "data_test_util.h"
#include "utf16_util.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

using pw_test::Make_Def;
using pw_test::Temp_File;

class DataBuffer : public ::testing::Test {
 protected:
  void SetUp() override {
    NPts = 1024;
    Base_Date = 0;
    Date_Offset = 0;
  }
  void TearDown() override { NPts = 1024; }

  // Loads `data` through the definition of `entries` (the "DataFile" section).
  void Load(const std::string& entries, const std::string& data, int date_col = 0,
            const std::string& filters = "") {
    std::string setup = "[DataFile]\n" + entries;
    if (!filters.empty()) setup += "[Filters]\n" + filters;
    def_ = Make_Def(setup);
    def_->DateCol = date_col;
    Temp_File file(data);
    buffer_.Load_File(file.Path(), *def_);
  }

  // Loads and returns the error raised; fails the test when there is none.
  Error Load_Error(const std::string& entries, const std::string& data) {
    try {
      Load(entries, data);
    } catch (const Error& e) {
      return e;
    }
    ADD_FAILURE() << "no error";
    return Error("");
  }

  std::unique_ptr<TC_File_Def> def_;
  TC_Data_Buffer buffer_;
};

TEST_F(DataBuffer, NewBufferIsEmpty) {
  EXPECT_EQ(buffer_.Point_Count(), 0);
  EXPECT_EQ(buffer_.Column_Count(), 0);
  EXPECT_EQ(buffer_.Selector_Count(), 0);
  EXPECT_TRUE(buffer_.Selection().Required.none());
  EXPECT_TRUE(buffer_.Selection().Banned.none());
  EXPECT_EQ(buffer_.Selection().Key_Sel[0], 0);
}

TEST_F(DataBuffer, CommentsBlankLinesAndRunsOfSpaces) {
  Load("A=1 1\nB=3 1\n@S=2\n",
       "; comment\n\n   / indented comment\n  :also\n 1   x   2.5 \n\t\n3 y 4e1\n");
  ASSERT_EQ(buffer_.Point_Count(), 2);
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 1.0L);
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 2.5L);
  EXPECT_EQ(buffer_.Get_Text(1, 1), "x");
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 3.0L);
  EXPECT_EQ(buffer_.Raw_Value(2, 2), 40.0L);
  EXPECT_EQ(buffer_.Get_Text(2, 1), "y");
}

TEST_F(DataBuffer, TitlesAndDecimalsCopied) {
  Load("A=1 3.2 2 metres\nB=1 1\n", "1\n");
  EXPECT_EQ(buffer_.Column_Count(), 2);
  EXPECT_EQ(buffer_.Get_Title(1), "metres");
  EXPECT_EQ(buffer_.Get_Decimals(1), 2);
  EXPECT_EQ(buffer_.Get_Title(2), "");
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 2.0L);
}

TEST_F(DataBuffer, MissingMarkers) {
  Load("A=1 1\n", "?\nN/A\nNaN\nn\nnone\n-0.5\n");
  ASSERT_EQ(buffer_.Point_Count(), 6);
  for (int p = 1; p <= 5; ++p) EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(p, 1))) << p;
  EXPECT_EQ(buffer_.Raw_Value(6, 1), -0.5L);
}

TEST_F(DataBuffer, ConversionErrorStopsTheLoadKeepingEarlierPoints) {
  struct Case {
    std::string data;
    std::string message;
    int points;
  };
  const std::vector<Case> cases = {
      {"1\n2\n-\n4\n", "'-' is not a valid floating point value", 2},
      {"1\n# 5\n", "'#' is not a valid floating point value", 1},
      {"1\t2 3\n", "'1\t2' is not a valid floating point value", 0},
      {"1,5\n", "'1,5' is not a valid floating point value", 0},
      {"7\n12:x:00\n", "'x' is not a valid integer value", 1},
      {"7\n12:30\n", "'' is not a valid floating point value", 1},
  };
  for (const auto& c : cases) {
    const Error e = Load_Error("A=1 1\n", c.data);
    EXPECT_EQ(e.Message(), c.message) << c.data;
    EXPECT_FALSE(e.Fatal()) << c.data;
    EXPECT_EQ(buffer_.Point_Count(), c.points) << c.data;
    if (c.points > 0) {
      EXPECT_EQ(buffer_.Raw_Value(1, 1), c.data[0] - '0') << c.data;
    }
  }
}

TEST_F(DataBuffer, FailingLineLeavesNoHalfPoint) {
  // The first column of line 2 converts, the second does not: the point is not counted.
  const Error e = Load_Error("A=1 1\nB=2 1\n", "1 2\n3 x\n");
  EXPECT_EQ(e.Message(), "'x' is not a valid floating point value");
  ASSERT_EQ(buffer_.Point_Count(), 1);
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 2.0L);
}

TEST_F(DataBuffer, Operations) {
  Load("Sum=1+2 1\nDiff=1-2 1\nProd=1*2 1\nQuot=1/2 1\n", "6 2\n6 0\n6 ?\n? 2\n");
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 8.0L);
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 4.0L);
  EXPECT_EQ(buffer_.Raw_Value(1, 3), 12.0L);
  EXPECT_EQ(buffer_.Raw_Value(1, 4), 3.0L);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 6.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 4)));  // division by zero
  for (int c = 1; c <= 4; ++c) {
    EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(3, c))) << c;  // missing second operand
    EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(4, c))) << c;  // missing first operand
  }
}

// A product, quotient or scaled value beyond the largest extended number has no value: it
// reads as missing (and so does not pass Required), as a division by zero does.
TEST_F(DataBuffer, ResultsBeyondTheExtendedRangeAreMissing) {
  Load("P=1*2 1\nQ=1/2 1\nS=1 1 1e4000\n", "1e4000 1e4000\n-1e4000 1e-4000\n2 3\n");
  ASSERT_EQ(buffer_.Point_Count(), 3);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(1, 1)));  // 1e8000
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 1.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(1, 3)));  // scaled to 1e8000
  EXPECT_EQ(buffer_.Raw_Value(2, 1), -1.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 2)));  // -1e8000
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 3)));
  EXPECT_EQ(buffer_.Raw_Value(3, 1), 6.0L);
  EXPECT_EQ(buffer_.Raw_Value(3, 3), 2e4000L);
  T_Selection required;
  required.Required.set(1);
  buffer_.Set_Selection(required);
  EXPECT_FALSE(buffer_.Is_Selected(1));
  EXPECT_TRUE(buffer_.Is_Selected(2));
}

TEST_F(DataBuffer, ScaleBeforeFilter) {
  Load("V=1 1 10\n", "5\n12\n10\n0\n-0.1\n", 0, "V=0 100\n");
  ASSERT_EQ(buffer_.Point_Count(), 5);  // filters never remove points
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 50.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 1)));
  EXPECT_EQ(buffer_.Raw_Value(3, 1), 100.0L);
  EXPECT_EQ(buffer_.Raw_Value(4, 1), 0.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(5, 1)));
}

// A column of one field without scale or filter stores the numbers the fast conversion takes
// straight away; a filter that keeps them all sends the same texts the long way. Both store
// the same bits, for the texts the fast conversion leaves to the exact one as well.
TEST_F(DataBuffer, PlainColumnsStoreWhatTheLongWayStores) {
  const std::vector<std::string> texts = {
      "0",    "-0",       "1.5",      "-2.25e-3", "3e27",   "8930413224313367611e-27",
      "1e28", "1e-4950",  "5.",       ".5",       "+7",     "18446744073709551616",
      "?",    "12:30:00", "0.1e0027", "-0.0e99",  "1.1E+22"};
  std::string data;
  for (const std::string& text : texts) data += text + " " + text + "\n";
  Load("A=1 1\nB=2 1\n", data, 0, "B=-1e300 1e300\n");
  ASSERT_EQ(buffer_.Point_Count(), static_cast<std::int32_t>(texts.size()));
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto p = static_cast<std::int32_t>(i + 1);
    const long double plain = buffer_.Raw_Value(p, 1);
    const long double filtered = buffer_.Raw_Value(p, 2);
    EXPECT_EQ(std::memcmp(&plain, &filtered, 10), 0) << texts[i];
  }
}

std::string Numbered_Lines(int count) {
  std::string data;
  for (int i = 1; i <= count; ++i) data += std::to_string(i) + " t" + std::to_string(i) + "\n";
  return data;
}

TEST_F(DataBuffer, GrowthKeepsEarlierValues) {
  Load("V=1 1\n@T=2\n", Numbered_Lines(1030));
  ASSERT_EQ(buffer_.Point_Count(), 1030);
  EXPECT_EQ(buffer_.Capacity(), 2048);
  for (int p = 1; p <= 1030; ++p) {
    ASSERT_EQ(buffer_.Raw_Value(p, 1), p);
    ASSERT_EQ(buffer_.Get_Text(p, 1), "t" + std::to_string(p));
  }
}

TEST_F(DataBuffer, GrowthStepsFollowNPts) {
  const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
      {1, 1}, {3, 3}, {1024, 1024}, {0, 1024}, {-5, 1024}};
  for (const auto& [npts, step] : cases) {
    NPts = npts;
    Load("V=1 1\n@T=2\n", Numbered_Lines(2500));
    ASSERT_EQ(buffer_.Point_Count(), 2500) << npts;
    EXPECT_GE(buffer_.Capacity(), 2500) << npts;
    EXPECT_EQ(buffer_.Capacity() % step, 0) << npts;
    EXPECT_EQ(buffer_.Raw_Value(2500, 1), 2500.0L);
    EXPECT_EQ(buffer_.Raw_Value(1, 1), 1.0L);
    EXPECT_EQ(buffer_.Get_Text(1777, 1), "t1777");
  }
}

TEST_F(DataBuffer, SelectorTextsCutTo31Characters) {
  const std::string forty = "abcdefghijklmnopqrstuvwxyz0123456789ABCD";
  Load("V=1 1\n@T=2\n@U=3\n", "1 " + forty + " ?\n2 exactly31charactersxxxxxxxxxxx\n");
  EXPECT_EQ(buffer_.Get_Text(1, 1), forty.substr(0, 31));
  EXPECT_EQ(buffer_.Get_Text(1, 2), "?");  // texts are stored as written
  EXPECT_EQ(buffer_.Get_Text(2, 1), "exactly31charactersxxxxxxxxxxx");
}

// Texts are cut by characters: a UTF-8 letter of two or more bytes counts once, and a cut
// never splits one. Bytes that are not UTF-8 count one each, as they always did.
TEST_F(DataBuffer, SelectorTextsCutToCharactersNotBytes) {
  const std::string place = "Gro\xC3\x9F" "e-M\xC3\xBChle-am-Hang-Westseite!";  // 30 characters
  ASSERT_EQ(place.size(), 32u);
  std::string forty_euros;
  for (int i = 0; i < 40; ++i) forty_euros += "\xE2\x82\xAC";
  const std::string latin1(40, '\xFC');  // not UTF-8: 40 characters of one byte
  const std::string mixed = std::string(30, 'a') + "\xC3\xA4" + "b";
  Load("V=1 1\n@T=2\n", "1 " + place + "\n2 " + forty_euros + "\n3 " + latin1 + "\n4 " + mixed +
                            "\n");
  EXPECT_EQ(buffer_.Get_Text(1, 1), place);
  std::string thirty_one_euros;
  for (int i = 0; i < 31; ++i) thirty_one_euros += "\xE2\x82\xAC";
  EXPECT_EQ(buffer_.Get_Text(2, 1), thirty_one_euros);
  EXPECT_EQ(buffer_.Get_Text(3, 1), latin1.substr(0, 31));
  EXPECT_EQ(buffer_.Get_Text(4, 1), std::string(30, 'a') + "\xC3\xA4");

  // A Key names the place whole, and the cut texts by their first 31 characters.
  const std::vector<std::pair<std::string, int>> keys = {
      {place, 1}, {thirty_one_euros, 2}, {forty_euros, 0}, {latin1.substr(0, 31), 3},
      {std::string(30, 'a') + "\xC3\xA4", 4}, {std::string(30, 'a') + "\xC3", 0}};
  for (const auto& [text, point] : keys) {
    T_Selection key;
    key.Key_Sel[0] = 1;
    key.Key_Text[0] = text;
    buffer_.Set_Selection(key);
    for (int p = 1; p <= 4; ++p) EXPECT_EQ(buffer_.Is_Selected(p), p == point) << text << p;
  }
}

// The 65535-character line limit counts characters too.
TEST_F(DataBuffer, LineLimitCountsCharacters) {
  std::string umlauts;
  for (int i = 0; i < 65533; ++i) umlauts += "\xC3\xA4";  // 131066 bytes
  Load("A=1 1\n@T=2\n", "1 " + umlauts + "\n");  // 65535 characters
  ASSERT_EQ(buffer_.Point_Count(), 1);
  EXPECT_EQ(buffer_.Get_Text(1, 1).size(), 62u);

  EXPECT_EQ(Load_Error("A=1 1\n", "1\n2 " + umlauts + "\xC3\xA4\n").Message(),
            "Range check error");
  EXPECT_EQ(buffer_.Point_Count(), 1);
  // Bytes that are not UTF-8 are a character each.
  Load("A=1 1\n", "1 " + std::string(65533, '\xFC') + "\n");
  EXPECT_EQ(buffer_.Point_Count(), 1);
  EXPECT_EQ(Load_Error("A=1 1\n", "1 " + std::string(65534, '\xFC') + "\n").Message(),
            "Range check error");
}

TEST_F(DataBuffer, ShortLineReadsMissingAndEmptyText) {
  Load("A=1 1\nB=3 1\nC=1+3 1\n@T=2\n", "1 first 3\n4\n");
  ASSERT_EQ(buffer_.Point_Count(), 2);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 4.0L);
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 2)));
  EXPECT_TRUE(Is_Missing(buffer_.Raw_Value(2, 3)));
  EXPECT_EQ(buffer_.Get_Text(2, 1), "");  // never the text of an earlier line
}

TEST_F(DataBuffer, OnlyFieldsUpTo128Count) {
  std::string line;
  for (int i = 1; i <= 130; ++i) line += std::to_string(i) + " ";
  Load("A=128 1\n@T=128\n", line + "\n");
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 128.0L);
  EXPECT_EQ(buffer_.Get_Text(1, 1), "128");
}

TEST_F(DataBuffer, TimesWithDates) {
  Load("T=2 1\n", "2024/01/01 12:30:00\n2024/01/02 12:30:00\n? 12:30:00\n2023/12/31 +1:0:0\n",
       1);
  ASSERT_EQ(buffer_.Point_Count(), 4);
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 12.5L);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 36.5L);
  EXPECT_EQ(buffer_.Raw_Value(3, 1), 12.5L);
  EXPECT_EQ(buffer_.Raw_Value(4, 1), 1.0L);  // previous day plus one day
  // The first date stays the base for later loads.
  Load("T=2 1\n", "2024/01/03 00:00:00\n", 1);
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 48.0L);
}

// Without a date column no line has a date, so a time is the time itself, whatever dates an
// earlier load read (its last line two days after the first one here).
TEST_F(DataBuffer, TimesWithoutDateColumnIgnoreEarlierDates) {
  Load("T=2 1\n", "2024/01/01 1:00:00\n2024/01/03 1:00:00\n", 1);
  ASSERT_EQ(buffer_.Point_Count(), 2);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 49.0L);
  Load("T=2 1\nS=1+2 1\n", "0.5 12:30:00\n");
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 12.5L);
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 13.0L);
  // A date column again: the first date read stays the base.
  Load("T=2 1\n", "2024/01/02 1:00:00\n", 1);
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 25.0L);
}

TEST_F(DataBuffer, BadDateStopsTheLoad) {
  std::unique_ptr<TC_File_Def> def = Make_Def("[DataFile]\nT=2 1\n");
  def->DateCol = 1;
  Temp_File file("2024/01/01 1\n2024/13/01 2\n");
  try {
    buffer_.Load_File(file.Path(), *def);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "'2024/13/01' is not a valid date");
  }
  EXPECT_EQ(buffer_.Point_Count(), 1);
}

TEST_F(DataBuffer, ParseValue) {
  Date_Offset = 24;
  EXPECT_EQ(buffer_.Parse_Value("12:30:00"), 36.5L);
  EXPECT_EQ(buffer_.Parse_Value("7.5"), 7.5L);
  EXPECT_THROW(buffer_.Parse_Value("abc"), Error);
}

TEST_F(DataBuffer, LineEndsAndFileEnds) {
  struct Case {
    std::string data;
    std::vector<long double> values;
  };
  const std::vector<Case> cases = {
      {"1\r\n2\r\n", {1, 2}},
      {"1\n2", {1, 2}},
      {"1\n2\x1a\n3\n", {1, 2}},
      {"1\n\x1a" "2\n", {1}},
      {"\xEF\xBB\xBF" "5\n6\n", {5, 6}},
      {"\xEF\xBB\xBF; comment\n7\n", {7}},
      {"1\r\r\n\r\n2 \t\r\n", {1, 2}},
  };
  for (const auto& c : cases) {
    Load("V=1 1\n", c.data);
    ASSERT_EQ(buffer_.Point_Count(), static_cast<int>(c.values.size())) << c.data;
    for (std::size_t i = 0; i < c.values.size(); ++i) {
      EXPECT_EQ(buffer_.Raw_Value(static_cast<int>(i) + 1, 1), c.values[i]) << c.data;
    }
  }
}

TEST_F(DataBuffer, NoPointsIsFatal) {
  const std::vector<std::string> cases = {"", "\n\n; only comments\n  / more\n", "\x1a" "1\n",
                                          "\xEF\xBB\xBF"};
  for (const auto& data : cases) {
    def_ = Make_Def("[DataFile]\nV=1 1\n");
    Temp_File file(data);
    try {
      buffer_.Load_File(file.Path(), *def_);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "No points in data buffer loaded from " + file.Path());
      EXPECT_TRUE(e.Fatal());
    }
  }
}

TEST_F(DataBuffer, BinaryFiles) {
  // Bytes 0..255: two lines of control characters, then code 26 ends the file.
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  def_ = Make_Def("[DataFile]\nV=1 1\n");
  {
    Temp_File file(all);
    try {
      buffer_.Load_File(file.Path(), *def_);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "No points in data buffer loaded from " + file.Path());
    }
  }
  const Error e = Load_Error("V=1 1\n", std::string("\x89PNG\r\n\x1a\n\0\0\0", 11));
  EXPECT_EQ(e.Message(), "'\x89PNG' is not a valid floating point value");
  EXPECT_FALSE(e.Fatal());
}

TEST_F(DataBuffer, LongLines) {
  const std::string longest = "1" + std::string(65533, ' ') + "2";  // 65535 characters
  Load("A=1 1\nB=2 1\n", longest + "\n");
  EXPECT_EQ(buffer_.Raw_Value(1, 2), 2.0L);

  const Error e = Load_Error("A=1 1\n", "3\n " + longest + "0 \n4\n");
  EXPECT_EQ(e.Message(), "Range check error");
  EXPECT_FALSE(e.Fatal());
  EXPECT_EQ(buffer_.Point_Count(), 1);

  // Comments may be longer, even longer than a read batch (1 MiB for these files).
  constexpr std::size_t Past_A_Batch = (std::size_t{2} << 20) + 10;
  const std::string comment = ";" + std::string(Past_A_Batch, 'c');
  Load("A=1 1\n", "5\n" + comment + "\n6\n" + comment);
  ASSERT_EQ(buffer_.Point_Count(), 2);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 6.0L);

  const Error huge =
      Load_Error("A=1 1\n", "5\n" + std::string(Past_A_Batch, '7') + "\n");
  EXPECT_EQ(huge.Message(), "Range check error");
  EXPECT_EQ(buffer_.Point_Count(), 1);
}

TEST_F(DataBuffer, UnreadableFiles) {
  def_ = Make_Def("[DataFile]\nV=1 1.2 Volts\n");
  const std::string absent =
      (std::filesystem::temp_directory_path() / "pw_no_such_file.dat").string();
  try {
    buffer_.Load_File(absent, *def_);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Cannot open data file " + absent + ": No such file or directory");
    EXPECT_FALSE(e.Fatal());
  }
  const std::string folder = std::filesystem::temp_directory_path().string();
  try {
    buffer_.Load_File(folder, *def_);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Cannot read data file " + folder + ": Is a directory");
    EXPECT_FALSE(e.Fatal());
  }
  // The graphs go on to ask for titles after a failed load; refused files keep no handle open.
  EXPECT_EQ(buffer_.Get_Title(1), "Volts");
  EXPECT_EQ(buffer_.Get_Decimals(1), 2);
  const auto open_files = [] {
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                         std::filesystem::directory_iterator());
  };
  const auto before = open_files();
  for (int i = 0; i < 20; ++i) EXPECT_THROW(buffer_.Load_File(folder, *def_), Error);
  EXPECT_EQ(open_files(), before);
}

TEST_F(DataBuffer, StatisticsAndRange) {
  Load("A=1 1\nB=2 1\n", "3 ?\n? ?\n-1 ?\n7 4\n");
  const auto stats = buffer_.Column_Stats(2);  // one value
  EXPECT_EQ(stats.n, 1);
  EXPECT_EQ(stats.mean, 4.0L);
  EXPECT_EQ(stats.deviation, 0.0L);
  const auto range = buffer_.Column_Range(1);
  EXPECT_EQ(range.n, 3);
  EXPECT_EQ(range.minimum, -1.0L);
  EXPECT_EQ(range.maximum, 7.0L);
  const auto all = buffer_.Column_Stats(1);
  EXPECT_EQ(all.n, 3);
  EXPECT_EQ(all.mean, 3.0L);
  EXPECT_NEAR(static_cast<double>(all.deviation), 4.0, 1e-15);

  T_Selection none;
  none.Banned.set(1);
  none.Required.set(1);
  buffer_.Set_Selection(none);
  const auto empty = buffer_.Column_Stats(1);
  EXPECT_EQ(empty.n, 0);
  EXPECT_TRUE(Is_Missing(empty.mean));
  EXPECT_TRUE(Is_Missing(empty.deviation));
  const auto no_range = buffer_.Column_Range(1);
  EXPECT_EQ(no_range.n, 0);
  EXPECT_TRUE(Is_Missing(no_range.minimum));
  EXPECT_TRUE(Is_Missing(no_range.maximum));
}

TEST_F(DataBuffer, DeviationIsStableForLargeMeans) {
  std::string data;
  for (int i = 0; i < 3000; ++i) data += std::to_string(1000000000 + i % 3) + "\n";
  Load("A=1 1\n", data);
  const auto stats = buffer_.Column_Stats(1);
  EXPECT_EQ(stats.n, 3000);
  EXPECT_EQ(stats.mean, 1000000001.0L);
  // Values 0, 1, 2 around the mean: sample deviation sqrt(2000 / 2999); the textbook formula
  // gives noise here.
  EXPECT_NEAR(static_cast<double>(stats.deviation), std::sqrt(2000.0 / 2999.0), 1e-8);
}

TEST_F(DataBuffer, Selection) {
  Load("A=1 1\nB=2 1\n@S=3\n", "1 10 North\n2 ? North\n3 30 north\n4 40 South\n");
  T_Selection required;
  required.Required.set(2);
  buffer_.Set_Selection(required);
  EXPECT_TRUE(buffer_.Is_Selected(1));
  EXPECT_FALSE(buffer_.Is_Selected(2));
  EXPECT_TRUE(Is_Missing(buffer_.Get_Value(2, 1)));  // every column of a failing point
  EXPECT_EQ(buffer_.Get_Value(1, 1), 1.0L);
  EXPECT_EQ(buffer_.Raw_Value(2, 1), 2.0L);
  EXPECT_EQ(buffer_.Get_Text(2, 1), "North");  // texts ignore the selection

  T_Selection banned;
  banned.Banned.set(2);
  buffer_.Set_Selection(banned);
  EXPECT_FALSE(buffer_.Is_Selected(1));
  EXPECT_TRUE(buffer_.Is_Selected(2));

  T_Selection key;
  key.Key_Sel[0] = 1;
  key.Key_Text[0] = "North";
  buffer_.Set_Selection(key);
  EXPECT_EQ(buffer_.Selection().Key_Text[0], "North");
  const std::vector<bool> expected = {true, true, false, false};
  for (int p = 1; p <= 4; ++p) EXPECT_EQ(buffer_.Is_Selected(p), expected[p - 1]) << p;
  EXPECT_EQ(buffer_.Column_Range(1).n, 2);

  key.Key_Sel[2] = 1;
  key.Key_Text[2] = "South";  // both conditions cannot hold
  buffer_.Set_Selection(key);
  for (int p = 1; p <= 4; ++p) EXPECT_FALSE(buffer_.Is_Selected(p)) << p;

  T_Selection too_long;
  too_long.Key_Sel[1] = 1;
  too_long.Key_Text[1] = std::string(32, 'N');
  buffer_.Set_Selection(too_long);
  for (int p = 1; p <= 4; ++p) EXPECT_FALSE(buffer_.Is_Selected(p)) << p;

  buffer_.Set_Selection(T_Selection{});
  for (int p = 1; p <= 4; ++p) EXPECT_TRUE(buffer_.Is_Selected(p)) << p;
}

TEST_F(DataBuffer, LongKeyTextMatchesItsCutStoredText) {
  const std::string forty(40, 'k');
  Load("A=1 1\n@S=2\n", "1 " + forty + "\n");
  T_Selection key;
  key.Key_Sel[0] = 1;
  key.Key_Text[0] = forty.substr(0, 31);
  buffer_.Set_Selection(key);
  EXPECT_TRUE(buffer_.Is_Selected(1));
}

TEST_F(DataBuffer, ProgressReportsFractions) {
  std::vector<double> fractions;
  def_ = Make_Def("[DataFile]\nV=1 1\n");
  Temp_File file(Numbered_Lines(20000));
  buffer_.Load_File(file.Path(), *def_, [&](double f) { fractions.push_back(f); });
  ASSERT_FALSE(fractions.empty());
  EXPECT_EQ(fractions.back(), 1.0);
  for (std::size_t i = 1; i < fractions.size(); ++i) {
    EXPECT_LE(fractions[i - 1], fractions[i]);
    EXPECT_GE(fractions[i - 1], 0.0);
  }
}

TEST_F(DataBuffer, ReloadReplacesEverything) {
  Load("A=1 1\nB=2 1\n@S=3\n", "1 2 x\n3 4 y\n");
  Load("C=1 1\n", "9\n");
  EXPECT_EQ(buffer_.Point_Count(), 1);
  EXPECT_EQ(buffer_.Column_Count(), 1);
  EXPECT_EQ(buffer_.Selector_Count(), 0);
  EXPECT_EQ(buffer_.Raw_Value(1, 1), 9.0L);
}

// A data file in Windows-1252 with "Encoding" in [DataFile]: its selector texts read as UTF-8
// and a Key typed in UTF-8 selects them, on one thread and on several; the numbers are as
// without the key. Without the key the bytes stay as they are.
TEST_F(DataBuffer, SelectorTextsInACodePage) {
  std::string data;
  const std::vector<std::string> places = {"S\xFC" "d", "\x80\xB5m", "Nord", "a\x81"};
  for (int i = 1; i <= 3000; ++i) {
    data += std::to_string(i) + " " + places[static_cast<std::size_t>(i) % 4] + "\n";
  }
  const std::vector<std::string> shown = {"S\xC3\xBC" "d", "\xE2\x82\xAC\xC2\xB5m", "Nord",
                                          "a\xEF\xBF\xBD"};
  for (const int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    Set_Thread_Count(threads);
    Load("Encoding=cp1252\nV=1 1\n@T=2\n", data);
    ASSERT_EQ(buffer_.Point_Count(), 3000);
    for (int p = 1; p <= 8; ++p) {
      EXPECT_EQ(buffer_.Get_Text(p, 1), shown[static_cast<std::size_t>(p) % 4]) << p;
      EXPECT_EQ(buffer_.Raw_Value(p, 1), p);
    }
    const std::vector<std::pair<std::string, int>> keys = {
        {shown[0], 750}, {shown[1], 750}, {"Nord", 750}, {shown[3], 0}, {"S\xFC" "d", 0}};
    for (const auto& [text, count] : keys) {
      T_Selection key;
      key.Key_Sel[0] = 1;
      key.Key_Text[0] = text;
      buffer_.Set_Selection(key);
      int selected = 0;
      for (int p = 1; p <= 3000; ++p) selected += buffer_.Is_Selected(p) ? 1 : 0;
      EXPECT_EQ(selected, count) << text;
    }
    Load("V=1 1\n@T=2\n", data);
    EXPECT_EQ(buffer_.Get_Text(1, 1), "\x80\xB5m");
  }
  Set_Thread_Count(0);
}

// A byte-order mark says what the data are: UTF-8 behind its mark (also in a header line) and
// UTF-16 are read as UTF-8 although the setup names Windows-1252.
TEST_F(DataBuffer, MarkedDataIgnoreTheCodePage) {
  const std::string utf8 = "1 S\xC3\xBC" "d\n2 \xE2\x82\xAC\n";
  struct Case {
    std::string data;
    int header;
  };
  const std::vector<Case> cases = {{"\xEF\xBB\xBF" + utf8, 0},
                                   {"\xEF\xBB\xBF" "id place\n" + utf8, 1},
                                   {pw_test::Utf16(utf8), 0},
                                   {pw_test::Utf16(utf8, true), 0},
                                   {pw_test::Utf16("id place\n" + utf8), 1}};
  for (const Case& c : cases) {
    def_ = Make_Def("[DataFile]\nEncoding=cp1252\nV=1 1\n@T=2\n");
    def_->Form.Header_Lines = c.header;
    Temp_File file(c.data);
    buffer_.Load_File(file.Path(), *def_);
    ASSERT_EQ(buffer_.Point_Count(), 2) << c.data;
    EXPECT_EQ(buffer_.Get_Text(1, 1), "S\xC3\xBC" "d") << c.data;
    EXPECT_EQ(buffer_.Get_Text(2, 1), "\xE2\x82\xAC") << c.data;
  }
}

}  // namespace
}  // namespace pw
