// A data file followed while it is written: lines added to it read alone give exactly the
// buffer a full load of the longer file gives, a line without its line end waits, and every
// other change is told apart.
#include "data/d_followfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "compress_util.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "data/d_tableform.h"
#include "setup/D_Format.h"
#include "setup/d_inifile.h"
#include "data_test_util.h"
#include "utf16_util.h"

namespace pw {
namespace {

using pw_test::Bits;
using pw_test::Make_Def;
using pw_test::Temp_File;

// Everything a buffer shows: points, values to the bit, texts, statistics, and the dates the
// load left behind.
std::vector<std::string> Seen(const TC_Data_Buffer& buffer) {
  std::vector<std::string> seen{"points " + std::to_string(buffer.Point_Count()),
                                "dates " + Bits(Base_Date) + " " + Bits(Date_Offset)};
  for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
    std::string line = std::to_string(p);
    for (int c = 1; c <= buffer.Column_Count(); ++c) line += " " + Bits(buffer.Raw_Value(p, c));
    for (int j = 1; j <= buffer.Selector_Count(); ++j) {
      line += " [" + std::string(buffer.Get_Text(p, j)) + "]";
    }
    seen.push_back(line);
  }
  for (int c = 1; c <= buffer.Column_Count(); ++c) {
    const TC_Data_Buffer::Summary s = buffer.Column_Summary(c);
    seen.push_back(std::to_string(s.stats.n) + " " + Bits(s.stats.mean) + " " +
                   Bits(s.stats.deviation) + " " + Bits(s.range.minimum) + " " +
                   Bits(s.range.maximum));
  }
  return seen;
}

void Append_Text(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

void Rewrite(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// Moves the file's time of change by a second: two writes within the file system's clock step
// could otherwise leave the same time.
void Touch_Later(const std::string& path) {
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  struct timespec times[2] = {info.st_atim, info.st_mtim};
  times[1].tv_sec += 1;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

// A stream of choices that depends on the seed only.
class Dice {
 public:
  explicit Dice(unsigned long long seed) : state_(seed) {}
  unsigned Roll(unsigned sides) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>((state_ >> 33) % sides);
  }

 private:
  unsigned long long state_;
};

constexpr const char* Columns_Setup =
    "[DataFile]\n"
    "A=1 1\n"
    "B=2 1.3 10\n"
    "T=3 1\n"
    "@Name=4\n"
    "[Filters]\n"
    "B=-500 500\n";
constexpr int Date_Field = 5;

// Lines of every kind: numbers with exponents, missing markers, times with dates (or a
// missing date), texts, comments, blank lines, carriage returns, short lines.
std::string Lines(int count, unsigned long long seed) {
  Dice dice(seed);
  const char* names[] = {"North", "S\xC3\xBC" "d", "", "Gro\xC3\x9F" "e_M\xC3\xBChle"};
  std::string data;
  for (int i = 1; i <= count; ++i) {
    switch (dice.Roll(16)) {
      case 0:
        data += "; comment " + std::to_string(i) + "\n";
        continue;
      case 1:
        data += "   \n";
        continue;
      case 2:
        data += std::to_string(i) + "\r\n";  // a short line
        continue;
      default:
        break;
    }
    data += std::to_string(dice.Roll(1000)) + "." + std::to_string(dice.Roll(100));
    data += dice.Roll(8) == 0 ? " ?" : " " + std::to_string(dice.Roll(400)) + "e-1";
    data += " " + std::to_string(dice.Roll(24)) + ":" + std::to_string(dice.Roll(60)) + ":30";
    data += std::string(" ") + names[dice.Roll(4)];
    data += dice.Roll(10) == 0 ? " ?" : " 2024/03/" + std::to_string(1 + i / 400);
    data += dice.Roll(5) == 0 ? "\r\n" : "\n";
  }
  return data;
}

class Follow_File : public ::testing::Test {
 protected:
  void SetUp() override { Reset_Dates(); }
  void TearDown() override {
    Set_Thread_Count(0);
    NPts = 1024;
    Reset_Dates();
  }
  static void Reset_Dates() {
    Base_Date = 0;
    Date_Offset = 0;
  }
  std::unique_ptr<TC_File_Def> Def(const std::string& main = "") {
    auto def = Make_Def(std::string(Columns_Setup) + main);
    def->DateCol = Date_Field;
    return def;
  }
  // The buffer of a plain load of `path` from fresh dates.
  std::vector<std::string> Full(const std::string& path, const TC_File_Def& def) {
    Reset_Dates();
    TC_Data_Buffer buffer;
    buffer.Load_File(path, def);
    return Seen(buffer);
  }
};

// The file written in pieces cut anywhere (inside lines too; the first holds a point, else its
// load fails), followed after each piece: the
// same buffer as one load of the whole file, on one thread and on several, with a byte-order
// mark and header lines, and with pieces large enough to be read in several batches.
TEST_F(Follow_File, AddedLinesGiveTheFullLoad) {
  struct Case {
    const char* name;
    std::string head;
    int header;
    std::vector<std::size_t> cuts;  // piece ends, in bytes
    int copies = 1;                  // of the body: several make an addition read on threads
  };
  const std::string body = Lines(6000, 7);
  const std::vector<Case> cases = {
      {"few lines at a time", "", 0, {300, 301, 302, 4000, 4100, 9000, 20000}},
      {"mark and header", "\xEF\xBB\xBF" "a b c\nd e f\n", 2, {80, 81, 200, 70000}},
      {"one large addition", "", 0, {100, body.size() - 3}},
      {"long pieces", "", 0, {90000, 160000}},
      {"past the serial size", "", 0, {100, 6 * body.size()}, 9},
  };
  ASSERT_GT(6 * body.size() - 100, std::size_t{1} << 20);  // read on several threads
  for (const Case& c : cases) {
    std::string whole = c.head;
    for (int k = 0; k < c.copies; ++k) whole += body;
    const auto def = Def("");
    def->Form.Header_Lines = c.header;
    Temp_File longer(whole);
    const std::vector<std::string> expected = Full(longer.Path(), *def);
    for (int threads : {1, 3}) {
      Set_Thread_Count(threads);
      NPts = 5;  // the storage grows at every piece
      Reset_Dates();
      Temp_File file(whole.substr(0, c.cuts[0]));
      TC_Data_Buffer buffer;
      Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
      for (std::size_t k = 1; k <= c.cuts.size(); ++k) {
        const std::size_t end = k < c.cuts.size() ? c.cuts[k] : whole.size();
        Append_Text(file.Path(), whole.substr(c.cuts[k - 1], end - c.cuts[k - 1]));
        const Data_Change change = Classify_Data_Change(mark, file.Path());
        ASSERT_NE(change, Data_Change::Other) << c.name << " piece " << k;
        if (change == Data_Change::Lines_Added) {
          ASSERT_TRUE(Append_Followed(buffer, file.Path(), *def, mark)) << c.name;
        }
      }
      EXPECT_EQ(mark.Taken, whole.size()) << c.name;
      EXPECT_EQ(Seen(buffer), expected) << c.name << " on " << threads << " threads";
    }
  }
}

// A line without its line end is not read until the line end comes, also at the first load.
TEST_F(Follow_File, UnfinishedLineWaits) {
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  Temp_File file("1 2\n3 4");
  TC_Data_Buffer buffer;
  Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
  EXPECT_EQ(buffer.Point_Count(), 1);
  EXPECT_EQ(mark.Taken, 4u);
  EXPECT_EQ(mark.Lines, 1u);
  Append_Text(file.Path(), "5");
  EXPECT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Unchanged);
  Append_Text(file.Path(), "\n6 7");
  ASSERT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Lines_Added);
  ASSERT_TRUE(Append_Followed(buffer, file.Path(), *def, mark));
  ASSERT_EQ(buffer.Point_Count(), 2);
  EXPECT_EQ(buffer.Raw_Value(2, 2), 45);
  EXPECT_EQ(mark.Taken, 9u);
  EXPECT_EQ(mark.Lines, 2u);
  // A character 26 ends the data: the line before it is read, nothing after it ever is.
  Append_Text(file.Path(), "\x1A" "8 9\n");
  ASSERT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Lines_Added);
  ASSERT_TRUE(Append_Followed(buffer, file.Path(), *def, mark));
  EXPECT_EQ(buffer.Point_Count(), 3);
  Append_Text(file.Path(), "10 11\n");
  ASSERT_TRUE(Append_Followed(buffer, file.Path(), *def, mark));
  EXPECT_EQ(buffer.Point_Count(), 3);
}

// Every change that is not lines added at the end, as the classifier tells it.
TEST_F(Follow_File, ChangesOtherThanAddedLines) {
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  std::string base;
  for (int i = 0; i < 2000; ++i) base += std::to_string(i) + " " + std::to_string(2 * i) + "\n";
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> change;
    Data_Change expected;
  };
  const std::vector<Case> cases = {
      {"nothing", [](const std::string&) {}, Data_Change::Unchanged},
      {"lines added", [](const std::string& p) { Append_Text(p, "5 6\n"); },
       Data_Change::Lines_Added},
      {"cut shorter",
       [&](const std::string& p) { Rewrite(p, base.substr(0, base.size() - 10)); },
       Data_Change::Other},
      {"emptied", [](const std::string& p) { Rewrite(p, ""); }, Data_Change::Other},
      {"same size, changed in place",
       [&](const std::string& p) {
         std::string text = base;
         text[text.size() - 3] = '9';
         Rewrite(p, text);
         Touch_Later(p);
       },
       Data_Change::Other},
      {"grown, changed within the tail",
       [&](const std::string& p) {
         std::string text = base;
         text[text.size() - Tail_Bytes + 1] = '9';
         Rewrite(p, text + "5 6\n");
       },
       Data_Change::Other},
      // Only the tail is looked at, never the whole file.
      {"grown, changed before the tail",
       [&](const std::string& p) {
         std::string text = base;
         text[text.size() - Tail_Bytes - 2] = '9';
         Rewrite(p, text + "5 6\n");
       },
       Data_Change::Lines_Added},
      {"replaced by rename",
       [&](const std::string& p) {
         const std::string other = p + ".new";
         Rewrite(other, base + "5 6\n");
         std::filesystem::rename(other, p);
       },
       Data_Change::Other},
      {"removed", [](const std::string& p) { std::filesystem::remove(p); },
       Data_Change::Missing},
      {"a folder in its place",
       [](const std::string& p) {
         std::filesystem::remove(p);
         std::filesystem::create_directory(p);
       },
       Data_Change::Missing},
  };
  for (const Case& c : cases) {
    Temp_File file(base);
    TC_Data_Buffer buffer;
    const Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
    c.change(file.Path());
    EXPECT_EQ(Classify_Data_Change(mark, file.Path()), c.expected) << c.name;
    std::error_code ec;
    std::filesystem::remove(file.Path(), ec);
  }
  // A mark of no load (the latest failed) calls for a full load.
  Temp_File file(base);
  EXPECT_EQ(Classify_Data_Change(Data_File_Mark(), file.Path()), Data_Change::Other);
}

// A compressed or UTF-16 file is read whole at every change (a place in the bytes read is no
// place in the file); its last line waits for its line end too.
TEST_F(Follow_File, CompressedFilesAreReadWhole) {
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  for (const std::string& packed : {pw_test::Gzip("1 2\n3 4\n5"), pw_test::Zstd("1 2\n3 4\n5"),
                                    pw_test::Utf16("1 2\n3 4\n5")}) {
    Temp_File file(packed);
    TC_Data_Buffer buffer;
    Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
    EXPECT_TRUE(mark.Compressed);
    EXPECT_EQ(buffer.Point_Count(), 2);
    EXPECT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Unchanged);
    Append_Text(file.Path(), pw_test::Gzip("6\n"));
    EXPECT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Other);
    EXPECT_FALSE(Append_Followed(buffer, file.Path(), *def, mark));
  }
}

// A line that stops an addition: the message and the points a full load of the longer file
// gives, then the same again at the next addition, which starts where the failed one started.
TEST_F(Follow_File, AnAdditionStoppedByALine) {
  struct Case {
    const char* name;
    std::string main;
    std::string bad;
  };
  const std::vector<Case> cases = {
      {"number", "", "4 x a 2024/01/03\n"},
      {"open quote", "[Plotwright]\nDelimiter=,\n", "4,\"x\n"},
  };
  for (const Case& c : cases) {
    Reset_Dates();
    const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n@N=3\n");
    def->DateCol = 4;
    Temp_File setup(c.main, ".ini");
    def->Form = Read_Table_Form(TC_Ini_File(setup.Path()), "Plotwright");
    auto line = [&](const std::string& text) {
      std::string out = text;
      if (def->Form.Delimiter != 0) std::replace(out.begin(), out.end(), ' ', ',');
      return out;
    };
    Temp_File file(line("1 2 a 2024/01/01\n; note\n3 06:00:00 b ?\n"));
    TC_Data_Buffer buffer;
    Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
    const Data_File_Mark before = mark;
    Append_Text(file.Path(),
                line("5 12:00:00 c ?\n6 12:00:00 d 2024/01/02\n") + c.bad + line("7 8\n"));
    std::string full_message;
    TC_Data_Buffer full;
    const double base = Base_Date, offset = Date_Offset;
    Reset_Dates();
    try {
      full.Load_File(file.Path(), *def);
    } catch (const Error& e) {
      full_message = e.Message();
    }
    Base_Date = base;
    Date_Offset = offset;
    ASSERT_FALSE(full_message.empty()) << c.name;
    ASSERT_EQ(full.Point_Count(), 4) << c.name;
    for (int round = 0; round < 2; ++round) {
      ASSERT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Lines_Added) << c.name;
      try {
        Append_Followed(buffer, file.Path(), *def, mark);
        ADD_FAILURE() << c.name << ": no error";
      } catch (const Error& e) {
        EXPECT_EQ(e.Message(), full_message) << c.name;
      }
      EXPECT_EQ(Seen(buffer), Seen(full)) << c.name << " round " << round;
      EXPECT_EQ(mark.Taken, before.Taken);
      EXPECT_EQ(mark.Points, before.Points);
      // Until the file changes again the same line would stop the addition.
      EXPECT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Unchanged) << c.name;
      Append_Text(file.Path(), line("9 9\n"));
    }
  }
}

// The first date of the run is kept for the rest of it, also when it was read by an addition
// that a later line stopped: once that line is mended (and the dated line changed with it),
// the addition counts the times from that first date, as a full load of the file would.
TEST_F(Follow_File, FirstDateOfAStoppedAdditionIsKept) {
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  def->DateCol = 3;
  Temp_File file("1 1:00:00 ?\n");
  TC_Data_Buffer buffer;
  Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
  ASSERT_EQ(Base_Date, 0);
  Append_Text(file.Path(), "2 6:00:00 2024/01/05\n3 x ?\n");
  EXPECT_THROW(Append_Followed(buffer, file.Path(), *def, mark), Error);
  const double first_date = Str_To_Date("2024/01/05");
  ASSERT_EQ(Base_Date, first_date);
  Rewrite(file.Path(), "1 1:00:00 ?\n2 6:00:00 2024/01/07\n3 4 ?\n");
  Touch_Later(file.Path());
  ASSERT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Lines_Added);
  ASSERT_TRUE(Append_Followed(buffer, file.Path(), *def, mark));
  EXPECT_EQ(Base_Date, first_date);
  ASSERT_EQ(buffer.Point_Count(), 3);
  EXPECT_EQ(buffer.Raw_Value(1, 2), 1.0L);
  EXPECT_EQ(buffer.Raw_Value(2, 2), 54.0L);  // two days after the first date, at 6:00
  TC_Data_Buffer full;
  full.Load_File(file.Path(), *def);
  EXPECT_EQ(Seen(buffer), Seen(full));
}

// The file was replaced after it was looked at: the addition is refused, nothing changes.
TEST_F(Follow_File, ReplacedFileIsNotAddedTo) {
  const auto def = Make_Def("[DataFile]\nA=1 1\n");
  Temp_File file("1\n2\n");
  TC_Data_Buffer buffer;
  Data_File_Mark mark = Load_Followed(buffer, file.Path(), *def);
  const Data_File_Mark before = mark;
  Temp_File other("1\n2\n3\n");
  std::filesystem::rename(other.Path(), file.Path());
  EXPECT_FALSE(Append_Followed(buffer, file.Path(), *def, mark));
  EXPECT_EQ(buffer.Point_Count(), 2);
  EXPECT_EQ(mark.Taken, before.Taken);
  std::filesystem::remove(file.Path());
  EXPECT_FALSE(Append_Followed(buffer, file.Path(), *def, mark));
  EXPECT_EQ(Classify_Data_Change(mark, file.Path()), Data_Change::Missing);
}

}  // namespace
}  // namespace pw
