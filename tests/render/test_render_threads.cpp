// plotwright-render on 1, 2, 3 and 8 threads: the same pictures, report and messages, byte for
// byte, also when the load stops in the middle of the file; and the thread count settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "render_fixture.h"

namespace pw::test {
namespace {

// Two pages: histograms and scatter graphs, layers by Key texts, by Required and Banned.
constexpr const char* Threads_Setup =
    "[DataFile]\n"
    "A=2 5.2 Alpha\n"
    "B=3 5.3 Beta\n"
    "C=2*3 5.1 Product\n"
    "@G=4\n"
    "@Id=1\n"
    "[Pages]\n"
    "Pages=P1 P2 P3\n"
    "Rows=1\n"
    "Columns=2\n"
    "[P1]\n"
    "Graphs=H S\n"
    "[P1/H]\n"
    "Kind=hist\n"
    "x=A\n"
    "[P1/S]\n"
    "Kind=scatter\n"
    "x=A\n"
    "y=B\n"
    "Marker=POINT\n"
    "Layers=L1 L2\n"
    "Hint=@Id @G\n"
    "[P1/S/L1]\n"
    "Key1=@G g1\n"
    "[P1/S/L2]\n"
    "Key1=@G G\xC3\xBCnther-und-S\xC3\xB6hne-aus-M\xC3\xBCnchen-O\n"  // the text's first 31 letters
    "Color=Yellow\n"
    "[P2]\n"
    "Graphs=H S\n"
    "[P2/H]\n"
    "Kind=hist\n"
    "x=C\n"
    "Key1=@G g2\n"
    "Required=B\n"
    "[P2/S]\n"
    "Kind=scatter\n"
    "x=B\n"
    "y=C\n"
    "Banned=A\n"
    // Density layers and under- and overflow.
    "[P3]\n"
    "Graphs=D H\n"
    "[P3/D]\n"
    "Kind=scatter\n"
    "x=A\n"
    "y=B\n"
    "Density=yes\n"
    "Layers=L1 L2\n"
    "[P3/D/L1]\n"
    "DensityScale=eq\n"
    "[P3/D/L2]\n"
    "Key1=@G g1\n"
    "ColorMap=magma\n"
    "[P3/H]\n"
    "Kind=hist\n"
    "x=A\n"
    "xlo=1000\n"
    "xhi=9000\n"
    "Bins=20\n"
    "Flow=yes\n";

// 150 000 points: enough for the load to be cut into many pieces and for the statistics and
// selections to be split over threads.
std::string Data(const std::string& middle = "", const std::string& later = "") {
  const char* groups[] = {"g1", "g2", "g3",
                          "G\xC3\xBCnther-und-S\xC3\xB6hne-aus-M\xC3\xBCnchen-Ost-und-West"};
  std::string data = "; id a b group\n";
  unsigned long long state = 7;
  auto roll = [&state](unsigned sides) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>((state >> 33) % sides);
  };
  for (int i = 1; i <= 150000; ++i) {
    if (i % 1000 == 0) data += "; block\n";
    if (i == 90000) data += middle;
    if (i == 120000) data += later;
    data += std::to_string(i) + " " +
            (roll(100) == 0 ? std::string("?")
                            : std::to_string(roll(10000)) + "." + std::to_string(roll(100))) +
            " " + std::to_string(static_cast<int>(roll(2000)) - 1000) + "e-2 " + groups[roll(4)] +
            (roll(7) == 0 ? "\r\n" : "\n");
  }
  return data;
}

class Render_Threads : public Render_Test {
 protected:
  // Runs with -j for each count and expects the pictures, report, messages and exit status of
  // one thread; returns the one-thread run. `options` adds to the command line; `format` is
  // the pictures' file name extension.
  Run_Result Same_On_Any_Thread_Count(int pages_written, const std::string& options = "",
                                      const std::string& format = "png") {
    Run_Result first;
    for (int threads : {1, 2, 3, 8}) {
      const std::string n = std::to_string(threads);
      const Run_Result r = Run("-j " + n + " -s 320x240 " + options + " -o out" + n + " -r report" +
                               n + ".json s.ini d.dat");
      if (threads == 1) {
        first = r;
        continue;
      }
      SCOPED_TRACE(threads);
      EXPECT_EQ(r.Status, first.Status);
      EXPECT_EQ(r.Err, first.Err);
      EXPECT_EQ(Read("report" + n + ".json"), Read("report1.json"));
      for (int page = 1; page <= pages_written; ++page) {
        const std::string name = "/d.0" + std::to_string(page) + "." + format;
        EXPECT_TRUE(Exists("out1" + name));
        EXPECT_TRUE(Read("out" + n + name) == Read("out1" + name)) << name;
      }
      const std::string after = "/d.0" + std::to_string(pages_written + 1) + "." + format;
      EXPECT_EQ(Exists("out" + n + after), Exists("out1" + after));
    }
    return first;
  }
};

TEST_F(Render_Threads, SamePicturesAndReport) {
  Write("s.ini", Threads_Setup);
  Write("d.dat", Data());
  const Run_Result r = Same_On_Any_Thread_Count(3);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(Read("report1.json").find("\"max_count\""), std::string::npos);
  EXPECT_NE(Read("report1.json").find("\"points\": 150000"), std::string::npos);
}

// A bad line in the middle stops the load there on any thread count, even with a later bad
// line in a piece that may be parsed first.
TEST_F(Render_Threads, FileFailingInTheMiddle) {
  Write("s.ini", Threads_Setup);
  Write("d.dat", Data("90000 1.5 x g1\n", "1 2 3\xE2\x82\xAC g1\n"));
  const Run_Result r = Same_On_Any_Thread_Count(0);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: 'x' is not a valid floating point value\n");
  EXPECT_NE(Read("report1.json").find("\"points\": 89999"), std::string::npos);
}

TEST_F(Render_Threads, LineTooLongInTheMiddle) {
  Write("s.ini", Threads_Setup);
  Write("d.dat", Data("1 2 3 " + std::string(70000, 'g') + "\n", "1 x 3 g1\n"));
  const Run_Result r = Same_On_Any_Thread_Count(0);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Range check error\n");
  EXPECT_NE(Read("report1.json").find("\"points\": 89999"), std::string::npos);
}

// Polylines broken by missing values and by points left out by a Key, boxes and crosses,
// patterned bars with LeftIn, logarithmic axes, and a page whose layer fails on points the
// logarithm cannot take (the run stops there, the page drawn so far is written).
constexpr const char* Drawing_Setup =
    "[DataFile]\n"
    "A=2 5.2 Alpha\n"
    "B=3 5.3 Beta\n"
    "@G=4\n"
    "[Pages]\n"
    "Pages=P1 P2 P3\n"
    "Rows=1\n"
    "Columns=2\n"
    "[P1]\n"
    "Graphs=L M\n"
    "[P1/L]\n"
    "Kind=S\n"
    "x=A\n"
    "y=B\n"
    "Marker=LINE\n"
    "Key1=@G g1\n"
    "xlo=1000\n"
    "xhi=5000\n"
    "ylo=-5\n"
    "yhi=5\n"
    "[P1/M]\n"
    "Kind=S\n"
    "x=A\n"
    "y=B\n"
    "Marker=BOX2\n"
    "Layers=a b\n"
    "[P1/M/a]\n"
    "Key1=@G g2\n"
    "[P1/M/b]\n"
    "Key1=@G g3\n"
    "Marker=EX1\n"
    "Color=Red\n"
    "[P2]\n"
    "Graphs=H G\n"
    "[P2/H]\n"
    "Kind=H\n"
    "x=B\n"
    "Bins=60\n"
    "LeftIn=1\n"
    "Fill=5\n"
    "[P2/G]\n"
    "Kind=S\n"
    "x=A\n"
    "y=B\n"
    "logx=1\n"
    "Marker=LINE\n"
    "[P3]\n"
    "Graphs=F\n"
    "[P3/F]\n"
    "Kind=S\n"
    "x=B\n"
    "y=A\n"
    "logx=1\n"
    "Marker=POINT\n";

TEST_F(Render_Threads, PolylinesLogarithmicAxesAndFailedPoints) {
  Write("s.ini", Drawing_Setup);
  Write("d.dat", Data());
  const Run_Result r = Same_On_Any_Thread_Count(3);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Errors occurred while draving points\n");
  const std::string report = Read("report1.json");
  EXPECT_EQ(report.find("\"drawn\": false"), report.rfind("\"drawn\": false"));  // page 3 only
  EXPECT_NE(report.find("\"drawn\": false"), std::string::npos);
  // Every marker and line in its order, as vectors.
  EXPECT_EQ(Same_On_Any_Thread_Count(3, "-f svg --vector-limit 100000000", "svg").Status, 1);
}

// The pictures are written side by side; the first one that cannot be written is the one
// reported, and the others are written all the same.
TEST_F(Render_Threads, FirstPictureThatCannotBeWrittenIsReported) {
  Write("s.ini", Threads_Setup);
  Write("d.dat", "1 2 3 g1\n2 3 4 g2\n");
  for (int threads : {1, 2, 8}) {
    const std::string out = "out" + std::to_string(threads);
    std::filesystem::create_directories(dir_ / out / "d.02.png");
    const Run_Result r = Run("-j " + std::to_string(threads) + " -o " + out + " s.ini d.dat");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "error: Cannot write file " + out + "/d.02.png: Is a directory\n");
    EXPECT_TRUE(Exists(out + "/d.01.png"));
  }
}

// The environment variable sets the count unless -j is given; a bad value is refused.
TEST_F(Render_Threads, ThreadCountSettings) {
  Write("s.ini", Threads_Setup);
  Write("d.dat", "1 2 3 g1\n2 3 4 g2\n");
  struct Case {
    const char* environment;  // nullptr: unset
    const char* option;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {"abc", "", 2, "plotwright-render: Wrong PLOTWRIGHT_THREADS value: abc\n"},
      {"0", "", 2, "plotwright-render: Wrong PLOTWRIGHT_THREADS value: 0\n"},
      {"1025", "", 2, "plotwright-render: Wrong PLOTWRIGHT_THREADS value: 1025\n"},
      {"2 ", "", 2, "plotwright-render: Wrong PLOTWRIGHT_THREADS value: 2 \n"},
      {"abc", "-j 2 ", 0, ""},  // -j wins; the variable is not read
      {"", "", 0, ""},          // empty: the default
      {"3", "", 0, ""},
      {nullptr, "--threads=1024 ", 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.environment ? c.environment : "(unset)");
    if (c.environment) {
      setenv("PLOTWRIGHT_THREADS", c.environment, 1);
    } else {
      unsetenv("PLOTWRIGHT_THREADS");
    }
    const Run_Result r = Run(std::string(c.option) + "-o out s.ini d.dat");
    unsetenv("PLOTWRIGHT_THREADS");
    EXPECT_EQ(r.Status, c.status);
    EXPECT_EQ(r.Err, c.err);
    EXPECT_EQ(Exists("out/d.01.png"), c.status == 0);
    std::error_code ec;
    std::filesystem::remove_all(dir_ / "out", ec);
  }
  const Run_Result bad = Run("-j 0 s.ini d.dat");
  EXPECT_EQ(bad.Status, 2);
  EXPECT_EQ(bad.Err.rfind("plotwright-render: bad thread count '0' (expected 1 to 1024)\n", 0), 0u);
}

}  // namespace
}  // namespace pw::test
