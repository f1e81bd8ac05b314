// The passes of a scatter graph over the points of one layer (the buffer's current
// selection): the extents of its values, the drawing of its markers or polyline, and the
// point under the mouse.
//
// Above Parallel_Threshold points a pass runs in pieces of Chunk_Points points on several
// threads (base/parallel.h). The pieces' results are merged in point order, and the drawing
// functions are called on the calling thread only, in the order one thread would call them:
// extents, pictures, failures and hits are the same on any number of threads.
#pragma once

#include <cstdint>

#include "data/d_databuffer.h"
#include "graphs/d_pointmap.h"

namespace pw {

// The values of one layer on one axis: how many count, and their smallest and largest.
struct Value_Extent {
  std::int32_t n = 0;
  long double minimum = 0, maximum = 0;
};

// The extent of column `column` over the selected points. Linear (log false): every value
// that is not missing; the extremes are compared as doubles (as Column_Range does), values
// beyond the double range are kept on the side at full precision. Logarithmic: the decades
// (log10) of the positive values. Ties keep the earliest point's value (+0 before -0 or the
// other way round, as they come). No value: n = 0 and both ends 0.
Value_Extent Column_Extent(const TC_Data_Buffer& buffer, int column, bool log);
// Column_Extent of both columns in one pass.
void Pair_Extents(const TC_Data_Buffer& buffer, int x_col, int y_col, bool log_x, bool log_y,
                  Value_Extent& x, Value_Extent& y);

// Draws the selected points of columns x_col and y_col, mapped by `map`, on the current canvas
// with its current colour, in point order. Marker kind Marker_Line: a polyline, Move_To at the
// first point of each run and Line_To at the next ones; a run ends at a point that is missing,
// failed or left out by the selection, not at one outside the limits (the line runs on to the
// next point inside). Any other kind: Draw_Marker at every point whose pixel no earlier point
// of the same call has taken (the same marker in the same colour again would change nothing);
// pixels are tracked inside [left, right] x [top, bottom] (corners inclusive), outside it
// every point is drawn. Returns true when some point failed (its logarithm or its mapping);
// every point that could be drawn is drawn all the same.
bool Draw_Mapped_Points(const TC_Data_Buffer& buffer, int x_col, int y_col, const Point_Mapper& map,
                        int marker, int left, int top, int right, int bottom);

// The first selected point (1-based, in point order) that maps inside the limits to a pixel
// at most `reach` pixels from (x, y) across and down; 0 if none. Failed points are skipped.
std::int32_t Find_Mapped_Point(const TC_Data_Buffer& buffer, int x_col, int y_col,
                               const Point_Mapper& map, int x, int y, int reach);

}  // namespace pw
