// The passes of a scatter graph over one layer's points, in pieces merged in point order.
#include "graphs/d_scatpoints.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <cstdlib>
#include <limits>
#include <vector>

#include "base/parallel.h"
#include "draw/d_draw.h"

namespace pw {

namespace {

// ---- Extents --------------------------------------------------------------------------------

// Gathers one axis's extent. On a linear axis the extremes of the values as doubles, compared
// as doubles (fast), and those beyond the double range on the side; on a logarithmic one the
// decades of the positive values. A walk of a later run merges into it with the same result
// as one walk over both.
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
        Add_Double(v);
      } else if (std::isfinite(x)) {
        if (beyond == 0 || x < beyond_low) beyond_low = x;
        if (beyond == 0 || x > beyond_high) beyond_high = x;
        ++beyond;
      }
    }
  }
  // Linear: a value within the double range, as a double.
  void Add_Double(double v) {
    if (n == 0 || v < low) low = v;
    if (n == 0 || v > high) high = v;
    ++n;
  }
  // Add of value i, by its quick double where the rounding mode is the default (`nearest`).
  void Add_At(const Packed_Values& values, std::size_t i, bool nearest) {
    if constexpr (!Log) {
      double v;
      if (nearest && values.Nearest_Double(i, v)) {
        Add_Double(v);
        return;
      }
    }
    Add(values[i]);
  }
  // Takes in the walk of the run that follows this one: an end is replaced only by a strictly
  // smaller (larger) one, as Add does, so ties keep the earlier point's value.
  void Merge(const Axis_Walk& next) {
    if constexpr (Log) {
      if (next.n == 0) return;
      if (n == 0 || next.minimum < minimum) minimum = next.minimum;
      if (n == 0 || next.maximum > maximum) maximum = next.maximum;
      n += next.n;
    } else {
      if (next.n > 0) {
        if (n == 0 || next.low < low) low = next.low;
        if (n == 0 || next.high > high) high = next.high;
        n += next.n;
      }
      if (next.beyond > 0) {
        if (beyond == 0 || next.beyond_low < beyond_low) beyond_low = next.beyond_low;
        if (beyond == 0 || next.beyond_high > beyond_high) beyond_high = next.beyond_high;
        beyond += next.beyond;
      }
    }
  }
  Value_Extent Result() const {
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

// One walk per piece of Chunk_Points points, merged in piece order.
template <bool Log>
Value_Extent Column_Walk(const TC_Data_Buffer& buffer, int column) {
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  std::vector<Axis_Walk<Log>> pieces(Chunk_Count(n));
  const Packed_Values values = buffer.Column_Data(column);
  const bool nearest = std::fegetround() == FE_TONEAREST;
  Parallel_Chunks(n, [&](std::size_t k, std::size_t begin, std::size_t end) {
    Axis_Walk<Log> walk;
    buffer.For_Each_Index_In(begin, end, [&](std::size_t i) { walk.Add_At(values, i, nearest); });
    pieces[k] = walk;
  });
  Axis_Walk<Log> total;
  for (const Axis_Walk<Log>& piece : pieces) total.Merge(piece);
  return total.Result();
}

template <bool Log_X, bool Log_Y>
void Pair_Walk(const TC_Data_Buffer& buffer, int x_col, int y_col, Value_Extent& x,
               Value_Extent& y) {
  struct Pair {
    Axis_Walk<Log_X> x;
    Axis_Walk<Log_Y> y;
  };
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  std::vector<Pair> pieces(Chunk_Count(n));
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  const bool nearest = std::fegetround() == FE_TONEAREST;
  Parallel_Chunks(n, [&](std::size_t k, std::size_t begin, std::size_t end) {
    Pair walk;
    buffer.For_Each_Index_In(begin, end, [&](std::size_t i) {
      walk.x.Add_At(xs, i, nearest);
      walk.y.Add_At(ys, i, nearest);
    });
    pieces[k] = walk;
  });
  Pair total;
  for (const Pair& piece : pieces) {
    total.x.Merge(piece.x);
    total.y.Merge(piece.y);
  }
  x = total.x.Result();
  y = total.y.Result();
}

// ---- Drawing --------------------------------------------------------------------------------

// One bit per pixel of an area: which pixels a marker pass has taken.
class Pixel_Mask {
 public:
  Pixel_Mask(int left, int top, int right, int bottom)
      : left_(left), top_(top), width_(right - left + 1), height_(bottom - top + 1) {
    if (width_ > 0 && height_ > 0) {
      bits_.assign((static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) + 63) / 64,
                   0);
    }
  }
  // Takes (x, y); true when it was free. Outside the area always true (nothing is kept).
  bool Take(int x, int y) {
    std::size_t k;
    if (!Index(x, y, k)) return true;
    std::uint64_t& word = bits_[k >> 6];
    const std::uint64_t bit = std::uint64_t{1} << (k & 63);
    if (word & bit) return false;
    word |= bit;
    return true;
  }

 private:
  bool Index(int x, int y, std::size_t& k) const {
    const int ix = x - left_, iy = y - top_;
    if (ix < 0 || iy < 0 || ix >= width_ || iy >= height_) return false;
    k = static_cast<std::size_t>(iy) * static_cast<std::size_t>(width_) +
        static_cast<std::size_t>(ix);
    return true;
  }

  int left_, top_, width_, height_;
  std::vector<std::uint64_t> bits_;
};

// What the drawing does with a mapped point: a marker, or a polyline step. A piece does not
// know whether the pen is up when it starts, so its first step may depend on the pieces before.
enum class Step : std::uint8_t { Marker, Move, Line, Move_If_Up };

struct Mapped_Point {
  int x, y;
  Step step;
};

// The pen after a piece: up or down when the piece decided it, else as it came in.
enum class Pen_After : std::uint8_t { Unchanged, Up, Down };

// One piece of points mapped to pixels, ready to be drawn.
struct Mapped_Piece {
  Mapped_Piece(int left, int top, int right, int bottom) : taken(left, top, right, bottom) {}

  std::vector<Mapped_Point> points;  // markers: only the first point on each pixel
  Pixel_Mask taken;                  // markers: the pixels this slot's pieces have taken
  bool failed = false;
  bool any = false;                 // some point of the piece is selected
  std::size_t first = 0, last = 0;  // the first and last selected point (0-based)
  Pen_After pen = Pen_After::Unchanged;
};

// Maps the selected points of [begin, end) into `piece` (whose earlier points go). The pixels
// a slot's earlier pieces took stay taken: those pieces have all been drawn before the slot is
// used again, so the drawing has taken those pixels too and would skip them anyway.
void Map_Piece(const TC_Data_Buffer& buffer, const Packed_Values& xs, const Packed_Values& ys,
               const Point_Mapper& map, bool line, std::size_t begin, std::size_t end,
               Mapped_Piece& piece) {
  piece.points.clear();
  piece.failed = false;
  piece.any = false;
  const Nearest_Rounding rounding;
  bool known = false;  // whether this piece has decided the pen yet
  bool pen_up = true;
  std::size_t next = 0;  // the index after the latest selected point
  // Inlined into both loops of For_Each_Index_In: a call per point, with its saved registers,
  // was a sixth of the pass.
  buffer.For_Each_Index_In(begin, end, [&](std::size_t i) __attribute__((always_inline)) {
    // A point left out by the selection reads as missing: it lifts the pen. Whether one lies
    // between this piece's first point and the pieces before is for the merge to see.
    if (!piece.any) {
      piece.any = true;
      piece.first = i;
    } else if (i != next) {
      known = true;
      pen_up = true;
    }
    next = i + 1;
    int px = 0, py = 0;
    const Point_Kind kind = map.Map_Point(xs, ys, i, px, py);
    switch (kind) {
      case Point_Kind::Missing_Value:
        known = true;
        pen_up = true;
        return;
      case Point_Kind::Outside:  // the line runs on to the next point inside
        return;
      case Point_Kind::Failed:
        piece.failed = true;
        known = true;
        pen_up = true;
        return;
      case Point_Kind::Inside:
        break;
    }
    if (line) {
      piece.points.push_back(
          {px, py, !known ? Step::Move_If_Up : (pen_up ? Step::Move : Step::Line)});
      known = true;
      pen_up = false;
    } else if (piece.taken.Take(px, py)) {
      piece.points.push_back({px, py, Step::Marker});
    }
  });
  piece.last = next - 1;
  piece.pen = !known ? Pen_After::Unchanged : (pen_up ? Pen_After::Up : Pen_After::Down);
}

// The drawing side of Draw_Mapped_Points: takes the pieces in order on the calling thread.
class Piece_Drawer {
 public:
  Piece_Drawer(int marker, int left, int top, int right, int bottom)
      : marker_(marker), taken_(left, top, right, bottom) {}

  void Draw(const Mapped_Piece& piece) {
    failed_ = failed_ || piece.failed;
    if (!piece.any) return;
    if (piece.first != next_) pen_up_ = true;  // points left out before this piece
    for (const Mapped_Point& p : piece.points) {
      switch (p.step) {
        case Step::Marker:
          if (taken_.Take(p.x, p.y)) Draw_Marker(p.x, p.y, marker_);
          continue;
        case Step::Move_If_Up:
          pen_up_ ? Move_To(p.x, p.y) : Line_To(p.x, p.y);
          break;
        case Step::Move:
          Move_To(p.x, p.y);
          break;
        case Step::Line:
          Line_To(p.x, p.y);
          break;
      }
      pen_up_ = false;
    }
    if (piece.pen != Pen_After::Unchanged) pen_up_ = piece.pen == Pen_After::Up;
    next_ = piece.last + 1;
  }
  bool Failed() const { return failed_; }

 private:
  int marker_;
  Pixel_Mask taken_;
  bool pen_up_ = true;
  std::size_t next_ = 0;  // the index after the latest selected point drawn
  bool failed_ = false;
};

}  // namespace

Value_Extent Column_Extent(const TC_Data_Buffer& buffer, int column, bool log) {
  return log ? Column_Walk<true>(buffer, column) : Column_Walk<false>(buffer, column);
}

void Pair_Extents(const TC_Data_Buffer& buffer, int x_col, int y_col, bool log_x, bool log_y,
                  Value_Extent& x, Value_Extent& y) {
  if (log_x) {
    log_y ? Pair_Walk<true, true>(buffer, x_col, y_col, x, y)
          : Pair_Walk<true, false>(buffer, x_col, y_col, x, y);
  } else {
    log_y ? Pair_Walk<false, true>(buffer, x_col, y_col, x, y)
          : Pair_Walk<false, false>(buffer, x_col, y_col, x, y);
  }
}

bool Draw_Mapped_Points(const TC_Data_Buffer& buffer, int x_col, int y_col, const Point_Mapper& map,
                        int marker, int left, int top, int right, int bottom) {
  const bool line = marker == Marker_Line;
  // A polyline draws every point: nothing to track.
  if (line) right = left - 1;
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  const std::size_t pieces = Chunk_Count(n);
  const bool parallel = n >= Parallel_Threshold && Thread_Count() > 1;
  // Pieces mapped ahead of the drawing: one per thread and one more, so every thread has a
  // piece while the calling thread draws. No more: every slot has a pixel mask of the whole
  // plot area (a quarter of a megabyte at 1920 x 1080) that each point's pixel is looked up
  // in, and more masks than the caches hold cost more than they save (a tenth to a quarter more
  // processor time with twice the slots, on a scatter graph of ten million points).
  const std::size_t window = std::min<std::size_t>(
      pieces, parallel ? static_cast<std::size_t>(Thread_Count()) + 1 : 1);
  std::vector<Mapped_Piece> slots(window, Mapped_Piece(left, top, right, bottom));
  // Room for a whole piece at once: no growing and copying while the points come.
  for (Mapped_Piece& slot : slots) slot.points.reserve(std::min(n, Chunk_Points));
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  Piece_Drawer drawer(marker, left, top, right, bottom);
  auto produce = [&](std::size_t k) {
    const std::size_t begin = k * Chunk_Points;
    Map_Piece(buffer, xs, ys, map, line, begin, std::min(n, begin + Chunk_Points),
              slots[k % window]);
  };
  auto consume = [&](std::size_t k) { drawer.Draw(slots[k % window]); };
  if (parallel) {
    Parallel_Ordered(pieces, window, produce, consume);
  } else {
    for (std::size_t k = 0; k < pieces; ++k) {
      produce(k);
      consume(k);
    }
  }
  return drawer.Failed();
}

std::int32_t Find_Mapped_Point(const TC_Data_Buffer& buffer, int x_col, int y_col,
                               const Point_Mapper& map, int x, int y, int reach) {
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  const std::size_t none = std::numeric_limits<std::size_t>::max();
  // The lowest piece known to hold a hit: pieces after it need not look.
  std::atomic<std::size_t> best_piece{none};
  std::vector<std::size_t> hits(Chunk_Count(n), none);
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  Parallel_Chunks(n, [&](std::size_t k, std::size_t begin, std::size_t end) {
    if (k > best_piece.load(std::memory_order_relaxed)) return;
    const Nearest_Rounding rounding;
    for (std::size_t i = begin; i < end; ++i) {
      if (!buffer.Is_Selected(static_cast<std::int32_t>(i + 1))) continue;
      int px = 0, py = 0;
      if (map.Map_Point(xs, ys, i, px, py) != Point_Kind::Inside) continue;
      if (std::abs(px - x) <= reach && std::abs(py - y) <= reach) {
        hits[k] = i;
        std::size_t seen = best_piece.load(std::memory_order_relaxed);
        while (k < seen && !best_piece.compare_exchange_weak(seen, k)) {
        }
        return;
      }
    }
  });
  for (std::size_t hit : hits) {
    if (hit != none) return static_cast<std::int32_t>(hit + 1);
  }
  return 0;
}

}  // namespace pw
