// Geometry of the vector pages that the SVG and PDF writers share.
#include "draw/d_vector_page.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pw {

namespace {

// Half a step of the segment from `from` to `to` along its longer axis, the way the raster
// counts a line's pixels.
Vector_XY Half_Step(const Vector_Point& from, const Vector_Point& to) {
  const double dx = static_cast<double>(to.X) - from.X, dy = static_cast<double>(to.Y) - from.Y;
  const double major = std::max(std::fabs(dx), std::fabs(dy));
  if (major == 0) return {};
  return {0.5 * dx / major, 0.5 * dy / major};
}

// Liang-Barsky: the part of the segment a-b inside the box; false when none is.
bool Clip_Segment(Vector_XY& a, Vector_XY& b, double lo_x, double lo_y, double hi_x, double hi_y) {
  double t0 = 0, t1 = 1;
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.X - lo_x, hi_x - a.X, a.Y - lo_y, hi_y - a.Y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      t0 = std::max(t0, t);
    } else {
      t1 = std::min(t1, t);
    }
    if (t0 > t1) return false;
  }
  const Vector_XY start{a.X + t0 * dx, a.Y + t0 * dy};
  const Vector_XY end{a.X + t1 * dx, a.Y + t1 * dy};
  a = start;
  b = end;
  return true;
}

}  // namespace

std::vector<Stroke_Piece> Stroke_Pieces(const Stroke_Item& item, int width, int height) {
  std::vector<Stroke_Piece> pieces;
  const double lo_x = -Vector_Margin, lo_y = -Vector_Margin;
  const double hi_x = static_cast<double>(width) + Vector_Margin;
  const double hi_y = static_cast<double>(height) + Vector_Margin;
  for (std::size_t s = 0; s < item.Starts.size(); ++s) {
    const std::size_t first = item.Starts[s];
    const std::size_t end = s + 1 < item.Starts.size() ? item.Starts[s + 1] : item.Points.size();
    if (end - first < 2) continue;
    const Vector_Point* p = item.Points.data() + first;
    const std::size_t n = end - first;
    const bool closed = n >= 3 && p[0].X == p[n - 1].X && p[0].Y == p[n - 1].Y;
    std::vector<Vector_XY> centres(n);
    for (std::size_t i = 0; i < n; ++i) centres[i] = {p[i].X + 0.5, p[i].Y + 0.5};
    if (!closed) {
      // The first pixel is covered, the last one is not.
      const Vector_XY head = Half_Step(p[0], p[1]), tail = Half_Step(p[n - 2], p[n - 1]);
      centres[0].X -= head.X, centres[0].Y -= head.Y;
      centres[n - 1].X -= tail.X, centres[n - 1].Y -= tail.Y;
    }
    const bool inside = std::all_of(centres.begin(), centres.end(), [&](const Vector_XY& c) {
      return c.X >= lo_x && c.X <= hi_x && c.Y >= lo_y && c.Y <= hi_y;
    });
    if (inside) {
      pieces.push_back({std::move(centres), closed});
      continue;
    }
    // Cut where the path leaves the page's margin: pieces of the visible part.
    bool joined = false;
    for (std::size_t i = 0; i + 1 < n; ++i) {
      Vector_XY a = centres[i], b = centres[i + 1];
      if (!Clip_Segment(a, b, lo_x, lo_y, hi_x, hi_y)) {
        joined = false;
        continue;
      }
      const bool continues = joined && a.X == centres[i].X && a.Y == centres[i].Y;
      if (!continues) pieces.push_back({{a}, false});
      pieces.back().Points.push_back(b);
      joined = b.X == centres[i + 1].X && b.Y == centres[i + 1].Y;
    }
  }
  return pieces;
}

Text_Frame Frame_Of(const Text_Item& item) {
  Text_Frame frame{static_cast<double>(item.X), static_cast<double>(item.Y), item.Angle};
  // The raster turns a quarter turn pixel for pixel: box pixel (u, v) lands on the pixel whose
  // top-left corner is the turned point, not on the turned unit square, which is the same as
  // turning about a corner one pixel over.
  switch (item.Angle) {
    case 90:
      frame.Origin_Y += 1;
      break;
    case 180:
      frame.Origin_X += 1;
      frame.Origin_Y += 1;
      break;
    case 270:
      frame.Origin_X += 1;
      break;
    default:
      break;
  }
  return frame;
}

}  // namespace pw
