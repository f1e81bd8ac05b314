#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/D_Error.h"
#include "draw/image_file.h"

namespace pw {
namespace {

namespace fs = std::filesystem;

class Bitmap_File_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pw_bitmap_files_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // Odd width, so BMP rows need padding; every pixel different.
    bitmap_.Set_Size(7, 5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x)
        bitmap_.Set_Pixel(x, y, 0xFF000000u | (x * 37u << 16) | (y * 51u << 8) | (x * y * 9u));
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_))
      names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  TC_Bitmap bitmap_;
};

std::uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

TC_Bitmap Read_BMP(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> b((std::istreambuf_iterator<char>(in)), {});
  TC_Bitmap out;
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return out;
  EXPECT_EQ(Le32(b, 2), b.size());
  EXPECT_EQ(b[28], 24);
  const int w = static_cast<int>(Le32(b, 18)), h = static_cast<int>(Le32(b, 22));
  const size_t offset = Le32(b, 10), row = (w * 3 + 3) & ~3;
  EXPECT_EQ(b.size(), offset + row * h);
  out.Set_Size(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const unsigned char* p = &b[offset + (h - 1 - y) * row + x * 3];
      out.Set_Pixel(x, y, 0xFF000000u | p[2] << 16 | p[1] << 8 | p[0]);
    }
  return out;
}

TC_Bitmap Read_PNG(const fs::path& path) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  TC_Bitmap out;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return out;
  EXPECT_EQ(image.format & PNG_FORMAT_FLAG_ALPHA, 0u);
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint32_t> pixels(image.width * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return out;
  out.Set_Size(image.width, image.height);
  std::copy(pixels.begin(), pixels.end(), out.Bits());
  return out;
}

void Expect_Same(const TC_Bitmap& a, const TC_Bitmap& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) ASSERT_EQ(a.Pixel(x, y), b.Pixel(x, y)) << x << "," << y;
}

TEST_F(Bitmap_File_Test, BmpReadsBackPixelForPixel) {
  const fs::path path = dir_ / "page1.bmp";
  Write_BMP(bitmap_, path.string());
  Expect_Same(Read_BMP(path), bitmap_);
  EXPECT_EQ(Files(), std::vector<std::string>{"page1.bmp"});
  // Over an existing file.
  bitmap_.Set_Pixel(0, 0, 0xFF123456u);
  Write_BMP(bitmap_, path.string());
  Expect_Same(Read_BMP(path), bitmap_);
  EXPECT_EQ(Files(), std::vector<std::string>{"page1.bmp"});
}

TEST_F(Bitmap_File_Test, PngReadsBackPixelForPixel) {
  const fs::path path = dir_ / "page1.png";
  Write_PNG(bitmap_, path.string());
  Expect_Same(Read_PNG(path), bitmap_);
  bitmap_.Set_Size(640, 3);
  Write_PNG(bitmap_, path.string());
  Expect_Same(Read_PNG(path), bitmap_);
  EXPECT_EQ(Files(), std::vector<std::string>{"page1.png"});
}

TEST_F(Bitmap_File_Test, MissingFolderGivesAnErrorNamingTheFile) {
  for (bool png : {false, true}) {
    const std::string path = (dir_ / "no such folder" / "shot.bmp").string();
    try {
      png ? Write_PNG(bitmap_, path) : Write_BMP(bitmap_, path);
      FAIL() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "Cannot write file " + path + ": No such file or directory");
      EXPECT_FALSE(e.Fatal());
    }
  }
  EXPECT_TRUE(Files().empty());
}

TEST_F(Bitmap_File_Test, TargetThatIsAFolderLeavesNoTemporaryFile) {
  fs::create_directories(dir_ / "taken.bmp" / "inside");
  EXPECT_THROW(Write_BMP(bitmap_, (dir_ / "taken.bmp").string()), Error);
  EXPECT_THROW(Write_PNG(bitmap_, (dir_ / "taken.bmp").string()), Error);
  EXPECT_EQ(Files(), std::vector<std::string>{"taken.bmp"});
}

TEST_F(Bitmap_File_Test, EmptyBitmapIsRefused) {
  const std::string path = (dir_ / "empty.bmp").string();
  TC_Bitmap empty;
  try {
    Write_BMP(empty, path);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Cannot write file " + path + ": the picture is empty");
  }
  EXPECT_THROW(Write_PNG(empty, path), Error);
  EXPECT_TRUE(Files().empty());
}

}  // namespace
}  // namespace pw
