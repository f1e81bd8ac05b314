// Drawing speed of the two graph kinds on a full-screen canvas.
//
// One scatter layer with a Key condition and one histogram, over 1 and 10 million points
// loaded beforehand (loading is not timed). Each iteration forgets the automatic limits
// (and the histogram's bins), so the time covers limit finding, the frame and the layer.
// Then every point as a density layer against the same points as single pixels (Marker
// POINT), with fixed limits, on 1 and 2 threads.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <type_traits>

#include <unistd.h>

#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/d_draw.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_histog.h"
#include "graphs/d_scatgraph.h"
#include "setup/d_inifile.h"

namespace {

constexpr int Canvas_Width = 1920;
constexpr int Canvas_Height = 1080;

const char* const Setup_Text =
    "[DataFile]\nX=1 1.2 x value\nY=2 1.2 y value\n@Group=3\n"
    "[G]\nx=X\ny=Y\nKey1=@Group A\nColor=Yellow\nMarker=PLUS1\nFill=1\n"
    "[Fixed]\nx=X\ny=Y\nxlo=0\nxhi=100\nylo=0\nyhi=100\n"
    "[Density]\nDensity=yes\n"
    "[Pixels]\nMarker=POINT\n";

std::filesystem::path Temp_Path(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         ("pw_bench_graphs_" + std::to_string(::getpid()) + "_" + name);
}

// Points on a noisy curve, half of them in group A.
void Write_Data(const std::filesystem::path& path, int points) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  unsigned state = 12345;
  auto next = [&state] {
    state = state * 1103515245u + 12345u;
    return (state >> 8) & 0xFFFF;
  };
  for (int i = 0; i < points; ++i) {
    const double x = next() / 655.36;
    const double y = x * 0.5 + next() / 1310.72;
    std::fprintf(f, "%.2f %.2f %c\n", x, y, (next() & 1) ? 'A' : 'B');
  }
  std::fclose(f);
}

struct Bench_Data {
  std::unique_ptr<pw::TC_Ini_File> ini;
  std::unique_ptr<pw::TC_File_Def> def;
  std::unique_ptr<pw::TC_Data_Buffer> buffer;
};

// Loaded once per size and kept for the whole run.
Bench_Data& Data(int points) {
  static std::map<int, Bench_Data> cache;
  Bench_Data& d = cache[points];
  if (!d.buffer) {
    const auto setup = Temp_Path("setup.ini");
    if (!std::filesystem::exists(setup)) {
      std::FILE* f = std::fopen(setup.c_str(), "w");
      std::fputs(Setup_Text, f);
      std::fclose(f);
    }
    const auto data = Temp_Path(std::to_string(points) + ".dat");
    Write_Data(data, points);
    pw::NPts = 1 << 20;
    d.ini = std::make_unique<pw::TC_Ini_File>(setup.string());
    d.def = std::make_unique<pw::TC_File_Def>(*d.ini);
    d.buffer = std::make_unique<pw::TC_Data_Buffer>();
    d.buffer->Load_File(data.string(), *d.def);
    std::filesystem::remove(data);
  }
  return d;
}

template <class Graph>
void Draw_Graph(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  Bench_Data& d = Data(points);
  pw::TC_Canvas canvas;
  canvas.Image.Set_Size(Canvas_Width, Canvas_Height);
  pw::Cur_Image = &canvas;
  Graph graph(0, 0, 0, 0);
  graph.Read_Setup(*d.ini, {"G"}, *d.def);
  graph.Set_Cell(0, Canvas_Width - 1, 0, Canvas_Height - 1);
  for (auto _ : state) {
    graph.XLo = graph.XHi = graph.YLo = graph.YHi = 0;
    if constexpr (std::is_same_v<Graph, pw::TC_Hist_Graph>) graph.Bins = 0;
    graph.Draw_All(*d.buffer);
    benchmark::DoNotOptimize(canvas.Image.Pixel(960, 540));
  }
  state.SetItemsProcessed(state.iterations() * points);
  pw::Cur_Image = nullptr;
}

// One pass of the accumulator and, for scale, one pass of the buffer's own range scan, both
// under the Key condition.
void BM_Histog_Accumulate(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  Bench_Data& d = Data(points);
  pw::T_Selection sel;
  sel.Key_Sel[0] = 1;
  sel.Key_Text[0] = "A";
  d.buffer->Set_Selection(sel);
  pw::TC_Histog histog(100, 0, 100, false);
  for (auto _ : state) {
    histog.Accumulate(*d.buffer, 1);
    benchmark::DoNotOptimize(histog.Max_Count());
  }
  state.SetItemsProcessed(state.iterations() * points);
}

void BM_Buffer_Column_Range(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  Bench_Data& d = Data(points);
  pw::T_Selection sel;
  sel.Key_Sel[0] = 1;
  sel.Key_Text[0] = "A";
  d.buffer->Set_Selection(sel);
  for (auto _ : state) benchmark::DoNotOptimize(d.buffer->Column_Range(1).n);
  state.SetItemsProcessed(state.iterations() * points);
}

// The whole drawing of a scatter graph with fixed limits over every point: frame and layer.
void Draw_Fixed_Scatter(benchmark::State& state, const char* layer) {
  const int points = static_cast<int>(state.range(0));
  pw::Set_Thread_Count(static_cast<int>(state.range(1)));
  Bench_Data& d = Data(points);
  pw::TC_Canvas canvas;
  canvas.Image.Set_Size(Canvas_Width, Canvas_Height);
  pw::Cur_Image = &canvas;
  pw::TC_Scat_Graph graph(0, 0, 0, 0);
  graph.Read_Setup(*d.ini, {layer, "Fixed"}, *d.def);
  graph.Set_Cell(0, Canvas_Width - 1, 0, Canvas_Height - 1);
  for (auto _ : state) {
    graph.Draw_All(*d.buffer);
    benchmark::DoNotOptimize(canvas.Image.Pixel(960, 540));
  }
  state.SetItemsProcessed(state.iterations() * points);
  // 0 for the single pixels: shows that each run drew what its name says.
  state.counters["max_count"] = graph.Scat_Layer(1).Density_Drawn.Largest;
  pw::Cur_Image = nullptr;
  pw::Set_Thread_Count(0);
}

void BM_Density_Layer(benchmark::State& state) {
  Draw_Fixed_Scatter(state, "Density");
}
void BM_Single_Pixels(benchmark::State& state) {
  Draw_Fixed_Scatter(state, "Pixels");
}

void BM_Scatter_Key(benchmark::State& state) {
  Draw_Graph<pw::TC_Scat_Graph>(state);
}
void BM_Histogram(benchmark::State& state) {
  Draw_Graph<pw::TC_Hist_Graph>(state);
}

BENCHMARK(BM_Scatter_Key)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histogram)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Histog_Accumulate)->Arg(10000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Buffer_Column_Range)->Arg(10000000)->Unit(benchmark::kMillisecond);
// Arguments: points, threads.
BENCHMARK(BM_Density_Layer)
    ->ArgsProduct({{1000000, 10000000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Single_Pixels)
    ->ArgsProduct({{1000000, 10000000}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
