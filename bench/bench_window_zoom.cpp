// One zoom step in the real main window, from the wheel event to the picture painted: the
// window (offscreen platform unless QT_QPA_PLATFORM says otherwise, 1920 x 1080) on
// bench/zoom/zoom.pwr.ini, a scatter page and a histogram page, each step a wheel notch in
// or back out over the graph, on 1 and 2 threads.
//
//   bench_window_zoom SETUP DATA [STEPS]
#include <QApplication>
#include <QWheelEvent>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/canvas_view.h"
#include "app/notebook.h"
#include "app/pw_main.h"
#include "app/zoom_control.h"
#include "base/parallel.h"
#include "pages/d_graphpageset.h"
#include "setup/D_Format.h"
#include "window_bench.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SETUP DATA [STEPS]\n", argv[0]);
    return 2;
  }
  pw_bench::Default_To_Offscreen();
  QApplication app(argc, argv);
  pw::Set_Notation();
  const int steps = argc > 3 ? std::max(1, std::atoi(argv[3])) : 21;
  pw_bench::Bench_Window bench(argv[1], argv[2]);
  pw::TMain& window = bench.window;
  const bool& failed = bench.failed;
  const auto load = std::chrono::steady_clock::now();
  window.FormShow();
  if (failed || window.Page_Set() == nullptr) return 1;
  std::printf("loaded and drawn %d points in %.2f s\n", window.Page_Set()->Buffer().Point_Count(),
              std::chrono::duration<double>(std::chrono::steady_clock::now() - load).count());

  std::printf("| graph | threads | wheel to picture, median (min .. max) |\n|---|---|---|\n");
  for (int page = 1; page <= window.Page_Set()->Page_Count(); ++page) {
    window.Pages().Tabs().Set_Current(page - 1);
    QApplication::processEvents();
    pw::TCanvas_View& view = window.Canvas_View(page);
    const pw::TC_Graph& graph = window.Page_Set()->Page(page).Graph(1);
    const QPoint at(graph.Plot_Left + (graph.Plot_Right - graph.Plot_Left) * 2 / 5,
                    graph.Plot_Bottom - (graph.Plot_Bottom - graph.Plot_Top) / 3);
    for (int threads : {1, 2}) {
      pw::Set_Thread_Count(threads);
      std::vector<double> times;
      for (int k = 0; k < steps; ++k) {
        const int draws = window.Zoom().Draws();
        const auto start = std::chrono::steady_clock::now();
        QWheelEvent wheel(QPointF(at), QPointF(view.mapToGlobal(at)), QPoint(),
                          QPoint(0, k % 2 == 0 ? 120 : -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        while (window.Zoom().Draws() == draws) QApplication::processEvents();
        view.repaint();
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        if (failed) return 1;
      }
      std::sort(times.begin(), times.end());
      std::printf("| %s | %d | %.1f ms (%.1f .. %.1f) |\n", graph.Kind_Name(), threads,
                  times[times.size() / 2], times.front(), times.back());
      std::fflush(stdout);
    }
  }
  return 0;
}
