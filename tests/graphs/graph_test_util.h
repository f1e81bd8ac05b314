// Helpers of the graph tests: setup files in a temporary folder and a current test canvas.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "draw/d_draw.h"

namespace pw::graph_test {

// A setup file with the given text, removed again when the object goes.
class Temp_Setup {
 public:
  explicit Temp_Setup(const std::string& text) {
    static std::atomic<int> counter{0};
    path_ =
        std::filesystem::temp_directory_path() /
        ("pw_graph_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".ini");
    std::ofstream(path_) << text;
  }
  ~Temp_Setup() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  Temp_Setup(const Temp_Setup&) = delete;
  Temp_Setup& operator=(const Temp_Setup&) = delete;

  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// A black canvas of the given size, current while the object lives.
class Test_Canvas {
 public:
  Test_Canvas(int width, int height) : previous_(Cur_Image) {
    canvas_.Image.Set_Size(width, height);
    Cur_Image = &canvas_;
  }
  ~Test_Canvas() { Cur_Image = previous_; }
  Test_Canvas(const Test_Canvas&) = delete;
  Test_Canvas& operator=(const Test_Canvas&) = delete;

  TC_Canvas& Canvas() { return canvas_; }
  // The pixel at (x, y) as 0xFFRRGGBB.
  std::uint32_t Pixel(int x, int y) const { return canvas_.Image.Pixel(x, y); }

 private:
  TC_Canvas canvas_;
  TC_Canvas* previous_;
};

}  // namespace pw::graph_test
