// Time of one zoom step in the window's way (TC_Graph_Page::Draw_Graph with new limits) on a
// scatter graph and a histogram that each fill a 1920 x 1080 page, on 1 and 2 threads.
//
//   bench_zoom SETUP DATA [STEPS]        (setup: bench/zoom/zoom.pwr.ini)
//
// Each step zooms in by a wheel notch around a point of the plot area, or back out, so the
// limits stay about the same size; the picture is drawn each time. Near the setup's limits,
// and deep (twenty notches in, a hundredth of the range). Beside it: the same graph
// drawn whole (Draw_All, as a page drawing does: with its statistics pass), and the load.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "base/parallel.h"
#include "draw/d_draw.h"
#include "graphs/d_zoom.h"
#include "pages/d_graphpageset.h"
#include "setup/d_inifile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of the whole process, all threads, in ms: beside the wall time it shows how
// much of a step the machine's other work took (one thread) and what the threads added up to.
double Cpu_Ms() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Figures {
  double median, low, high;
};

Figures Of(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return {times[times.size() / 2], times.front(), times.back()};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SETUP DATA [STEPS]\n", argv[0]);
    return 2;
  }
  const int steps = argc > 3 ? std::atoi(argv[3]) : 21;
  pw::Set_Fill_Patterns(pw::Default_Fill_Patterns());
  pw::Canvas_Array canvases;
  for (pw::TC_Canvas& c : canvases) c.Image.Set_Size(1920, 1080);
  pw::TC_Graph_Page_Set set(canvases);
  const pw::TC_Ini_File ini(argv[1]);
  set.Read_Setup(ini, "Pages");
  Clock::time_point start = Clock::now();
  set.Load_Data(argv[2]);
  std::printf("loaded %d points in %.0f ms (%d threads)\n", set.Buffer().Point_Count(),
              Ms_Since(start), pw::Thread_Count());
  set.Draw_Pages();

  std::printf(
      "| graph | zoom | threads | zoom step median (min .. max) | CPU of a step | whole graph "
      "(Draw_All) |\n");
  std::printf("|---|---|---|---|---|---|\n");
  for (int page = 1; page <= set.Page_Count(); ++page) {
    pw::TC_Graph_Page& p = set.Page(page);
    pw::TC_Graph& graph = p.Graph(1);
    const pw::Graph_Limits home = pw::Limits_Of(graph);
    // Near the setup's limits (about three quarters of the points inside), then deep: twenty
    // notches further in, about a hundredth of the range (a few per cent of the points inside).
    for (const int depth : {0, 20}) {
      p.Set_Zoom(1, home);
      for (int k = 0; k < depth; ++k) {
        const pw::Plot_Area area = pw::Plot_Area_Of(graph);
        p.Set_Zoom(1,
                   pw::Zoom_At(p.View_Limits(1), area, pw::Zoom_Rules_Of(graph),
                               area.Left + (area.Right - area.Left) * 2 / 5,
                               area.Bottom - (area.Bottom - area.Top) / 3, pw::Wheel_Factor(120)));
      }
      p.Draw_Graph(1, set.Buffer());
      for (int threads : {1, 2}) {
        pw::Set_Thread_Count(threads);
        std::vector<double> zoom, cpu, whole;
        for (int k = 0; k < steps; ++k) {
          const pw::Plot_Area area = pw::Plot_Area_Of(graph);
          const int x = area.Left + (area.Right - area.Left) * 2 / 5;
          const int y = area.Bottom - (area.Bottom - area.Top) / 3;
          const pw::Graph_Limits next =
              pw::Zoom_At(p.View_Limits(1), area, pw::Zoom_Rules_Of(graph), x, y,
                          pw::Wheel_Factor(k % 2 == 0 ? 120 : -120));
          const double cpu_start = Cpu_Ms();
          start = Clock::now();
          p.Set_Zoom(1, next);
          p.Draw_Graph(1, set.Buffer());
          zoom.push_back(Ms_Since(start));
          cpu.push_back(Cpu_Ms() - cpu_start);
          pw::Cur_Image = &p.Canvas();
          start = Clock::now();
          graph.Draw_All(set.Buffer());
          whole.push_back(Ms_Since(start));
        }
        const Figures z = Of(zoom), c = Of(cpu), w = Of(whole);
        std::printf("| %s | %s | %d | %.1f ms (%.1f .. %.1f) | %.1f ms | %.1f ms |\n",
                    graph.Kind_Name(), depth == 0 ? "near" : "deep", threads, z.median, z.low,
                    z.high, c.median, w.median);
        std::fflush(stdout);
      }
    }
    p.Set_Zoom(1, home);
  }
  return 0;
}
