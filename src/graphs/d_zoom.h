// Zoom and pan of a graph's limits: the arithmetic behind the window's wheel and mouse, free of
// any window.
//
// Limits are those of TC_Graph_Range, so on a logarithmic axis they are decades and a zoom
// there works on the logarithm of the values. Every result keeps lo < hi on both axes, inside
// the finite range its axis allows (Axis_Rule), at least the smallest span the extended
// precision can still show (Min_Span); what cannot give such limits (a factor that is not a
// positive number, limits that are not finite) leaves an axis as it was.
#pragma once

#include <cfloat>

#include "draw/d_graphrange.h"

namespace pw {

class TC_Graph;

// The four limits of a graph, as TC_Graph_Range holds them.
struct Graph_Limits {
  long double XLo = 0, XHi = 0, YLo = 0, YHi = 0;
  bool operator==(const Graph_Limits&) const = default;
};
Graph_Limits Limits_Of(const TC_Graph_Range& graph);
void Set_Limits(TC_Graph_Range& graph, const Graph_Limits& limits);

// What the limits of one axis may be.
struct Axis_Rule {
  // Decades: within -Max_Decade..Max_Decade, so that 10 to the power of a limit is finite.
  // Otherwise within -Max_Linear_Limit..Max_Linear_Limit.
  bool Log = false;
  // The lower limit never below 0: a histogram's Y axis counts, and it keeps given limits
  // only from 0 up.
  bool Not_Negative = false;
  // Zooms keep the lower limit where it is, wherever the pointer is: the base line of a
  // histogram's bars. Bars counted anew over a narrower X range are lower by the same factor,
  // so a zoom of both axes keeps their shape in view.
  bool Anchor_Low = false;
};
struct Zoom_Rules {
  Axis_Rule X, Y;
};
// A graph's rules: its logarithmic axes, and a histogram's Y axis not negative and anchored.
Zoom_Rules Zoom_Rules_Of(const TC_Graph& graph);

// Where the latest drawing put the plot area, in canvas pixels: columns Left..Right show
// XLo..XHi, rows Bottom..Top show YLo..YHi.
struct Plot_Area {
  int Left = 0, Right = 0, Top = 0, Bottom = 0;
};
Plot_Area Plot_Area_Of(const TC_Graph& graph);

enum class Zoom_Axes { Both, X_Only, Y_Only };

// A linear limit stays within a quarter of the largest extended number, so the span and the
// tick arithmetic stay finite; 10^4931 is finite and 10^-4931 a normal number.
inline constexpr long double Max_Linear_Limit = LDBL_MAX / 4;
inline constexpr long double Max_Decade = 4931;
// The smallest span: Min_Relative_Span times the larger magnitude of the limits (at least 1
// on a logarithmic axis), never below Min_Absolute_Span. Values keep 64 mantissa bits, so
// even at that depth every pixel of a wide plot area still has values of its own.
inline constexpr long double Min_Relative_Span = 0x1p-48L;
inline constexpr long double Min_Absolute_Span = 1e-4900L;
long double Min_Span(long double lo, long double hi, const Axis_Rule& rule);

// One wheel notch (an angle delta of 120) forward multiplies the spans by Wheel_Step.
inline constexpr long double Wheel_Step = 0.8L;
inline constexpr int Wheel_Notch = 120;
// Wheel_Step ^ (angle_delta / Wheel_Notch): below 1 (zoom in) forward, above 1 backward, 1 for 0.
long double Wheel_Factor(int angle_delta);

// Brings lo, hi within `rule`: a span wider than the range becomes the whole range, one
// narrower than Min_Span is widened to it around its middle, then both are moved (the span
// kept) back inside the range. False, with lo and hi untouched, when either is not finite or
// lo > hi.
bool Fit_Axis(long double& lo, long double& hi, const Axis_Rule& rule);

// The value at pixel p of an axis that shows lo at pixel p_lo and hi at pixel p_hi (the value
// -to-pixel mapping of the graph turned round, without its rounding); lo when p_lo = p_hi.
long double Value_At(long double p, int p_lo, int p_hi, long double lo, long double hi);

// Zoom around the pixel (x, y), taken inside the plot area: the span of each chosen axis is
// multiplied by `factor` (below 1 zooms in) and the value under the pixel stays under it
// (unless the range or the smallest span moves it; an anchored axis keeps its lower limit).
Graph_Limits Zoom_At(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                     int x, int y, long double factor, Zoom_Axes axes = Zoom_Axes::Both);

// Pan: what was shown at a pixel is then shown dx pixels further right and dy pixels lower.
// The spans stay; at the end of the range the limits stop there.
Graph_Limits Pan_By(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                    int dx, int dy);

// The rectangle between the pixels (x1, y1) and (x2, y2), corners in any order and taken inside
// the plot area, becomes the whole plot area. An axis whose two pixels lie less than
// Min_Box_Pixels apart keeps its limits (a flat rectangle zooms one axis).
inline constexpr int Min_Box_Pixels = 3;
Graph_Limits Zoom_To_Box(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                         int x1, int y1, int x2, int y2);

}  // namespace pw
