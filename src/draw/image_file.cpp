#include "draw/image_file.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "base/D_Error.h"
#include "base/safe_file.h"

namespace pw {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw Error("Cannot write file " + path + ": " + reason);
}

void Put_U16(std::vector<unsigned char>& out, unsigned value) {
  out.push_back(static_cast<unsigned char>(value & 0xFF));
  out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void Put_U32(std::vector<unsigned char>& out, std::uint32_t value) {
  Put_U16(out, value & 0xFFFF);
  Put_U16(out, value >> 16);
}

void Check_Not_Empty(const TC_Bitmap& bitmap, const std::string& path) {
  if (bitmap.Empty()) Fail(path, "the picture is empty");
}

}  // namespace

void Write_BMP(const TC_Bitmap& bitmap, const std::string& path) {
  Check_Not_Empty(bitmap, path);
  const std::uint32_t width = bitmap.Width(), height = bitmap.Height();
  const std::uint32_t row_bytes = (width * 3 + 3) & ~3u;
  const std::uint64_t image_bytes = static_cast<std::uint64_t>(row_bytes) * height;
  if (image_bytes > 0xFFFFFFFFull - 54) Fail(path, "the picture is too large for a BMP file");
  std::vector<unsigned char> header;
  header.reserve(54);
  header.push_back('B');
  header.push_back('M');
  Put_U32(header, static_cast<std::uint32_t>(54 + image_bytes));  // file size
  Put_U32(header, 0);                                             // reserved
  Put_U32(header, 54);                                            // offset of the pixels
  Put_U32(header, 40);                                            // BITMAPINFOHEADER
  Put_U32(header, width);
  Put_U32(header, height);  // positive: rows bottom-up
  Put_U16(header, 1);       // planes
  Put_U16(header, 24);      // bits per pixel
  Put_U32(header, 0);       // no compression
  Put_U32(header, static_cast<std::uint32_t>(image_bytes));
  Put_U32(header, 3780);  // 96 dots per inch, in dots per metre
  Put_U32(header, 3780);
  Put_U32(header, 0);  // colours used
  Put_U32(header, 0);  // important colours
  Write_File_Atomically(path, [&](std::FILE* file, std::string&) {
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) return false;
    std::vector<unsigned char> row(row_bytes, 0);
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
      const std::uint32_t* src = bitmap.Row(y);
      for (std::uint32_t x = 0; x < width; ++x) {
        row[x * 3] = static_cast<unsigned char>(src[x] & 0xFF);              // blue
        row[x * 3 + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);   // green
        row[x * 3 + 2] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);  // red
      }
      if (std::fwrite(row.data(), 1, row.size(), file) != row.size()) return false;
    }
    return true;
  });
}

void Write_PNG(const TC_Bitmap& bitmap, const std::string& path) {
  Check_Not_Empty(bitmap, path);
  // libpng's simplified interface wants packed RGB rows.
  const std::size_t width = bitmap.Width(), height = bitmap.Height();
  std::vector<unsigned char> rgb;
  try {
    rgb.resize(width * height * 3);
  } catch (const std::bad_alloc&) {
    Fail(path, "not enough memory");
  }
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint32_t* src = bitmap.Row(static_cast<int>(y));
    unsigned char* dst = rgb.data() + y * width * 3;
    for (std::size_t x = 0; x < width; ++x) {
      dst[x * 3] = static_cast<unsigned char>((src[x] >> 16) & 0xFF);
      dst[x * 3 + 1] = static_cast<unsigned char>((src[x] >> 8) & 0xFF);
      dst[x * 3 + 2] = static_cast<unsigned char>(src[x] & 0xFF);
    }
  }
  Write_File_Atomically(path, [&](std::FILE* file, std::string& reason) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    errno = 0;
    if (png_image_write_to_stdio(&image, file, 0, rgb.data(), 0, nullptr) == 0) {
      if (errno == 0) reason = image.message;
      png_image_free(&image);
      return false;
    }
    return true;
  });
}

std::string Encode_PNG(const TC_Bitmap& bitmap, std::string& bytes) {
  bytes.clear();
  if (bitmap.Empty()) return "the picture is empty";
  const std::size_t width = bitmap.Width(), height = bitmap.Height();
  bool clear = false;
  for (std::size_t y = 0; y < height && !clear; ++y) {
    const std::uint32_t* row = bitmap.Row(static_cast<int>(y));
    clear = std::any_of(row, row + width, [](std::uint32_t p) { return (p >> 24) == 0; });
  }
  const std::size_t channels = clear ? 4 : 3;
  std::vector<unsigned char> pixels(width * height * channels);
  for (std::size_t y = 0; y < height; ++y) {
    const std::uint32_t* src = bitmap.Row(static_cast<int>(y));
    unsigned char* dst = pixels.data() + y * width * channels;
    for (std::size_t x = 0; x < width; ++x, dst += channels) {
      // A transparent pixel is written as transparent black, whatever else it holds.
      const bool opaque = (src[x] >> 24) != 0;
      const std::uint32_t p = opaque ? src[x] : 0;
      dst[0] = static_cast<unsigned char>((p >> 16) & 0xFF);
      dst[1] = static_cast<unsigned char>((p >> 8) & 0xFF);
      dst[2] = static_cast<unsigned char>(p & 0xFF);
      if (clear) dst[3] = opaque ? 255 : 0;
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = clear ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  // The first call measures, the second writes.
  bool ok = png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr) != 0;
  if (ok) {
    bytes.resize(size);
    ok = png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels.data(), 0, nullptr) != 0;
  }
  if (!ok) {
    const std::string reason = image.message;
    png_image_free(&image);
    bytes.clear();
    return reason.empty() ? "the PNG encoder failed" : reason;
  }
  bytes.resize(size);
  return {};
}

}  // namespace pw
