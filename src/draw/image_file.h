// Saving a bitmap as a picture file.
//
// Both writers write to a fresh temporary file in the target's folder and rename it over the
// target only when every byte is out, so a failed write never leaves a truncated picture
// (nor the temporary file). A failure raises a non-fatal Error
// "Cannot write file <path>: <reason>", the reason being the system's (strerror) or the
// encoder's. An empty bitmap (no pixels) is refused the same way, with the reason
// "the picture is empty".
#pragma once

#include <string>

#include "draw/bitmap.h"

namespace pw {

// A 24-bit BMP: bottom-up rows padded to 4 bytes, the size of the bitmap.
void Write_BMP(const TC_Bitmap& bitmap, const std::string& path);
// An 8-bit RGB PNG, the size of the bitmap.
void Write_PNG(const TC_Bitmap& bitmap, const std::string& path);

}  // namespace pw
