// Text on the current canvas: its font, measuring, and drawing turned by the font's angle
// (the raster back-end's text as well).
#include <cmath>
#include <numbers>

#include "draw/d_draw.h"
#include "draw/d_font.h"
#include "draw/d_raster.h"

namespace pw {

namespace {

// Mixes `color` into `dst` with coverage `alpha` (0..255).
inline void Blend(std::uint32_t& dst, std::uint32_t color, unsigned alpha) {
  if (alpha == 0) return;
  if (alpha == 255) {
    dst = color;
    return;
  }
  const unsigned inv = 255 - alpha;
  std::uint32_t out = 0xFF000000u;
  for (int shift = 0; shift <= 16; shift += 8) {
    const unsigned s = (color >> shift) & 0xFF, d = (dst >> shift) & 0xFF;
    out |= ((s * alpha + d * inv + 127) / 255) << shift;
  }
  dst = out;
}

inline void Blend_At(TC_Bitmap& image, long long x, long long y, std::uint32_t color,
                     unsigned alpha) {
  if (x >= 0 && y >= 0 && x < image.Width() && y < image.Height())
    Blend(image.Row(static_cast<int>(y))[x], color, alpha);
}

// Mask pixel (u, v) lands at (x + u cos + v sin, y - u sin + v cos): the text turned
// counter-clockwise about its top-left corner. Quarter turns map pixel to pixel exactly.
void Blit_Quarter_Turn(TC_Bitmap& image, int x, int y, int quarter, const Text_Mask& mask,
                       std::uint32_t color) {
  static constexpr int kCos[4] = {1, 0, -1, 0};
  static constexpr int kSin[4] = {0, 1, 0, -1};
  const int c = kCos[quarter], s = kSin[quarter];
  for (int r = 0; r < mask.height; ++r) {
    const std::uint8_t* row = mask.alpha.data() + static_cast<std::size_t>(r) * mask.width;
    const long long v = static_cast<long long>(mask.top) + r;
    for (int k = 0; k < mask.width; ++k) {
      if (row[k] == 0) continue;
      const long long u = static_cast<long long>(mask.left) + k;
      Blend_At(image, x + u * c + v * s, y - u * s + v * c, color, row[k]);
    }
  }
}

// Any other angle: every target pixel of the turned box takes the mask pixel under its centre.
void Blit_Turned(TC_Bitmap& image, int x, int y, int degrees, const Text_Mask& mask,
                 std::uint32_t color) {
  const double angle = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  double min_x = 0, max_x = 0, min_y = 0, max_y = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const double u = mask.left + ((corner & 1) ? mask.width : 0);
    const double v = mask.top + ((corner & 2) ? mask.height : 0);
    const double dx = u * c + v * s, dy = -u * s + v * c;
    if (corner == 0) min_x = max_x = dx, min_y = max_y = dy;
    min_x = std::min(min_x, dx), max_x = std::max(max_x, dx);
    min_y = std::min(min_y, dy), max_y = std::max(max_y, dy);
  }
  const long long x0 = std::max<long long>(0, static_cast<long long>(std::floor(x + min_x)));
  const long long x1 =
      std::min<long long>(image.Width(), static_cast<long long>(std::ceil(x + max_x)));
  const long long y0 = std::max<long long>(0, static_cast<long long>(std::floor(y + min_y)));
  const long long y1 =
      std::min<long long>(image.Height(), static_cast<long long>(std::ceil(y + max_y)));
  for (long long py = y0; py < y1; ++py) {
    for (long long px = x0; px < x1; ++px) {
      const double dx = px + 0.5 - x, dy = py + 0.5 - y;
      const double u = dx * c - dy * s - mask.left, v = dx * s + dy * c - mask.top;
      if (u < 0 || v < 0 || u >= mask.width || v >= mask.height) continue;
      const std::uint8_t a =
          mask.alpha[static_cast<std::size_t>(v) * mask.width + static_cast<std::size_t>(u)];
      Blend_At(image, px, py, color, a);
    }
  }
}

// The part of the text's unturned box that can land on the picture: the picture's corners,
// taken back into box coordinates (u along the text, v down its cell), bound every visible
// box pixel. Two pixels spare cover the rounding of turned text.
Text_Window Visible_Window(const TC_Bitmap& image, int x, int y, int degrees) {
  const double angle = degrees * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  double u_lo = 0, u_hi = 0, v_lo = 0, v_hi = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const double dx = ((corner & 1) ? image.Width() : 0) - static_cast<double>(x);
    const double dy = ((corner & 2) ? image.Height() : 0) - static_cast<double>(y);
    const double u = dx * c - dy * s, v = dx * s + dy * c;
    if (corner == 0) u_lo = u_hi = u, v_lo = v_hi = v;
    u_lo = std::min(u_lo, u), u_hi = std::max(u_hi, u);
    v_lo = std::min(v_lo, v), v_hi = std::max(v_hi, v);
  }
  return {static_cast<long long>(std::floor(u_lo)) - 2, static_cast<long long>(std::ceil(u_hi)) + 2,
          static_cast<long long>(std::floor(v_lo)) - 2,
          static_cast<long long>(std::ceil(v_hi)) + 2};
}

}  // namespace

void Set_Font_Name(const std::string& name) {
  if (Cur_Image != nullptr) Cur_Image->Font.Name = name;
}

void Set_Font_Height(int pixels) {
  if (Cur_Image != nullptr) Cur_Image->Font.Height = pixels;
}

void Set_Font_Bold(bool bold) {
  if (Cur_Image != nullptr) Cur_Image->Font.Bold = bold;
}

void Set_Text_Angle(int degrees) {
  if (Cur_Image != nullptr) Cur_Image->Font.Angle = degrees;
}

int TC_Raster_Backend::Text(int x, int y, const Font_Spec& font, std::string_view text,
                            std::uint32_t pixel) {
  // The text is drawn without its cell background: every caller writes on an area it has
  // just painted in the latest solid fill colour, so the picture is the same, and labels
  // that touch a line or another label do not wipe it out.
  Text_Mask mask;
  const int degrees = ((font.Angle % 360) + 360) % 360;
  const bool drawn =
      pixel != 0 && Font_Render(font, text, mask, Visible_Window(image_, x, y, degrees));
  if (drawn) {
    if (degrees % 90 == 0) {
      Blit_Quarter_Turn(image_, x, y, degrees / 90, mask, pixel);
    } else {
      Blit_Turned(image_, x, y, degrees, mask, pixel);
    }
  }
  return drawn ? mask.advance : Font_Text_Width(font, text);
}

void Text_Out(int x, int y, std::string_view text) {
  if (Cur_Image == nullptr) return;
  TC_Canvas& canvas = *Cur_Image;
  const std::uint32_t pixel = canvas.Text_Color != No_Color ? Color_To_Pixel(canvas.Text_Color) : 0;
  const int width = canvas.Backend != nullptr
                        ? canvas.Backend->Text(x, y, canvas.Font, text, pixel)
                        : TC_Raster_Backend(canvas.Image).Text(x, y, canvas.Font, text, pixel);
  canvas.Pen_X = static_cast<int>(static_cast<long long>(x) + width);
  canvas.Pen_Y = y;
}

int Text_Width(std::string_view text) {
  if (Cur_Image == nullptr) return 0;
  return Font_Text_Width(Cur_Image->Font, text);
}

int Text_Height(std::string_view /*text*/) {
  if (Cur_Image == nullptr) return 0;
  return Font_Cell_Height(Cur_Image->Font);
}

}  // namespace pw
