// Zoom and pan of a graph's limits.
#include "graphs/d_zoom.h"

#include <algorithm>
#include <cmath>

#include "graphs/d_graph.h"
#include "graphs/d_histgraph.h"

namespace pw {

Graph_Limits Limits_Of(const TC_Graph_Range& graph) {
  return {graph.XLo, graph.XHi, graph.YLo, graph.YHi};
}

void Set_Limits(TC_Graph_Range& graph, const Graph_Limits& limits) {
  graph.XLo = limits.XLo;
  graph.XHi = limits.XHi;
  graph.YLo = limits.YLo;
  graph.YHi = limits.YHi;
}

Zoom_Rules Zoom_Rules_Of(const TC_Graph& graph) {
  const bool histogram = dynamic_cast<const TC_Hist_Graph*>(&graph) != nullptr;
  return {{graph.LogX, false, false}, {graph.LogY, histogram, histogram}};
}

Plot_Area Plot_Area_Of(const TC_Graph& graph) {
  return {graph.Plot_Left, graph.Plot_Right, graph.Plot_Top, graph.Plot_Bottom};
}

long double Min_Span(long double lo, long double hi, const Axis_Rule& rule) {
  long double magnitude = std::max(std::fabs(lo), std::fabs(hi));
  if (rule.Log) magnitude = std::max(magnitude, 1.0L);
  return std::max(Min_Relative_Span * magnitude, Min_Absolute_Span);
}

long double Wheel_Factor(int angle_delta) {
  return std::pow(Wheel_Step, static_cast<long double>(angle_delta) / Wheel_Notch);
}

bool Fit_Axis(long double& lo, long double& hi, const Axis_Rule& rule) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || lo > hi) return false;
  const long double top = rule.Log ? Max_Decade : Max_Linear_Limit;
  const long double bottom = rule.Not_Negative ? 0.0L : -top;
  // hi - lo may overflow to infinity here, which counts as too wide.
  if (hi - lo >= top - bottom) {
    lo = bottom;
    hi = top;
    return true;
  }
  long double new_lo = lo, new_hi = hi;
  const long double least = Min_Span(lo, hi, rule);
  if (new_hi - new_lo < least) {
    const long double middle = new_lo + (new_hi - new_lo) / 2;
    new_lo = middle - least / 2;
    new_hi = middle + least / 2;
  }
  if (new_lo < bottom) {
    new_hi += bottom - new_lo;
    new_lo = bottom;
  }
  if (new_hi > top) {
    new_lo = std::max(bottom, new_lo - (new_hi - top));
    new_hi = top;
  }
  lo = new_lo;
  hi = new_hi;
  return true;
}

long double Value_At(long double p, int p_lo, int p_hi, long double lo, long double hi) {
  if (p_lo == p_hi) return lo;
  return lo + (p - p_lo) * ((hi - lo) / (p_hi - p_lo));
}

namespace {

// The limits of one axis with the pixels that show them.
struct Axis {
  long double& lo;
  long double& hi;
  int p_lo, p_hi;  // pixels of lo and hi
  const Axis_Rule& rule;

  int Clamp(int p) const { return std::clamp(p, std::min(p_lo, p_hi), std::max(p_lo, p_hi)); }
  long double At(int p) const { return Value_At(Clamp(p), p_lo, p_hi, lo, hi); }
  // Takes the new limits when they fit the rule; true if they did.
  bool Take(long double new_lo, long double new_hi) {
    if (!Fit_Axis(new_lo, new_hi, rule)) return false;
    lo = new_lo;
    hi = new_hi;
    return true;
  }
};

Axis X_Axis(Graph_Limits& l, const Plot_Area& a, const Zoom_Rules& r) {
  return {l.XLo, l.XHi, a.Left, a.Right, r.X};
}

Axis Y_Axis(Graph_Limits& l, const Plot_Area& a, const Zoom_Rules& r) {
  return {l.YLo, l.YHi, a.Bottom, a.Top, r.Y};
}

// The axis brought within its rule first (limits from the setup may lie outside it); false
// when it cannot be, and nothing may change.
bool Usable(Axis& axis) {
  return axis.p_lo != axis.p_hi && axis.Take(axis.lo, axis.hi);
}

void Zoom_Axis(Axis axis, int p, long double factor) {
  if (!Usable(axis)) return;
  const long double at = axis.rule.Anchor_Low ? axis.lo : axis.At(p);
  const long double span = axis.hi - axis.lo;
  const long double fraction = (at - axis.lo) / span;  // where `at` lies, 0..1
  const long double top = axis.rule.Log ? Max_Decade : Max_Linear_Limit;
  const long double bottom = axis.rule.Not_Negative ? 0.0L : -top;
  long double new_span = span * factor;
  if (!(new_span < top - bottom)) {  // the whole range, and no overflow on the way
    axis.Take(bottom, top);
    return;
  }
  // The new limits lie within the old ones when zooming in, so this is never below their
  // own smallest span, and the value under the pixel stays put down to the last step.
  const long double least = Min_Span(axis.lo, axis.hi, axis.rule);
  if (new_span < least) new_span = least;
  axis.Take(at - fraction * new_span, at + (1 - fraction) * new_span);
}

void Pan_Axis(Axis axis, int pixels) {
  if (!Usable(axis)) return;
  // The value shown `pixels` further on is what the lower limit's pixel then shows.
  const long double shift = axis.lo - Value_At(axis.p_lo + static_cast<long double>(pixels),
                                               axis.p_lo, axis.p_hi, axis.lo, axis.hi);
  const long double span = axis.hi - axis.lo;
  long double new_lo = axis.lo + shift, new_hi = axis.hi + shift;
  const Axis_Rule& rule = axis.rule;
  const long double top = rule.Log ? Max_Decade : Max_Linear_Limit;
  const long double bottom = rule.Not_Negative ? 0.0L : -top;
  // At an end of the range the span stays and the limits stop there.
  if (new_lo < bottom) {
    new_lo = bottom;
    new_hi = bottom + span;
  } else if (new_hi > top) {
    new_hi = top;
    new_lo = top - span;
  }
  axis.Take(new_lo, new_hi);
}

void Box_Axis(Axis axis, int p1, int p2) {
  if (!Usable(axis)) return;
  p1 = axis.Clamp(p1);
  p2 = axis.Clamp(p2);
  if (std::abs(p1 - p2) < Min_Box_Pixels) return;
  const long double a = axis.At(p1), b = axis.At(p2);
  axis.Take(std::min(a, b), std::max(a, b));
}

bool Usable_Factor(long double factor) {
  return std::isfinite(factor) && factor > 0;
}

}  // namespace

Graph_Limits Zoom_At(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                     int x, int y, long double factor, Zoom_Axes axes) {
  Graph_Limits result = limits;
  if (!Usable_Factor(factor)) return result;
  if (axes != Zoom_Axes::Y_Only) Zoom_Axis(X_Axis(result, area, rules), x, factor);
  if (axes != Zoom_Axes::X_Only) Zoom_Axis(Y_Axis(result, area, rules), y, factor);
  return result;
}

Graph_Limits Pan_By(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                    int dx, int dy) {
  Graph_Limits result = limits;
  if (dx != 0) Pan_Axis(X_Axis(result, area, rules), dx);
  if (dy != 0) Pan_Axis(Y_Axis(result, area, rules), dy);
  return result;
}

Graph_Limits Zoom_To_Box(const Graph_Limits& limits, const Plot_Area& area, const Zoom_Rules& rules,
                         int x1, int y1, int x2, int y2) {
  Graph_Limits result = limits;
  Box_Axis(X_Axis(result, area, rules), x1, x2);
  Box_Axis(Y_Axis(result, area, rules), y1, y2);
  return result;
}

}  // namespace pw
