// The drawing primitives on the current canvas: colour, pixels, lines, boxes, fills, markers.
// They keep the canvas's drawing state and hand the pixels to its back-end.
#include "draw/d_draw.h"

#include <algorithm>
#include <cctype>

#include "draw/d_backend.h"
#include "draw/d_raster.h"

namespace pw {

namespace {

// The pixel of Cur_Color, worked out once per colour change rather than once per pixel. It is
// keyed by the colour itself, so an assignment to Cur_Color that bypasses Set_Color is still
// honoured.
struct Pixel_Cache {
  Color color = 0;
  std::uint32_t pixel = 0xFF000000u;
};
Pixel_Cache cur_pixel;

// No_Color (-1) means "no colour": drawing with it leaves the picture alone.
inline bool Visible(Color c) {
  return c != No_Color;
}

inline std::uint32_t Cur_Pixel() {
  if (cur_pixel.color != Cur_Color) {
    cur_pixel.color = Cur_Color;
    cur_pixel.pixel = Color_To_Pixel(Cur_Color);
  }
  return cur_pixel.pixel;
}

// The pixel a back-end draws `c` with; 0 for no colour.
inline std::uint32_t Ink(Color c) {
  return Visible(c) ? Color_To_Pixel(c) : 0;
}
inline std::uint32_t Cur_Ink() {
  return Visible(Cur_Color) ? Cur_Pixel() : 0;
}

constexpr const char* kMarkerNames[9] = {"",    "POINT", "LINE",  "BOX1", "BOX2",
                                         "EX1", "EX2",   "PLUS1", "PLUS2"};

}  // namespace

// Runs `op` on the canvas's back-end: the one attached to it, or else its own raster (the
// common case, called directly so that the raster's inner loops stay inlined).
template <typename Op>
inline void On_Backend(TC_Canvas& canvas, Op op) {
  if (canvas.Backend != nullptr) {
    op(*canvas.Backend);
  } else {
    TC_Raster_Backend raster(canvas.Image);
    op(raster);
  }
}

int Marker_By_Name(std::string& name) {
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (int i = 0; i < 9; ++i) {
    if (name == kMarkerNames[i]) return i;
  }
  return 0;
}

void Set_Color(Color c) {
  Cur_Color = c;
  Cur_Pixel();
  if (Cur_Image == nullptr) return;
  Cur_Image->Pen_Color = c;
  Cur_Image->Text_Color = c;
}

void Set_Text_Color(Color c) {
  if (Cur_Image != nullptr) Cur_Image->Text_Color = c;
}

void Clear_Image() {
  Set_Color(Bg_Color);
  if (Cur_Image == nullptr) return;
  Cur_Image->Brush_Color = Bg_Color;
  On_Backend(*Cur_Image, [](auto& b) { b.Clear(Cur_Ink()); });
}

void Put_Pixel(int x, int y) {
  if (Cur_Image == nullptr || !Visible(Cur_Color)) return;
  On_Backend(*Cur_Image, [&](auto& b) { b.Pixel(x, y, Cur_Pixel()); });
}

void Move_To(int x, int y) {
  if (Cur_Image == nullptr) return;
  Cur_Image->Pen_X = x;
  Cur_Image->Pen_Y = y;
}

void Line_To(int x, int y) {
  if (Cur_Image == nullptr) return;
  TC_Canvas& canvas = *Cur_Image;
  // Every pen style is drawn solid: solid is the only style the program asks for.
  if (Visible(canvas.Pen_Color)) {
    On_Backend(canvas,
               [&](auto& b) { b.Line(canvas.Pen_X, canvas.Pen_Y, x, y, Ink(canvas.Pen_Color)); });
  }
  canvas.Pen_X = x;
  canvas.Pen_Y = y;
}

void Draw_Box(int x1, int y1, int x2, int y2) {
  if (Cur_Image == nullptr) return;
  TC_Canvas& canvas = *Cur_Image;
  if (Visible(canvas.Pen_Color)) {
    On_Backend(canvas, [&](auto& b) { b.Box(x1, y1, x2, y2, 0, 0, Ink(canvas.Pen_Color)); });
  }
  // Move_To the first corner, then four Line_To ending there.
  canvas.Pen_X = x1;
  canvas.Pen_Y = y1;
}

void Fill_Box(int x1, int y1, int x2, int y2, int fill) {
  if (Cur_Image == nullptr) return;
  TC_Canvas& canvas = *Cur_Image;
  if (fill == 1) canvas.Brush_Color = Cur_Color;
  // Kind 0, and any kind outside 0..7, leave the inside alone.
  const int kind = fill >= 1 && fill <= 7 ? fill : 0;
  On_Backend(canvas,
             [&](auto& b) { b.Box(x1, y1, x2, y2, kind, Cur_Ink(), Ink(canvas.Pen_Color)); });
  canvas.Pen_X = x1;
  canvas.Pen_Y = y1;
}

void Draw_Marker(int x, int y, int kind) {
  if (Cur_Image == nullptr || kind < 0 || kind > 8 || !Visible(Cur_Color)) return;
  TC_Canvas& canvas = *Cur_Image;
  On_Backend(canvas, [&](auto& b) { b.Marker(x, y, kind, Cur_Pixel()); });
  // The boxes are outlines drawn with Draw_Box, which leaves the pen on the first corner.
  if (kind == Marker_Box1 || kind == Marker_Box2) {
    const int half = kind == Marker_Box1 ? 1 : 2;
    canvas.Pen_X = static_cast<int>(std::int64_t{x} - half);
    canvas.Pen_Y = static_cast<int>(std::int64_t{y} - half);
  }
}

void Draw_Picture(int left, int top, const TC_Bitmap& picture) {
  if (Cur_Image == nullptr || picture.Empty()) return;
  On_Backend(*Cur_Image, [&](auto& b) { b.Picture(left, top, picture); });
}

void Begin_Layer(int left, int top, int right, int bottom) {
  if (Cur_Image != nullptr && Cur_Image->Backend != nullptr)
    Cur_Image->Backend->Begin_Layer(left, top, right, bottom);
}

void End_Layer() noexcept {
  if (Cur_Image != nullptr && Cur_Image->Backend != nullptr) Cur_Image->Backend->End_Layer();
}

void Set_Pen_Style(int style) {
  if (Cur_Image != nullptr) Cur_Image->Pen_Style = style;
}

}  // namespace pw
