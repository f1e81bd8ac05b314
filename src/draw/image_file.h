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

// The bytes of a PNG of `bitmap` into `bytes` (for pictures inside other files): 8-bit RGB,
// or RGBA when some pixel has a top byte of 0 (transparent; all others opaque). The same
// pixels always give the same bytes. Returns "" on success, else the reason of the failure
// ("the picture is empty", the encoder's message); `bytes` is then empty.
std::string Encode_PNG(const TC_Bitmap& bitmap, std::string& bytes);

}  // namespace pw
