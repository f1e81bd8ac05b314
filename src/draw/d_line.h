// The classic integer line, clipped to a bitmap without walking the part outside it.
#pragma once

#include <cstdint>

#include "draw/bitmap.h"

namespace pw {

// Draws the pixels of the integer line from (x0, y0) to (x1, y1), start pixel included, end
// pixel excluded, that lie inside `image`, in `pixel`. The pixels are exactly those of the
// unclipped line: step i (0 <= i < n, n the longer side) on the longer axis moves the shorter
// axis by round-half-up(i * short / long). Work is proportional to the pixels drawn, so a line
// from far outside costs nothing more. Equal end points draw nothing.
void Draw_Clipped_Line(TC_Bitmap& image, std::int64_t x0, std::int64_t y0, std::int64_t x1,
                       std::int64_t y1, std::uint32_t pixel);

}  // namespace pw
