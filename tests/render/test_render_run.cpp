// Whole runs of plotwright-render: files written, the report's numbers, pixels, exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

const char* const Report_Setup =
    "[DataFile]\n"
    "A=1 5.2 Alpha\n"
    "B=2 5.1 Beta\n"
    "@G=3\n"
    "[Pages]\n"
    "Pages=P1 P2\n"
    "BgColor=Navy\n"
    "[P1]\n"
    "Title=Report\n"
    "Name=First\n"
    "Columns=2\n"
    "Graphs=H S\n"
    "[P1/H]\n"
    "Kind=hist\n"
    "x=A\n"
    "xlo=0\n"
    "xhi=4\n"
    "Bins=4\n"
    "Color=Red\n"
    "Fill=1\n"
    "BgColor=Black\n"
    "[P1/S]\n"
    "Kind=scatter\n"
    "x=A\n"
    "y=B\n"
    "Layers=L1 L2\n"
    "xlo=0\n"
    "xhi=10\n"
    "ylo=0\n"
    "yhi=10\n"
    "[P1/S/L1]\n"
    "Key1=@G a\n"
    "Color=Yellow\n"
    "[P1/S/L2]\n"
    "Key1=@G b\n"
    "Color=0000FF\n"
    "[P2]\n";

const char* const Report_Data = "0.5 1 a\n1.5 2 b\n2.5 ? a\n3.5 4 a\n";

class Render_Run : public Render_Test {
 protected:
  void Write_Report_Case() {
    Write("s.ini", Report_Setup);
    Write("d.dat", Report_Data);
  }
};

void Expect_Box(const Json& box, int left, int right, int top, int bottom) {
  EXPECT_EQ(box["left"], left);
  EXPECT_EQ(box["right"], right);
  EXPECT_EQ(box["top"], top);
  EXPECT_EQ(box["bottom"], bottom);
}

// A layer's "color" is the colour's value: RGB for fixed colours, the desktop colours' and
// None's and Default's own codes.
TEST_F(Render_Run, ReportColorValues) {
  const std::pair<const char*, long long> cases[] = {
      {"Red", 255},       {"FF8000", 0x0080FF},   {"BtnFace", -2147483633},
      {"None", 536870911}, {"Default", 536870912},
  };
  std::string setup = "[DataFile]\nA=1 5.1\nB=2 5.1\n[Pages]\nPages=P\n[P]\nGraphs=S\n"
                      "[P/S]\nKind=scatter\nx=A\ny=B\nLayers=";
  std::string layers;
  for (const auto& c : cases) {
    setup += std::string(c.first) + " ";
    layers += "[P/S/" + std::string(c.first) + "]\nColor=" + c.first + "\n";
  }
  Write("s.ini", setup + "\n" + layers);
  Write("d.dat", "1 2\n");
  const Run_Result r = Run("-o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const Json report = Json::parse(Read("report.json"));
  const Json& list = report["pages"][0]["graphs"][0]["layers"];
  ASSERT_EQ(list.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(list[i]["color"], cases[i].second) << cases[i].first;
  }
}

TEST_F(Render_Run, ReportNumbers) {
  Write_Report_Case();
  const Run_Result r = Run("-s 400x300 -o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const Json j = Json::parse(Read("report.json"));
  EXPECT_EQ(j["setup"], "s.ini");
  EXPECT_EQ(j["data"], "d.dat");
  EXPECT_EQ(j["points"], 4);
  EXPECT_EQ(j["canvas"]["width"], 400);
  EXPECT_EQ(j["canvas"]["height"], 300);
  ASSERT_EQ(j["pages"].size(), 2u);

  const Json& p1 = j["pages"][0];
  EXPECT_EQ(p1["number"], 1);
  EXPECT_EQ(p1["section"], "P1");
  EXPECT_EQ(p1["name"], "First");
  EXPECT_EQ(p1["title"], "Report");
  EXPECT_EQ(p1["drawn"], true);
  ASSERT_EQ(p1["graphs"].size(), 2u);

  const Json& h = p1["graphs"][0];
  EXPECT_EQ(h["number"], 1);
  EXPECT_EQ(h["section"], "P1/H");
  EXPECT_EQ(h["kind"], "histogram");
  // Title band 2 * 4 + 18 = 26; cells 200 x 274.
  Expect_Box(h["cell"], 4, 196, 30, 296);
  EXPECT_EQ(h["x"]["lo"], 0.0);
  EXPECT_EQ(h["x"]["hi"], 4.0);
  EXPECT_EQ(h["x"]["log"], false);
  EXPECT_EQ(h["x"]["title"], "Alpha");
  EXPECT_EQ(h["y"]["lo"], 0.0);
  EXPECT_EQ(h["y"]["hi"], 1.2);  // tallest bar 1, plus 2 %, made nice
  EXPECT_EQ(h["y"]["title"], "");
  EXPECT_EQ(h["bins"], 4);
  EXPECT_EQ(h["stat_line"], "N=4  m=2  s=1.29  mn=0.5  mx=3.5");
  const Json& xt = h["x"]["ticks"];
  ASSERT_EQ(xt.size(), 9u);  // step 0.5 over 0..4
  EXPECT_EQ(xt[0]["value"], 0.0);
  EXPECT_EQ(xt[0]["label"], "0");
  EXPECT_EQ(xt[1]["value"], 0.5);
  EXPECT_EQ(xt[1]["label"], ".5");
  EXPECT_EQ(xt[8]["label"], "4");
  EXPECT_EQ(xt[0]["shown"], true);
  ASSERT_EQ(h["layers"].size(), 1u);
  EXPECT_EQ(h["layers"][0]["section"], "P1/H/");
  EXPECT_EQ(h["layers"][0]["color"], 255);
  EXPECT_EQ(h["layers"][0]["selected"], 4);

  const Json& s = p1["graphs"][1];
  EXPECT_EQ(s["section"], "P1/S");
  EXPECT_EQ(s["kind"], "scatter");
  Expect_Box(s["cell"], 204, 396, 30, 296);
  EXPECT_FALSE(s.contains("bins"));
  EXPECT_EQ(s["stat_line"], "");
  EXPECT_EQ(s["x"]["title"], "Alpha");
  EXPECT_EQ(s["y"]["title"], "Beta");
  EXPECT_EQ(s["y"]["hi"], 10.0);
  ASSERT_EQ(s["layers"].size(), 2u);
  EXPECT_EQ(s["layers"][0]["section"], "P1/S/L1");
  EXPECT_EQ(s["layers"][0]["color"], 65535);
  EXPECT_EQ(s["layers"][0]["selected"], 2);  // the third point has no Beta
  EXPECT_EQ(s["layers"][1]["section"], "P1/S/L2");
  EXPECT_EQ(s["layers"][1]["color"], 16711680);
  EXPECT_EQ(s["layers"][1]["selected"], 1);

  const Json& p2 = j["pages"][1];
  EXPECT_EQ(p2["section"], "P2");
  EXPECT_EQ(p2["name"], "");
  EXPECT_EQ(p2["drawn"], true);
  EXPECT_TRUE(p2["graphs"].empty());
}

TEST_F(Render_Run, BmpPixels) {
  Write_Report_Case();
  const Run_Result r = Run("-s 400x300 -f bmp -r - s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const Json j = Json::parse(r.Out);
  const Bmp bmp = Read_Bmp("d.01.bmp");
  ASSERT_EQ(bmp.Width, 400);
  ASSERT_EQ(bmp.Height, 300);
  EXPECT_EQ(bmp.At(0, 0), 0x000080u);      // page background (Navy)
  EXPECT_EQ(bmp.At(399, 299), 0x000080u);
  EXPECT_EQ(bmp.At(200, 100), 0x000080u);  // between the two cells
  // The scatter graph's cell inherits "BgColor" from the shared section too.
  EXPECT_EQ(bmp.At(210, 40), 0x000080u);

  const Json& hp = j["pages"][0]["graphs"][0]["plot"];
  const int left = hp["left"], right = hp["right"], top = hp["top"], bottom = hp["bottom"];
  const int mid_bin1 = left + (right - left) * 3 / 16;  // x = 0.75: off every tick
  EXPECT_EQ(bmp.At(mid_bin1, bottom - 3), 0xFF0000u);  // solid red bar
  EXPECT_EQ(bmp.At(mid_bin1, top + 10), 0x000000u);    // graph background above it

  // The blue layer's only point (1.5, 2) with the PLUS1 marker.
  const Json& sp = j["pages"][0]["graphs"][1]["plot"];
  const int sl = sp["left"], sr = sp["right"], st = sp["top"], sb = sp["bottom"];
  const int px = sl + static_cast<int>(std::nearbyint(1.5 * (sr - sl) / 10.0));
  const int py = sb - static_cast<int>(std::nearbyint(2.0 * (sb - st) / 10.0));
  EXPECT_EQ(bmp.At(px, py), 0x0000FFu);
  EXPECT_EQ(bmp.At(px - 1, py), 0x0000FFu);
  EXPECT_EQ(bmp.At(px, py + 1), 0x0000FFu);
  EXPECT_NE(bmp.At(px - 1, py - 1), 0x0000FFu);  // a plus, not a box

  const Bmp page2 = Read_Bmp("d.02.bmp");
  ASSERT_EQ(page2.Width, 400);
  EXPECT_EQ(page2.At(123, 45), 0x000080u);
}

TEST_F(Render_Run, ErrorWhileDrawingKeepsEarlierPagesAndReport) {
  Write("s.ini",
        "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2 P3\n[P2]\nGraphs=H\n"
        "[P2/H]\nKind=hist\nx=A\nLayers=L1 L2\n");
  Write("d.dat", "1\n2\n");
  const Run_Result r = Run("-f bmp -s 64x48 -r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: More than 1 Hist layer\n");
  EXPECT_TRUE(Exists("d.01.bmp"));
  EXPECT_TRUE(Exists("d.02.bmp"));  // the page being drawn, as it stands
  EXPECT_FALSE(Exists("d.03.bmp"));
  const Json j = Json::parse(Read("rep.json"));
  ASSERT_EQ(j["pages"].size(), 3u);
  EXPECT_EQ(j["pages"][0]["drawn"], true);
  EXPECT_EQ(j["pages"][1]["drawn"], false);
  EXPECT_EQ(j["pages"][2]["drawn"], false);
  EXPECT_EQ(j["points"], 2);
}

TEST_F(Render_Run, ErrorWhileReadingWritesNoPageButTheReport) {
  Write("s.ini",
        "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2\n[P2]\nGraphs=G\n[P2/G]\nKind=Pie\n");
  Write("d.dat", "1\n");
  const Run_Result r = Run("-r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "fatal error: Wrong graph kind in [P2/G]: Pie\n");
  EXPECT_FALSE(Exists("d.01.png"));
  const Json j = Json::parse(Read("rep.json"));
  EXPECT_EQ(j["points"], 0);
  ASSERT_EQ(j["pages"].size(), 2u);  // what was read stays
  EXPECT_EQ(j["pages"][1]["graphs"].size(), 0u);
  EXPECT_EQ(j["pages"][1]["drawn"], false);
}

// Each picture and the report are written on their own: a picture that cannot be written
// does not cost the report.
TEST_F(Render_Run, PictureThatCannotBeWrittenKeepsTheReport) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2\n");
  Write("d.dat", "1\n2\n");
  std::filesystem::create_directories(dir_ / "out/d.01.bmp");
  const Run_Result r = Run("-o out -f bmp -s 64x48 -r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.bmp: Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out/d.01.bmp"));
  EXPECT_EQ(Read_Bmp("out/d.02.bmp").Width, 64);
  const Json j = Json::parse(Read("rep.json"));
  EXPECT_EQ(j["points"], 2);
  EXPECT_EQ(j["pages"][1]["drawn"], true);
}

// The report's own failure carries the system's reason.
TEST_F(Render_Run, ReportThatCannotBeWrittenGivesTheReason) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n");
  Write("d.dat", "1\n");
  const Run_Result r = Run("-f bmp -s 64x48 -r none/rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file none/rep.json: No such file or directory\n");
  EXPECT_TRUE(Exists("d.01.bmp"));
  EXPECT_FALSE(Exists("none"));
}

// A report that cannot be written to standard output is an error, as it is for a file.
TEST_F(Render_Run, ReportToAFullStandardOutputGivesTheReason) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n");
  Write("d.dat", "1\n");
  if (!std::filesystem::is_character_file("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Run_Result r =
      Run_Program("", "-f bmp -s 64x48 -r - s.ini d.dat", " >/dev/full </dev/null");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file -: No space left on device\n");
  EXPECT_TRUE(Exists("d.01.bmp"));
}

// The report goes through a temporary file renamed at the end: a failed write leaves neither
// a partial report nor the temporary file, and a good write replaces the old report whole.
TEST_F(Render_Run, ReportIsReplacedWholeOrNotAtAll) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n");
  Write("d.dat", "1\n");
  std::filesystem::create_directories(dir_ / "rep.json");
  Run_Result r = Run("-f bmp -s 64x48 -r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file rep.json: Is a directory\n");
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) {
    left.push_back(e.path().filename().string());
  }
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"d.01.bmp", "d.dat", "rep.json", "s.ini",
                                             "stderr.txt", "stdout.txt"}));
  std::filesystem::remove(dir_ / "rep.json");
  Write("rep.json", std::string(100000, 'x'));  // longer than the new report
  r = Run("-f bmp -s 64x48 -r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Json::parse(Read("rep.json"))["points"], 1);
}

// Only the error that stopped the work is printed: writing what exists afterwards adds no
// second line, even when that fails too.
TEST_F(Render_Run, FailedLoadAndFailedReportGiveOneLine) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n");
  const Run_Result r = Run("-r /nonexist/x.json s.ini missing.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "fatal error: Missing file: missing.dat\n");
}

TEST_F(Render_Run, FailedDrawingAndFailedFolderGiveOneLineAndTheReport) {
  Write("s.ini",
        "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2\n[P2]\nGraphs=H\n"
        "[P2/H]\nKind=hist\nx=A\nLayers=L1 L2\n");
  Write("d.dat", "1\n2\n");
  Write("plain", "a file where the folder should go");
  const Run_Result r = Run("-o plain/out -f bmp -s 64x48 -r rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: More than 1 Hist layer\n");
  const Json j = Json::parse(Read("rep.json"));
  EXPECT_EQ(j["pages"][0]["drawn"], true);
  EXPECT_EQ(j["pages"][1]["drawn"], false);
}

// With nothing failed before, the first write failure is the one printed; the others are
// still tried, and the exit status tells that something is missing.
TEST_F(Render_Run, SeveralWriteFailuresGiveTheFirstOnly) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2 P3\n");
  Write("d.dat", "1\n");
  std::filesystem::create_directories(dir_ / "out/d.01.bmp");
  std::filesystem::create_directories(dir_ / "out/d.02.bmp");
  const Run_Result r = Run("-o out -f bmp -s 64x48 -r none/rep.json s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.bmp: Is a directory\n");
  EXPECT_EQ(Read_Bmp("out/d.03.bmp").Width, 64);
}

TEST_F(Render_Run, MissingValuesAreNullInReport) {
  Write("s.ini",
        "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n[P1]\nGraphs=H\n[P1/H]\nKind=hist\nx=A\n");
  Write("d.dat", "?\n");
  const Run_Result r = Run("-r - s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const Json j = Json::parse(r.Out);
  const Json& g = j["pages"][0]["graphs"][0];
  EXPECT_EQ(g["x"]["lo"], 0.0);  // no value: 0 to 1
  EXPECT_EQ(g["x"]["hi"], 1.0);
  EXPECT_EQ(g["stat_line"], "");
  EXPECT_EQ(g["layers"][0]["selected"], 0);
}

TEST_F(Render_Run, FileNamesFollowTheDataFile) {
  struct Case {
    const char* data;
    const char* first;
    const char* last;
  };
  const Case cases[] = {{"run7.dat", "out/a/run7.01.png", "out/a/run7.03.png"},
                        {"data", "out/a/01.png", "out/a/03.png"},
                        {"x/a.b.c", "out/a/a.b.01.png", "out/a/a.b.03.png"}};
  std::filesystem::create_directories(dir_ / "x");
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1 P2 P3\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Write(c.data, "1\n");
    const Run_Result r = Run(std::string("-s 40x30 --out=out/a s.ini ") + c.data);
    EXPECT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Err, "");
    EXPECT_TRUE(Exists(c.first));
    EXPECT_TRUE(Exists(c.last));
    EXPECT_EQ(Read(c.first).substr(1, 3), "PNG");
  }
}

TEST_F(Render_Run, TenPagesAndMore) {
  std::string list = "Pages=";
  for (int i = 1; i <= 12; ++i) list += " P" + std::to_string(i);
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\n" + list + "\n");
  Write("d.dat", "1\n");
  ASSERT_EQ(Run("-s 8x8 -f bmp s.ini d.dat").Status, 0);
  EXPECT_TRUE(Exists("d.09.bmp"));
  EXPECT_TRUE(Exists("d.10.bmp"));
  EXPECT_TRUE(Exists("d.12.bmp"));
  EXPECT_FALSE(Exists("d.13.bmp"));
}

TEST_F(Render_Run, IgnoreLimits) {
  Write("s.ini",
        "[DataFile]\nA=1 5.1\nB=2 5.1\n[Pages]\nPages=P1\n[P1]\nGraphs=S\n"
        "[P1/S]\nKind=s\nx=A\ny=B\nxlo=-100\nxhi=100\nRoundX=0\n");
  Write("d.dat", "1 1\n3 2\n");
  Json with_limits = Json::parse(Run("-r - s.ini d.dat").Out);
  EXPECT_EQ(with_limits["pages"][0]["graphs"][0]["x"]["lo"], -100.0);
  const Run_Result r = Run("-i -r - s.ini d.dat");
  ASSERT_EQ(r.Status, 0);
  Json ignored = Json::parse(r.Out);
  EXPECT_EQ(ignored["pages"][0]["graphs"][0]["x"]["lo"], 1.0);
  EXPECT_EQ(ignored["pages"][0]["graphs"][0]["x"]["hi"], 3.0);
}

TEST_F(Render_Run, DefaultSize) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n[Pages]\nPages=P1\n");
  Write("d.dat", "1\n");
  ASSERT_EQ(Run("-f bmp s.ini d.dat").Status, 0);
  const Bmp bmp = Read_Bmp("d.01.bmp");
  EXPECT_EQ(bmp.Width, 1024);
  EXPECT_EQ(bmp.Height, 768);
}

TEST_F(Render_Run, NoPagesListedStillChecksData) {
  Write("s.ini", "[DataFile]\nA=1 5.1\n");
  Write("d.dat", "1\n");
  Run_Result r = Run("-r - s.ini d.dat");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Json::parse(r.Out)["points"], 1);
  r = Run("s.ini none.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "fatal error: Missing file: none.dat\n");
}

TEST_F(Render_Run, BadCommandLines) {
  const char* const bad[] = {"", "s.ini", "a b c", "--bogus a b", "-s 0x10 a b",
                             "-s 10 a b", "-f gif a b", "-o", "-r"};
  for (const char* args : bad) {
    SCOPED_TRACE(args);
    const Run_Result r = Run(args);
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err.rfind("plotwright-render: ", 0), 0u);
    EXPECT_NE(r.Err.find("\nusage: plotwright-render [options] SETUP_FILE DATA_FILE\n"),
              std::string::npos);
    EXPECT_EQ(r.Out, "");
  }
}

TEST_F(Render_Run, Help) {
  const Run_Result r = Run("--help");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out.rfind("usage: plotwright-render", 0), 0u);
  EXPECT_EQ(r.Err, "");
}

TEST_F(Render_Run, Version) {
  for (const char* args : {"--version", "--version s.ini", "-o out --version"}) {
    SCOPED_TRACE(args);
    const Run_Result r = Run(args);
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "plotwright 2.34\n");
    EXPECT_EQ(r.Err, "");
  }
}

}  // namespace
}  // namespace pw::test
