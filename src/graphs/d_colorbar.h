// The colour bar of a density layer: a narrow strip of its colour map inside the plot area at
// its right edge, with the smallest count as a label under it and the largest above it.
#pragma once

#include <cstdint>

#include "draw/d_colormap.h"
#include "draw/d_draw.h"

namespace pw {

// Where the parts of a colour bar go, in canvas pixels (corners inclusive).
struct Color_Bar_Layout {
  int strip_left = 0, strip_top = 0, strip_right = 0, strip_bottom = 0;
  int high_x = 0, high_y = 0;  // top-left corner of the largest count's label
  int low_x = 0, low_y = 0;    // ... and of the smallest count's
};

// The bar of the plot area [left, right] x [top, bottom] (its frame lines included), with th
// the height and tw the width of "0" in the graph's font and the labels' widths:
// - the strip is max(tw, 4) pixels wide, its right column 3 pixels left of the right frame
//   line (strip_right = right - 3);
// - the largest count's label has its top at top + 3, the smallest's at bottom - 2 - th;
//   both end at the strip's right column (x = strip_right + 1 - label width);
// - the strip runs from top + th + 5 down to bottom - th - 5.
// Each label sits on a box of the graph's background one pixel larger than the text on every
// side, and a one-pixel outline of the frame colour surrounds the strip, so nothing touches
// the frame. False (nothing laid out) when the strip would have fewer than 2 rows or a label
// box would reach the left frame line.
bool Lay_Out_Color_Bar(int left, int top, int right, int bottom, int th, int tw, int high_width,
                       int low_width, Color_Bar_Layout& layout);

// Draws the bar of the plot area in the current canvas's font: the strip's rows from the top
// (entry 255) down to the bottom (entry `low_entry`, the smallest count's), row r of h taking
// entry low_entry + floor((255 - low_entry) (h - 1 - r) / (h - 1) + 1/2); the outline in
// `frame`; the label boxes in `background`; the counts `smallest` and `largest` in decimal
// digits, in `frame`. The strip is a picture (Draw_Picture), the rest boxes and texts. Nothing
// is drawn when the bar does not fit (Lay_Out_Color_Bar).
void Draw_Color_Bar(int left, int top, int right, int bottom, Color frame, Color background,
                    const Color_Table& table, int low_entry, std::uint32_t smallest,
                    std::uint32_t largest);

}  // namespace pw
