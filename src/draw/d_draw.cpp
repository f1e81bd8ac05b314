// The drawing primitives on the current canvas: colour, pixels, lines, boxes, fills, markers.
#include "draw/d_draw.h"

#include <algorithm>
#include <cctype>

#include "draw/d_line.h"

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

// `v` brought into [0, size - 1] (size >= 1), for the sides of a rectangle to fill.
inline int Clamp_To(std::int64_t v, int size) {
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::max(size, 1) - 1));
}

// The part of [left, right] x [top, bottom] (inclusive) inside the image as [x1, x2] x [y1, y2];
// false when no pixel of it is. Coordinates are 64-bit so that the inside of a box reaching the
// ends of int stays exact.
bool Clip_To_Image(const TC_Bitmap& image, std::int64_t left, std::int64_t top,
                   std::int64_t right, std::int64_t bottom, int& x1, int& y1, int& x2, int& y2) {
  if (image.Empty() || left > right || top > bottom || left >= image.Width() ||
      top >= image.Height() || right < 0 || bottom < 0) {
    return false;
  }
  x1 = Clamp_To(left, image.Width());
  x2 = Clamp_To(right, image.Width());
  y1 = Clamp_To(top, image.Height());
  y2 = Clamp_To(bottom, image.Height());
  return true;
}

// Fills the rectangle, taking pixel (x, y) from the 8 x 8 tile at (x mod 8, y mod 8).
void Fill_Tiled(TC_Bitmap& image, std::int64_t left, std::int64_t top, std::int64_t right,
                std::int64_t bottom, const std::uint32_t* tile) {
  int x1, y1, x2, y2;
  if (!Clip_To_Image(image, left, top, right, bottom, x1, y1, x2, y2)) return;
  for (int y = y1; y <= y2; ++y) {
    std::uint32_t* row = image.Row(y);
    const std::uint32_t* tile_row = tile + (y & 7) * 8;
    for (int x = x1; x <= x2; ++x) row[x] = tile_row[x & 7];
  }
}

void Fill_Solid(TC_Bitmap& image, std::int64_t left, std::int64_t top, std::int64_t right,
                std::int64_t bottom, std::uint32_t pixel) {
  int x1, y1, x2, y2;
  if (!Clip_To_Image(image, left, top, right, bottom, x1, y1, x2, y2)) return;
  for (int y = y1; y <= y2; ++y) std::fill(image.Row(y) + x1, image.Row(y) + x2 + 1, pixel);
}

// Marker shapes as pixel offsets from the point; the boxes list the border pixels Draw_Box
// would draw.
struct Offset {
  signed char dx, dy;
};
constexpr Offset kPoint[] = {{0, 0}};
constexpr Offset kBox1[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
constexpr Offset kBox2[] = {{-2, -2}, {-1, -2}, {0, -2}, {1, -2}, {2, -2}, {-2, -1},
                            {2, -1},  {-2, 0},  {2, 0},  {-2, 1}, {2, 1},  {-2, 2},
                            {-1, 2},  {0, 2},   {1, 2},  {2, 2}};
constexpr Offset kEx1[] = {{0, 0}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
constexpr Offset kEx2[] = {{0, 0},   {-1, -2}, {-1, 2}, {1, -2}, {1, 2},
                           {-2, -2}, {-2, 2},  {2, -2}, {2, 2}};
constexpr Offset kPlus1[] = {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {0, -1}};
constexpr Offset kPlus2[] = {{0, 0}, {-1, 0}, {-2, 0}, {1, 0}, {2, 0},
                             {0, 1}, {0, 2},  {0, -1}, {0, -2}};

struct Marker_Shape {
  const Offset* offsets;
  int count;
};
template <std::size_t N>
constexpr Marker_Shape Shape(const Offset (&o)[N]) {
  return {o, static_cast<int>(N)};
}
constexpr Marker_Shape kMarkers[9] = {{nullptr, 0}, Shape(kPoint), {nullptr, 0},
                                      Shape(kBox1), Shape(kBox2),  Shape(kEx1),
                                      Shape(kEx2),  Shape(kPlus1), Shape(kPlus2)};

constexpr const char* kMarkerNames[9] = {"",    "POINT", "LINE",  "BOX1", "BOX2",
                                         "EX1", "EX2",   "PLUS1", "PLUS2"};

}  // namespace

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
  TC_Bitmap& image = Cur_Image->Image;
  if (!Visible(Bg_Color) || image.Empty()) return;
  std::fill(image.Bits(), image.Bits() + static_cast<std::size_t>(image.Width()) * image.Height(),
            Cur_Pixel());
}

void Put_Pixel(int x, int y) {
  if (Cur_Image == nullptr || !Visible(Cur_Color)) return;
  TC_Bitmap& image = Cur_Image->Image;
  if (image.Contains(x, y)) image.Row(y)[x] = Cur_Pixel();
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
    Draw_Clipped_Line(canvas.Image, canvas.Pen_X, canvas.Pen_Y, x, y,
                      Color_To_Pixel(canvas.Pen_Color));
  }
  canvas.Pen_X = x;
  canvas.Pen_Y = y;
}

void Draw_Box(int x1, int y1, int x2, int y2) {
  Move_To(x1, y1);
  Line_To(x1, y2);
  Line_To(x2, y2);
  Line_To(x2, y1);
  Line_To(x1, y1);
}

void Fill_Box(int x1, int y1, int x2, int y2, int fill) {
  if (Cur_Image == nullptr) return;
  // Only the pixels strictly inside the outline are filled; the outline comes next.
  const std::int64_t left = std::int64_t{std::min(x1, x2)} + 1;
  const std::int64_t right = std::int64_t{std::max(x1, x2)} - 1;
  const std::int64_t top = std::int64_t{std::min(y1, y2)} + 1;
  const std::int64_t bottom = std::int64_t{std::max(y1, y2)} - 1;
  TC_Bitmap& image = Cur_Image->Image;
  if (fill == 1) {
    Cur_Image->Brush_Color = Cur_Color;
    if (Visible(Cur_Color)) Fill_Solid(image, left, top, right, bottom, Cur_Pixel());
  } else if (fill >= 2 && fill <= 7) {
    // Patterns draw in their own colours; their tiles are read now, so a later change of
    // Fill_Patterns shows in later fills.
    std::uint32_t tile[64];
    const Fill_Pattern& pattern = Fill_Patterns[fill - 2];
    for (int i = 0; i < 64; ++i) tile[i] = Color_To_Pixel(pattern[i]);
    Fill_Tiled(image, left, top, right, bottom, tile);
  }
  // Kind 0, and any kind outside 0..7, leave the inside alone.
  Draw_Box(x1, y1, x2, y2);
}

void Draw_Marker(int x, int y, int kind) {
  if (Cur_Image == nullptr || kind < 0 || kind > 8 || !Visible(Cur_Color)) return;
  const Marker_Shape& shape = kMarkers[kind];
  if (shape.count == 0) return;
  TC_Canvas& canvas = *Cur_Image;
  TC_Bitmap& image = canvas.Image;
  const std::uint32_t pixel = Cur_Pixel();
  if (x >= 2 && y >= 2 && x < image.Width() - 2 && y < image.Height() - 2) {
    std::uint32_t* centre = image.Row(y) + x;
    const int width = image.Width();
    for (int i = 0; i < shape.count; ++i)
      centre[shape.offsets[i].dy * width + shape.offsets[i].dx] = pixel;
  } else {
    for (int i = 0; i < shape.count; ++i) {
      const std::int64_t px = std::int64_t{x} + shape.offsets[i].dx;
      const std::int64_t py = std::int64_t{y} + shape.offsets[i].dy;
      if (px >= 0 && py >= 0 && px < image.Width() && py < image.Height())
        image.Row(static_cast<int>(py))[px] = pixel;
    }
  }
  // The boxes are outlines drawn with Draw_Box, which leaves the pen on the first corner.
  if (kind == Marker_Box1 || kind == Marker_Box2) {
    const int half = kind == Marker_Box1 ? 1 : 2;
    canvas.Pen_X = static_cast<int>(std::int64_t{x} - half);
    canvas.Pen_Y = static_cast<int>(std::int64_t{y} - half);
  }
}

void Set_Pen_Style(int style) {
  if (Cur_Image != nullptr) Cur_Image->Pen_Style = style;
}

}  // namespace pw
