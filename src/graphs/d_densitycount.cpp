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

// Where the counts go: the area, its part kept pixel by pixel, and the pixels beyond that part.
struct Count_Target {
  int left, top;
  unsigned width, height;           // the area
  unsigned kept_x, kept_y;          // the kept part's corner, from the area's
  unsigned kept_width, kept_height;  // the kept part
};

// Counts the points of [begin, end) into `grid` (the kept part) and, for the area's pixels
// beyond it, their places into `beyond`; true when one failed.
bool Count_Piece(const TC_Data_Buffer& buffer, const Packed_Values& xs, const Packed_Values& ys,
                 const Point_Mapper& map, const Count_Target& area, std::size_t begin,
                 std::size_t end, std::uint32_t* grid, std::vector<std::uint64_t>& beyond) {
  bool failed = false;
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
    if (x >= area.width || y >= area.height) return;
    const unsigned kx = x - area.kept_x, ky = y - area.kept_y;
    if (kx < area.kept_width && ky < area.kept_height) {
      ++grid[static_cast<std::size_t>(ky) * area.kept_width + kx];
    } else {
      beyond.push_back(std::uint64_t{y} * area.width + x);
    }
  });
  return failed;
}

// The counts of the places in `places` (sorted here), one per distinct place.
std::vector<std::uint32_t> Counts_Of_Places(std::vector<std::uint64_t>& places) {
  std::sort(places.begin(), places.end());
  std::vector<std::uint32_t> counts;
  for (std::size_t i = 0; i < places.size();) {
    std::size_t j = i + 1;
    while (j < places.size() && places[j] == places[i]) ++j;
    counts.push_back(static_cast<std::uint32_t>(j - i));
    i = j;
  }
  return counts;
}

}  // namespace

Density_Counts Count_Density(const TC_Data_Buffer& buffer, int x_col, int y_col,
                             const Point_Mapper& map, int left, int top, int right, int bottom) {
  return Count_Density(buffer, x_col, y_col, map, left, top, right, bottom,
                       Density_Window{left, top, right, bottom});
}

Density_Counts Count_Density(const TC_Data_Buffer& buffer, int x_col, int y_col,
                             const Point_Mapper& map, int left, int top, int right, int bottom,
                             const Density_Window& window) {
  Density_Counts result;
  if (right < left || bottom < top) return result;
  const int kept_left = std::max(left, window.left), kept_top = std::max(top, window.top);
  const int kept_right = std::min(right, window.right);
  const int kept_bottom = std::min(bottom, window.bottom);
  result.left = kept_left;
  result.top = kept_top;
  result.width = std::max(kept_right - kept_left + 1, 0);
  result.height = std::max(kept_bottom - kept_top + 1, 0);
  const Count_Target area{left,
                          top,
                          static_cast<unsigned>(right - left) + 1,
                          static_cast<unsigned>(bottom - top) + 1,
                          static_cast<unsigned>(kept_left - left),
                          static_cast<unsigned>(kept_top - top),
                          static_cast<unsigned>(result.width),
                          static_cast<unsigned>(result.height)};
  const std::size_t cells = static_cast<std::size_t>(result.width) * result.height;
  result.counts.assign(cells, 0);

  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  const std::size_t pieces = Chunk_Count(n);
  const Packed_Values xs = buffer.Column_Data(x_col);
  const Packed_Values ys = buffer.Column_Data(y_col);
  const std::size_t lane_cells = std::max<std::size_t>(cells, 1);
  std::size_t lanes = 1;
  if (n >= Parallel_Threshold) {
    lanes = std::min({static_cast<std::size_t>(Thread_Count()), pieces,
                      1 + Lane_Bytes / (lane_cells * sizeof(std::uint32_t)),
                      std::max<std::size_t>(1, n / (lane_cells * Points_Per_Cell_And_Lane))});
  }
  std::vector<std::vector<std::uint64_t>> beyond(lanes);
  if (lanes <= 1) {
    const Nearest_Rounding rounding;
    result.failed =
        Count_Piece(buffer, xs, ys, map, area, 0, n, result.counts.data(), beyond[0]);
    result.beyond = Counts_Of_Places(beyond[0]);
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
      any_failed = Count_Piece(buffer, xs, ys, map, area, begin,
                               std::min(n, begin + Chunk_Points), grid, beyond[lane]) ||
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
  // Places beyond the window: all lanes' together, whatever lane found them.
  for (std::size_t lane = 1; lane < lanes; ++lane) {
    beyond[0].insert(beyond[0].end(), beyond[lane].begin(), beyond[lane].end());
    beyond[lane] = {};
  }
  result.beyond = Counts_Of_Places(beyond[0]);
  return result;
}

}  // namespace pw
