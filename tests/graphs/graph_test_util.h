// Helpers of the graph tests: setup files in a temporary folder and a current test canvas.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/d_draw.h"
#include "setup/d_inifile.h"

namespace pw::graph_test {

// A setup file (or, with another extension, a data file) with the given text, removed again
// when the object goes.
class Temp_Setup {
 public:
  explicit Temp_Setup(const std::string& text, const std::string& extension = ".ini") {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("pw_graph_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) +
             extension);
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

// A graph of kind G read from section [G] of a temporary setup (the data definition, then
// `graph_keys`), its data loaded from a temporary data file, and a canvas of its own whose
// size is the graph's cell. With `current_now` the canvas is current from the start, otherwise
// from the first Draw; the current canvas before is put back at the end.
template <typename G>
class Loaded_Graph {
 public:
  Loaded_Graph(const std::string& data_file_def, const std::string& graph_keys,
               const std::string& data_lines, int width, int height, bool current_now)
      : setup_(data_file_def + "[G]\n" + graph_keys),
        data_(data_lines, ".dat"),
        previous_(Cur_Image) {
    ini_ = std::make_unique<TC_Ini_File>(setup_.Path());
    def_ = std::make_unique<TC_File_Def>(*ini_);
    buffer_.Load_File(data_.Path(), *def_);
    canvas_.Image.Set_Size(width, height);
    if (current_now) Cur_Image = &canvas_;
    graph_.Read_Setup(*ini_, {"G"}, *def_);
    graph_.Set_Cell(0, width - 1, 0, height - 1);
  }
  ~Loaded_Graph() {
    Cur_Image = previous_;
  }
  Loaded_Graph(const Loaded_Graph&) = delete;
  Loaded_Graph& operator=(const Loaded_Graph&) = delete;

  G& Graph() { return graph_; }
  TC_Data_Buffer& Buffer() { return buffer_; }
  void Draw() {
    Cur_Image = &canvas_;
    graph_.Draw_All(buffer_);
  }

 protected:
  // Files, not paths: removed also when the constructor throws (a bad key).
  Temp_Setup setup_;
  Temp_Setup data_;
  std::unique_ptr<TC_Ini_File> ini_;
  std::unique_ptr<TC_File_Def> def_;
  TC_Data_Buffer buffer_;
  TC_Canvas canvas_;
  TC_Canvas* previous_;
  G graph_{0, 0, 0, 0};
};

}  // namespace pw::graph_test
