// Speed of the drawing primitives: whole-canvas fills, single pixels, markers, lines and text
// labels, on a full-HD page canvas.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "draw/d_draw.h"

namespace {

struct Page {
  pw::TC_Canvas canvas;
  Page() {
    canvas.Image.Set_Size(1920, 1080);
    pw::Cur_Image = &canvas;
    pw::Set_Fill_Patterns(pw::Default_Fill_Patterns());
    pw::Bg_Color = pw::Parse_Color("White", -1);
    pw::Clear_Image();
  }
  ~Page() { pw::Cur_Image = nullptr; }
};

void BM_Clear_Image(benchmark::State& state) {
  Page page;
  for (auto _ : state) {
    pw::Clear_Image();
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Clear_Image)->Unit(benchmark::kMillisecond);

void BM_Fill_Box_Pattern(benchmark::State& state) {
  Page page;
  for (auto _ : state) {
    pw::Fill_Box(0, 0, 1919, 1079, 3);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Fill_Box_Pattern)->Unit(benchmark::kMillisecond);

// A million points spread over the page.
std::vector<std::pair<int, int>> Points() {
  std::vector<std::pair<int, int>> points(1000000);
  unsigned seed = 1;
  for (auto& p : points) {
    seed = seed * 1103515245u + 12345u;
    p.first = static_cast<int>((seed >> 4) % 1940) - 10;
    seed = seed * 1103515245u + 12345u;
    p.second = static_cast<int>((seed >> 4) % 1100) - 10;
  }
  return points;
}

void BM_Put_Pixel_1M(benchmark::State& state) {
  Page page;
  const auto points = Points();
  pw::Set_Color(255);
  for (auto _ : state) {
    for (const auto& [x, y] : points) pw::Put_Pixel(x, y);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Put_Pixel_1M)->Unit(benchmark::kMillisecond);

void BM_Draw_Marker_1M(benchmark::State& state) {
  Page page;
  const auto points = Points();
  pw::Set_Color(255);
  const int kind = static_cast<int>(state.range(0));
  for (auto _ : state) {
    for (const auto& [x, y] : points) pw::Draw_Marker(x, y, kind);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Draw_Marker_1M)
    ->Arg(pw::Marker_Point)
    ->Arg(pw::Marker_Box2)
    ->Arg(pw::Marker_Plus2)
    ->Unit(benchmark::kMillisecond);

void BM_Line_To_100k(benchmark::State& state) {
  Page page;
  const auto points = Points();
  pw::Set_Color(255);
  for (auto _ : state) {
    pw::Move_To(points[0].first, points[0].second);
    for (int i = 1; i <= 100000; ++i) pw::Line_To(points[i].first / 8, points[i].second);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Line_To_100k)->Unit(benchmark::kMillisecond);

void BM_Far_Lines_100k(benchmark::State& state) {
  Page page;
  pw::Set_Color(255);
  for (auto _ : state) {
    for (int i = 0; i < 100000; ++i) {
      pw::Move_To(-5000, -5000 + i % 7);
      pw::Line_To(70000, 3);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Far_Lines_100k)->Unit(benchmark::kMillisecond);

void BM_Text_Labels_10k(benchmark::State& state) {
  Page page;
  pw::Set_Color(0);
  pw::Set_Font_Name("Verdana");
  pw::Set_Font_Height(12);
  pw::Set_Text_Angle(static_cast<int>(state.range(0)));
  std::vector<std::string> labels;
  for (int i = 0; i < 10000; ++i) labels.push_back(std::to_string(i * 0.125));
  for (auto _ : state) {
    for (int i = 0; i < 10000; ++i) {
      const int w = pw::Text_Width(labels[i]);
      pw::Text_Out((i * 37) % 1800, 100 + (i * 13) % 900, labels[i]);
      benchmark::DoNotOptimize(w);
    }
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_Text_Labels_10k)->Arg(0)->Arg(90)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
