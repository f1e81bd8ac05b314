// The scatter graph: automatic limits, markers and polylines, and the point under the mouse.
//
// Plot_Points and Find_Point walk every point of a layer, so the per-point work is kept to
// the selection test, two value reads and the inline value-to-pixel arithmetic (the same
// formula as Pixel_X / Pixel_Y).
#include "graphs/d_scatgraph.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "draw/D_Math.h"
#include "draw/d_draw.h"
#include "draw/d_range.h"

namespace pw {

namespace {

// A mapped offset beyond this many pixels from the plot corner counts as a failed point: the
// coordinates must stay well inside the int range the drawing primitives take.
constexpr long double Max_Pixel_Offset = 1.0e9L;

enum class Point_Kind { Missing_Value, Outside, Failed, Inside };

// Rounds to nearest, halves to even, while it lives (the process normally runs in that mode;
// this only guards against a caller that changed it).
class Nearest_Rounding {
 public:
  Nearest_Rounding() : old_(std::fegetround()) {
    if (old_ != FE_TONEAREST) std::fesetround(FE_TONEAREST);
  }
  ~Nearest_Rounding() {
    if (old_ != FE_TONEAREST) std::fesetround(old_);
  }
  Nearest_Rounding(const Nearest_Rounding&) = delete;
  Nearest_Rounding& operator=(const Nearest_Rounding&) = delete;

 private:
  int old_;
};

// Round to nearest, halves to even, of |x| <= Max_Pixel_Offset: adding and taking away 2^63
// leaves x rounded to a whole number in the 64-bit mantissa of an extended number. This is
// Round_Even without the library call that dominated the drawing loop. The whole number is
// exact as a double, whose conversion to int needs none of the two x87 control-word switches
// a direct conversion of an extended number costs.
inline int Round_Small(long double x) {
  constexpr long double two63 = 9223372036854775808.0L;
  const long double r = x >= 0 ? (x + two63) - two63 : (x - two63) + two63;
  return static_cast<int>(static_cast<double>(r));
}

// The graph's limits, scales and plot corner, copied once per pass over the points.
struct Point_Mapper {
  long double x_lo, x_hi, y_lo, y_hi, x_scale, y_scale;
  // How far the values that lie on a limit reach (Lowest_On, Highest_On).
  long double x_lo_on, x_hi_on, y_lo_on, y_hi_on;
  int left, bottom;
  bool log_x, log_y;

  explicit Point_Mapper(const TC_Scat_Graph& g)
      : x_lo(g.XLo),
        x_hi(g.XHi),
        y_lo(g.YLo),
        y_hi(g.YHi),
        x_scale(g.X_Scale),
        y_scale(g.Y_Scale),
        x_lo_on(Lowest_On(g.XLo)),
        x_hi_on(Highest_On(g.XHi)),
        y_lo_on(Lowest_On(g.YLo)),
        y_hi_on(Highest_On(g.YHi)),
        left(g.Plot_Left),
        bottom(g.Plot_Bottom),
        log_x(g.LogX),
        log_y(g.LogY) {}

  // Classifies the point (vx, vy) and, when it lies inside the limits, gives its pixel. A
  // value on a limit is drawn on the frame, however narrow the range.
  Point_Kind Map(long double vx, long double vy, int& px, int& py) const {
    // The missing test: Missing is a NaN, and infinities count as missing too.
    if (!std::isfinite(vx) || !std::isfinite(vy)) return Point_Kind::Missing_Value;
    if (log_x) {
      if (!(vx > 0)) return Point_Kind::Failed;
      vx = std::log10(vx);
    }
    if (log_y) {
      if (!(vy > 0)) return Point_Kind::Failed;
      vy = std::log10(vy);
    }
    if (!(x_lo <= vx && vx <= x_hi && y_lo <= vy && vy <= y_hi)) {
      return Map_Outside(vx, vy, px, py);
    }
    return Pixel(vx, vy, px, py);
  }

 private:
  // A point outside the limits: drawn on the frame when its values lie on the limits they are
  // outside of (Lowest_On, Highest_On). Out of line: nearly every point is inside, and the
  // loop keeps its registers for those.
  [[gnu::noinline]] Point_Kind Map_Outside(long double vx, long double vy, int& px, int& py) const {
    if (!(x_lo_on <= vx && vx <= x_hi_on && y_lo_on <= vy && vy <= y_hi_on)) {
      return Point_Kind::Outside;
    }
    vx = vx < x_lo ? x_lo : (vx > x_hi ? x_hi : vx);
    vy = vy < y_lo ? y_lo : (vy > y_hi ? y_hi : vy);
    return Pixel(vx, vy, px, py);
  }

  Point_Kind Pixel(long double vx, long double vy, int& px, int& py) const {
    const long double fx = (vx - x_lo) / x_scale;
    const long double fy = (y_lo - vy) / y_scale;
    // Written so that a NaN fails as well.
    if (!(std::fabs(fx) <= Max_Pixel_Offset && std::fabs(fy) <= Max_Pixel_Offset)) {
      return Point_Kind::Failed;
    }
    px = left + Round_Small(fx);
    py = bottom + Round_Small(fy);
    return Point_Kind::Inside;
  }
};

// The value of point p in column c under the buffer's selection, as Get_Value gives it, for
// two columns with one selection test.
inline void Get_Pair(const TC_Data_Buffer& buffer, std::int32_t p, int cx, int cy, long double& vx,
                     long double& vy) {
  if (buffer.Is_Selected(p)) {
    vx = buffer.Raw_Value(p, cx);
    vy = buffer.Raw_Value(p, cy);
  } else {
    vx = vy = Missing;
  }
}

// Marks pixels of the plot area that already hold this pass's marker: drawing the same marker
// in the same colour at the same pixel again changes nothing, so it is skipped.
class Marker_Seen {
 public:
  Marker_Seen(int left, int top, int right, int bottom)
      : left_(left), top_(top), width_(right - left + 1), height_(bottom - top + 1) {
    if (width_ > 0 && height_ > 0) {
      seen_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), false);
    }
  }
  // True the first time (x, y) is offered; always true outside the plot area.
  bool First(int x, int y) {
    const int ix = x - left_, iy = y - top_;
    if (ix < 0 || iy < 0 || ix >= width_ || iy >= height_) return true;
    const std::size_t k = static_cast<std::size_t>(iy) * width_ + ix;
    if (seen_[k]) return false;
    seen_[k] = true;
    return true;
  }

 private:
  int left_, top_, width_, height_;
  std::vector<bool> seen_;
};

}  // namespace

std::unique_ptr<TC_Graph_Layer> TC_Scat_Graph::Create_Layer() {
  return std::make_unique<TC_Scat_Layer>();
}

namespace {

// Gathers one axis's extent. On a linear axis this is the buffer's Column_Range: the extremes
// of the values as doubles, compared as doubles (fast), and those beyond the double range on
// the side; on a logarithmic one the decades of the positive values.
template <bool Log>
struct Axis_Walk {
  std::int32_t n = 0;
  long double minimum = 0, maximum = 0;  // logarithmic: the decades
  double low = 0, high = 0;              // linear: the values within the double range
  std::int32_t beyond = 0;               // linear: the values beyond it
  long double beyond_low = 0, beyond_high = 0;

  void Add(long double x) {
    if constexpr (Log) {
      if (!std::isfinite(x) || !(x > 0)) return;
      const long double d = std::log10(x);
      if (n == 0 || d < minimum) minimum = d;
      if (n == 0 || d > maximum) maximum = d;
      ++n;
    } else {
      const auto v = static_cast<double>(x);
      if (std::isfinite(v)) {
        if (n == 0 || v < low) low = v;
        if (n == 0 || v > high) high = v;
        ++n;
      } else if (std::isfinite(x)) {
        if (beyond == 0 || x < beyond_low) beyond_low = x;
        if (beyond == 0 || x > beyond_high) beyond_high = x;
        ++beyond;
      }
    }
  }
  TC_Scat_Graph::Extent Result() const {
    if constexpr (Log) {
      return {n, minimum, maximum};
    } else {
      if (beyond == 0) return {n, low, high};
      if (n == 0) return {beyond, beyond_low, beyond_high};
      return {n + beyond, std::min<long double>(low, beyond_low),
              std::max<long double>(high, beyond_high)};
    }
  }
};

template <bool Log>
TC_Scat_Graph::Extent Column_Extent(const TC_Data_Buffer& buffer, int column) {
  Axis_Walk<Log> walk;
  buffer.For_Each_Selected(column, [&walk](long double v) { walk.Add(v); });
  return walk.Result();
}

// Both axes of the buffer's selection in one pass.
template <bool Log_X, bool Log_Y>
void Pair_Extents(const TC_Data_Buffer& buffer, int x_col, int y_col, TC_Scat_Graph::Extent& x,
                  TC_Scat_Graph::Extent& y) {
  Axis_Walk<Log_X> walk_x;
  Axis_Walk<Log_Y> walk_y;
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  buffer.For_Each_Index([&](std::size_t i) {
    walk_x.Add(xs[i]);
    walk_y.Add(ys[i]);
  });
  x = walk_x.Result();
  y = walk_y.Result();
}

}  // namespace

void TC_Scat_Graph::Draw_All(TC_Data_Buffer& buffer) {
  struct Forget {  // whatever way Draw_All ends
    TC_Scat_Graph& g;
    ~Forget() {
      g.sharing_ = false;
      g.kept_y_.clear();
    }
  } forget{*this};
  sharing_ = true;
  kept_y_.clear();
  TC_Graph::Draw_All(buffer);
}

// Minimum and maximum over all layers of one axis (decades on a logarithmic axis, from the
// positive values only); equal limits are spread around their value (Spread_Limits),
// different ones rounded under `round`. Limits with no value at all keep their old values before
// the spreading.
void TC_Scat_Graph::Find_Axis_Limits(TC_Data_Buffer& buffer, bool x_axis, long double& lo,
                                     long double& hi) {
  const bool logarithmic = x_axis ? LogX : LogY;
  // While both axes are automatic, the X walk finds the Y extents too (the Y limits are
  // found right after, from the same layers and selections).
  const bool both = sharing_ && x_axis && YLo >= YHi;
  const bool use_kept =
      sharing_ && !x_axis && kept_y_.size() == static_cast<std::size_t>(Layer_Count());
  if (both) kept_y_.clear();
  bool first = true;
  for (int i = 1; i <= Layer_Count(); ++i) {
    TC_Scat_Layer& layer = Scat_Layer(i);
    buffer.Set_Selection(layer.Sel);
    Extent e;
    if (use_kept) {
      e = kept_y_[static_cast<std::size_t>(i - 1)];
    } else if (both) {
      Extent y;
      if (LogX) {
        LogY ? Pair_Extents<true, true>(buffer, layer.X_Col, layer.Y_Col, e, y)
             : Pair_Extents<true, false>(buffer, layer.X_Col, layer.Y_Col, e, y);
      } else {
        LogY ? Pair_Extents<false, true>(buffer, layer.X_Col, layer.Y_Col, e, y)
             : Pair_Extents<false, false>(buffer, layer.X_Col, layer.Y_Col, e, y);
      }
      kept_y_.push_back(y);
    } else {
      const int column = x_axis ? layer.X_Col : layer.Y_Col;
      e = logarithmic ? Column_Extent<true>(buffer, column) : Column_Extent<false>(buffer, column);
    }
    if (e.n == 0) continue;
    if (first || e.minimum < lo) lo = e.minimum;
    if (first || e.maximum > hi) hi = e.maximum;
    first = false;
  }
  if (use_kept) kept_y_.clear();
  if (lo == hi) {
    Spread_Limits(lo, hi);
  } else if (x_axis ? RoundX : RoundY) {
    Round_Limits(lo, hi);
  }
}

void TC_Scat_Graph::Find_X_Limits(TC_Data_Buffer& buffer) {
  if (XLo >= XHi) Find_Axis_Limits(buffer, true, XLo, XHi);
}

void TC_Scat_Graph::Find_Y_Limits(TC_Data_Buffer& buffer) {
  if (YLo >= YHi) Find_Axis_Limits(buffer, false, YLo, YHi);
}

void TC_Scat_Graph::Draw_Frame(TC_Data_Buffer& buffer) {
  if (Caption.empty()) {
    if (Layer_Count() > 0) {
      X_Title = buffer.Get_Title(Scat_Layer(1).X_Col);
      Y_Title = buffer.Get_Title(Scat_Layer(1).Y_Col);
    }
  } else {
    X_Title = Caption;
    Y_Title.clear();
  }
  TC_Graph::Draw_Frame(buffer);
}

void TC_Scat_Graph::Draw(int layer_number, TC_Data_Buffer& buffer) {
  TC_Scat_Layer& layer = Scat_Layer(layer_number);
  buffer.Set_Selection(layer.Sel);
  Plot_Points(buffer, layer.X_Col, layer.Y_Col, layer.Color, layer.Marker_Kind);
}

void TC_Scat_Graph::Plot_Points(TC_Data_Buffer& buffer, int x_col, int y_col, Color color,
                                int marker) {
  // A cell too small for a plot area gets its background only.
  if (Plot_Too_Small() || Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top) return;
  const Layer_Scope layer(Plot_Left, Plot_Top, Plot_Right, Plot_Bottom);
  Set_Color(color);
  const Nearest_Rounding rounding;
  const Point_Mapper map(*this);
  const bool line = marker == Marker_Line;
  Marker_Seen seen(line ? 0 : Plot_Left, Plot_Top, line ? -1 : Plot_Right, Plot_Bottom);
  bool failed = false;
  bool pen_up = true;
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  std::size_t next = 0;  // the index after the latest selected point
  buffer.For_Each_Index([&](std::size_t i) {
    // A point left out by the selection reads as missing: it lifts the pen.
    if (i != next) pen_up = true;
    next = i + 1;
    int px = 0, py = 0;
    switch (map.Map(xs[i], ys[i], px, py)) {
      case Point_Kind::Missing_Value:
        pen_up = true;
        return;
      case Point_Kind::Outside:  // the line runs on to the next point inside
        return;
      case Point_Kind::Failed:
        failed = true;
        pen_up = true;
        return;
      case Point_Kind::Inside:
        break;
    }
    if (line) {
      if (pen_up) {
        Move_To(px, py);
      } else {
        Line_To(px, py);
      }
    } else if (seen.First(px, py)) {
      Draw_Marker(px, py, marker);
    }
    pen_up = false;
  });
  if (failed) throw Error("Errors occurred while draving points");
}

std::int32_t TC_Scat_Graph::Find_Point(int x, int y, TC_Data_Buffer& buffer, int x_col, int y_col) {
  if (Plot_Too_Small() || Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top) return 0;
  const Nearest_Rounding rounding;
  const Point_Mapper map(*this);
  const std::int32_t count = buffer.Point_Count();
  for (std::int32_t p = 1; p <= count; ++p) {
    long double vx, vy;
    Get_Pair(buffer, p, x_col, y_col, vx, vy);
    int px = 0, py = 0;
    if (map.Map(vx, vy, px, py) != Point_Kind::Inside) continue;
    if (std::abs(px - x) <= PixOff && std::abs(py - y) <= PixOff) return p;
  }
  return 0;
}

void TC_Scat_Graph::Point_Info(int x, int y, std::string& text, TC_Data_Buffer& buffer) {
  text.clear();
  for (int i = 1; i <= Layer_Count(); ++i) {
    TC_Scat_Layer& layer = Scat_Layer(i);
    buffer.Set_Selection(layer.Sel);
    const std::int32_t p = Find_Point(x, y, buffer, layer.X_Col, layer.Y_Col);
    if (p == 0) continue;
    for (int selector : layer.Hint_Sel) {
      if (selector != 0) {
        text += "  ";
        text += buffer.Get_Text(p, selector);
      }
    }
    return;
  }
}

}  // namespace pw
