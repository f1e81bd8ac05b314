// Temporary setup and data files and clean program-wide state for the page tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_draw.h"

namespace pw::test {

class Page_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("pw_pages_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    Bg_Color = 0;
    Fatal_Error = false;
    Set_Fill_Patterns(Default_Fill_Patterns());
  }
  void TearDown() override {
    Cur_Image = nullptr;  // the canvases die with the test
    Bg_Color = 0;
    Fatal_Error = false;
    NPts = 1024;
    Ignore_Limits = false;
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  // Writes `text` to a file of that name in the test's folder and returns its path.
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
  std::filesystem::path dir_;
};

}  // namespace pw::test
