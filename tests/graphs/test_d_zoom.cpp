// The zoom arithmetic: around a point, axes alone, logarithmic axes, rectangles, pans, and the
// limits of the range and of the precision.
#include "graphs/d_zoom.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace pw {
namespace {

// 200 pixels each way: X 0..200 on columns 100..300, Y 0..100 on rows 250..50.
const Plot_Area Area{100, 300, 50, 250};
const Graph_Limits Start{0, 200, 0, 100};
const Zoom_Rules Linear{};

std::string Text(const Graph_Limits& l) {
  char text[160];
  std::snprintf(text, sizeof text, "X %.21Lg..%.21Lg Y %.21Lg..%.21Lg", l.XLo, l.XHi, l.YLo, l.YHi);
  return text;
}

bool Valid(const Graph_Limits& l) {
  return std::isfinite(l.XLo) && std::isfinite(l.XHi) && std::isfinite(l.YLo) &&
         std::isfinite(l.YHi) && l.XLo < l.XHi && l.YLo < l.YHi;
}

TEST(Zoom_Arithmetic, AroundAPointKeepsTheValueUnderIt) {
  struct Case {
    int x, y;
    long double factor;
    Zoom_Axes axes;
    const char* expected;
  };
  const Case cases[] = {
      {150, 150, 0.5L, Zoom_Axes::Both, "X 25..125 Y 25..75"},
      {150, 150, 2, Zoom_Axes::Both, "X -50..350 Y -50..150"},
      {100, 250, 0.5L, Zoom_Axes::Both, "X 0..100 Y 0..50"},      // at the lower corner
      {300, 50, 0.25L, Zoom_Axes::Both, "X 150..200 Y 75..100"},  // at the upper corner
      {150, 150, 0.5L, Zoom_Axes::X_Only, "X 25..125 Y 0..100"},
      {150, 150, 0.5L, Zoom_Axes::Y_Only, "X 0..200 Y 25..75"},
      {0, 1000, 0.5L, Zoom_Axes::Both, "X 0..100 Y 0..50"},  // outside: the nearest edge
      {150, 150, 1, Zoom_Axes::Both, "X 0..200 Y 0..100"},
      // Not a factor: nothing changes.
      {150, 150, 0, Zoom_Axes::Both, "X 0..200 Y 0..100"},
      {150, 150, -2, Zoom_Axes::Both, "X 0..200 Y 0..100"},
      {150, 150, std::numeric_limits<long double>::quiet_NaN(), Zoom_Axes::Both,
       "X 0..200 Y 0..100"},
      {150, 150, std::numeric_limits<long double>::infinity(), Zoom_Axes::Both,
       "X 0..200 Y 0..100"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(Zoom_At(Start, Area, Linear, c.x, c.y, c.factor, c.axes)), c.expected)
        << c.x << "," << c.y << " factor " << static_cast<double>(c.factor);
  }
}

TEST(Zoom_Arithmetic, LogarithmicAxesZoomTheDecades) {
  // X 1 to 10000 (decades 0..4), Y 0.01 to 100 (decades -2..2).
  const Graph_Limits decades{0, 4, -2, 2};
  const Zoom_Rules log{{true, false}, {true, false}};
  EXPECT_EQ(Text(Zoom_At(decades, Area, log, 150, 150, 0.5L)), "X 0.5..2.5 Y -1..1");
  EXPECT_EQ(Text(Zoom_At(decades, Area, log, 300, 250, 0.5L)), "X 2..4 Y -2..0");
  // Widening stops at the decades whose powers of ten stay finite.
  EXPECT_EQ(Text(Zoom_At(decades, Area, log, 150, 150, 1e6L)), "X -4931..4931 Y -4931..4931");
  const Graph_Limits near_top{4000, 4900, 0, 1};
  EXPECT_EQ(Text(Zoom_At(near_top, Area, log, 100, 250, 2, Zoom_Axes::X_Only)),
            "X 3131..4931 Y 0..1");
}

TEST(Zoom_Arithmetic, WheelFactor) {
  EXPECT_EQ(Wheel_Factor(0), 1);
  EXPECT_EQ(Wheel_Factor(120), 0.8L);
  EXPECT_NEAR(static_cast<double>(Wheel_Factor(-120)), 1.25, 1e-15);
  EXPECT_NEAR(static_cast<double>(Wheel_Factor(240)), 0.64, 1e-15);
  EXPECT_NEAR(static_cast<double>(Wheel_Factor(60)), std::sqrt(0.8), 1e-15);  // a fine wheel
}

TEST(Zoom_Arithmetic, PanMovesWhatIsShownWithThePointer) {
  struct Case {
    int dx, dy;
    const char* expected;
  };
  const Case cases[] = {
      {50, 0, "X -50..150 Y 0..100"},  // right: smaller values come in from the left
      {-50, 0, "X 50..250 Y 0..100"}, {0, 100, "X 0..200 Y 50..150"},  // down: larger values come
                                                                       // in from the top
      {0, -20, "X 0..200 Y -10..90"}, {10, 10, "X -10..190 Y 5..105"}, {0, 0, "X 0..200 Y 0..100"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(Pan_By(Start, Area, Linear, c.dx, c.dy)), c.expected) << c.dx << "," << c.dy;
  }
}

TEST(Zoom_Arithmetic, BoxBecomesThePlotArea) {
  struct Case {
    int x1, y1, x2, y2;
    const char* expected;
  };
  const Case cases[] = {
      {150, 150, 250, 100, "X 50..150 Y 50..75"},
      {250, 100, 150, 150, "X 50..150 Y 50..75"},  // corners in any order
      {0, 0, 1000, 1000, "X 0..200 Y 0..100"},     // clamped to the plot area
      {150, 150, 250, 151, "X 50..150 Y 0..100"},  // flat: X only
      {150, 150, 152, 200, "X 0..200 Y 25..50"},   // thin: Y only
      {150, 150, 153, 150, "X 50..53 Y 0..100"},   // three pixels is enough
      {150, 150, 151, 151, "X 0..200 Y 0..100"},   // a click: nothing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Text(Zoom_To_Box(Start, Area, Linear, c.x1, c.y1, c.x2, c.y2)), c.expected)
        << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2;
  }
}

TEST(Zoom_Arithmetic, HistogramCountsStayAtOrAboveZero) {
  const Zoom_Rules hist{{}, {false, true, true}};
  const long double big = Max_Linear_Limit;
  // The base line stays wherever the pointer is.
  EXPECT_EQ(Text(Zoom_At(Start, Area, hist, 150, 150, 2)), "X -50..350 Y 0..200");
  EXPECT_EQ(Text(Zoom_At(Start, Area, hist, 150, 50, 0.5L)), "X 25..125 Y 0..50");
  EXPECT_EQ(Text(Zoom_At({0, 200, 20, 120}, Area, hist, 150, 50, 0.5L, Zoom_Axes::Y_Only)),
            "X 0..200 Y 20..70");
  // Rectangles and pans are free above 0.
  EXPECT_EQ(Text(Zoom_To_Box(Start, Area, hist, 150, 150, 250, 100)), "X 50..150 Y 50..75");
  EXPECT_EQ(Text(Pan_By(Start, Area, hist, 0, -100)), "X 0..200 Y 0..100");
  EXPECT_EQ(Text(Pan_By({0, 200, 20, 120}, Area, hist, 0, -100)), "X 0..200 Y 0..100");
  EXPECT_EQ(Text(Zoom_At(Start, Area, hist, 150, 250, 1e4931L)), Text({-big, big, 0, big}));
}

TEST(Zoom_Arithmetic, LimitsNeverCrossNorLeaveTheFiniteRange) {
  const long double big = Max_Linear_Limit;
  EXPECT_EQ(Text(Zoom_At(Start, Area, Linear, 150, 150, 1e4931L)), Text({-big, big, -big, big}));
  // Panning at the end of the range stops there, the span kept.
  const Graph_Limits high{big - big / 1024, big, 0, 100};
  const Graph_Limits panned = Pan_By(high, Area, Linear, -100, 0);
  EXPECT_EQ(Text(panned), Text(high));
  EXPECT_EQ(Text(Pan_By(high, Area, Linear, 100, 0)),
            Text({big - 3 * (big / 2048), big - big / 2048, 0, 100}));
  // Setup limits beyond the range, or equal, are first brought into it.
  const Graph_Limits wild{-LDBL_MAX, LDBL_MAX, 5, 5};
  const Graph_Limits tamed = Zoom_At(wild, Area, Linear, 200, 150, 1);
  EXPECT_TRUE(Valid(tamed)) << Text(tamed);
  EXPECT_EQ(tamed.XLo, -big);
  EXPECT_EQ(tamed.XHi, big);
  EXPECT_EQ(tamed.YHi - tamed.YLo, 5 * 0x1p-48L);
  // Limits that are not numbers give nothing to zoom.
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  const Graph_Limits broken{nan, 1, 0, 1};
  EXPECT_EQ(Text(Zoom_At(broken, Area, Linear, 150, 150, 0.5L)), "X nan..1 Y 0.25..0.75");
  EXPECT_EQ(Text(Pan_By(broken, Area, Linear, 10, 0)), "X nan..1 Y 0..1");
  // A plot area without width or height leaves its axis alone.
  EXPECT_EQ(Text(Zoom_At(Start, {100, 100, 50, 250}, Linear, 100, 150, 0.5L)), "X 0..200 Y 25..75");
}

TEST(Zoom_Arithmetic, TooDeepAZoomStopsAtTheSmallestSpan) {
  for (const Graph_Limits start :
       {Graph_Limits{0, 200, 0, 100}, Graph_Limits{1e6L, 1e6L + 1, -1e-3L, 1e-3L},
        Graph_Limits{-1e-4000L, 1e-4000L, 1e30L, 2e30L}}) {
    Graph_Limits l = start;
    for (int step = 0; step < 2000; ++step) {
      l = Zoom_At(l, Area, Linear, 137, 211, 0.5L);
      ASSERT_TRUE(Valid(l)) << step << ": " << Text(l);
    }
    // (Up to the rounding of the last bits.)
    EXPECT_GE(l.XHi - l.XLo, Min_Span(l.XLo, l.XHi, Linear.X) * 0.999999L) << Text(l);
    EXPECT_GE(l.YHi - l.YLo, Min_Span(l.YLo, l.YHi, Linear.Y) * 0.999999L) << Text(l);
    EXPECT_LE(l.XHi - l.XLo, 2 * Min_Span(l.XLo, l.XHi, Linear.X)) << Text(l);
    // At that depth the pixels still show values of their own.
    EXPECT_LT(Value_At(137, Area.Left, Area.Right, l.XLo, l.XHi),
              Value_At(138, Area.Left, Area.Right, l.XLo, l.XHi));
  }
  EXPECT_EQ(Min_Span(0, 0, Linear.X), Min_Absolute_Span);
  EXPECT_EQ(Min_Span(-1024, 512, Linear.X), 1024 * 0x1p-48L);
  EXPECT_EQ(Min_Span(0, 0.5L, {true, false}), 0x1p-48L);  // decades: at least 1
}

TEST(Zoom_Arithmetic, FitAxis) {
  struct Case {
    long double lo, hi;
    Axis_Rule rule;
    bool fits;
    long double want_lo, want_hi;
  };
  const long double inf = std::numeric_limits<long double>::infinity();
  const Case cases[] = {
      {1, 2, {}, true, 1, 2},
      {-5, -5, {}, true, -5 - 5 * 0x1p-49L, -5 + 5 * 0x1p-49L},
      {0, 0, {false, true}, true, 0, Min_Absolute_Span},
      {-10, -2, {false, true}, true, 0, 8},
      {4000, 5000, {true, false}, true, 3931, 4931},
      {-1e4932L, 1e4932L, {true, false}, true, -4931, 4931},
      {2, 1, {}, false, 2, 1},
      {-inf, 1, {}, false, -inf, 1},
  };
  for (const Case& c : cases) {
    long double lo = c.lo, hi = c.hi;
    EXPECT_EQ(Fit_Axis(lo, hi, c.rule), c.fits) << static_cast<double>(c.lo);
    EXPECT_EQ(lo, c.want_lo) << static_cast<double>(c.lo);
    EXPECT_EQ(hi, c.want_hi) << static_cast<double>(c.lo);
  }
}

}  // namespace
}  // namespace pw
