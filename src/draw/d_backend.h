// The device under a canvas: what the drawing functions of d_draw hand their work to.
//
// d_draw keeps each canvas's drawing state (pen, colours, font, latest fill) and turns every
// call into one operation of this interface, in pixel coordinates of the canvas and with its
// colours already resolved to pixels (0xFFRRGGBB; 0 means "no colour": nothing is drawn in it).
// A canvas draws on its own raster (TC_Raster_Backend) unless another back-end is attached to
// it; the vector back-end (TC_Vector_Backend) records the same operations for SVG and PDF
// pages. Graphs and pages never see which one they draw on.
#pragma once

#include <cstdint>
#include <string_view>

#include "draw/bitmap.h"

namespace pw {

struct Font_Spec;

class TC_Draw_Backend {
 public:
  virtual ~TC_Draw_Backend() = default;

  // Every pixel of the page in `pixel` (0: nothing changes).
  virtual void Clear(std::uint32_t pixel) = 0;
  virtual void Pixel(int x, int y, std::uint32_t pixel) = 0;
  // The integer line from (x0, y0) to (x1, y1): start pixel drawn, end pixel not.
  virtual void Line(int x0, int y0, int x1, int y1, std::uint32_t pixel) = 0;
  // Fill_Box: the pixels strictly inside the outline through both corners (any order) filled
  // by fill kind (1 solid in `fill_pixel`, 2..7 the current Fill_Patterns, anything else
  // none), then the outline of Draw_Box in `pen_pixel`. Kind 0 is a plain Draw_Box.
  virtual void Box(int x1, int y1, int x2, int y2, int fill, std::uint32_t fill_pixel,
                   std::uint32_t pen_pixel) = 0;
  // A marker of the marker table (kinds without pixels draw nothing).
  virtual void Marker(int x, int y, int kind, std::uint32_t pixel) = 0;
  // Text with its unturned box's top-left corner at (x, y), turned by font.Angle; returns the
  // advance width (also when `pixel` is 0 and nothing is drawn).
  virtual int Text(int x, int y, const Font_Spec& font, std::string_view text,
                   std::uint32_t pixel) = 0;
  // `picture` with its top-left pixel at (left, top); its pixels whose top byte is 0 leave the
  // page alone, all others replace the page's pixel.
  virtual void Picture(int left, int top, const TC_Bitmap& picture) = 0;
  // One data layer (a scatter layer's points, a histogram's bars) is drawn between these two,
  // inside the given area (its plot area, corners inclusive). Brackets do not nest: an inner
  // pair is part of the outer layer. End_Layer never fails.
  virtual void Begin_Layer(int left, int top, int right, int bottom) = 0;
  virtual void End_Layer() noexcept = 0;
};

}  // namespace pw
