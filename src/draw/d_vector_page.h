// A page as vectors: what the vector back-end records and the SVG and PDF writers read.
//
// Coordinates are canvas pixels, continuous: pixel (x, y) is the unit square from (x, y) to
// (x + 1, y + 1), so a 1-pixel line along pixel row y runs along y + 0.5. Items are painted in
// order, later over earlier. Colours are pixels 0xFFRRGGBB. Everything has been clipped to the
// page grown by Vector_Margin on every side, so the numbers stay small whatever the drawing
// asked for.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "draw/bitmap.h"
#include "draw/d_font.h"

namespace pw {

inline constexpr int Vector_Margin = 8;

struct Vector_Rect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

struct Vector_Point {
  int X = 0, Y = 0;
};

// Rectangles filled in one colour. Boxes: each rectangle is a box of its own (the page, a
// cell, a bar: a writer may keep them apart); otherwise markers and pixels, which a writer
// may join into one shape.
struct Fill_Item {
  std::uint32_t Pixel = 0;
  bool Boxes = false;
  std::vector<Vector_Rect> Rects;
};

// A rectangle filled with an 8 x 8 tile repeated from the page's origin (tile pixel (x mod 8,
// y mod 8), row by row).
struct Pattern_Item {
  std::array<std::uint32_t, 64> Tile{};
  Vector_Rect Rect;
};

// 1-pixel lines as the raster draws them: paths through pixel centres. Subpath i is
// Points[Starts[i]] .. Points[Starts[i + 1] - 1] (the last one runs to the end); each segment
// is a Line_To (start pixel drawn, end pixel not), so an open subpath covers its first pixel
// and stops short of its last. A subpath ending where it began is closed.
struct Stroke_Item {
  std::uint32_t Pixel = 0;
  std::vector<Vector_Point> Points;
  std::vector<std::size_t> Starts;
};

// A text: the glyphs at the pen positions of the raster, the unturned box's top-left corner at
// (X, Y), turned counter-clockwise by Angle degrees about it.
struct Text_Item {
  std::uint32_t Pixel = 0;
  std::shared_ptr<const Font_Face_Info> Face;
  int X = 0, Y = 0;
  int Angle = 0;  // 0..359
  std::vector<Placed_Glyph> Glyphs;
};

// Pixels at their place on the page; those with top byte 0 are transparent.
struct Picture_Item {
  int Left = 0, Top = 0;
  TC_Bitmap Pixels;
};

using Vector_Item = std::variant<Fill_Item, Pattern_Item, Stroke_Item, Text_Item, Picture_Item>;

struct Vector_Page {
  int Width = 0, Height = 0;
  std::vector<Vector_Item> Items;
};

// ------------------------------------------------------------------------------------------
// Geometry both writers share.

struct Vector_XY {
  double X = 0, Y = 0;
};

// A stroke subpath ready to draw with a 1-pixel pen, butt ends and mitred corners: the points
// of an open subpath pulled back half a pixel at both ends so that it covers its first pixel
// and not its last; clipped to the page grown by Vector_Margin (a subpath leaving it is cut
// into pieces).
struct Stroke_Piece {
  std::vector<Vector_XY> Points;
  bool Closed = false;
};
std::vector<Stroke_Piece> Stroke_Pieces(const Stroke_Item& item, int width, int height);

// Where a text's glyphs go: glyph g is drawn with its pen at (Origin_X + g.X, Origin_Y +
// ascent) in a frame turned counter-clockwise by Degrees about the origin. For quarter turns
// the origin is shifted as the raster's exact pixel turn places the text.
struct Text_Frame {
  double Origin_X = 0, Origin_Y = 0;
  int Degrees = 0;
};
Text_Frame Frame_Of(const Text_Item& item);

}  // namespace pw
