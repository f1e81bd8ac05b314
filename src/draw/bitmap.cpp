#include "draw/bitmap.h"

#include <algorithm>
#include <new>
#include <string>

#include "base/D_Error.h"

namespace pw {

void TC_Bitmap::Set_Size(int width, int height) {
  const int w = std::max(width, 0);
  const int h = std::max(height, 0);
  try {
    // assign either succeeds or leaves the old pixels as they were.
    pixels_.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFF000000u);
  } catch (const std::bad_alloc&) {
    throw Error("Not enough memory for a picture of " + std::to_string(w) + " x " +
                std::to_string(h) + " pixels");
  }
  width_ = w;
  height_ = h;
}

void TC_Bitmap::Set_Size_Only(int width, int height) {
  Release_Pixels();
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
}

}  // namespace pw
