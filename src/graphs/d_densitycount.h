// The counting pass of a density layer: how many of the selected points fall on each pixel of
// the plot area.
#pragma once

#include <cstdint>
#include <vector>

#include "data/d_databuffer.h"
#include "graphs/d_pointmap.h"

namespace pw {

// Counts per pixel of an area: pixel (x, y) of the part kept whole is
// counts[(y - top) * width + (x - left)].
struct Density_Counts {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> counts;
  // The counts of the area's pixels beyond the part kept whole that have a point, one entry
  // per pixel in no particular order: the scales need them, the picture does not.
  std::vector<std::uint32_t> beyond;
  bool failed = false;  // some point's logarithm or mapping failed
};

// The part of an area whose counts are kept pixel by pixel (corners inclusive): the picture's
// pixels. A plot area far larger than the page would otherwise need a count for every pixel.
struct Density_Window {
  int left = 0, top = 0, right = -1, bottom = -1;
};

// Counts the selected points of columns x_col and y_col (the buffer's current selection) on
// the pixels `map` gives them, as Draw_Mapped_Points would put their markers, over the area
// [left, right] x [top, bottom] (corners inclusive; an empty area counts nothing). Points
// that are missing, outside the limits or failed are not counted; a failed one sets `failed`.
// Above Parallel_Threshold points (and with as many points as the area has pixels for each
// thread beyond the first) the pieces of Chunk_Points points are counted on several threads,
// each into counts of its own that are added up at the end: whole numbers, so the counts are
// the same on any number of threads.
Density_Counts Count_Density(const TC_Data_Buffer& buffer, int x_col, int y_col,
                             const Point_Mapper& map, int left, int top, int right, int bottom);
// The same, with only the area's pixels inside `window` counted pixel by pixel (`left`, `top`,
// `width` and `height` of the result give that part, which may be empty); the pixels of the
// area beyond it that have points go to `beyond`. Memory grows with the window and the points
// beyond it, never with the area.
Density_Counts Count_Density(const TC_Data_Buffer& buffer, int x_col, int y_col,
                             const Point_Mapper& map, int left, int top, int right, int bottom,
                             const Density_Window& window);

}  // namespace pw
