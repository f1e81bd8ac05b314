// The load on several threads, and cut into small batches and pieces, against the load on one
// thread: every value bit for bit, every text, the point count, the message, and the dates it
// leaves behind must be the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_bytesource.h"
#include "data/d_databuffer.h"
#include "data/d_decode.h"
#include "data/d_filedef.h"
#include "data/d_loader.h"
#include "compress_util.h"
#include "data_test_util.h"
#include "utf16_util.h"
#include "draw/D_Math.h"

namespace pw {
namespace {

using pw_test::Bits;
using pw_test::Make_Def;
using pw_test::Temp_File;

// The exact bits of a double (those of an extended number: pw_test::Bits).
std::string Bits(double x) {
  char text[40];
  std::snprintf(text, sizeof text, "%a", x);
  return text;
}

// How a load is run: the threads, and the batch and piece sizes (0: as Load_File chooses).
struct Way {
  int threads;
  std::size_t batch;
  std::size_t piece;
};

// Every way is compared with the first, one thread as Load_File loads: the batch and piece
// sizes Load_File chooses, many batches of a few lines a piece, a piece a line with long lines
// read on their own, and large pieces.
const std::vector<Way> Ways = {{1, 0, 0},     {2, 0, 0},      {3, 0, 0},     {8, 0, 0},
                               {1, 4096, 64}, {3, 4096, 64},  {8, 4096, 64}, {1, 300, 1},
                               {8, 300, 1},   {2, 50000, 900}};

class ParallelLoad : public ::testing::Test {
 protected:
  static constexpr std::size_t Capacity_Line = 2;

  void TearDown() override {
    Set_Thread_Count(0);
    NPts = 1024;
    Base_Date = 0;
    Date_Offset = 0;
  }

  // The table form of the loads that follow.
  Table_Form form_;

  // All a load leaves to be seen, one line each, from the given program-wide date values.
  std::vector<std::string> Outcome(const std::string& setup, const std::string& data, int date_col,
                                   const Way& way, double base, double offset) {
    Set_Thread_Count(way.threads);
    NPts = 7;  // small steps: the storage grows many times
    Base_Date = base;
    Date_Offset = offset;
    const std::unique_ptr<TC_File_Def> def = Make_Def(setup);
    def->DateCol = date_col;
    def->Form = form_;
    Temp_File file(data);
    TC_Data_Buffer buffer;
    std::vector<std::string> lines;
    try {
      if (way.batch == 0) {
        buffer.Load_File(file.Path(), *def);
      } else {
        TC_File_Source raw(file.Path());
        const std::unique_ptr<TC_Byte_Source> source = Open_Decoded(raw, file.Path());
        Load_Options options;
        options.Batch_Bytes = way.batch;
        options.Piece_Bytes = way.piece;
        buffer.Load_Source(*source, file.Path(), *def, {}, options);
      }
      lines.push_back("loaded");
    } catch (const Error& e) {
      std::string message = e.Message();
      if (const auto at = message.find(file.Path()); at != std::string::npos) {
        message.replace(at, file.Path().size(), "FILE");
      }
      lines.push_back(std::string(e.Fatal() ? "fatal: " : "error: ") + message);
    }
    lines.push_back("points " + std::to_string(buffer.Point_Count()));
    // The storage grows batch by batch: the same on any thread count for the same batches.
    lines.push_back("capacity " + std::to_string(buffer.Capacity()));
    lines.push_back("dates " + Bits(Base_Date) + " " + Bits(Date_Offset));
    for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
      std::string line = std::to_string(p);
      for (int c = 1; c <= buffer.Column_Count(); ++c) line += " " + Bits(buffer.Raw_Value(p, c));
      for (int j = 1; j <= buffer.Selector_Count(); ++j) {
        line += " [" + std::string(buffer.Get_Text(p, j)) + "]";
      }
      lines.push_back(line);
    }
    for (int c = 1; c <= buffer.Column_Count(); ++c) {
      const auto summary = buffer.Column_Summary(c);
      lines.push_back("column " + std::to_string(c) + " " + std::to_string(summary.stats.n) + " " +
                      Bits(summary.stats.mean) + " " + Bits(summary.stats.deviation) + " " +
                      Bits(summary.range.minimum) + " " + Bits(summary.range.maximum));
    }
    return lines;
  }

  // Loads `data` every way and compares each outcome with the first; returns the first.
  std::vector<std::string> Same_Every_Way(const std::string& setup, const std::string& data,
                                          int date_col = 0, double base = 0, double offset = 0) {
    const std::vector<std::string> reference =
        Outcome(setup, data, date_col, Ways[0], base, offset);
    for (std::size_t w = 1; w < Ways.size(); ++w) {
      const Way& way = Ways[w];
      const std::vector<std::string> other = Outcome(setup, data, date_col, way, base, offset);
      const std::string how = std::to_string(way.threads) + " threads, batch " +
                              std::to_string(way.batch) + ", piece " + std::to_string(way.piece);
      for (std::size_t i = 0; i < std::min(reference.size(), other.size()); ++i) {
        if (reference[i] != other[i] && !(i == Capacity_Line && way.batch != 0)) {
          ADD_FAILURE() << how << ", line " << i << ":\n  " << reference[i] << "\n  " << other[i];
          break;
        }
      }
      EXPECT_EQ(reference.size(), other.size()) << how;
    }
    return reference;
  }
};

// A deterministic stream of choices.
class Dice {
 public:
  unsigned Roll(unsigned sides) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>((state_ >> 33) % sides);
  }

 private:
  unsigned long long state_ = 42;
};

constexpr const char* Mixed_Setup =
    "[DataFile]\n"
    "A=1 1\n"
    "B=2 1.3 10\n"
    "Q=2/3 1\n"
    "S=3-2 1\n"
    "T=4 1\n"
    "@Name=5\n"
    "@Far=128\n"
    "[Filters]\n"
    "B=-500 500\n";

// Lines of every kind the loader meets: numbers with and without exponents, missing markers,
// times, texts of many letters and of non-UTF-8 bytes, short lines, long lines, comments,
// blank lines, carriage returns and blanks at both ends.
std::string Mixed_Lines(int count, unsigned seed_rolls = 0) {
  Dice dice;
  for (unsigned i = 0; i < seed_rolls; ++i) dice.Roll(2);
  const char* names[] = {"North",
                         "S\xC3\xBC"
                         "d",
                         "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1",
                         "\xFC"
                         "ber",
                         "",
                         "Gro\xC3\x9F"
                         "e M\xC3\xBC"
                         "hle_am_Hang,_Westseite_und_mehr"};
  std::string data;
  for (int i = 1; i <= count; ++i) {
    switch (dice.Roll(20)) {
      case 0:
        data += "; comment " + std::to_string(i) + "\n";
        continue;
      case 1:
        data += "  / indented comment\n";
        continue;
      case 2:
        data += "\t\r\n";
        continue;
      case 3:
        data += ":" + std::string(dice.Roll(3000), 'c') + "\n";
        continue;
      default:
        break;
    }
    std::string line = dice.Roll(4) == 0 ? "  " : "";
    line += std::to_string(i) + " ";
    const unsigned b = dice.Roll(10);
    line += b == 0 ? "?"
            : b == 1
                ? "n/a"
                : std::to_string(dice.Roll(2000)) + "." + std::to_string(dice.Roll(100)) + "e-1";
    line += "   " + std::to_string(static_cast<int>(dice.Roll(7)) - 3) + " ";
    line += dice.Roll(3) == 0 ? "+1:30:0" : std::to_string(dice.Roll(100000)) + ".25";
    if (dice.Roll(8) != 0) line += " " + std::string(names[dice.Roll(6)]);
    if (dice.Roll(30) == 0) {
      for (int k = 6; k <= 135; ++k) line += " f" + std::to_string(k);
    }
    if (dice.Roll(25) == 0) line += std::string(dice.Roll(2000), ' ') + "\t";
    data += line + (dice.Roll(5) == 0 ? "\r\n" : "\n");
  }
  return data;
}

TEST_F(ParallelLoad, MixedLinesWithByteOrderMarkAndNoLastLineEnd) {
  std::string data = "\xEF\xBB\xBF" + Mixed_Lines(3000);
  data += "77 1 2 3 last";  // no line end
  const auto outcome = Same_Every_Way(Mixed_Setup, data);
  EXPECT_EQ(outcome[0], "loaded");
  EXPECT_EQ(outcome[1].rfind("points 2", 0), 0u) << outcome[1];  // some 2000 points
  EXPECT_TRUE(outcome[outcome.size() - 6].ends_with(" [last] []")) << outcome[outcome.size() - 6];
  // Times without a date column are not moved by an offset earlier dates left.
  Same_Every_Way(Mixed_Setup, data, 0, 0, 5.0);
}

TEST_F(ParallelLoad, CharacterTwentySixEndsTheFile) {
  const std::string head = Mixed_Lines(1500);
  const auto outcome = Same_Every_Way(Mixed_Setup, head +
                                                       "1 2 3\x1a"
                                                       "4 5 6\n" +
                                                       Mixed_Lines(1500, 7));
  EXPECT_EQ(outcome[0], "loaded");
  auto alone = Same_Every_Way(Mixed_Setup, head + "1 2 3\n");
  alone[Capacity_Line] = outcome[Capacity_Line];  // the files differ in size
  EXPECT_EQ(outcome, alone);
}

// The first bad line in file order is reported, with exactly the points before it kept, even
// when a later piece fails on its own line first.
TEST_F(ParallelLoad, FirstFailingLineInFileOrderWins) {
  struct Case {
    std::string bad;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"1 x 3\n", "error: 'x' is not a valid floating point value"},
      {"1 2 3 12:61:0\n", ""},  // no error: minutes are not checked against 60
      {"1 2 3 12:x:0\n", "error: 'x' is not a valid integer value"},
      {"1 " + std::string(70000, '9') + "\n", "error: Range check error"},
      {std::string(70000, ' ') + "1 2\n", ""},  // short once stripped
  };
  for (const Case& c : cases) {
    const std::string data = Mixed_Lines(1500) + c.bad + Mixed_Lines(500, 3) + "5 bad 2\n" +
                             Mixed_Lines(1000, 5) +
                             "6 7 8 9 \xE2\x82\xAC"
                             "x\n";
    const auto outcome = Same_Every_Way(Mixed_Setup, data);
    // Without an error of its own the case line loads, and the later bad line stops the load.
    EXPECT_EQ(outcome[0],
              c.message.empty() ? "error: 'bad' is not a valid floating point value" : c.message)
        << c.bad.substr(0, 20);
  }
}

// Base_Date is the first date since the program started, and Date_Offset follows the lines;
// both end as a load on one thread leaves them, whichever line stops the load.
TEST_F(ParallelLoad, DatesAndTimesWithADateColumn) {
  const std::string setup = "[DataFile]\nT=2 1\nU=3 1\n@D=1\n";
  Dice dice;
  std::string body;
  for (int i = 0; i < 2500; ++i) {
    const unsigned kind = dice.Roll(12);
    if (kind == 0) {
      body += "; comment\n";
      continue;
    }
    const std::string date = kind == 1 ? "?"
                                       : "2024/0" + std::to_string(1 + dice.Roll(9)) + "/1" +
                                             std::to_string(dice.Roll(10));
    body += date + " " + std::to_string(dice.Roll(24)) + ":30:00 " +
            (dice.Roll(4) == 0 ? "+0:0:1" : std::to_string(dice.Roll(1000))) + "\n";
  }
  // Lines before the first date: missing dates, and day 0, which cannot set Base_Date.
  const std::string before = "? 1:0:0 1\n1899/12/30 2:0:0 2\n; c\n? 3:0:0 3\n";
  struct Case {
    std::string data;
    std::string first_line;
  };
  const std::vector<Case> cases = {
      {before + body, "loaded"},
      {before + body + "2024/13/01 1:0:0 1\n" + body, "error: '2024/13/01' is not a valid date"},
      {before + body.substr(0, body.find('\n', 20000) + 1) + "2024/01/01 1:0:0 x\n" + body,
       "error: 'x' is not a valid floating point value"},
      // Stopped before the first date: Base_Date stays unset.
      {before + "? 1:0:0 x\n" + body, "error: 'x' is not a valid floating point value"},
      {before + "2023/01/01 1:x:0 1\n" + body, "error: 'x' is not a valid integer value"},
      {before + "2023/01/01 " + std::string(70000, '1') + "\n" + body, "error: Range check error"},
      {before + "2023/02/30 1:0:0 1\n" + body, "error: '2023/02/30' is not a valid date"},
  };
  for (const Case& c : cases) {
    for (double base : {0.0, 45000.0}) {
      const auto outcome = Same_Every_Way(setup, c.data, 1, base, 7.0);
      EXPECT_EQ(outcome[0], c.first_line) << c.data.substr(0, 60) << " " << base;
    }
  }
}

TEST_F(ParallelLoad, OnlyCommentsIsFatal) {
  const auto outcome = Same_Every_Way(Mixed_Setup, "; a\n\n  / b\n\r\n" + std::string(5000, '\n'));
  EXPECT_EQ(outcome[0], "fatal: No points in data buffer loaded from FILE");
}

// Statistics and selections above the size that splits them over threads.
TEST_F(ParallelLoad, StatisticsAndSelectionsOfManyPoints) {
  Dice dice;
  std::string data;
  for (int i = 0; i < 250000; ++i) {
    data += std::to_string(1000000 + dice.Roll(1000)) + "." + std::to_string(dice.Roll(1000)) +
            (dice.Roll(50) == 0 ? " ?" : " " + std::to_string(dice.Roll(7))) + " g" +
            std::to_string(dice.Roll(3)) + "\n";
  }
  const std::string setup = "[DataFile]\nA=1 1\nB=2 1\n@G=3\n";
  const auto def = Make_Def(setup);
  Temp_File file(data);
  std::vector<std::string> reference;
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    TC_Data_Buffer buffer;
    buffer.Load_File(file.Path(), *def);
    std::vector<std::string> seen;
    std::vector<T_Selection> selections(4);
    selections[1].Key_Sel[0] = 1;
    selections[1].Key_Text[0] = "g1";
    selections[2].Required.set(2);
    selections[3] = selections[1];
    selections[3].Banned.set(2);
    for (const T_Selection& selection : selections) {
      buffer.Set_Selection(selection);
      for (int c = 1; c <= 2; ++c) {
        const auto stats = buffer.Column_Stats(c);
        const auto range = buffer.Column_Range(c);
        const auto summary = buffer.Column_Summary(c);
        EXPECT_EQ(Bits(summary.stats.mean), Bits(stats.mean));
        EXPECT_EQ(Bits(summary.stats.deviation), Bits(stats.deviation));
        EXPECT_EQ(summary.range.n, range.n);
        // Merged piece by piece, the statistics still agree with a careful two-pass sum.
        long double total = 0, squares = 0;
        std::int32_t n = 0;
        buffer.For_Each_Selected(c, [&](long double v) {
          if (!Is_Missing(v)) total += static_cast<double>(v), ++n;
        });
        const long double mean = n > 0 ? total / n : 0;
        buffer.For_Each_Selected(c, [&](long double v) {
          if (!Is_Missing(v))
            squares += (static_cast<double>(v) - mean) * (static_cast<double>(v) - mean);
        });
        ASSERT_EQ(stats.n, n);
        if (n > 1) {
          EXPECT_NEAR(static_cast<double>(stats.mean / mean), 1.0, 1e-13);
          EXPECT_NEAR(static_cast<double>(stats.deviation / std::sqrt(squares / (n - 1))), 1.0,
                      1e-9);
        }
        seen.push_back(std::to_string(stats.n) + " " + Bits(stats.mean) + " " +
                       Bits(stats.deviation) + " " + Bits(range.minimum) + " " +
                       Bits(range.maximum));
      }
      std::size_t selected = 0, sum = 0;
      buffer.For_Each_Index([&](std::size_t i) {
        ++selected;
        sum += i;
      });
      seen.push_back(std::to_string(selected) + " " + std::to_string(sum));
    }
    if (threads == 1) {
      reference = seen;
      EXPECT_EQ(reference[0].substr(0, 7), "250000 ");
    } else {
      EXPECT_EQ(seen, reference) << threads;
    }
  }
}

// Enough pieces for one thread to sum four side by side (and two, and one at a time on more
// threads): every piece's sums, and so the merged ones, are the same.
TEST_F(ParallelLoad, StatisticsOfPiecesSummedSideBySide) {
  Dice dice;
  std::string data;
  for (int i = 0; i < 10 * 65536 - 1000; ++i) {
    const int pick = dice.Roll(500);
    data += pick == 0 ? "? g1\n"
            : pick == 1
                ? "1e400 g1\n"  // beyond the double range
                : std::to_string(1000000 + dice.Roll(100000)) + ".7" +
                      std::to_string(dice.Roll(10)) + " g" + std::to_string(dice.Roll(2)) + "\n";
  }
  const auto def = Make_Def("[DataFile]\nA=1 1\n@G=2\n");
  Temp_File file(data);
  std::vector<std::string> reference;
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    TC_Data_Buffer buffer;
    buffer.Load_File(file.Path(), *def);
    std::vector<std::string> seen;
    std::vector<T_Selection> selections(2);
    selections[1].Key_Sel[0] = 1;
    selections[1].Key_Text[0] = "g1";
    for (const T_Selection& selection : selections) {
      buffer.Set_Selection(selection);
      const auto summary = buffer.Column_Summary(1);
      const auto range = buffer.Column_Range(1);
      EXPECT_GT(summary.range.n, summary.stats.n + 400);  // the values beyond the double range
      seen.push_back(std::to_string(summary.stats.n) + " " + Bits(summary.stats.mean) + " " +
                     Bits(summary.stats.deviation) + " " + std::to_string(summary.range.n) + " " +
                     Bits(summary.range.minimum) + " " + Bits(summary.range.maximum) + " " +
                     std::to_string(range.n) + " " + Bits(range.maximum));
    }
    if (threads == 1) {
      reference = seen;
    } else {
      EXPECT_EQ(seen, reference) << threads;
    }
  }
}

// Points added from where an earlier load stopped give the same buffer as one load.
TEST_F(ParallelLoad, AppendingContinuesTheLoad) {
  const std::string data = Mixed_Lines(2000);
  const std::size_t half = data.find('\n', data.size() / 2) + 1;
  const std::string unfinished = "12 34 56";
  Temp_File first(data.substr(0, half) + unfinished);
  Temp_File whole(data + "12 34 56\n");
  const auto def = Make_Def(Mixed_Setup);
  for (int threads : {1, 3}) {
    Set_Thread_Count(threads);
    TC_Data_Buffer appended;
    Load_Options options;
    options.Keep_Unfinished_Line = true;
    {
      TC_File_Source source(first.Path());
      EXPECT_EQ(appended.Load_Source(source, "first", *def, {}, options), half);
    }
    {
      TC_File_Source rest(whole.Path(), half);
      options.Append = true;
      options.At_File_Start = false;
      appended.Load_Source(rest, "rest", *def, {}, options);
    }
    TC_Data_Buffer once;
    once.Load_File(whole.Path(), *def);
    ASSERT_EQ(appended.Point_Count(), once.Point_Count());
    for (std::int32_t p = 1; p <= once.Point_Count(); ++p) {
      for (int c = 1; c <= once.Column_Count(); ++c) {
        ASSERT_EQ(Bits(appended.Raw_Value(p, c)), Bits(once.Raw_Value(p, c))) << p;
      }
      ASSERT_EQ(appended.Get_Text(p, 1), once.Get_Text(p, 1)) << p;
    }
  }
}

// Rows of a table of Mixed_Setup's fields, to be written in any table form: each form must give
// the same points.
struct Table_Row {
  std::string comment;              // a comment or blank line as it stands, or else
  std::vector<std::string> fields;  // the fields; "" is a missing number (or an empty text)
};

std::vector<Table_Row> Table_Rows(int count) {
  Dice dice;
  // Texts with the delimiters and quotes in them; none with a blank (a blank-separated table
  // cannot hold one), the empty one only as a line's last field.
  const char* names[] = {"North", "S\xC3\xBC,d", "a\"b\"", "\"q", "x;y|z", "\xFC", ""};
  std::vector<Table_Row> rows;
  for (int i = 1; i <= count; ++i) {
    switch (dice.Roll(16)) {
      case 0:
        rows.push_back({"; comment " + std::to_string(i), {}});
        continue;
      case 1:
        rows.push_back({"  / indented, \"comment", {}});
        continue;
      case 2:
        rows.push_back({"\t\r", {}});
        continue;
      default:
        break;
    }
    Table_Row row;
    // An empty first field: a line that starts with the delimiter (a tab kept in front).
    row.fields.push_back(dice.Roll(12) == 0 ? "" : std::to_string(i));
    const unsigned b = dice.Roll(8);
    row.fields.push_back(b == 0   ? ""
                         : b == 1 ? "n/a"
                                  : std::to_string(dice.Roll(2000)) + "." +
                                        std::to_string(dice.Roll(100)) + "e-1");
    row.fields.push_back(std::to_string(static_cast<int>(dice.Roll(7)) - 3));
    row.fields.push_back(dice.Roll(3) == 0 ? "+1:30:0" : std::to_string(dice.Roll(9999)) + ".5");
    const bool far = dice.Roll(20) == 0;
    row.fields.push_back(names[dice.Roll(far ? 6 : 7)]);
    if (far) {
      for (int k = 6; k <= 135; ++k) row.fields.push_back("f" + std::to_string(k));
    }
    if (row.fields.back().empty()) row.fields.pop_back();  // the blank form's empty text
    rows.push_back(row);
  }
  return rows;
}

// The rows with fields separated by `delimiter` (0: runs of spaces), with blanks, quotes and
// line ends varied at random.
std::string Write_Table(const std::vector<Table_Row>& rows, char delimiter) {
  Dice dice;
  std::string text;
  const std::string blanks = delimiter == ' ' ? "\t" : delimiter == '\t' ? " " : " \t";
  auto blank = [&] {
    return dice.Roll(4) == 0 ? std::string(1, blanks[dice.Roll(blanks.size())]) : "";
  };
  for (const Table_Row& row : rows) {
    if (row.fields.empty()) {
      text += row.comment + "\n";
      continue;
    }
    std::string line;
    for (std::size_t k = 0; k < row.fields.size(); ++k) {
      const std::string& field = row.fields[k];
      if (delimiter == 0) {
        line += (k == 0 ? "" : std::string(1 + dice.Roll(3), ' ')) + (field.empty() ? "?" : field);
        continue;
      }
      if (k > 0) line += delimiter;
      // A line starting with ";" would be a comment: an empty first field is quoted there.
      const bool quoted = field.find(delimiter) != std::string::npos || field.starts_with('"') ||
                          (k == 0 && field.empty() && delimiter == ';') || dice.Roll(5) == 0;
      std::string written = field;
      if (quoted) {
        written.clear();
        for (char c : field) written += c == '"' ? "\"\"" : std::string(1, c);
        written = "\"" + written + "\"";
      }
      line += blank() + written + blank();
    }
    text += blank() + line + (dice.Roll(5) == 0 ? "\r\n" : "\n");
  }
  return text;
}

// The lines of a loaded buffer but the storage's size, which follows the file's size.
std::vector<std::string> Without_Capacity(std::vector<std::string> outcome) {
  outcome.erase(outcome.begin() + 2);
  return outcome;
}

TEST_F(ParallelLoad, EveryTableFormGivesTheSamePoints) {
  const std::vector<Table_Row> rows = Table_Rows(3000);
  const auto reference = Without_Capacity(Same_Every_Way(Mixed_Setup, Write_Table(rows, 0)));
  ASSERT_EQ(reference[0], "loaded");
  const std::string header = "\"Id,\"Number\n\xEF\xBB\xBFid;number|what\tmore\n";
  for (char delimiter : {',', ';', '\t', '|', ' '}) {
    const std::string table = Write_Table(rows, delimiter);
    form_ = {delimiter, 0};
    EXPECT_EQ(Without_Capacity(Same_Every_Way(Mixed_Setup, "\xEF\xBB\xBF" + table)), reference)
        << "delimiter " << int{delimiter};
    form_.Header_Lines = 2;
    EXPECT_EQ(Without_Capacity(Same_Every_Way(Mixed_Setup, header + table)), reference)
        << "delimiter " << int{delimiter} << " after a header";
  }
  const std::string table = Write_Table(rows, ',');
  form_ = {',', 2};
  EXPECT_EQ(Without_Capacity(Same_Every_Way(Mixed_Setup, pw_test::Gzip(header + table))),
            reference);
  // Members and frames one after another read as one stream.
  const std::size_t half = table.find('\n', table.size() / 2) + 1;
  EXPECT_EQ(Without_Capacity(Same_Every_Way(
                Mixed_Setup, pw_test::Zstd(header + table.substr(0, half)) +
                                 pw_test::Zstd(table.substr(half)))),
            reference);
  form_ = {};
  const std::string blank_table = Write_Table(rows, 0);
  EXPECT_EQ(Without_Capacity(Same_Every_Way(Mixed_Setup,
                                            pw_test::Gzip(blank_table.substr(0, 1000)) +
                                                pw_test::Gzip(blank_table.substr(1000)))),
            reference);
}

// A quoted field open at its line's end stops the load there, named by its line in the file
// (header and comment lines counted), unless an earlier line stopped it first.
TEST_F(ParallelLoad, QuoteOpenAtTheLineEndNamesTheLine) {
  const std::string head = "first,\"header\nsecond header\n" +
                           Write_Table(Table_Rows(1500), ',') + "7,1,2,3,\"open, \"\"x\"\"\r\n";
  const std::string tail = Write_Table(Table_Rows(900), ',') + "8,1,2,3,\"late\n";
  const auto line = std::to_string(std::count(head.begin(), head.end(), '\n'));
  form_ = {',', 2};
  EXPECT_EQ(Same_Every_Way(Mixed_Setup, head + tail)[0],
            "error: Quote not closed in line " + line + " of FILE");
  EXPECT_EQ(Same_Every_Way(Mixed_Setup, pw_test::Gzip(head + tail))[0],
            "error: Quote not closed in line " + line + " of FILE");
  // A line that fails before it wins, and a quote left open past the fields read is not seen.
  EXPECT_EQ(Same_Every_Way(Mixed_Setup, "h1\nh2\n9,x\n" + head + tail)[0],
            "error: 'x' is not a valid floating point value");
  const std::string unseen = "1,2,3,4,5," + std::string(124, ',') + "\"open\n";
  EXPECT_EQ(Same_Every_Way(Mixed_Setup, "h1\nh2\n" + unseen + "2,3,4,5,6\n")[0], "loaded");
}

// Data saved as UTF-16 (also gzipped) load as their UTF-8 on any number of threads, and a bad
// line is named by the same line number.
TEST_F(ParallelLoad, Utf16DataLoadAsTheirUtf8) {
  // Only well-formed UTF-8 has a UTF-16 form: the Latin-1 letter becomes its UTF-8.
  const auto as_utf8 = [](std::string text) {
    for (std::size_t at; (at = text.find('\xFC')) != std::string::npos;) {
      text.replace(at, 1, "\xC3\xBC");
    }
    return text;
  };
  const std::string data = as_utf8(Mixed_Lines(3000));
  const auto reference = Without_Capacity(Same_Every_Way(Mixed_Setup, data));
  EXPECT_EQ(reference[0], "loaded");
  for (const std::string& encoded : {pw_test::Utf16(data), pw_test::Utf16(data, true),
                                     pw_test::Gzip(pw_test::Utf16(data))}) {
    EXPECT_EQ(Without_Capacity(Same_Every_Way(Mixed_Setup, encoded)), reference);
  }
  const std::string head = "first,\"header\nsecond header\n" +
                           as_utf8(Write_Table(Table_Rows(1500), ',')) +
                           "7,1,2,3,\"open \xE2\x82\xAC\r\n";
  const auto line = std::to_string(std::count(head.begin(), head.end(), '\n'));
  form_ = {',', 2};
  for (const bool big_endian : {false, true}) {
    EXPECT_EQ(Same_Every_Way(Mixed_Setup, pw_test::Utf16(head + "8,1,2,3,4\n", big_endian))[0],
              "error: Quote not closed in line " + line + " of FILE");
  }
}

// Damaged compressed data stop the load like a read error, with the same points kept on any
// number of threads and in batches of any size.
TEST_F(ParallelLoad, DamagedCompressedDataKeepWhatCameBefore) {
  const std::string table = Write_Table(Table_Rows(12000), 0);
  const std::string gzip = pw_test::Gzip(table);
  std::string zstd = pw_test::Zstd(table);
  zstd[zstd.size() - 2] ^= 0x5a;  // the checksum
  struct Case {
    std::string data;
    std::string message;
  };
  const std::vector<Case> cases = {
      {gzip.substr(0, gzip.size() * 2 / 3), "unexpected end of file"},
      {gzip.substr(0, gzip.size() - 4), "unexpected end of file"},
      {zstd.substr(0, zstd.size() * 2 / 3), "unexpected end of file"},
      {zstd, "Restored data doesn't match checksum"},
  };
  for (const Case& c : cases) {
    const auto outcome = Same_Every_Way(Mixed_Setup, c.data);
    EXPECT_EQ(outcome[0], "error: Cannot read data file FILE: " + c.message);
    EXPECT_NE(outcome[1], "points 0");
  }
}

// Texts of a file in a code page are converted as they first enter the buffer: every way of
// loading shows the same UTF-8 texts.
TEST_F(ParallelLoad, CodePageTextsSameEveryWay) {
  std::string data;
  const std::vector<std::string> places = {"S\xFC" "d", "\x80", "Nord", "a\x81", "\xC4\xD6"};
  for (int i = 1; i <= 700; ++i) {
    data += std::to_string(i) + " " + places[static_cast<std::size_t>(i * 7) % 5] + "\n";
  }
  const std::vector<std::string> lines =
      Same_Every_Way("[DataFile]\nEncoding=Windows-1252\nV=1 1\n@T=2\n", data);
  const auto has = [&](const std::string& end) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.ends_with(" [" + end + "]");
    });
  };
  for (const std::string shown : {"S\xC3\xBC" "d", "\xE2\x82\xAC", "Nord", "a\xEF\xBF\xBD",
                                   "\xC3\x84\xC3\x96"}) {
    EXPECT_TRUE(has(shown)) << shown;
  }
}

}  // namespace
}  // namespace pw
