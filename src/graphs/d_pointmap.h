// A scatter graph's value-to-pixel mapping of one point, as the passes over a layer use it.
//
// The passes walk every point of a layer, so the per-point work is kept to the inline
// value-to-pixel arithmetic: the formula of TC_Graph::Pixel_X / Pixel_Y with the graph's
// limits, scales and plot corner copied once per pass.
#pragma once

#include <cfenv>
#include <cmath>

#include "data/d_databuffer.h"
#include "draw/D_Math.h"
#include "graphs/d_graph.h"
#include "graphs/d_quickdiv.h"

namespace pw {

// A mapped offset beyond this many pixels from the plot corner counts as a failed point: the
// coordinates must stay well inside the int range the drawing primitives take.
inline constexpr long double Max_Pixel_Offset = 1.0e9L;

enum class Point_Kind { Missing_Value, Outside, Failed, Inside };

// Rounds to nearest, halves to even, while it lives (threads normally run in that mode; this
// only guards against a caller that changed it). The rounding mode belongs to the thread, so
// every thread that maps points keeps one.
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

// The graph's limits, scales and plot corner, copied once per pass over the points. Map only
// reads them, so threads share one mapper.
struct Point_Mapper {
  long double x_lo, x_hi, y_lo, y_hi, x_scale, y_scale;
  // How far the values that lie on a limit reach (Lowest_On, Highest_On).
  long double x_lo_on, x_hi_on, y_lo_on, y_hi_on;
  int left, bottom;
  bool log_x, log_y;
  // (v - lo) / scale of each axis, quickly (d_quickdiv.h); linear axes only.
  Quick_Quotient quick_x, quick_y;
  bool quick;

  explicit Point_Mapper(const TC_Graph& g)
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
        log_y(g.LogY),
        quick_x(g.XLo, g.X_Scale, (g.XHi - g.XLo) / g.X_Scale),
        quick_y(g.YLo, g.Y_Scale, (g.YHi - g.YLo) / g.Y_Scale),
        quick(!g.LogX && !g.LogY && quick_x.Usable() && quick_y.Usable()) {}

  // Map of point i of the columns xs and ys, quickly where the doubles decide: a point that the
  // quick quotients find certainly inside the limits and away from every half pixel gets the
  // pixel Map gives it, found in doubles; a point more than a pixel outside the limits on
  // either axis (Quick_Quotient::Beyond) is Outside without dividing. Map has the answer for
  // the rest (logarithmic axes among them).
  Point_Kind Map_Point(const Packed_Values& xs, const Packed_Values& ys, std::size_t i, int& px,
                       int& py) const {
    double x, y;
    if (quick && xs.Near_Double(i, x) && ys.Near_Double(i, y)) {
      int kx, ky;
      if (quick_x.Round(x, kx) && quick_y.Round(y, ky)) {
        px = left + kx;
        py = bottom - ky;
        return Point_Kind::Inside;
      }
      if (quick_x.Beyond(x) || quick_y.Beyond(y)) return Point_Kind::Outside;
    }
    return Map(xs[i], ys[i], px, py);
  }

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
      return Wide_Pixel(vx, vy, px, py);
    }
    px = left + Round_Small(fx);
    py = bottom + Round_Small(fy);
    return Point_Kind::Inside;
  }

  // Pixel once more for a value whose distance from a limit overflowed (an axis wider than the
  // largest extended number); every other value fails here as it did there.
  [[gnu::noinline]] Point_Kind Wide_Pixel(long double vx, long double vy, int& px,
                                          int& py) const {
    const long double fx = Scaled_Offset(x_lo, vx, x_scale);
    const long double fy = Scaled_Offset(vy, y_lo, y_scale);
    if (!(std::fabs(fx) <= Max_Pixel_Offset && std::fabs(fy) <= Max_Pixel_Offset)) {
      return Point_Kind::Failed;
    }
    px = left + Round_Small(fx);
    py = bottom + Round_Small(fy);
    return Point_Kind::Inside;
  }
};

}  // namespace pw
