// The histogram graph: bins, automatic limits, the statistics line and the bars.
#include "graphs/d_histgraph.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include <unistd.h>

#include "base/D_Error.h"
#include "graph_test_util.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/D_Math.h"
#include "draw/d_draw.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

// Column V (2 decimals, title "value") and W, selector @S; the graph section is [G].
const char* const Data_File_Def = "[DataFile]\nV=1 2.2 value\nW=2 1.1 other\n@S=3\n";

// Setup and data in temporary files, read and loaded; a canvas current while it lives.
class Hist_Fixture : public graph_test::Loaded_Graph<TC_Hist_Graph> {
 public:
  Hist_Fixture(const std::string& graph_keys, const std::string& data_lines, int width = 200,
               int height = 150)
      : Loaded_Graph(Data_File_Def, graph_keys, data_lines, width, height, true) {}

  std::uint32_t Pixel(int x, int y) const { return canvas_.Image.Pixel(x, y); }
  const TC_Bitmap& Image() const { return canvas_.Image; }
};

std::string Lines(int count, const std::string& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line + "\n";
  return text;
}

std::string Ramp(int count) {
  std::ostringstream text;
  for (int i = 0; i < count; ++i) text << i << " 1 A\n";
  return text.str();
}

// --- Reading ---

struct Bins_Case {
  const char* keys;
  int bins;
  long double dx;
};

TEST(HistGraph, ReadsBinsDxAndLeftIn) {
  const Bins_Case cases[] = {
      {"Bins=12\ndx=3\n", 12, 0},    // dx is read only while Bins is 0
      {"Bins=300\ndx=3\n", 256, 0},  // clamped to the accumulator's capacity
      {"Bins=0\ndx=0.5\n", 0, 0.5L}, {"Bins=-4\ndx=2\n", 0, 2},  // below 1: automatic, dx read
      {"dx=2.5\n", 0, 2.5L},
  };
  for (const Bins_Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Hist_Fixture f(std::string("x=V\n") + c.keys, "1 1 A\n");
    EXPECT_EQ(f.Graph().Bins, c.bins);
    EXPECT_EQ(f.Graph().dx, c.dx);
    EXPECT_FALSE(f.Graph().LeftIn);
  }
  Hist_Fixture f("x=V\nLeftIn=yes\n", "1 1 A\n");
  EXPECT_TRUE(f.Graph().LeftIn);
  EXPECT_EQ(f.Graph().Layer_Count(), 1);
  EXPECT_EQ(f.Graph().Hist_Layer(1).X_Col, 1);
}

// --- X limits and bins ---

TEST(HistGraph, AutomaticBinsFromPointCountAndCellWidth) {
  // sqrt(100) = 10, 300 / 10 >= 6: 10 bins. sqrt(10000) = 100, halved to 50.
  const int points[] = {100, 10000};
  const int bins[] = {10, 50};
  for (int k = 0; k < 2; ++k) {
    Hist_Fixture f("x=V\n", Ramp(points[k]), 301, 200);
    f.Graph().Find_X_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().Bins, bins[k]) << points[k] << " points";
  }
}

TEST(HistGraph, AutomaticBinsStayWithin2And256) {
  Hist_Fixture few("x=V\n", Ramp(2), 301, 200);  // sqrt 2 -> nice 2
  few.Graph().Find_X_Limits(few.Buffer());
  EXPECT_EQ(few.Graph().Bins, 2);
  Hist_Fixture narrow("x=V\n", Ramp(100), 6, 200);  // halved down to below one bin
  narrow.Graph().Find_X_Limits(narrow.Buffer());
  EXPECT_EQ(narrow.Graph().Bins, 2);
}

TEST(HistGraph, BinsFromDx) {
  struct Case {
    const char* keys;
    int bins;
    long double dx, xhi;
  } cases[] = {
      {"xlo=0\nxhi=10\ndx=0.5\n", 20, 0.5L, 10},
      {"xlo=0\nxhi=1000\ndx=0.5\n", 250, 4, 1000},  // 2000 halved three times
      {"xlo=0\nxhi=1\ndx=3\n", 2, 3, 6},            // dx beyond the range: 2 bins
      {"xlo=0\nxhi=10\ndx=3\n", 3, 3, 9},           // 3.33 rounds to 3; the range follows
      // 2^100 / 2^-40 = 2^140 bins, beyond any 64-bit count, halved 132 times.
      {"xlo=0\nxhi=1267650600228229401496703205376\ndx=9.094947017729282379150390625e-13\n",
       256, 0x1p92L, 0x1p100L},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Hist_Fixture f(std::string("x=V\n") + c.keys, "1 1 A\n");
    f.Graph().Find_X_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().Bins, c.bins);
    EXPECT_EQ(f.Graph().dx, c.dx);
    EXPECT_EQ(f.Graph().XLo, 0);
    EXPECT_EQ(f.Graph().XHi, c.xhi);
  }
}

// Constant columns spread to a range far wider than the bin width asked for (more bins than
// any 64-bit count): halved like any other count, with every value in the bars.
TEST(HistGraph, BinsFromDxFarBelowTheRange) {
  struct Case {
    const char *keys, *data;
    long double yhi;
  } cases[] = {
      {"dx=0.5\n", "1e300 1 A\n1e300 1 A\n", 2.5L},
      {"dx=0.5\n", "-1e4000 1 A\n", 1.2L},
      {"dx=1e-300\n", "1e19 1 A\n", 1.2L},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Hist_Fixture f(std::string("x=V\n") + c.keys, c.data);
    f.Graph().Find_X_Limits(f.Buffer());
    EXPECT_GT(f.Graph().Bins, 128);
    EXPECT_LE(f.Graph().Bins, 256);
    const long double v = f.Buffer().Raw_Value(1, 1);
    EXPECT_LE(f.Graph().XLo, v);
    EXPECT_GT(f.Graph().XHi, v);
    f.Graph().Find_Y_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().YHi, c.yhi);
  }
}

TEST(HistGraph, AutomaticXLimits) {
  struct Case {
    const char* keys;
    const char* data;
    long double lo, hi;
  } cases[] = {
      {"", "7.6 1 A\n7.6 1 A\n", 7, 8},  // one distinct value: spread to a unit
      {"", "-2.5 1 A\n", -3, -2},        // the unit that holds the value
      {"", "0.3 1 A\n7.2 1 A\n", 0, 8},  // rounded outwards
      // The range of a column is taken at double precision.
      {"RoundX=0\n", "0.3 1 A\n7.2 1 A\n", 0.3, 7.2},
      {"", "? 1 A\n", 0, 1},                           // no value at all
      // No value under limits given equal or the wrong way round: spread from the lower one.
      {"xlo=5\nxhi=5\n", "? 1 A\n", 5, 6},
      {"xlo=15\nxhi=5\n", "? 1 A\n", 15, 16},
      {"xlo=-2.5\nxhi=-7\nRoundX=0\n", "? 1 A\n", -3, -2},
      {"xlo=15\nxhi=5\n", "0.3 1 A\n7.2 1 A\n", 0, 8},  // values: found from them
      {"xlo=2\nxhi=4\n", "0.3 1 A\n7.2 1 A\n", 2, 4},  // given limits stay
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Hist_Fixture f(std::string("x=V\n") + c.keys, c.data);
    f.Graph().Find_X_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().XLo, c.lo);
    EXPECT_EQ(f.Graph().XHi, c.hi);
  }
}

TEST(HistGraph, MoreThanOneLayerNeedsGivenXLimits) {
  const std::string keys = "x=V\nLayers=a b\n";
  Hist_Fixture f(keys, "1 1 A\n2 1 B\n");
  try {
    f.Draw();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "More than 1 Hist layer");
    EXPECT_FALSE(e.Fatal());
  }
  Hist_Fixture given(keys + "xlo=0\nxhi=4\n", "1 1 A\n2 1 B\n");
  EXPECT_NO_THROW(given.Draw());
}

// --- Y limits ---

TEST(HistGraph, YLimitFromTallestBarWithHeadroom) {
  struct Case {
    const char* keys;
    std::string data;
    long double ylo, yhi;
  } cases[] = {
      {"", Lines(49, "1 1 A") + "5 1 A\n", 0, 50},  // 49 * 1.02 = 49.98 -> 50
      {"", Lines(3, "1 1 A"), 0, 4},                // 3.06 -> 4
      {"", "? 1 A\n", 0, 1},                        // nothing counted
      {"ylo=-1\nyhi=100\n", "1 1 A\n", 0, 1.2L},    // negative ylo ignored: 1.02 -> 1.2
      {"ylo=0\nyhi=20\n", "1 1 A\n", 0, 20},        // given limits stay
      {"ylo=5\nyhi=5\n", "1 1 A\n", 0, 1.2L},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Hist_Fixture f(std::string("x=V\nxlo=0\nxhi=10\nBins=5\n") + c.keys, c.data);
    f.Graph().Find_X_Limits(f.Buffer());
    f.Graph().Find_Y_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().YLo, c.ylo);
    EXPECT_EQ(f.Graph().YHi, c.yhi);
  }
}

TEST(HistGraph, YLimitOverAllLayers) {
  Hist_Fixture f(
      "x=V\nxlo=0\nxhi=10\nBins=5\nLayers=a b\n[G/a]\nKey1=@S A\n"
      "[G/b]\nKey1=@S B\n",
      Lines(2, "1 1 A") + Lines(7, "3 1 B"));
  f.Graph().Find_X_Limits(f.Buffer());
  f.Graph().Find_Y_Limits(f.Buffer());
  EXPECT_EQ(f.Graph().YHi, 8);  // the second layer's 7: 7.14 -> 8
}

// --- Statistics line ---

TEST(HistGraph, StatisticsLine) {
  struct Case {
    const char* data;
    const char* line;
  } cases[] = {
      {"10 1 A\n12 1 A\n14 1 A\n", "N=3  m=12  s=2  mn=10  mx=14"},
      {"10 1 A\n12.5 1 A\n14.5 1 A\n", "N=3  m=12.33  s=2.25  mn=10  mx=14.5"},
      {"12.5 1 A\n? 1 A\n", "N=1  m=12.5  s=0  mn=12.5  mx=12.5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Hist_Fixture f("x=V\n", c.data);
    f.Draw();
    EXPECT_EQ(f.Graph().Stat_Line, c.line);
    EXPECT_EQ(f.Graph().X_Title, "value");
  }
}

// 250 values, mean 12.3492, deviation 0.5015, 2 decimals: the line users see most.
TEST(HistGraph, StatisticsLineOfTwoHundredFiftyPoints) {
  Hist_Fixture f("x=V\n", "10 1 A\n14.5 1 A\n" + Lines(124, "11.89 1 A") + Lines(124, "12.81 1 A"));
  f.Draw();
  EXPECT_EQ(f.Graph().Stat_Line, "N=250  m=12.35  s=0.5  mn=10  mx=14.5");
}

TEST(HistGraph, StatisticsOfTheFirstLayerOnly) {
  Hist_Fixture f("x=V\nxlo=0\nxhi=20\nLayers=a b\n[G/a]\nKey1=@S A\n[G/b]\nx=W\n",
                 "10 1 A\n14 1 A\n3 1 B\n");
  f.Draw();
  EXPECT_EQ(f.Graph().Stat_Line, "N=2  m=12  s=2.83  mn=10  mx=14");
}

TEST(HistGraph, NoValueLeavesTheStatisticsLineAsItWas) {
  Hist_Fixture f("x=V\nxlo=0\nxhi=10\n", "? 1 A\n");
  f.Draw();
  EXPECT_EQ(f.Graph().Stat_Line, "");
  f.Graph().Stat_Line = "N=5  m=1  s=0  mn=1  mx=1";
  f.Draw();
  EXPECT_EQ(f.Graph().Stat_Line, "N=5  m=1  s=0  mn=1  mx=1");
}

TEST(HistGraph, ParamsFalseGivesNoLineAndNoRoom) {
  Hist_Fixture with("x=V\nCaption=cap\n", "1 1 A\n2 1 A\n");
  Hist_Fixture without("x=V\nCaption=cap\nParams=false\n", "1 1 A\n2 1 A\n");
  with.Draw();
  without.Draw();
  EXPECT_EQ(without.Graph().Stat_Line, "");
  EXPECT_EQ(without.Graph().X_Title, "cap");
  const int th = [] {
    TC_Canvas c;
    c.Image.Set_Size(10, 10);
    TC_Canvas* keep = Cur_Image;
    Cur_Image = &c;
    const int h = Text_Height("0");
    Cur_Image = keep;
    return h;
  }();
  // Heights are even: the top may move down by one pixel, so compare the sum.
  EXPECT_NEAR(without.Graph().Plot_Bottom - with.Graph().Plot_Bottom, th + 2, 1);
}

// --- Bars ---

// 4 bins over 0..8, Y 0..4; counts 2, 0, 4 (taller than the axis: 6), 1.
const char* const Bar_Data = "1 1 A\n1.5 1 A\n5 1 A\n5 1 A\n5 1 A\n5 1 A\n5 1 A\n5 1 A\n7 1 A\n";

TEST(HistGraph, BarsWhereTheArithmeticPutsThem) {
  Hist_Fixture f("x=V\nxlo=0\nxhi=8\nylo=0\nyhi=4\nBins=4\nColor=FF0000\nFill=1\n", Bar_Data);
  f.Draw();
  const TC_Hist_Graph& g = f.Graph();
  const std::uint32_t red = Color_To_Pixel(0x0000FF);
  const int counts[] = {2, 0, 6, 1};
  int left = g.Plot_Left;
  for (int j = 1; j <= 4; ++j) {
    SCOPED_TRACE(j);
    const int right = g.Plot_Left + static_cast<int>(Round_Even_Int(j * 2 / g.X_Scale));
    int top = g.Plot_Bottom - static_cast<int>(Round_Even_Int(counts[j - 1] / g.Y_Scale));
    if (top < g.Plot_Top) top = g.Plot_Top - 1;
    const int mid = (left + right) / 2;
    EXPECT_EQ(f.Pixel(mid, g.Plot_Bottom), red);                // the bottom edge over the frame
    EXPECT_EQ(f.Pixel(mid, top), red);                          // the top edge
    EXPECT_EQ(f.Pixel(right, (top + g.Plot_Bottom) / 2), red);  // the right edge
    if (top < g.Plot_Bottom - 1) {
      EXPECT_EQ(f.Pixel(mid, top + 1), red);  // solid inside
    }
    EXPECT_NE(f.Pixel(mid, top - 1), red);  // nothing above the bar
    left = right;
  }
  // The tall bar is cut one pixel above the frame.
  const int x3 = g.Plot_Left + static_cast<int>(Round_Even_Int(5 / g.X_Scale));
  EXPECT_EQ(f.Pixel(x3, g.Plot_Top - 1), red);
  EXPECT_NE(f.Pixel(x3, g.Plot_Top - 2), red);
}

// The same bars against pixel numbers worked out by hand, so that a wrong scale cannot agree
// with itself. Only the font is measured; the canvas is then sized so that the plot area is
// exactly 400 x 200 pixels: X 0..8 gives 50 pixels a unit (100 a bar), Y 0..4 gives 50 pixels
// a count.
TEST(HistGraph, BarsAtHandComputedPixels) {
  // The frame's layout: Y labels 0..4 (steps of 1 for a span of 4), one "0" of margin each
  // side, half a text height above, the X labels and the X title ("value") below, no
  // statistics line (Params=no) and no Y title (a histogram has none).
  TC_Canvas probe;
  probe.Image.Set_Size(10, 10);
  TC_Canvas* const previous = Cur_Image;
  Cur_Image = &probe;
  const int th = Text_Height("0");
  const int tw = Text_Width("0");
  int wy = 0;
  for (const char* label : {"0", "1", "2", "3", "4"}) wy = std::max(wy, Text_Width(label));
  Cur_Image = previous;
  const int plot_left = wy + tw;
  const int plot_top = th / 2;
  // Plot_Right = width - 1 - tw and Plot_Bottom = height - 1 - 2 * (th + 2) must lie 400 and
  // 200 pixels from Plot_Left and Plot_Top.
  const int width = plot_left + 400 + tw + 1;
  const int height = plot_top + 200 + 2 * (th + 2) + 1;
  Hist_Fixture f("x=V\nxlo=0\nxhi=8\nylo=0\nyhi=4\nBins=4\nParams=no\nColor=FF0000\nFill=1\n",
                 Bar_Data, width, height);
  f.Draw();
  const TC_Hist_Graph& g = f.Graph();
  ASSERT_EQ(g.Plot_Left, plot_left);
  ASSERT_EQ(g.Plot_Right, plot_left + 400);
  ASSERT_EQ(g.Plot_Top, plot_top);
  ASSERT_EQ(g.Plot_Bottom, plot_top + 200);
  const int l = plot_left, b = plot_top + 200;
  const std::uint32_t red = Color_To_Pixel(0x0000FF);
  struct Probe {
    int x, y;
    bool red;
  };
  // Counts 2, 0, 6, 1 in the bins [0,2) [2,4) [4,6) [6,8].
  const Probe probes[] = {
      {l, b - 50, true},          // left edge of bar 1
      {l + 50, b - 100, true},    // top of bar 1: 2 counts, 100 pixels
      {l + 50, b - 101, false},   // nothing above it
      {l + 100, b - 60, true},    // the edge bars 1 and 2 share
      {l + 150, b, true},         // bar 2: empty, a flat box on the bottom line
      {l + 150, b - 1, false},    //
      {l + 200, b - 150, true},   // left edge of bar 3
      {l + 250, b - 201, true},   // bar 3: 6 counts, cut one pixel above the frame
      {l + 250, b - 202, false},  //
      {l + 300, b - 40, true},    // the edge bars 3 and 4 share
      {l + 350, b - 50, true},    // top of bar 4: 1 count, 50 pixels
      {l + 350, b - 51, false},   //
      {l + 400, b - 25, true},    // right edge of bar 4, on the frame
      {l + 401, b - 25, false},   // nothing right of the plot area
  };
  for (const Probe& p : probes) {
    SCOPED_TRACE(testing::Message() << "x=" << p.x - l << " y=" << b - p.y);
    if (p.red) {
      EXPECT_EQ(f.Pixel(p.x, p.y), red);
    } else {
      EXPECT_NE(f.Pixel(p.x, p.y), red);
    }
  }
}

TEST(HistGraph, EmptyBinIsAFlatBoxOnTheBottomLine) {
  Hist_Fixture f("x=V\nxlo=0\nxhi=8\nylo=0\nyhi=4\nBins=4\nColor=FF0000\nFill=1\n", Bar_Data);
  f.Draw();
  const TC_Hist_Graph& g = f.Graph();
  const int mid = g.Plot_Left + static_cast<int>(Round_Even_Int(3 / g.X_Scale));
  EXPECT_EQ(f.Pixel(mid, g.Plot_Bottom), Color_To_Pixel(0x0000FF));
  EXPECT_NE(f.Pixel(mid, g.Plot_Bottom - 1), Color_To_Pixel(0x0000FF));
}

TEST(HistGraph, FillOutsideTheKindsIsAnOutline) {
  const std::string keys = "x=V\nxlo=0\nxhi=8\nylo=0\nyhi=4\nBins=4\nColor=FF0000\n";
  Hist_Fixture outline(keys + "Fill=0\n", Bar_Data);
  Hist_Fixture nine(keys + "Fill=9\n", Bar_Data);
  Hist_Fixture negative(keys + "Fill=-3\n", Bar_Data);
  outline.Draw();
  nine.Draw();
  negative.Draw();
  const int w = outline.Image().Width(), h = outline.Image().Height();
  int differences = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      differences += outline.Pixel(x, y) != nine.Pixel(x, y);
      differences += outline.Pixel(x, y) != negative.Pixel(x, y);
    }
  }
  EXPECT_EQ(differences, 0);
  const TC_Hist_Graph& g = outline.Graph();
  const int mid = g.Plot_Left + static_cast<int>(Round_Even_Int(1 / g.X_Scale));
  EXPECT_NE(outline.Pixel(mid, g.Plot_Bottom - 2), Color_To_Pixel(0x0000FF));
}

TEST(HistGraph, GivenYLowAboveZeroMovesTheBarsWithTheAxis) {
  // Y 2..6: a count of 4 ends on the pixel of the value 4; a count of 1 stays flat.
  Hist_Fixture f("x=V\nxlo=0\nxhi=8\nylo=2\nyhi=6\nBins=2\nColor=FF0000\nFill=1\n",
                 "1 1 A\n1 1 A\n1 1 A\n1 1 A\n5 1 A\n");
  f.Draw();
  const TC_Hist_Graph& g = f.Graph();
  const int top = static_cast<int>(g.Pixel_Y(4));
  const int mid = (g.Plot_Left + g.Plot_Right) / 4;
  EXPECT_EQ(f.Pixel(mid, top), Color_To_Pixel(0x0000FF));
  EXPECT_NE(f.Pixel(mid, top - 1), Color_To_Pixel(0x0000FF));
  const int mid2 = (g.Plot_Left + 3 * g.Plot_Right) / 4;
  EXPECT_EQ(f.Pixel(mid2, g.Plot_Bottom), Color_To_Pixel(0x0000FF));
  EXPECT_NE(f.Pixel(mid2, g.Plot_Bottom - 1), Color_To_Pixel(0x0000FF));
  EXPECT_NE(f.Pixel(mid2, g.Plot_Bottom + 1), Color_To_Pixel(0x0000FF));
}

TEST(HistGraph, TooSmallCellDrawsNoBars) {
  Hist_Fixture f("x=V\nColor=FF0000\nFill=1\n", "1 1 A\n2 1 A\n", 8, 8);
  EXPECT_NO_THROW(f.Draw());
  int red = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) red += f.Pixel(x, y) == Color_To_Pixel(0x0000FF);
  }
  EXPECT_EQ(red, 0);
}

TEST(HistGraph, LimitsAndBinsStayForLaterDrawings) {
  Hist_Fixture f("x=V\n", Ramp(100), 301, 200);
  f.Draw();
  const long double xlo = f.Graph().XLo, xhi = f.Graph().XHi, yhi = f.Graph().YHi;
  const int bins = f.Graph().Bins;
  f.Draw();
  EXPECT_EQ(f.Graph().XLo, xlo);
  EXPECT_EQ(f.Graph().XHi, xhi);
  EXPECT_EQ(f.Graph().YHi, yhi);
  EXPECT_EQ(f.Graph().Bins, bins);
  EXPECT_EQ(f.Graph().XLo, 0);
  EXPECT_EQ(f.Graph().XHi, 100);
  EXPECT_EQ(bins, 10);
  EXPECT_EQ(f.Graph().YHi, 12);  // 10 per bin, 10.2 -> 12
}

}  // namespace
}  // namespace pw
