// The parts of one run of plotwright-render, timed apart: load, drawing, writing the pictures.
//
//   bench_pages SETUP DATA [THREADS] [OUT_DIR]
//
// The same steps as the renderer (page set, Load_Data, Draw_Pages, PNG pictures 1024 x 768
// written side by side) on THREADS threads (default: all cores). Prints one line:
//   pages P threads T points N load L s draw D s write W s (cpu C s) peak M MiB
// Run each as its own process so that the peak memory is its own.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "draw/D_Math.h"
#include "draw/d_draw.h"
#include "draw/image_file.h"
#include "pages/d_graphpageset.h"
#include "setup/d_inifile.h"
#include "process_measure.h"

namespace {

using pw_bench::Cpu_Seconds;
using pw_bench::Peak_Kib;

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: bench_pages SETUP DATA [THREADS] [OUT_DIR]\n");
    return 2;
  }
  const std::string setup = argv[1], data = argv[2];
  pw::Set_Thread_Count(argc > 3 ? std::atoi(argv[3]) : 0);
  const std::string out =
      argc > 4 ? argv[4] : (std::filesystem::temp_directory_path() / "pw_bench_pages").string();
  std::filesystem::create_directories(out);
  pw::Check_Precision();
  pw::Set_Fill_Patterns(pw::Default_Fill_Patterns());

  const double cpu_start = Cpu_Seconds();
  auto canvases = std::make_unique<pw::Canvas_Array>();
  for (pw::TC_Canvas& canvas : *canvases) canvas.Image.Set_Size(1024, 768);
  pw::TC_Graph_Page_Set pages(*canvases);
  double load = 0, draw = 0, write = 0;
  try {
    pw::TC_Ini_File ini(setup);
    pages.Read_Setup(ini, "Pages");
    auto start = Clock::now();
    pages.Load_Data(data);
    load = Since(start);
    start = Clock::now();
    pages.Draw_Pages();
    draw = Since(start);
    start = Clock::now();
    pw::Parallel_For(static_cast<std::size_t>(pages.Page_Count()), [&](std::size_t i) {
      const int k = static_cast<int>(i) + 1;
      pw::Write_PNG(pages.Page(k).Canvas().Image, out + "/page" + std::to_string(k) + ".png");
    });
    write = Since(start);
  } catch (const pw::Error& e) {
    std::fprintf(stderr, "error: %s\n", e.Message().c_str());
    return 1;
  }
  std::printf("pages %d threads %d points %d load %.3f s draw %.3f s write %.3f s (cpu %.3f s) "
              "peak %.0f MiB\n",
              pages.Page_Count(), pw::Thread_Count(), pages.Buffer().Point_Count(), load, draw,
              write, Cpu_Seconds() - cpu_start, Peak_Kib() / 1024.0);
  return 0;
}
