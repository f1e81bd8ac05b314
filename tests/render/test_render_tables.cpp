// Data files as users have them, through the whole program: delimited tables with quoted
// fields, header lines, gzip and zstd files, and standard input through a pipe all draw the
// same pages and give the same report as the blank-separated table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

// A scatter graph with a layer picked by a text holding a comma, and a histogram of times.
std::string Setup_Text(const std::string& main_keys) {
  return "[Plotwright]\n" + main_keys +
         "[DataFile]\nX=2 5.1 Ex\nY=3 5.2 Why\nT=4 5.2 Time\n@G=5\n"
         "[Pages]\nPages=P1\n"
         "[P1]\nColumns=2\nGraphs=S H\n"
         "[P1/S]\nKind=scatter\nx=X\ny=Y\nLayers=L1 L2\nMarker=BOX2\n"
         "[P1/S/L1]\nKey1=@G a,b\nColor=Red\n"
         "[P1/S/L2]\nColor=Blue\n"
         "[P1/H]\nKind=hist\nx=T\nBins=6\n";
}

// id, x, y, time, group; "" is a missing number.
const std::vector<std::vector<std::string>> Rows = {
    {"1", "1.5", "2.25", "12:30:00", "a,b"},  {"2", "", "3", "1:0:0", "q\"x"},
    {"3", "-4", "", "+2:15:0", "c;d|e"},      {"4", "7.25", "1e1", "23:59:59", "a,b"},
    {"5", "3", "4", "0:0:0", "plain"},        {"6", "2.5", "-1.5", "-1:0:0", "a,b"},
    {"7", "8", "8", "6:0:0", "\"quoted\""},   {"8", "0", "0.5", "", "plain"},
};

// The rows with runs of spaces between fields ("?" for a missing number).
std::string Blank_Table() {
  std::string text = "; id x y time group\n";
  for (const auto& row : Rows) {
    for (const std::string& field : row) text += (field.empty() ? "?" : field) + "   ";
    text += "\n";
  }
  return text;
}

// The rows separated by `delimiter`, fields in quotes where they must be (or always), with
// blanks around some of them.
std::string Delimited_Table(char delimiter, bool quote_all = false) {
  std::string text;
  int n = 0;
  for (const auto& row : Rows) {
    std::string line;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const std::string& field = row[k];
      std::string written = field;
      if (quote_all || field.find(delimiter) != std::string::npos || field.starts_with('"')) {
        written = "\"";
        for (char c : field) written += c == '"' ? std::string("\"\"") : std::string(1, c);
        written += "\"";
      }
      if (k > 0) line += delimiter;
      ++n;
      line += (n % 3 == 0 ? " " : "") + written + (n % 4 == 0 ? " " : "");
    }
    text += line + (n % 2 == 0 ? "\r\n" : "\n");
  }
  return text;
}

class Render_Tables : public Render_Test {
 protected:
  // The report without the data file's name, and the picture, of a run on s.ini and the data
  // file `name`, or with standard input from the shell command `pipe` for "-".
  struct Drawn {
    Json report;
    std::string picture;
  };
  Drawn Draw(const std::string& main_keys, const std::string& name, const std::string& pipe) {
    Write("s.ini", Setup_Text(main_keys));
    const std::string args = "-s 500x300 -f bmp -r - s.ini " + name;
    const Run_Result r = pipe.empty() ? Run(args) : Run_Piped(pipe, args);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    Drawn drawn;
    if (r.Status != 0) return drawn;
    drawn.report = Json::parse(r.Out);
    EXPECT_EQ(drawn.report["data"], name);
    drawn.report.erase("data");
    // Pictures are named after the data file up to its last ".", standard input's after stdin.
    const std::string base = name == "-" ? "stdin." : name.substr(0, name.rfind('.') + 1);
    drawn.picture = Read(base + "01.bmp");
    return drawn;
  }
};

TEST_F(Render_Tables, EveryFormDrawsTheSame) {
  Write("blank.dat", Blank_Table());
  Write("comma.csv", Delimited_Table(','));
  const Drawn reference = Draw("", "blank.dat", "");
  ASSERT_EQ(reference.report["points"], 8);
  ASSERT_FALSE(reference.picture.empty());
  // The layer picked by the text with a comma, and the points with both values.
  EXPECT_EQ(reference.report["pages"][0]["graphs"][0]["layers"][0]["selected"], 3);
  EXPECT_EQ(reference.report["pages"][0]["graphs"][0]["layers"][1]["selected"], 6);

  struct Case {
    const char* what;
    std::string keys;
    std::string file;     // written with `data`, unless empty
    std::string data;
    std::string command;  // then run in the folder (to compress the file, say)
    std::string name;     // the data file argument
    std::string pipe;     // for "-": the command whose output is standard input
  };
  const std::string comma = "Delimiter=,\n";
  const std::string header = "Header=2\n";
  const std::vector<Case> cases = {
      {"commas", comma, "", "", "", "comma.csv", ""},
      {"semicolons", "Delimiter=;\n", "semi.csv", Delimited_Table(';'), "", "semi.csv", ""},
      {"tabs", "Delimiter=tab\n", "tabs.tsv", Delimited_Table('\t'), "", "tabs.tsv", ""},
      {"bars", "Delimiter=|\n", "bars.txt", Delimited_Table('|'), "", "bars.txt", ""},
      {"all quoted", comma, "quoted.csv", Delimited_Table(',', true), "", "quoted.csv", ""},
      {"a header of two lines", comma + header, "head.csv",
       "\"id\",\"x\nid,x,y,time,group\n" + Delimited_Table(','), "", "head.csv", ""},
      {"gzip", "", "blank2.dat", Blank_Table(), "gzip -n blank2.dat", "blank2.dat.gz", ""},
      {"zstd", "", "blank3.dat", Blank_Table(), "zstd -q --rm blank3.dat", "blank3.dat.zst", ""},
      {"pzstd (skippable frames)", "", "blank5.dat", Blank_Table(), "pzstd -q --rm blank5.dat",
       "blank5.dat.zst", ""},
      {"gzip, commas, a header, no telling name", comma + header, "head2.csv",
       "id,x,y,time,group\n\n" + Delimited_Table(','), "gzip -n head2.csv && mv head2.csv.gz h2",
       "h2", ""},
      {"a pipe", "", "", "", "", "-", "cat blank.dat"},
      {"a zstd pipe", comma, "", "", "", "-", "zstd -q -c comma.csv"},
      {"a gzip pipe that pauses", "", "", "", "", "-",
       "(gzip -c blank.dat | head -c 10; sleep 0.3; gzip -c blank.dat | tail -c +11)"},
  };
  for (const Case& c : cases) {
    if (!c.file.empty()) Write(c.file, c.data);
    ASSERT_TRUE(c.command.empty() || Shell(c.command)) << c.command;
    const Drawn drawn = Draw(c.keys, c.name, c.pipe);
    EXPECT_EQ(drawn.report, reference.report) << c.what;
    EXPECT_TRUE(drawn.picture == reference.picture) << c.what;
  }
}

// The messages of the new table forms and of compressed data, as the program prints them.
TEST_F(Render_Tables, Messages) {
  struct Case {
    const char* what;
    std::string keys;
    std::string data;     // d.csv
    std::string command;  // run before, in the folder
    std::string name;
    std::string err;
    int points;  // in the report; -1: no report
  };
  const std::string comma = "Delimiter=,\n";
  std::string many = "; many\n";
  for (int i = 1; i <= 20000; ++i) {
    many += std::to_string(i) + " " + std::to_string(i % 97) + " 3 4 g" + std::to_string(i) + "\n";
  }
  const std::vector<Case> cases = {
      {"open quote", comma + "Header=1\n", "id\n1,2,3,4,a\n; c\n2,3,\"4,5\n3,4,5,6,b\n", "",
       "d.csv", "error: Quote not closed in line 4 of d.csv\n", 1},
      {"wrong delimiter", "Delimiter=;;\n", "1 2 3\n", "", "d.csv",
       "error: Wrong Delimiter in [Plotwright]: ;;\n", -1},
      {"wrong header", "Header=-2\n", "1 2 3\n", "", "d.csv",
       "error: Wrong Header in [Plotwright]: -2\n", -1},
      {"cut gzip", "", many, "gzip -c d.csv | head -c 30000 >cut.gz", "cut.gz",
       "error: Cannot read data file cut.gz: unexpected end of file\n", 0},
      {"bad zstd checksum", "", many,
       "zstd -q -c d.csv >z && size=$(stat -c %s z) && "
       "printf '\\001\\002' | dd of=z bs=1 seek=$((size - 3)) conv=notrunc status=none",
       "z", "error: Cannot read data file z: Restored data doesn't match checksum\n", 0},
      {"only a header", "Header=3\n", "1 2 3\n4 5 6\n", "", "d.csv",
       "fatal error: No points in data buffer loaded from d.csv\n", 0},
      {"plain data named .gz", "", "1 2 3 4 a\n", "mv d.csv d.gz", "d.gz", "", 1},
  };
  for (const Case& c : cases) {
    Write("s.ini", Setup_Text(c.keys));
    Write("d.csv", c.data);
    ASSERT_TRUE(c.command.empty() || Shell(c.command)) << c.command;
    const Run_Result r = Run("-s 300x200 -r r.json s.ini " + c.name);
    EXPECT_EQ(r.Err, c.err) << c.what;
    EXPECT_EQ(r.Status, c.err.empty() ? 0 : 1) << c.what;
    if (c.points < 0) continue;
    const Json report = Json::parse(Read("r.json"));
    if (c.points > 0) {
      EXPECT_EQ(report["points"], c.points) << c.what;
    } else {
      // Damaged data keep the lines before the damage.
      EXPECT_GT(report["points"], c.err.starts_with("fatal") ? -1 : 1000) << c.what;
      EXPECT_LT(report["points"], 20000) << c.what;
    }
  }
}

// Standard input's pages and document are named after "stdin"; a file named "-" is reached
// as "./-".
TEST_F(Render_Tables, StandardInputNames) {
  Write("s.ini", Setup_Text(""));
  Write("-", Blank_Table());
  Run_Result r = Run_Piped("cat ./-", "-f pdf s.ini -");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Exists("stdin.pdf"));
  r = Run_Piped("cat ./-", "-o out s.ini -");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Exists("out/stdin.01.png"));
  r = Run("-o file -r - s.ini ./-");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Exists("file/01.png"));
  EXPECT_NE(r.Out.find("\"data\": \"./-\""), std::string::npos);
  // An empty standard input has no points.
  r = Run_Piped("true", "s.ini -");
  EXPECT_EQ(r.Err, "fatal error: No points in data buffer loaded from -\n");
  EXPECT_EQ(r.Status, 1);
}

}  // namespace
}  // namespace pw::test
