// The real main window for the window benchmarks.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "app/d_errbox.h"
#include "app/pw_main.h"

namespace pw_bench {

// The offscreen platform unless QT_QPA_PLATFORM says otherwise; call before the QApplication.
inline void Default_To_Offscreen() {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

// The main window on SETUP and DATA (made absolute), 1920 x 1080 and shown, not yet loaded
// (FormShow loads and draws). An error is printed to standard error and sets `failed`.
struct Bench_Window {
  Bench_Window(const char* setup, const char* data)
      : window(box, std::filesystem::temp_directory_path().string() + "/",
               {std::filesystem::absolute(setup).string(),
                std::filesystem::absolute(data).string()}) {
    window.Report_Error = [this](const std::exception& e) {
      std::fprintf(stderr, "error: %s\n", e.what());
      failed = true;
    };
    window.resize(1920, 1080);
    window.show();
  }
  Bench_Window(const Bench_Window&) = delete;
  Bench_Window& operator=(const Bench_Window&) = delete;

  pw::TErrBox box;
  pw::TMain window;
  bool failed = false;
};

}  // namespace pw_bench
