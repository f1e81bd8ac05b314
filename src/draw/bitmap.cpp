#include "draw/bitmap.h"

#include <algorithm>

namespace pw {

void TC_Bitmap::Set_Size(int width, int height) {
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  pixels_.assign(static_cast<std::size_t>(width_) * height_, 0xFF000000u);
}

}  // namespace pw
