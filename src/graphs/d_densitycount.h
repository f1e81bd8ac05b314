// The counting pass of a density layer: how many of the selected points fall on each pixel of
// the plot area.
#pragma once

#include <cstdint>
#include <vector>

#include "data/d_databuffer.h"
#include "graphs/d_pointmap.h"

namespace pw {

// Counts per pixel of an area: pixel (x, y) is counts[(y - top) * width + (x - left)].
struct Density_Counts {
  int left = 0, top = 0, width = 0, height = 0;
  std::vector<std::uint32_t> counts;
  bool failed = false;  // some point's logarithm or mapping failed
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

}  // namespace pw
