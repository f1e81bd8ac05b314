// What the window's load feedback (progress strip and busy cursor) costs: the same
// Load_And_Draw of the real main window, in rounds, with the feedback
//   off    no progress hook at all (the window before the feedback existed),
//   quiet  the hook and its checks, but nothing ever due (a load under half a second),
//   shown  the strip shown from the first report on, redrawn up to ten times a second.
//
//   bench_window_load SETUP DATA [ROUNDS]     (default 5 rounds; offscreen unless
//                                               QT_QPA_PLATFORM says otherwise)
// Prints each run, then the median per mode and its ratio to "off".
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/load_feedback.h"
#include "app/pw_main.h"
#include "setup/D_Format.h"
#include "window_bench.h"

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SETUP DATA [ROUNDS]\n", argv[0]);
    return 2;
  }
  pw_bench::Default_To_Offscreen();
  QApplication app(argc, argv);
  pw::Set_Notation();
  const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
  pw_bench::Bench_Window bench(argv[1], argv[2]);
  pw::TMain& window = bench.window;
  const bool& failed = bench.failed;
  window.FormShow();  // the first load, untimed: caches and pages warm
  if (failed) return 1;

  const std::vector<std::pair<const char*, int>> modes = {
      {"off", -1}, {"quiet", 1000000000}, {"shown", 0}};
  std::map<std::string, std::vector<double>> times;
  for (int r = 0; r < rounds; ++r) {
    for (const auto& [name, delay] : modes) {
      window.Feedback().Set_Delay(delay);
      const auto start = std::chrono::steady_clock::now();
      window.Load_And_Draw();
      const double s =
          std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      if (failed) return 1;
      times[name].push_back(s);
      std::printf("round %d %-5s %.3f s\n", r + 1, name, s);
    }
  }
  const double base = Median(times["off"]);
  for (const auto& [name, delay] : modes) {
    const double m = Median(times[name]);
    std::printf("%-5s median %.3f s  (%.3f x off)\n", name, m, m / base);
  }
  return 0;
}
