// Runs plotwright-render in a fresh temporary folder and collects what it leaves behind.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pw::test {

struct Run_Result {
  int Status = -1;
  std::string Out;
  std::string Err;
};

// A 24-bit BMP as written by the renderer, read back as 0xRRGGBB pixels.
struct Bmp {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

class Render_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    // One folder level: a parameterized test's name ("Case/3") would otherwise leave its
    // parent folder behind.
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    dir_ = std::filesystem::temp_directory_path() /
           ("pw_render_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    if (!HasFailure()) std::filesystem::remove_all(dir_, ec);
  }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(dir_ / name); }

  // Runs the program with `args` (a shell word list) from the test's folder.
  Run_Result Run(const std::string& args) { return Run_Program("", args, " </dev/null"); }

  // Runs the program with `args` from the test's folder, its standard input the output of the
  // shell command `input` (run there too) through a pipe.
  Run_Result Run_Piped(const std::string& input, const std::string& args) {
    return Run_Program(input + " | ", args, "");
  }

  // Runs the shell text `before` + the program + `args` + `after` in the test's folder, and
  // reads back its status and output.
  Run_Result Run_Program(const std::string& before, const std::string& args,
                         const std::string& after) {
    // Under the sanitizers, the leak checker's suppression summary must not reach stderr.
    const std::string cmd = "cd '" + dir_.string() + "' && " + before +
                            "LSAN_OPTIONS=\"${LSAN_OPTIONS:+$LSAN_OPTIONS:}"
                            "print_suppressions=0\" '" PW_RENDER_BIN "' " + args +
                            " >stdout.txt 2>stderr.txt" + after;
    const int raw = std::system(cmd.c_str());
    Run_Result r;
    r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.Out = Read("stdout.txt");
    r.Err = Read("stderr.txt");
    return r;
  }

  // Runs a shell command in the test's folder; true when it succeeded.
  bool Shell(const std::string& command) {
    return std::system(("cd '" + dir_.string() + "' && " + command).c_str()) == 0;
  }

  Bmp Read_Bmp(const std::string& name) const {
    const std::string b = Read(name);
    Bmp bmp;
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return bmp;
    auto u32 = [&](std::size_t at) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
             static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
    };
    const std::uint32_t offset = u32(10);
    const int w = static_cast<int>(u32(18));
    const int h_raw = static_cast<int>(u32(22));
    const int bpp = static_cast<unsigned char>(b[28]);
    if (bpp != 24 || w <= 0 || h_raw == 0) return bmp;
    const bool bottom_up = h_raw > 0;
    const int h = bottom_up ? h_raw : -h_raw;
    const std::size_t stride = (static_cast<std::size_t>(w) * 3 + 3) / 4 * 4;
    if (b.size() < offset + stride * h) return bmp;
    bmp.Width = w;
    bmp.Height = h;
    bmp.Pixels.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      const std::size_t row = offset + stride * (bottom_up ? h - 1 - y : y);
      for (int x = 0; x < w; ++x) {
        const auto* p = reinterpret_cast<const unsigned char*>(b.data() + row + 3 * x);
        bmp.Pixels[static_cast<std::size_t>(y) * w + x] = p[2] << 16 | p[1] << 8 | p[0];
      }
    }
    return bmp;
  }

  std::filesystem::path dir_;
};

}  // namespace pw::test
