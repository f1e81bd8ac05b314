// Density layers and histogram under- and overflow in whole runs: report fields, the pixels of
// a BMP, and the density picture of an SVG page.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

const char* const Density_Setup =
    "[DataFile]\n"
    "A=1 5.2 Alpha\n"
    "B=2 5.2 Beta\n"
    "@G=3\n"
    "[Pages]\n"
    "Pages=P\n"
    "Columns=3\n"
    "Rows=2\n"
    "[P]\n"
    "Graphs=D H1 H2 H3 H4 H5\n"
    "[P/D]\n"
    "Kind=scatter\n"
    "x=A\nxlo=0\nxhi=10\n"
    "y=B\nylo=0\nyhi=10\n"
    "Layers=dots dens\n"
    "[P/D/dots]\n"
    "Key1=@G b\n"
    "[P/D/dens]\n"
    "Density=yes\n"
    "ColorMap=Gray\n"
    "DensityScale=Linear\n"
    "Key1=@G a\n"
    "[P/H1]\n"
    "Kind=hist\nx=A\nxlo=2\nxhi=6\nBins=4\nFlow=yes\nKey1=@G a\n"
    "[P/H2]\n"
    "Kind=hist\nx=A\nxlo=2\nxhi=6\nBins=4\nLeftIn=yes\n"
    "[P/H3]\n"
    "Kind=hist\nx=A\n"
    "[P/H4]\n"
    "Kind=hist\nx=A\nlogx=yes\nxlo=1\nxhi=100\nBins=10\n"
    "[P/H5]\n"
    "Kind=hist\nx=B\nxlo=0\nxhi=5\nBins=5\n";

// Group a: three points on (4, 4), one on (2, 8), one without B; group b: two more.
const char* const Density_Data =
    "4 4 a\n4 4 a\n4 4 a\n2 8 a\n7 ? a\n0 1 b\n9 9 b\n";

class Render_Density : public Render_Test {};

TEST_F(Render_Density, ReportFields) {
  Write("s.ini", Density_Setup);
  Write("d.dat", Density_Data);
  const Run_Result r = Run("-s 600x400 -o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  const Json j = Json::parse(Read("report.json"));
  const Json& graphs = j["pages"][0]["graphs"];
  const Json& dots = graphs[0]["layers"][0];
  EXPECT_FALSE(dots.contains("color_map"));
  EXPECT_FALSE(dots.contains("underflow"));
  const Json& dens = graphs[0]["layers"][1];
  EXPECT_EQ(dens["color_map"], "gray");
  EXPECT_EQ(dens["density_scale"], "linear");
  EXPECT_EQ(dens["max_count"], 3);
  struct Flow {
    int graph;
    int under, over, missing;
  } flows[] = {
      {1, 0, 1, 0},  // group a: 2 and 4 inside, 7 over
      {2, 1, 2, 0},  // every point: 0 under; 7 and 9 over
      {3, 0, 0, 0},  // automatic limits
      {4, 1, 0, 0},  // 0 is below 1: taken as it is, not as a failed logarithm
      {5, 0, 2, 1},  // B: 8 and 9 over, one point without B
  };
  for (const Flow& f : flows) {
    SCOPED_TRACE(f.graph);
    const Json& layer = graphs[f.graph]["layers"][0];
    EXPECT_EQ(layer["underflow"], f.under);
    EXPECT_EQ(layer["overflow"], f.over);
    EXPECT_EQ(layer["missing"], f.missing);
  }
  EXPECT_EQ(graphs[1]["stat_line"], "N=5  m=4.2  s=1.79  mn=2  mx=7  o=1");
  EXPECT_EQ(graphs[2]["stat_line"], "N=7  m=4.29  s=2.98  mn=0  mx=9");
}

// A page never drawn (the one before it fails): its histograms' flow is that of the limits
// and bars the setup gives, and null where the setup leaves them to the drawing.
TEST_F(Render_Density, FlowOfGraphsNeverDrawn) {
  Write("s.ini",
        "[DataFile]\nA=1 5.2\nB=2 5.2\n[Pages]\nPages=Bad P\n"
        "[Bad]\nGraphs=S\n[Bad/S]\nKind=scatter\nx=A\ny=B\nlogx=1\nxlo=-1\nxhi=1\n"
        "[P]\nColumns=3\nGraphs=Given NoBins Auto\n"
        "[P/Given]\nKind=hist\nx=A\nxlo=2\nxhi=6\nBins=4\n"
        "[P/NoBins]\nKind=hist\nx=A\nxlo=2\nxhi=6\n"
        "[P/Auto]\nKind=hist\nx=A\nBins=4\n");
  Write("d.dat", "0 1\n4 1\n7 1\n9 1\n");
  const Run_Result r = Run("-o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Err, "error: Errors occurred while draving points\n");
  const Json j = Json::parse(Read("report.json"));
  ASSERT_FALSE(j["pages"][1]["drawn"]);
  const Json& graphs = j["pages"][1]["graphs"];
  EXPECT_EQ(graphs[0]["layers"][0]["underflow"], 1);
  EXPECT_EQ(graphs[0]["layers"][0]["overflow"], 2);
  for (int g : {1, 2}) {
    EXPECT_TRUE(graphs[g]["layers"][0]["underflow"].is_null()) << g;
    EXPECT_TRUE(graphs[g]["layers"][0]["overflow"].is_null()) << g;
    EXPECT_EQ(graphs[g]["layers"][0]["missing"], 0) << g;
  }
}

TEST_F(Render_Density, PixelsAndSvgPicture) {
  Write("s.ini", Density_Setup);
  Write("d.dat", Density_Data);
  ASSERT_EQ(Run("-s 600x400 -f bmp -o out -r report.json s.ini d.dat").Status, 0);
  const Json j = Json::parse(Read("report.json"));
  const Json& d = j["pages"][0]["graphs"][0];
  const Bmp bmp = Read_Bmp("out/d.01.bmp");
  ASSERT_EQ(bmp.Width, 600);
  // The plot area 0..10 on both axes: (4, 4) holds 3 points (white), (2, 8) one (black on
  // the linear gray map, whose entry 0 is black).
  const int left = d["plot"]["left"], right = d["plot"]["right"];
  const int top = d["plot"]["top"], bottom = d["plot"]["bottom"];
  auto px = [&](double v) { return left + static_cast<int>(std::lround(v * (right - left) / 10)); };
  auto py = [&](double v) { return bottom - static_cast<int>(std::lround(v * (bottom - top) / 10)); };
  EXPECT_EQ(bmp.At(px(4), py(4)), 0xFFFFFFu);
  EXPECT_EQ(bmp.At(px(2), py(8)), 0x000000u);
  // The SVG page keeps the density layer as a picture of the plot area at the default limit.
  ASSERT_EQ(Run("-s 600x400 -f svg -o out s.ini d.dat").Status, 0);
  const std::string svg = Read("out/d.01.svg");
  const std::regex image_re("<image x=\"(\\d+)\" y=\"(\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\"");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, image_re));
  EXPECT_EQ(std::stoi(m[1]), left);
  EXPECT_EQ(std::stoi(m[2]), top);
  EXPECT_EQ(std::stoi(m[3]), right - left + 1);
  EXPECT_EQ(std::stoi(m[4]), bottom - top + 1);
}

}  // namespace
}  // namespace pw::test
