// The counting pass of a density layer.
#include "graphs/d_densitycount.h"

#include <algorithm>
#include <atomic>

#include "base/parallel.h"

namespace pw {

namespace {

// The counts of the threads beyond the first take at most this much memory together; with a
// large plot area fewer threads count (the mapping, not the adding, is most of the work).
constexpr std::size_t Lane_Bytes = std::size_t{64} << 20;
// A thread beyond the first clears its own counts and adds them up at the end, two passes
// over the area: it pays only with at least this many points per pixel of the area.
constexpr std::size_t Points_Per_Cell_And_Lane = 1;

// Counts the points of [begin, end) into `grid` (the area of `area`); true when one failed.
bool Count_Piece(const TC_Data_Buffer& buffer, const Packed_Values& xs, const Packed_Values& ys,
                 const Point_Mapper& map, const Density_Counts& area, std::size_t begin,
                 std::size_t end, std::uint32_t* grid) {
  bool failed = false;
  const auto width = static_cast<unsigned>(area.width);
  const auto height = static_cast<unsigned>(area.height);
  buffer.For_Each_Index_In(begin, end, [&](std::size_t i) {
    int px = 0, py = 0;
    const Point_Kind kind = map.Map_Point(xs, ys, i, px, py);
    if (kind != Point_Kind::Inside) {
      failed = failed || kind == Point_Kind::Failed;
      return;
    }
    // Unsigned: a pixel left of or above the area wraps around and fails the test too.
    const unsigned x = static_cast<unsigned>(px - area.left);
    const unsigned y = static_cast<unsigned>(py - area.top);
    if (x < width && y < height) ++grid[static_cast<std::size_t>(y) * width + x];
  });
  return failed;
}

}  // namespace

Density_Counts Count_Density(const TC_Data_Buffer& buffer, int x_col, int y_col,
                             const Point_Mapper& map, int left, int top, int right, int bottom) {
  Density_Counts result;
  if (right < left || bottom < top) return result;
  result.left = left;
  result.top = top;
  result.width = right - left + 1;
  result.height = bottom - top + 1;
  const std::size_t cells = static_cast<std::size_t>(result.width) * result.height;
  result.counts.assign(cells, 0);

  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  const std::size_t pieces = Chunk_Count(n);
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  std::size_t lanes = 1;
  if (n >= Parallel_Threshold) {
    lanes = std::min({static_cast<std::size_t>(Thread_Count()), pieces,
                      1 + Lane_Bytes / (cells * sizeof(std::uint32_t)),
                      std::max<std::size_t>(1, n / (cells * Points_Per_Cell_And_Lane))});
  }
  if (lanes <= 1) {
    const Nearest_Rounding rounding;
    result.failed = Count_Piece(buffer, xs, ys, map, result, 0, n, result.counts.data());
    return result;
  }

  // Lane 0 counts into the result; the others into counts of their own. Each lane takes the
  // next piece not yet taken, so the lanes stay busy however the threads are scheduled.
  std::vector<std::vector<std::uint32_t>> extra(lanes - 1, std::vector<std::uint32_t>(cells, 0));
  std::vector<unsigned char> failed(lanes, 0);  // one each: no two lanes write the same
  std::atomic<std::size_t> next{0};
  Parallel_For(lanes, [&](std::size_t lane) {
    const Nearest_Rounding rounding;
    std::uint32_t* grid = lane == 0 ? result.counts.data() : extra[lane - 1].data();
    bool any_failed = false;
    for (std::size_t k = next.fetch_add(1); k < pieces; k = next.fetch_add(1)) {
      const std::size_t begin = k * Chunk_Points;
      any_failed = Count_Piece(buffer, xs, ys, map, result, begin,
                               std::min(n, begin + Chunk_Points), grid) ||
                   any_failed;
    }
    failed[lane] = any_failed;
  });
  result.failed = std::find(failed.begin(), failed.end(), 1) != failed.end();
  // The lanes' counts added up, in pieces of pixels on several threads.
  Parallel_Chunks(cells, [&](std::size_t, std::size_t begin, std::size_t end) {
    std::uint32_t* sum = result.counts.data();
    for (const std::vector<std::uint32_t>& lane : extra) {
      for (std::size_t i = begin; i < end; ++i) sum[i] += lane[i];
    }
  });
  return result;
}

}  // namespace pw
