#include "draw/d_line.h"

#include <algorithm>

namespace pw {

namespace {

using Wide = __int128;

// Smallest integer >= a / b, for b > 0.
Wide Ceil_Div(Wide a, Wide b) {
  return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// The steps i of [lo, hi] whose position start + dir * i lies in [0, size - 1].
void Restrict_Major(std::int64_t start, int dir, int size, Wide& lo, Wide& hi) {
  if (dir > 0) {
    lo = std::max<Wide>(lo, -static_cast<Wide>(start));
    hi = std::min<Wide>(hi, static_cast<Wide>(size) - 1 - start);
  } else {
    lo = std::max<Wide>(lo, static_cast<Wide>(start) - (size - 1));
    hi = std::min<Wide>(hi, start);
  }
}

// The steps i of [lo, hi] whose minor offset q(i) = floor((2 i dmin + dmaj) / (2 dmaj)), taken
// from start in direction dir, lies in [0, size - 1]. q grows with i, so this is an interval.
void Restrict_Minor(std::int64_t start, int dir, int size, std::int64_t dmaj, std::int64_t dmin,
                    Wide& lo, Wide& hi) {
  // Allowed offsets q in [qlo, qhi].
  Wide qlo, qhi;
  if (dir > 0) {
    qlo = -static_cast<Wide>(start);
    qhi = static_cast<Wide>(size) - 1 - start;
  } else {
    qlo = static_cast<Wide>(start) - (size - 1);
    qhi = start;
  }
  if (qhi < 0) {
    hi = lo - 1;
    return;
  }
  if (dmin == 0) {  // q is always 0
    if (qlo > 0) hi = lo - 1;
    return;
  }
  // q(i) >= k  <=>  i >= ceil((2k - 1) dmaj / (2 dmin)), for k >= 1.
  if (qlo > 0) lo = std::max(lo, Ceil_Div((2 * qlo - 1) * dmaj, 2 * static_cast<Wide>(dmin)));
  hi = std::min(hi, Ceil_Div((2 * (qhi + 1) - 1) * dmaj, 2 * static_cast<Wide>(dmin)) - 1);
}

}  // namespace

void Draw_Clipped_Line(TC_Bitmap& image, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                       std::int64_t y1, std::uint32_t pixel) {
  if (image.Empty()) return;
  const std::int64_t adx = x1 >= x0 ? x1 - x0 : x0 - x1;
  const std::int64_t ady = y1 >= y0 ? y1 - y0 : y0 - y1;
  const int sx = x1 >= x0 ? 1 : -1;
  const int sy = y1 >= y0 ? 1 : -1;
  const bool x_major = adx >= ady;
  const std::int64_t dmaj = x_major ? adx : ady;
  const std::int64_t dmin = x_major ? ady : adx;
  if (dmaj == 0) return;

  Wide lo = 0, hi = static_cast<Wide>(dmaj) - 1;
  if (x_major) {
    Restrict_Major(x0, sx, image.Width(), lo, hi);
    Restrict_Minor(y0, sy, image.Height(), dmaj, dmin, lo, hi);
  } else {
    Restrict_Major(y0, sy, image.Height(), lo, hi);
    Restrict_Minor(x0, sx, image.Width(), dmaj, dmin, lo, hi);
  }
  if (lo > hi) return;

  // Walk the visible steps with the usual error term, starting at step lo: all values now fit
  // the bitmap, so plain 64-bit arithmetic is enough.
  const Wide num = 2 * lo * dmin + dmaj;
  std::int64_t q = static_cast<std::int64_t>(num / (2 * static_cast<Wide>(dmaj)));
  std::int64_t r = static_cast<std::int64_t>(num % (2 * static_cast<Wide>(dmaj)));
  const std::int64_t first = static_cast<std::int64_t>(lo);
  const std::int64_t count = static_cast<std::int64_t>(hi - lo) + 1;
  std::int64_t major = (x_major ? x0 : y0) + (x_major ? sx : sy) * first;
  const int smaj = x_major ? sx : sy;
  const int smin = x_major ? sy : sx;
  const std::int64_t minor0 = x_major ? y0 : x0;
  for (std::int64_t k = 0; k < count; ++k) {
    const std::int64_t minor = minor0 + smin * q;
    if (x_major) {
      image.Row(static_cast<int>(minor))[major] = pixel;
    } else {
      image.Row(static_cast<int>(major))[minor] = pixel;
    }
    major += smaj;
    r += 2 * dmin;
    if (r >= 2 * dmaj) {
      r -= 2 * dmaj;
      ++q;
    }
  }
}

}  // namespace pw
