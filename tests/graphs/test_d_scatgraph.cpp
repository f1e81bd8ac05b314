// The scatter graph: automatic limits, titles, markers, polylines, failed points and hits.
#include "graphs/d_scatgraph.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "base/D_Error.h"
#include "graph_test_util.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/d_draw.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

// Columns X and Y, selectors @A and @B; the graph section is [G].
const char* const Data_File_Def = "[DataFile]\nX=1 1.1 across\nY=2 1.1 up\n@A=3\n@B=4\n";

constexpr Color Red = 0x0000FF;  // $00BBGGRR

class Scat_Fixture : public graph_test::Loaded_Graph<TC_Scat_Graph> {
 public:
  Scat_Fixture(const std::string& graph_keys, const std::string& data_lines, int width = 220,
               int height = 170)
      : Loaded_Graph(Data_File_Def, graph_keys, data_lines, width, height, false) {}

  bool Red_At(long double vx, long double vy, int dx = 0, int dy = 0) const {
    return Red_Pixel(static_cast<int>(graph_.Pixel_X(vx)) + dx,
                     static_cast<int>(graph_.Pixel_Y(vy)) + dy);
  }
  bool Red_Pixel(int x, int y) const { return canvas_.Image.Pixel(x, y) == Color_To_Pixel(Red); }
  int Red_Count() const {
    int n = 0;
    for (int y = 0; y < canvas_.Image.Height(); ++y) {
      for (int x = 0; x < canvas_.Image.Width(); ++x) n += Red_Pixel(x, y);
    }
    return n;
  }
  std::string Info(int x, int y) {
    std::string text = "unchanged";
    graph_.Point_Info(x, y, text, buffer_);
    return text;
  }
};

// Sets PixOff for one test.
class PixOff_Scope {
 public:
  explicit PixOff_Scope(int value) : old_(PixOff) { PixOff = value; }
  ~PixOff_Scope() { PixOff = old_; }

 private:
  int old_;
};

const char* const Fixed_Limits = "xlo=0\nxhi=10\nylo=0\nyhi=10\nColor=FF0000\n";

// --- Limits and titles ---

TEST(ScatGraph, AutomaticLimits) {
  struct Case {
    const char* keys;
    const char* data;
    long double xlo, xhi, ylo, yhi;
  } cases[] = {
      // Two layers, 0..5 and 3..10: the union, unrounded.
      {"RoundX=0\nRoundY=0\nLayers=a b\n[G/a]\nKey1=@A p\n[G/b]\nKey1=@A q\n",
       "0 1 p\n5 2 p\n3 1 q\n10 2 q\n", 0, 10, 1, 2},
      {"", "3 1 p\n3 1 p\n", 3, 4, 1, 2},              // one value: spread to a unit
      {"", "-2.5 -2.5 p\n", -3, -2, -3, -2},           // the unit that holds the value
      {"", "0.3 101 p\n7.2 103 p\n", 0, 8, 100, 104},  // rounded outwards
      {"RoundY=no\n", "0.3 101 p\n7.2 103 p\n", 0, 8, 101, 103},
      {"xlo=-1\nxhi=1\n", "0.3 101 p\n7.2 103 p\n", -1, 1, 100, 104},  // given limits stay
      {"", "? 5 p\n", 0, 1, 5, 6},                                     // no X value at all
      // No value under limits given the wrong way round: spread from the lower one.
      {"xlo=15\nxhi=5\nylo=9\nyhi=-9\n", "? ? p\n", 15, 16, 9, 10},
      {"xlo=15\nxhi=5\n", "0.3 101 p\n7.2 103 p\n", 0, 8, 100, 104},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Scat_Fixture f(std::string("x=X\ny=Y\n") + c.keys, c.data);
    f.Graph().Find_X_Limits(f.Buffer());
    f.Graph().Find_Y_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().XLo, c.xlo);
    EXPECT_EQ(f.Graph().XHi, c.xhi);
    EXPECT_EQ(f.Graph().YLo, c.ylo);
    EXPECT_EQ(f.Graph().YHi, c.yhi);
  }
}

TEST(ScatGraph, AutomaticLogarithmicLimitsInDecades) {
  struct Case {
    const char* keys;
    const char* data;
    long double xlo, xhi;
  } cases[] = {
      {"", "1 1 p\n10 1 p\n1000 1 p\n0 1 p\n-5 1 p\n", 0, 3},  // non-positive values ignored
      {"", "2 1 p\n500 1 p\n", 0, 3},                          // 0.3..2.7 rounded
      {"", "100 1 p\n", 2, 3},                                 // one decade value: spread
      {"", "0 1 p\n", 0, 1},                                   // no positive value
      {"RoundX=0\n", "10 1 p\n1000 1 p\n", 1, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    Scat_Fixture f(std::string("x=X\ny=Y\nlogx=1\n") + c.keys, c.data);
    f.Graph().Find_X_Limits(f.Buffer());
    EXPECT_EQ(f.Graph().XLo, c.xlo);
    EXPECT_NEAR(static_cast<double>(f.Graph().XHi), static_cast<double>(c.xhi), 1e-15);
  }
}

TEST(ScatGraph, TitlesFromTheFirstLayerOrTheCaption) {
  Scat_Fixture plain("x=X\ny=Y\n", "1 1 p\n2 2 p\n");
  plain.Draw();
  EXPECT_EQ(plain.Graph().X_Title, "across");
  EXPECT_EQ(plain.Graph().Y_Title, "up");
  EXPECT_EQ(plain.Graph().Stat_Line, "");
  Scat_Fixture captioned("x=X\ny=Y\nCaption=Both\n", "1 1 p\n2 2 p\n");
  captioned.Draw();
  EXPECT_EQ(captioned.Graph().X_Title, "Both");
  EXPECT_EQ(captioned.Graph().Y_Title, "");
}

// --- Markers ---

TEST(ScatGraph, MarkerPixels) {
  Scat_Fixture f(std::string("x=X\ny=Y\nMarker=PLUS1\n") + Fixed_Limits, "3 7 p\n");
  f.Draw();
  EXPECT_TRUE(f.Red_At(3, 7));
  EXPECT_TRUE(f.Red_At(3, 7, -1, 0));
  EXPECT_TRUE(f.Red_At(3, 7, 1, 0));
  EXPECT_TRUE(f.Red_At(3, 7, 0, -1));
  EXPECT_TRUE(f.Red_At(3, 7, 0, 1));
  EXPECT_FALSE(f.Red_At(3, 7, 1, 1));
  EXPECT_EQ(f.Red_Count(), 5);
}

TEST(ScatGraph, PointsOnTheLimitsAreDrawnAndAHairOutsideAreNot) {
  Scat_Fixture f(std::string("x=X\ny=Y\nMarker=POINT\n") + Fixed_Limits,
                 "10 0 p\n10.000001 5 p\n5 -0.000001 p\n");
  f.Draw();
  const TC_Scat_Graph& g = f.Graph();
  EXPECT_TRUE(f.Red_Pixel(g.Plot_Right, g.Plot_Bottom));
  EXPECT_EQ(f.Red_Count(), 1);
}

TEST(ScatGraph, SamePixelTwiceIsDrawnOnce) {
  Scat_Fixture f(std::string("x=X\ny=Y\nMarker=BOX1\n") + Fixed_Limits,
                 "3 7 p\n3 7 p\n3.001 7 p\n");
  f.Draw();
  EXPECT_TRUE(f.Red_At(3, 7, 1, 1));
  EXPECT_FALSE(f.Red_At(3, 7));  // BOX1 leaves its centre untouched
  EXPECT_EQ(f.Red_Count(), 8);
}

TEST(ScatGraph, PlotAreaFarTallerThanThePage) {
  // A plot area reaching a thousand million pixels above the page: only the point on its
  // bottom-right corner is on the page, and the drawing needs no more memory than the page.
  Scat_Fixture f(std::string("x=X\ny=Y\nMarker=POINT\n") + Fixed_Limits,
                 "5 5 p\n5 5 p\n10 0 p\n", 400, 170);
  f.Graph().Set_Cell(0, 399, -(1 << 30), 169);
  EXPECT_NO_THROW(f.Draw());
  const TC_Scat_Graph& g = f.Graph();
  EXPECT_TRUE(f.Red_Pixel(g.Plot_Right, g.Plot_Bottom));
  EXPECT_EQ(f.Red_Count(), 1);
}

// --- Polylines ---

struct Line_Case {
  const char* name;
  const char* point3;  // the third data line
  bool joined_2_to_4;
};

TEST(ScatGraph, LineRuns) {
  // Points (1,1), (3,1), point 3, (7,1): the row y = 1 shows which segments exist.
  const Line_Case cases[] = {
      {"unselected", "5 5 q\n", false},  // a new run starts at point 4
      {"missing", "? 5 p\n", false},
      {"outside", "5 20 p\n", true},  // the line runs straight from 2 to 4
      {"inside", "5 5 p\n", false},   // 2 -> 3 -> 4, not along the row
  };
  for (const Line_Case& c : cases) {
    SCOPED_TRACE(c.name);
    Scat_Fixture f(std::string("x=X\ny=Y\nMarker=LINE\nKey1=@A p\n") + Fixed_Limits,
                   std::string("1 1 p\n3 1 p\n") + c.point3 + "7 1 p\n");
    f.Draw();
    EXPECT_TRUE(f.Red_At(1, 1));  // the start of the first run
    EXPECT_TRUE(f.Red_At(2, 1));  // segment 1 -> 2
    EXPECT_EQ(f.Red_At(5, 1), c.joined_2_to_4);
    EXPECT_FALSE(f.Red_At(7, 1));  // the end pixel of a run is not painted
  }
}

// --- Failed points ---

TEST(ScatGraph, FailedPointsRaiseOneErrorAfterTheLayer) {
  Scat_Fixture f(
      "x=X\ny=Y\nMarker=POINT\nlogx=1\nxlo=0\nxhi=2\nylo=0\nyhi=10\n"
      "Color=FF0000\nLayers=a b\n[G/b]\nColor=00FF00\n",
      "0 1 p\n1 5 p\n-3 2 p\n10 5 p\n");
  try {
    f.Draw();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Errors occurred while draving points");
    EXPECT_FALSE(e.Fatal());
  }
  // Points 2 and 4 of the first layer are on the canvas; the second layer was not drawn.
  EXPECT_TRUE(f.Red_At(0, 5));
  EXPECT_TRUE(f.Red_At(1, 5));
  EXPECT_EQ(f.Red_Count(), 2);
}

TEST(ScatGraph, FailedPointBreaksALine) {
  Scat_Fixture f(
      "x=X\ny=Y\nMarker=LINE\nlogy=1\nxlo=0\nxhi=10\nylo=0\nyhi=2\n"
      "Color=FF0000\n",
      "1 10 p\n3 10 p\n5 0 p\n7 10 p\n");
  EXPECT_THROW(f.Draw(), Error);
  EXPECT_TRUE(f.Red_At(2, 1));   // 1 -> 2 (log 10 = 1)
  EXPECT_FALSE(f.Red_At(5, 1));  // no 2 -> 4 across the failed point
}

// --- Hits ---

TEST(ScatGraph, FindPointWithinPixOff) {
  PixOff_Scope pix(2);
  Scat_Fixture f(std::string("x=X\ny=Y\n") + Fixed_Limits, "5 5 p\n");
  f.Draw();
  const int px = static_cast<int>(f.Graph().Pixel_X(5));
  const int py = static_cast<int>(f.Graph().Pixel_Y(5));
  struct Case {
    int dx, dy;
    int expected;
  } cases[] = {{0, 0, 1}, {2, -2, 1}, {-2, 2, 1}, {3, 0, 0}, {0, -3, 0}, {3, 3, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(f.Graph().Find_Point(px + c.dx, py + c.dy, f.Buffer(), 1, 2), c.expected)
        << c.dx << "," << c.dy;
  }
  PixOff_Scope wide(3);
  EXPECT_EQ(f.Graph().Find_Point(px + 3, py, f.Buffer(), 1, 2), 1);
}

TEST(ScatGraph, FirstPointInDataOrderWins) {
  PixOff_Scope pix(2);
  // Point 2 lies exactly under the mouse, point 1 a pixel or so away: point 1 wins.
  Scat_Fixture f(std::string("x=X\ny=Y\n") + Fixed_Limits, "5.06 5 p\n5 5 p\n");
  f.Draw();
  const int px = static_cast<int>(f.Graph().Pixel_X(5));
  const int py = static_cast<int>(f.Graph().Pixel_Y(5));
  ASSERT_NE(static_cast<int>(f.Graph().Pixel_X(5.06L)), px);
  EXPECT_EQ(f.Graph().Find_Point(px, py, f.Buffer(), 1, 2), 1);
}

TEST(ScatGraph, FindPointRoundsHalvesToEven) {
  PixOff_Scope pix(0);
  Scat_Fixture f("x=X\ny=Y\n", "2.5 2.5 p\n3.5 0.5 p\n");
  TC_Scat_Graph& g = f.Graph();
  g.XLo = 0, g.XHi = 100, g.YLo = 0, g.YHi = 100;
  g.Plot_Left = 10, g.Plot_Right = 110, g.Plot_Top = 10, g.Plot_Bottom = 110;
  g.X_Scale = 1, g.Y_Scale = 1;
  EXPECT_EQ(g.Find_Point(12, 108, f.Buffer(), 1, 2), 1);  // 2.5 -> 2 on both axes
  EXPECT_EQ(g.Find_Point(14, 110, f.Buffer(), 1, 2), 2);  // 3.5 -> 4, 0.5 -> 0
  EXPECT_EQ(g.Pixel_X(2.5L), 12);
  EXPECT_EQ(g.Pixel_X(3.5L), 14);
}

TEST(ScatGraph, PointInfoHints) {
  PixOff_Scope pix(2);
  const std::string keys = std::string("x=X\ny=Y\n") + Fixed_Limits;
  const char* const data = "2 2 A7 B12\n8 8 A9 B4\n";
  Scat_Fixture f(keys + "Layers=a b\n[G/a]\nKey1=@A A9\nHint=@B\n[G/b]\nHint=@A @B\n", data);
  f.Draw();
  const TC_Scat_Graph& g = f.Graph();
  const int x2 = static_cast<int>(g.Pixel_X(2)), y2 = static_cast<int>(g.Pixel_Y(2));
  const int x8 = static_cast<int>(g.Pixel_X(8)), y8 = static_cast<int>(g.Pixel_Y(8));
  EXPECT_EQ(f.Info(x2, y2), "  A7  B12");  // layer a misses, layer b hits
  EXPECT_EQ(f.Info(x8, y8), "  B4");       // layer a hits: b is not asked
  EXPECT_EQ(f.Info(x2 + 20, y2), "");      // nothing there
  Scat_Fixture no_hint(keys, data);
  no_hint.Draw();
  EXPECT_EQ(no_hint.Info(x2, y2), "");
}

// A hint shows whole letters: a text of more than 31 letters, some of two bytes, is cut after
// its 31st letter, never inside one.
TEST(ScatGraph, PointInfoHintOfLettersBeyondAscii) {
  PixOff_Scope pix(2);
  std::string name;
  for (int i = 0; i < 20; ++i) name += "\xC3\xBC" + std::string("x");  // 40 letters, 60 bytes
  Scat_Fixture f(std::string("x=X\ny=Y\nHint=@A\n") + Fixed_Limits, "5 5 " + name + "\n");
  f.Draw();
  const int x = static_cast<int>(f.Graph().Pixel_X(5)), y = static_cast<int>(f.Graph().Pixel_Y(5));
  EXPECT_EQ(f.Info(x, y), "  " + name.substr(0, 45) + "\xC3\xBC");  // 15 pairs and a letter
}

TEST(ScatGraph, HitsSkipFailedPointsSilently) {
  PixOff_Scope pix(2);
  Scat_Fixture f("x=X\ny=Y\nlogx=1\nxlo=0\nxhi=2\nylo=0\nyhi=10\nHint=@A\n", "0 5 bad\n1 5 good\n");
  EXPECT_THROW(f.Draw(), Error);
  const int x = static_cast<int>(f.Graph().Pixel_X(0)), y = static_cast<int>(f.Graph().Pixel_Y(5));
  EXPECT_EQ(f.Info(x, y), "  good");
}

TEST(ScatGraph, TooSmallCellDrawsNoPoints) {
  Scat_Fixture f(std::string("x=X\ny=Y\n") + Fixed_Limits, "5 5 p\n", 8, 8);
  EXPECT_NO_THROW(f.Draw());
  EXPECT_EQ(f.Red_Count(), 0);
  EXPECT_EQ(f.Info(4, 4), "");
}

}  // namespace
}  // namespace pw
