// Drawing primitives: the only way the program puts pixels on a page.
//
// Immediate mode over one current canvas (Cur_Image). Each canvas keeps its own drawing state
// between calls (pen position, pen and text colour, pen style, font with its angle, the
// latest fill). Coordinates are whole pixels, x to the right, y downwards, (0, 0) top left;
// everything outside the bitmap is clipped, never written. With no current canvas every
// operation does nothing (measures give 0). What a canvas draws on is its back-end
// (d_backend.h): its own raster, or one attached to it (the vector pages of SVG and PDF
// files); the calls below are the same for all of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "draw/bitmap.h"

namespace pw {

// A colour: red + 256 * green + 65536 * blue for fixed colours; 0x80000000 + index for the
// desktop colours; Color_None and Color_Default; No_Color (-1) means no colour at all.
using Color = std::int32_t;
inline constexpr Color No_Color = -1;
inline constexpr Color Color_None = 0x1FFFFFFF;
inline constexpr Color Color_Default = 0x20000000;
inline constexpr Color Color_System = static_cast<Color>(0x80000000u);

// The 32-bit pixel (0xFFRRGGBB) a colour is drawn with. Desktop colours take the usual light
// desktop theme; None is drawn white and Default black.
std::uint32_t Color_To_Pixel(Color c);

// The font of a canvas: typeface name, character height in pixels (the em size, without
// internal leading), bold, angle in degrees (counter-clockwise).
struct Font_Spec {
  std::string Name = "Verdana";
  int Height = 10;
  bool Bold = false;
  int Angle = 0;
};

// A page canvas: the bitmap and the drawing state it keeps between calls.
class TC_Draw_Backend;

struct TC_Canvas {
  TC_Bitmap Image;
  // Where the drawing goes: null draws on Image; otherwise the attached back-end (owned by
  // whoever attached it, alive while the canvas draws) gets every operation.
  TC_Draw_Backend* Backend = nullptr;
  int Pen_X = 0, Pen_Y = 0;
  Color Pen_Color = 0;
  Color Text_Color = 0;
  int Pen_Style = 0;
  Font_Spec Font;
  Color Brush_Color = 0;  // colour of the latest solid fill (text cell background)
};

// 8 x 8 tiles, row by row, as colours.
using Fill_Pattern = std::array<Color, 64>;

// Module state.
inline TC_Canvas* Cur_Image = nullptr;
inline Color Bg_Color = 0;
inline Color Cur_Color = 0;
// Patterns of fill kinds 2..7 (index 0..5); all zero until Set_Fill_Patterns.
inline std::array<Fill_Pattern, 6> Fill_Patterns{};

// The program's six patterns (two greys each), handed to the drawing code at start.
const std::array<Fill_Pattern, 6>& Default_Fill_Patterns();
void Set_Fill_Patterns(const std::array<Fill_Pattern, 6>& patterns);

// Marker kinds, indexes of the marker table.
enum Marker_Kind : int {
  Marker_None = 0,
  Marker_Point = 1,
  Marker_Line = 2,
  Marker_Box1 = 3,
  Marker_Box2 = 4,
  Marker_Ex1 = 5,
  Marker_Ex2 = 6,
  Marker_Plus1 = 7,
  Marker_Plus2 = 8
};

// Empty text: `default_color`. "cl" + text one of the 52 colour names (any case): that colour.
// Six hex digits RRGGBB: that colour. Anything else: `default_color`. No trimming.
Color Parse_Color(std::string_view text, Color default_color);
// Turns `name` into capitals (in place) and returns its index in the marker table; 0 if none.
int Marker_By_Name(std::string& name);

void Set_Color(Color c);       // Cur_Color, pen and text colour
void Set_Text_Color(Color c);  // text colour only
void Clear_Image();            // whole image in Bg_Color; Cur_Color becomes Bg_Color
void Put_Pixel(int x, int y);
void Move_To(int x, int y);
void Line_To(int x, int y);  // start pixel drawn, end pixel not; pen moves to (x, y)
void Draw_Box(int x1, int y1, int x2, int y2);
void Fill_Box(int x1, int y1, int x2, int y2, int fill);  // corners in any order
void Draw_Marker(int x, int y, int kind);
void Set_Pen_Style(int style);
// Puts `picture` with its top-left pixel at (left, top): each of its pixels whose top byte is
// not 0 replaces the canvas pixel (as 0xFFRRGGBB); those with top byte 0 leave it alone. An
// empty picture draws nothing.
void Draw_Picture(int left, int top, const TC_Bitmap& picture);

// One data layer (a scatter layer's points, a histogram layer's bars) is drawn between
// Begin_Layer and End_Layer, inside the area given (the plot area, corners inclusive; what a
// layer draws may reach two pixels beyond it). A raster ignores the bracket; a vector back-end
// may keep a layer with many elements as a picture of its pixels. Brackets do not nest.
void Begin_Layer(int left, int top, int right, int bottom);
void End_Layer() noexcept;

// Begin_Layer on construction, End_Layer when it goes, however the drawing ends.
class Layer_Scope {
 public:
  Layer_Scope(int left, int top, int right, int bottom) { Begin_Layer(left, top, right, bottom); }
  ~Layer_Scope() { End_Layer(); }
  Layer_Scope(const Layer_Scope&) = delete;
  Layer_Scope& operator=(const Layer_Scope&) = delete;
};

// Font of the current canvas.
void Set_Font_Name(const std::string& name);
void Set_Font_Height(int pixels);
void Set_Font_Bold(bool bold);
void Set_Text_Angle(int degrees);

// Text is UTF-8; invalid bytes are drawn as replacement glyphs.
void Text_Out(int x, int y, std::string_view text);
int Text_Width(std::string_view text);
int Text_Height(std::string_view text);

}  // namespace pw
