#include <ostream>
#include "graphs/d_graph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "graphs/graph_test_util.h"

namespace pw {
namespace {

using graph_test::Temp_Setup;
using graph_test::Test_Canvas;

// A graph kind with fixed limits whose layers draw nothing; it logs the calls Draw_All makes.
class Fixed_Graph : public TC_Graph {
 public:
  Fixed_Graph() : TC_Graph(0, 0, 0, 0) {}

  void Find_X_Limits(TC_Data_Buffer&) override {
    calls.push_back("X");
    XLo = x_lo;
    XHi = x_hi;
  }
  void Find_Y_Limits(TC_Data_Buffer&) override {
    calls.push_back("Y");
    YLo = y_lo;
    YHi = y_hi;
  }
  void Draw_Frame(TC_Data_Buffer& buffer) override {
    calls.push_back("F");
    TC_Graph::Draw_Frame(buffer);
  }
  void Draw(int layer, TC_Data_Buffer&) override { calls.push_back("D" + std::to_string(layer)); }
  std::unique_ptr<TC_Graph_Layer> Create_Layer() override {
    return std::make_unique<TC_Hist_Layer>();
  }
  const char* Kind_Name() const override { return "fixed"; }

  long double x_lo = 0, x_hi = 1, y_lo = 0, y_hi = 1;
  std::vector<std::string> calls;
};

// A graph kind that keeps the base Create_Layer and Draw.
class Bare_Graph : public TC_Graph {
 public:
  Bare_Graph() : TC_Graph(0, 0, 0, 0) {}
  const char* Kind_Name() const override { return "bare"; }
};

std::string Join(const std::vector<std::string>& items) {
  std::string s;
  for (const auto& item : items) s += (s.empty() ? "" : " ") + item;
  return s;
}

// ---------------------------------------------------------------------------------------------
// Ticks and labels

struct Tick_Case {
  const char* name;
  bool logarithmic;
  long double lo, hi, factor;
  std::vector<std::string> labels;
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Tick_Case& c, std::ostream* os) { *os << c.name; }

class Make_Ticks_Test : public testing::TestWithParam<Tick_Case> {};

TEST_P(Make_Ticks_Test, LabelsOfTheTicks) {
  const Tick_Case& c = GetParam();
  std::vector<std::string> labels;
  long double previous = -std::numeric_limits<long double>::infinity();
  for (long double v : TC_Graph::Make_Ticks(c.logarithmic, c.lo, c.hi, c.factor)) {
    EXPECT_GT(v, previous);  // increasing
    previous = v;
    labels.push_back(TC_Graph::Format_Tick(c.logarithmic, v));
  }
  EXPECT_EQ(Join(labels), Join(c.labels));
}

INSTANTIATE_TEST_SUITE_P(
    GraphBase, Make_Ticks_Test,
    testing::Values(
        Tick_Case{"Linear0To1", false, 0, 1, 1, {"0", ".2", ".4", ".6", ".8", "1"}},
        Tick_Case{"LinearSymmetric", false, -0.5L, 0.5L, 1, {"-.4", "-.2", "0", ".2", ".4"}},
        Tick_Case{
            "Linear0To4", false, 0, 4, 1, {"0", ".5", "1", "1.5", "2", "2.5", "3", "3.5", "4"}},
        Tick_Case{"Linear0To4Sparser", false, 0, 4, 1.5L, {"0", "1", "2", "3", "4"}},
        Tick_Case{"Linear0To1Factor15", false, 0, 1, 1.5L, {"0", ".2", ".4", ".6", ".8", "1"}},
        Tick_Case{"LinearLarge", false, 10000, 30000, 1, {"1E4", "1.5E4", "2E4", "2.5E4", "3E4"}},
        Tick_Case{"LinearOffset", false, 3.7L, 9.1L, 1, {"4", "5", "6", "7", "8", "9"}},
        Tick_Case{"LinearEmptyRange", false, 2, 2, 1, {}},
        Tick_Case{"LinearReversed", false, 3, 1, 1, {}},
        // Limits at either end of the extended range: the first candidate, one step below the
        // lower limit, would overflow there.
        Tick_Case{"LinearAtLargestExtended",
                  false,
                  std::numeric_limits<long double>::max() * 0.99L,
                  std::numeric_limits<long double>::max(),
                  1,
                  {"1.178E4932", "1.18E4932", "1.182E4932", "1.184E4932", "1.186E4932",
                   "1.188E4932"}},
        Tick_Case{"LinearAtLowestExtended",
                  false,
                  -std::numeric_limits<long double>::max(),
                  -std::numeric_limits<long double>::max() * 0.99L,
                  1,
                  {"-1.188E4932", "-1.186E4932", "-1.184E4932", "-1.182E4932", "-1.18E4932",
                   "-1.178E4932"}},
        // Limits farther apart than the largest extended number.
        Tick_Case{"LinearWiderThanExtended",
                  false,
                  -1E4932L,
                  1E4932L,
                  1,
                  {"-1E4932", "-5E4931", "0", "5E4931", "1E4932"}},
        Tick_Case{"LinearWiderThanExtendedSparser",
                  false,
                  -std::numeric_limits<long double>::max(),
                  std::numeric_limits<long double>::max(),
                  1.5L,
                  {"-1E4932", "-5E4931", "0", "5E4931", "1E4932"}},
        Tick_Case{"LinearHalfBeyondExtended",
                  false,
                  -3E4931L,
                  1.1E4932L,
                  1,
                  {"-2E4931", "0", "2E4931", "4E4931", "6E4931", "8E4931", "1E4932"}},
        Tick_Case{"Log0To3", true, 0, 3, 1, {"1", "10", "100", "1000"}},
        Tick_Case{"Log0To2", true, 0, 2, 1, {"1", "2", "5", "10", "20", "50", "100"}},
        Tick_Case{"Log0To1", true, 0, 1, 1, {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}},
        Tick_Case{"LogHalfDecade", true, 0, 0.5L, 1, {"1", "1.2", "1.5", "2", "2.5", "3"}},
        Tick_Case{"LogWideEvenStep",
                  true,
                  0,
                  25,
                  1,
                  {"1", "1000", "1E6", "1E9", "1E12", "1E15", "1E18", "1E21", "1E24"}},
        Tick_Case{"LogOddStepMadeEven",
                  true,
                  0,
                  40,
                  1,
                  {"1", "1E6", "1E12", "1E18", "1E24", "1E30", "1E36"}},
        Tick_Case{"LogNegative", true, -2, 0, 1, {".01", ".02", ".05", ".1", ".2", ".5", "1"}}),
    [](const testing::TestParamInfo<Tick_Case>& info) { return std::string(info.param.name); });

TEST(GraphBase, TickNearZeroIsExactlyZero) {
  const auto ticks = TC_Graph::Make_Ticks(false, -0.5L, 0.5L, 1);
  ASSERT_EQ(ticks.size(), 5u);
  EXPECT_EQ(ticks[2], 0.0L);
  EXPECT_FALSE(std::signbit(ticks[2]));
}

TEST(GraphBase, TicksOfLimitsThatAreNoNumbers) {
  EXPECT_TRUE(TC_Graph::Make_Ticks(false, NAN, 1, 1).empty());
  EXPECT_TRUE(TC_Graph::Make_Ticks(true, 0, INFINITY, 1).empty());
}

TEST(GraphBase, FormatTick) {
  EXPECT_EQ(TC_Graph::Format_Tick(false, 20000), "2E4");
  EXPECT_EQ(TC_Graph::Format_Tick(false, 12500), "1.25E4");
  EXPECT_EQ(TC_Graph::Format_Tick(false, 0.5L), ".5");
  EXPECT_EQ(TC_Graph::Format_Tick(false, -0.25L), "-.25");
  EXPECT_EQ(TC_Graph::Format_Tick(false, 0), "0");
  EXPECT_EQ(TC_Graph::Format_Tick(true, 4), "1E4");
  EXPECT_LE(TC_Graph::Format_Tick(false, -1.23456789012e-300L).size(), 20u);
}

// Decades past either end of the extended numbers (about 1.19E4932 and, with all digits,
// 3.4E-4932): the label still names the tick's value.
TEST(GraphBase, FormatTickOfDecadesBeyondTheExtendedRange) {
  struct Case {
    long double decade;
    const char* label;
  } cases[] = {
      {4931, "1E4931"},
      {4932, "1E4932"},
      {4932 + std::log10(2.0L), "2E4932"},
      {4933, "1E4933"},
      {4932 + std::log10(9.0L), "9E4932"},
      {-4931, "1E-4931"},
      {-4932 + std::log10(5.0L), "5E-4932"},
      {-4950 + std::log10(1.2L), "1.2E-4950"},
      {-4951, "1E-4951"},
      {-5000, "1E-5000"},
      {4999 + std::log10(9.99999999999999L), "1E5000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TC_Graph::Format_Tick(true, c.decade), c.label) << static_cast<double>(c.decade);
  }
}

// ---------------------------------------------------------------------------------------------
// Setup

constexpr const char* Data_Def = "[DataFile]\nHeight=1 1.0\nWeight=2 1.0\n@Sex=3\n";

struct Setup_Fixture : testing::Test {
  void TearDown() override { Ignore_Limits = false; }
};
using GraphSetup = Setup_Fixture;

TEST_F(GraphSetup, ReadsEveryKey) {
  Temp_Setup file(std::string(Data_Def) +
                  "[Pages]\nx=Height\nGrid=no\n"
                  "[P]\nxlo=1.5\nxhi=2.5\n"
                  "[P/G]\nylo=-3\nyhi=7\nlogx=y\nlogy=1\nCaption=My graph\nParams=n\n"
                  "RoundX=f\nRoundY=0\nBgColor=navy\nGridColor=FF0000\nFrameColor=White\n"
                  "Layers=A  B\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"Pages", "P", "P/G"}, def);
  EXPECT_EQ(g.XLo, 1.5L);
  EXPECT_EQ(g.XHi, 2.5L);
  EXPECT_EQ(g.YLo, -3.0L);
  EXPECT_EQ(g.YHi, 7.0L);
  EXPECT_TRUE(g.LogX);
  EXPECT_TRUE(g.LogY);
  EXPECT_EQ(g.Caption, "My graph");
  EXPECT_FALSE(g.Params);
  EXPECT_FALSE(g.RoundX);
  EXPECT_FALSE(g.RoundY);
  EXPECT_EQ(g.BgColor, 0x800000);
  EXPECT_EQ(g.GridColor, 0x0000FF);
  EXPECT_EQ(g.FrameColor, 0xFFFFFF);
  EXPECT_FALSE(g.Grid);
  EXPECT_EQ(g.Section(), "P/G");
  ASSERT_EQ(g.Layer_Count(), 2);
  EXPECT_EQ(g.Layer(1).Section(), "P/G/A");
  EXPECT_EQ(g.Layer(2).Section(), "P/G/B");
  EXPECT_EQ(dynamic_cast<TC_Hist_Layer&>(g.Layer(2)).X_Col, 1);
}

TEST_F(GraphSetup, DefaultsWithoutKeys) {
  Temp_Setup file(std::string(Data_Def) + "[P/G]\nx=Weight\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"Pages", "P", "P/G"}, def);
  EXPECT_EQ(g.XLo, 0.0L);
  EXPECT_EQ(g.XHi, 0.0L);
  EXPECT_FALSE(g.LogX);
  EXPECT_TRUE(g.Params);
  EXPECT_TRUE(g.RoundX);
  EXPECT_TRUE(g.RoundY);
  EXPECT_TRUE(g.Grid);
  EXPECT_EQ(g.BgColor, 0);
  EXPECT_EQ(g.FrameColor, 0x666666);
  EXPECT_EQ(g.GridColor, 0x282828);
  EXPECT_EQ(g.Caption, "");
}

TEST_F(GraphSetup, BadColourKeepsTheDefault) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nBgColor=clRed\nFrameColor=\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"G"}, def);
  EXPECT_EQ(g.BgColor, 0);
  EXPECT_EQ(g.FrameColor, 0x666666);
}

TEST_F(GraphSetup, IgnoreLimitsSkipsTheLimitKeys) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nxlo=1\nxhi=2\nylo=3\nyhi=4\nlogy=y\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Ignore_Limits = true;
  Fixed_Graph g;
  g.Read_Setup(ini, {"G"}, def);
  EXPECT_EQ(g.XLo, 0.0L);
  EXPECT_EQ(g.XHi, 0.0L);
  EXPECT_EQ(g.YLo, 0.0L);
  EXPECT_EQ(g.YHi, 0.0L);
  EXPECT_TRUE(g.LogY);
}

TEST_F(GraphSetup, NoLayersKeyGivesOneLayerInTheGraphSectionWithSlash) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nColor=Red\n[G/]\nColor=Blue\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"Pages", "G"}, def);
  ASSERT_EQ(g.Layer_Count(), 1);
  EXPECT_EQ(g.Layer(1).Section(), "G/");
  EXPECT_EQ(g.Layer(1).Color, 0xFF0000);  // Blue, from the layer's own section
}

TEST_F(GraphSetup, AtMost32Layers) {
  std::string names;
  for (int i = 1; i <= 33; ++i) names += " L" + std::to_string(i);
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nLayers=" + names + "\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"G"}, def);
  ASSERT_EQ(g.Layer_Count(), 32);
  EXPECT_EQ(g.Layer(32).Section(), "G/L32");
}

TEST_F(GraphSetup, LayerErrorStopsButKeepsTheLayersMade) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nLayers=A B C\n[G/B]\nColor=pink\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  try {
    g.Read_Setup(ini, {"G"}, def);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Wrong Color definition in [G/B]: pink");
    EXPECT_FALSE(e.Fatal());
  }
  EXPECT_EQ(g.Layer_Count(), 2);
}

TEST_F(GraphSetup, BadBooleanPassesThroughAndEarlierKeysStay) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nxlo=5\nlogx=y\nParams=on\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  try {
    g.Read_Setup(ini, {"G"}, def);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Bad Boolean constant: on");
  }
  EXPECT_EQ(g.XLo, 5.0L);
  EXPECT_TRUE(g.LogX);
  EXPECT_EQ(g.Layer_Count(), 0);
}

TEST(GraphBase, BaseOperationsRaise) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  TC_Data_Buffer buffer;
  Bare_Graph g;
  try {
    g.Read_Setup(ini, {"G"}, def);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Base Create_Layer() called!");
    EXPECT_FALSE(e.Fatal());
  }
  try {
    g.Draw(1, buffer);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Base Draw() called");
    EXPECT_FALSE(e.Fatal());
  }
  std::string text = "old";
  g.Point_Info(1, 1, text, buffer);
  EXPECT_EQ(text, "");
}

// ---------------------------------------------------------------------------------------------
// Plot area, pixels and labels

class GraphFrame : public testing::Test {
 protected:
  GraphFrame() : canvas_(400, 300) {
    th_ = Text_Height("0");
    tw_ = Text_Width("0");
  }
  // Draws a graph with limits 0..1 on both axes in the cell (20..380, 20..280).
  void Draw(Fixed_Graph& g, int left = 20, int right = 380, int top = 20, int bottom = 280) {
    g.Set_Cell(left, right, top, bottom);
    g.Draw_All(buffer_);
  }
  int Widest_Y_Label(const Fixed_Graph& g) {
    int w = 0;
    for (const auto& t : g.Y_Ticks) w = std::max(w, Text_Width(t.Label));
    return w;
  }
  std::uint32_t Px(Color c) const { return Color_To_Pixel(c); }

  Test_Canvas canvas_;
  TC_Data_Buffer buffer_;
  int th_ = 0;
  int tw_ = 0;
};

TEST_F(GraphFrame, FontMeasuresArePositive) {
  ASSERT_GT(th_, 2);
  ASSERT_GT(tw_, 0);
}

TEST_F(GraphFrame, DrawAllOrder) {
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\nLayers=A B\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"G"}, def);
  Draw(g);
  EXPECT_EQ(Join(g.calls), "X Y F D1 D2");
}

TEST_F(GraphFrame, PlotAreaWithoutTitles) {
  Fixed_Graph g;
  Draw(g);
  const int wY = Widest_Y_Label(g);
  EXPECT_GT(wY, 0);
  EXPECT_EQ(g.Plot_Left, 20 + wY + tw_);
  EXPECT_EQ(g.Plot_Bottom, 280 - th_ - 2);
  const int right = 380 - tw_;
  EXPECT_EQ(g.Plot_Right, (right - g.Plot_Left) % 2 ? right - 1 : right);
  const int top = 20 + th_ / 2;
  EXPECT_EQ(g.Plot_Top, (g.Plot_Bottom - top) % 2 ? top + 1 : top);
  EXPECT_EQ((g.Plot_Right - g.Plot_Left) % 2, 0);
  EXPECT_EQ((g.Plot_Bottom - g.Plot_Top) % 2, 0);
  EXPECT_EQ(g.X_Scale, 1.0L / (g.Plot_Right - g.Plot_Left));
  EXPECT_EQ(g.Y_Scale, 1.0L / (g.Plot_Bottom - g.Plot_Top));
  EXPECT_EQ(g.Pixel_X(0), g.Plot_Left);
  EXPECT_EQ(g.Pixel_X(1), g.Plot_Right);
  EXPECT_EQ(g.Pixel_Y(0), g.Plot_Bottom);
  EXPECT_EQ(g.Pixel_Y(1), g.Plot_Top);
}

struct Title_Case {
  const char* name;
  bool x_title, stat_line, y_title;
  int left_shift_in_th_plus_2, bottom_lift_in_th_plus_2;
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Title_Case& c, std::ostream* os) { *os << c.name; }

class Title_Shift_Test : public GraphFrame, public testing::WithParamInterface<Title_Case> {};

TEST_P(Title_Shift_Test, ShiftsThePlotArea) {
  const Title_Case& c = GetParam();
  Fixed_Graph plain;
  Draw(plain);
  Fixed_Graph g;
  if (c.x_title) g.X_Title = "Height";
  if (c.stat_line) g.Stat_Line = "N=2  m=1";
  if (c.y_title) g.Y_Title = "Count";
  Draw(g);
  EXPECT_EQ(g.Plot_Left, plain.Plot_Left + c.left_shift_in_th_plus_2 * (th_ + 2));
  EXPECT_EQ(g.Plot_Bottom, plain.Plot_Bottom - c.bottom_lift_in_th_plus_2 * (th_ + 2));
  EXPECT_EQ(canvas_.Canvas().Font.Angle, 0);  // the Y title turns the font back
}

INSTANTIATE_TEST_SUITE_P(GraphBase, Title_Shift_Test,
                         testing::Values(Title_Case{"None", false, false, false, 0, 0},
                                         Title_Case{"XTitle", true, false, false, 0, 1},
                                         Title_Case{"StatLine", false, true, false, 0, 1},
                                         Title_Case{"XTitleAndStatLine", true, true, false, 0, 2},
                                         Title_Case{"YTitle", false, false, true, 1, 0},
                                         Title_Case{"All", true, true, true, 1, 2}),
                         [](const testing::TestParamInfo<Title_Case>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(GraphFrame, OddWidthAndHeightAreNarrowed) {
  Fixed_Graph g;
  Draw(g);
  const int left = g.Plot_Left;
  const int bottom = g.Plot_Bottom;
  // Cell right edges making the width even and odd; bottom edges making the height even and odd.
  for (int extra = 0; extra < 2; ++extra) {
    const int cell_right = left + tw_ + 300 + extra;   // width 300 + extra
    const int cell_bottom = bottom + th_ + 2 + extra;  // bottom moves by extra
    Fixed_Graph h;
    Draw(h, 20, cell_right, 20, cell_bottom);
    EXPECT_EQ(h.Plot_Right, left + 300) << extra;
    const int top = 20 + th_ / 2;
    const bool odd = (h.Plot_Bottom - top) % 2 != 0;
    EXPECT_EQ(h.Plot_Top, odd ? top + 1 : top) << extra;
  }
}

TEST_F(GraphFrame, PixelsOfBackgroundFrameTicksAndGrid) {
  Fixed_Graph g;
  g.BgColor = 0x800000;     // navy
  g.FrameColor = 0xFFFFFF;  // white
  g.GridColor = 0x0000FF;   // red
  Draw(g);
  const std::uint32_t bg = Px(0x800000), frame = Px(0xFFFFFF), grid = Px(0x0000FF);
  // Outside the cell: untouched; the cell's own outline and inside: background.
  EXPECT_EQ(canvas_.Pixel(10, 10), Px(0));
  EXPECT_EQ(canvas_.Pixel(20, 20), bg);
  EXPECT_EQ(canvas_.Pixel(380, 280), bg);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left + 1, g.Plot_Top + 1), bg);
  // Frame corners and sides.
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left, g.Plot_Top), frame);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right, g.Plot_Bottom), frame);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left, (g.Plot_Top + g.Plot_Bottom) / 2 + 1), frame);
  EXPECT_EQ(canvas_.Pixel((g.Plot_Left + g.Plot_Right) / 2 + 1, g.Plot_Top), frame);
  // X tick at 0.2: marks across the top border, then the grid line down to the bottom mark.
  const int x = static_cast<int>(g.Pixel_X(0.2L));
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Top - 2), frame);
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Top - 3), bg);
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Top + 2), frame);
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Top + 3), grid);
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Bottom - 3), grid);
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Bottom - 2), frame);
  // Y tick at 0.2: marks across the right border, grid from Plot_Left + 3.
  const int y = static_cast<int>(g.Pixel_Y(0.2L));
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right + 2, y), frame);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right + 3, y), bg);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right - 3, y), grid);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left + 3, y), grid);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left + 2, y), frame);
  // The ticks at 0 and 1 lie on the borders: no marks outside the frame there.
  EXPECT_EQ(canvas_.Pixel(g.Plot_Left, g.Plot_Top - 2), bg);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right, g.Plot_Top - 2), bg);
  EXPECT_EQ(canvas_.Pixel(g.Plot_Right + 2, g.Plot_Top), bg);
}

TEST_F(GraphFrame, NoGridLinesWhenGridIsOff) {
  Fixed_Graph g;
  g.BgColor = 0x800000;
  g.GridColor = 0x0000FF;
  g.Grid = false;
  Draw(g);
  const int x = static_cast<int>(g.Pixel_X(0.4L));
  EXPECT_EQ(canvas_.Pixel(x, (g.Plot_Top + g.Plot_Bottom) / 2), Px(0x800000));
  EXPECT_EQ(canvas_.Pixel(x, g.Plot_Top - 2), Px(0x666666));
}

TEST_F(GraphFrame, TicksAndLabelsAreRecorded) {
  Fixed_Graph g;
  g.LogX = true;
  g.x_hi = 2;
  Draw(g);
  std::vector<std::string> labels;
  for (const auto& t : g.X_Ticks) labels.push_back(t.Label);
  EXPECT_EQ(Join(labels), "1 2 5 10 20 50 100");
  ASSERT_EQ(g.Y_Ticks.size(), 6u);
  EXPECT_EQ(g.Y_Ticks[5].Label, "1");
  EXPECT_TRUE(g.Y_Ticks[0].Shown);
  EXPECT_TRUE(g.X_Ticks[0].Shown);
  // Y labels: right-aligned half a "0" left of the frame, centred on their tick row.
  const Tick_Info& top = g.Y_Ticks[5];
  EXPECT_EQ(top.Label_Left, g.Plot_Left - Text_Width("1") - tw_ / 2);
  EXPECT_EQ(top.Label_Top, g.Plot_Top - th_ / 2);
  // The lowest Y label is lifted to stay inside the cell.
  EXPECT_EQ(g.Y_Ticks[0].Label_Top, std::min(g.Plot_Bottom, g.Plot_Bottom - th_ / 2 + 3) - th_ / 2);
  // X labels sit 3 pixels under the frame, centred on their tick column.
  const Tick_Info& ten = g.X_Ticks[3];
  EXPECT_EQ(ten.Label_Top, g.Plot_Bottom + 3);
  EXPECT_EQ(ten.Label_Left, static_cast<int>(g.Pixel_X(1)) - Text_Width("10") / 2);
}

// The spacing rules, checked against the positions the graph recorded.
void Expect_Spacing(const Fixed_Graph& g, int th, int tw) {
  int last_y = g.Cell_Bottom;
  for (const auto& t : g.Y_Ticks) {
    const int y = t.Label_Top + th / 2;
    EXPECT_EQ(t.Shown, last_y - y > th) << t.Label;
    if (t.Shown) last_y = y;
  }
  int last_x = -100;
  for (const auto& t : g.X_Ticks) {
    EXPECT_EQ(t.Shown, last_x + tw < t.Label_Left) << t.Label;
    if (t.Shown) last_x = t.Label_Left + Text_Width(t.Label);
  }
}

TEST_F(GraphFrame, CrowdedYLabelsAreSkipped) {
  Fixed_Graph g;
  // Six Y ticks over a plot about three text heights tall.
  Draw(g, 20, 380, 20, 20 + th_ / 2 + 3 * th_ + th_ + 2);
  ASSERT_EQ(g.Y_Ticks.size(), 6u);
  Expect_Spacing(g, th_, tw_);
  int shown = 0;
  for (const auto& t : g.Y_Ticks) shown += t.Shown;
  EXPECT_TRUE(g.Y_Ticks[0].Shown);
  EXPECT_LT(shown, 6);
  EXPECT_GT(shown, 1);
}

TEST_F(GraphFrame, CrowdedXLabelsAreSkipped) {
  Fixed_Graph g;
  g.x_lo = 10000;
  g.x_hi = 30000;
  // Five labels like "1.5E4" across a plot about twelve "0"s wide.
  Draw(g, 20, 20 + Text_Width("1") + 2 * tw_ + 12 * tw_, 20, 280);
  ASSERT_EQ(g.X_Ticks.size(), 5u);
  Expect_Spacing(g, th_, tw_);
  int shown = 0;
  for (const auto& t : g.X_Ticks) shown += t.Shown;
  EXPECT_TRUE(g.X_Ticks[0].Shown);
  EXPECT_LT(shown, 5);
}

TEST_F(GraphFrame, XLabelsStayInsideTheCell) {
  Fixed_Graph g;
  g.x_lo = 10000;
  g.x_hi = 30000;
  g.y_lo = g.y_hi = 0;  // no Y ticks: the plot starts one "0" from the cell's left edge
  Draw(g, 0, 300, 20, 280);
  ASSERT_EQ(g.X_Ticks.size(), 5u);
  EXPECT_EQ(g.Plot_Left, tw_);
  // "1E4" centred on Plot_Left would start left of pixel 1.
  EXPECT_EQ(g.X_Ticks[0].Label_Left, 1);
  // "3E4" centred on Plot_Right would pass the cell's right edge.
  const int w = Text_Width("3E4");
  EXPECT_EQ(g.X_Ticks[4].Label_Left, 300 - w - 1);
  EXPECT_TRUE(g.X_Ticks[4].Shown);
}

TEST_F(GraphFrame, ContainsPointOnTheBorder) {
  Fixed_Graph g;
  Draw(g);
  struct Probe {
    int x, y;
    bool inside;
  };
  const int l = g.Plot_Left, r = g.Plot_Right, t = g.Plot_Top, b = g.Plot_Bottom;
  const Probe probes[] = {{l, t, true},
                          {r, b, true},
                          {l, b, true},
                          {r, t, true},
                          {(l + r) / 2, (t + b) / 2, true},
                          {l - 1, t, false},
                          {r + 1, b, false},
                          {l, t - 1, false},
                          {r, b + 1, false}};
  for (const Probe& p : probes) {
    EXPECT_EQ(g.Contains_Point(p.x, p.y), p.inside) << p.x << "," << p.y;
  }
}

TEST(GraphBase, PixelMappingRoundsHalvesToEven) {
  Bare_Graph g;
  g.Plot_Left = 10;
  g.Plot_Bottom = 100;
  g.X_Scale = 1;
  g.Y_Scale = 1;
  EXPECT_EQ(g.Pixel_X(2.5L), 12.0L);
  EXPECT_EQ(g.Pixel_X(3.5L), 14.0L);
  EXPECT_EQ(g.Pixel_X(-0.5L), 10.0L);
  EXPECT_EQ(g.Pixel_Y(2.5L), 98.0L);
  EXPECT_EQ(g.Pixel_Y(1.5L), 98.0L);
  g.X_Scale = 0;
  EXPECT_FALSE(std::isfinite(g.Pixel_X(1)));
}

struct Small_Cell_Case {
  const char* name;
  int left, right, top, bottom;
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Small_Cell_Case& c, std::ostream* os) { *os << c.name; }

class Small_Cell_Test : public GraphFrame, public testing::WithParamInterface<Small_Cell_Case> {};

TEST_P(Small_Cell_Test, PaintsOnlyTheBackground) {
  const Small_Cell_Case& c = GetParam();
  Temp_Setup file(std::string(Data_Def) + "[G]\nx=Weight\n");
  TC_Ini_File ini(file.Path());
  TC_File_Def def(ini);
  Fixed_Graph g;
  g.Read_Setup(ini, {"G"}, def);
  g.BgColor = 0x800000;
  g.FrameColor = 0xFFFFFF;
  g.GridColor = 0x0000FF;
  g.X_Title = "X";
  g.Y_Title = "Y";
  g.Set_Cell(c.left, c.right, c.top, c.bottom);
  g.Draw_All(buffer_);
  EXPECT_TRUE(g.Plot_Too_Small());
  EXPECT_EQ(Join(g.calls), "X Y F");  // the layer is not drawn
  EXPECT_TRUE(g.X_Ticks.empty());
  EXPECT_TRUE(g.Y_Ticks.empty());
  EXPECT_FALSE(g.Contains_Point((c.left + c.right) / 2, (c.top + c.bottom) / 2));
  const auto& image = canvas_.Canvas().Image;
  for (int y = 0; y < image.Height(); ++y) {
    for (int x = 0; x < image.Width(); ++x) {
      const bool in_cell = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
      // How a box through one single pixel is outlined is the canvas's business.
      if (in_cell && c.left == c.right && c.top == c.bottom) continue;
      ASSERT_EQ(canvas_.Pixel(x, y), in_cell ? Px(0x800000) : Px(0)) << x << "," << y;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(GraphBase, Small_Cell_Test,
                         testing::Values(Small_Cell_Case{"Tiny", 10, 14, 10, 14},
                                         Small_Cell_Case{"Narrow", 10, 20, 10, 290},
                                         Small_Cell_Case{"Flat", 10, 390, 10, 22},
                                         Small_Cell_Case{"Empty", 0, 0, 0, 0}),
                         [](const testing::TestParamInfo<Small_Cell_Case>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(GraphFrame, SmallCellThenLargeCellDrawsAgain) {
  Fixed_Graph g;
  Draw(g, 10, 14, 10, 14);
  EXPECT_TRUE(g.Plot_Too_Small());
  Draw(g);
  EXPECT_FALSE(g.Plot_Too_Small());
  EXPECT_TRUE(g.Contains_Point(g.Plot_Left, g.Plot_Top));
}

}  // namespace
}  // namespace pw
