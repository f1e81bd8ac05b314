// A 32-bit bitmap: the picture of one page canvas.
//
// Pixels are stored row after row, top row first, 4 bytes each as 0xFFRRGGBB in a uint32_t
// (the layout of QImage::Format_RGB32), so the window can show it without copying.
#pragma once

#include <cstdint>
#include <vector>

namespace pw {

class TC_Bitmap {
 public:
  TC_Bitmap() = default;
  TC_Bitmap(int width, int height) { Set_Size(width, height); }

  // New size; every pixel becomes 0xFF000000 (black). Negative sizes count as 0. When memory
  // runs out the bitmap stays as it was and a non-fatal Error
  // "Not enough memory for a picture of W x H pixels" is raised.
  void Set_Size(int width, int height);

  // Pixels only while a page is drawn and written, for a renderer that keeps many canvases:
  // Set_Size_Only gives the size (Width and Height answer it) and no pixels, Allocate_Pixels
  // gives the size its black pixels (raising Set_Size's Error when memory runs out, the bitmap
  // then unchanged), Release_Pixels gives them back and keeps the size. Nothing may be drawn
  // or read while Has_Pixels is false.
  void Set_Size_Only(int width, int height);
  void Allocate_Pixels() { Set_Size(width_, height_); }
  void Release_Pixels() { std::vector<std::uint32_t>().swap(pixels_); }
  bool Has_Pixels() const {
    return pixels_.size() == static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  }

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  // Bytes from one row to the next.
  int Stride() const { return width_ * 4; }
  std::uint32_t* Bits() { return pixels_.data(); }
  const std::uint32_t* Bits() const { return pixels_.data(); }
  std::uint32_t* Row(int y) { return pixels_.data() + static_cast<std::size_t>(y) * width_; }
  const std::uint32_t* Row(int y) const {
    return pixels_.data() + static_cast<std::size_t>(y) * width_;
  }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // 0xFFRRGGBB; 0 outside the bitmap.
  std::uint32_t Pixel(int x, int y) const { return Contains(x, y) ? Row(y)[x] : 0; }
  // Outside the bitmap: nothing happens.
  void Set_Pixel(int x, int y, std::uint32_t rgb32) {
    if (Contains(x, y)) Row(y)[x] = rgb32;
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint32_t> pixels_;
};

}  // namespace pw
