// The raster back-end: the canvas's own bitmap, drawn pixel by pixel.
#pragma once

#include "draw/d_backend.h"

namespace pw {

// Draws straight into `image` (kept by reference; the caller keeps it alive). Everything
// outside the bitmap is clipped. Layers need no bracket on a raster: those two calls do
// nothing.
class TC_Raster_Backend final : public TC_Draw_Backend {
 public:
  explicit TC_Raster_Backend(TC_Bitmap& image) : image_(image) {}

  void Clear(std::uint32_t pixel) override;
  void Pixel(int x, int y, std::uint32_t pixel) override;
  void Line(int x0, int y0, int x1, int y1, std::uint32_t pixel) override;
  void Box(int x1, int y1, int x2, int y2, int fill, std::uint32_t fill_pixel,
           std::uint32_t pen_pixel) override;
  void Marker(int x, int y, int kind, std::uint32_t pixel) override;
  // Defined with the text code (d_text.cpp).
  int Text(int x, int y, const Font_Spec& font, std::string_view text,
           std::uint32_t pixel) override;
  void Picture(int left, int top, const TC_Bitmap& picture) override;
  void Begin_Layer(int, int, int, int) override {}
  void End_Layer() noexcept override {}

 private:
  TC_Bitmap& image_;
};

}  // namespace pw
