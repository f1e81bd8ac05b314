// The raster back-end: pixels, lines, boxes, fills and markers on the canvas's bitmap.
#include "draw/d_raster.h"

#include <algorithm>
#include <cstdint>

#include "draw/d_draw.h"
#include "draw/d_line.h"
#include "draw/d_marker.h"

namespace pw {

namespace {

// `v` brought into [0, size - 1] (size >= 1), for the sides of a rectangle to fill.
inline int Clamp_To(std::int64_t v, int size) {
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::max(size, 1) - 1));
}

// The part of [left, right] x [top, bottom] (inclusive) inside the image as [x1, x2] x [y1, y2];
// false when no pixel of it is. Coordinates are 64-bit so that the inside of a box reaching the
// ends of int stays exact.
bool Clip_To_Image(const TC_Bitmap& image, std::int64_t left, std::int64_t top, std::int64_t right,
                   std::int64_t bottom, int& x1, int& y1, int& x2, int& y2) {
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

}  // namespace

void TC_Raster_Backend::Clear(std::uint32_t pixel) {
  if (pixel == 0 || image_.Empty()) return;
  std::fill(image_.Bits(),
            image_.Bits() + static_cast<std::size_t>(image_.Width()) * image_.Height(), pixel);
}

void TC_Raster_Backend::Pixel(int x, int y, std::uint32_t pixel) {
  if (pixel != 0 && image_.Contains(x, y)) image_.Row(y)[x] = pixel;
}

void TC_Raster_Backend::Line(int x0, int y0, int x1, int y1, std::uint32_t pixel) {
  if (pixel != 0) Draw_Clipped_Line(image_, x0, y0, x1, y1, pixel);
}

void TC_Raster_Backend::Box(int x1, int y1, int x2, int y2, int fill, std::uint32_t fill_pixel,
                            std::uint32_t pen_pixel) {
  // Only the pixels strictly inside the outline are filled; the outline comes next.
  const std::int64_t left = std::int64_t{std::min(x1, x2)} + 1;
  const std::int64_t right = std::int64_t{std::max(x1, x2)} - 1;
  const std::int64_t top = std::int64_t{std::min(y1, y2)} + 1;
  const std::int64_t bottom = std::int64_t{std::max(y1, y2)} - 1;
  if (fill == 1) {
    if (fill_pixel != 0) Fill_Solid(image_, left, top, right, bottom, fill_pixel);
  } else if (fill >= 2 && fill <= 7) {
    // Patterns draw in their own colours; their tiles are read now, so a later change of
    // Fill_Patterns shows in later fills.
    std::uint32_t tile[64];
    const Fill_Pattern& pattern = Fill_Patterns[fill - 2];
    for (int i = 0; i < 64; ++i) tile[i] = Color_To_Pixel(pattern[i]);
    Fill_Tiled(image_, left, top, right, bottom, tile);
  }
  // The outline as Draw_Box draws it: four lines, each without its end pixel.
  Line(x1, y1, x1, y2, pen_pixel);
  Line(x1, y2, x2, y2, pen_pixel);
  Line(x2, y2, x2, y1, pen_pixel);
  Line(x2, y1, x1, y1, pen_pixel);
}

void TC_Raster_Backend::Marker(int x, int y, int kind, std::uint32_t pixel) {
  const Marker_Shape shape = Marker_Pixels(kind);
  if (pixel == 0 || shape.count == 0) return;
  TC_Bitmap& image = image_;
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
}

void TC_Raster_Backend::Picture(int left, int top, const TC_Bitmap& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    const std::int64_t py = std::int64_t{top} + y;
    if (py < 0 || py >= image_.Height()) continue;
    const std::uint32_t* src = picture.Row(y);
    std::uint32_t* dst = image_.Row(static_cast<int>(py));
    const int first =
        static_cast<int>(std::clamp<std::int64_t>(-std::int64_t{left}, 0, picture.Width()));
    const int last = static_cast<int>(
        std::clamp<std::int64_t>(std::int64_t{image_.Width()} - left, 0, picture.Width()));
    for (int x = first; x < last; ++x) {
      if ((src[x] >> 24) != 0) dst[left + x] = src[x] | 0xFF000000u;
    }
  }
}

}  // namespace pw
