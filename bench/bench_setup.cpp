// Speed of the setup reader: parsing a large setup and looking keys up through section lists,
// with ASCII names (the fast path of the letter-case folding) and with names beyond ASCII.
//
// The setup has 16 pages of 64 graphs with 12 keys each (about 12 000 entries), as large as a
// setup gets; a lookup reads one key through the list [Pages, page, page/graph], as every
// graph key is read.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "setup/d_inifile.h"

namespace {

constexpr int Pages = 16;
constexpr int Graphs = 64;
const char* const Keys[] = {"Kind",   "x",      "y",       "xlo",    "xhi",  "Color",
                            "Layers", "RoundX", "Caption", "Marker", "Grid", "FrameColor"};

// Page and graph names: plain ASCII, or German and Greek words in capitals.
std::string Page_Name(bool unicode, int p) {
  return (unicode ? "ÜBERSICHT_Σελίδα" : "Overview_Page") + std::to_string(p);
}
std::string Graph_Name(bool unicode, int g) {
  return (unicode ? "HÖHE_Γράφημα" : "Height_Graph") + std::to_string(g);
}

std::filesystem::path Write_Setup(bool unicode) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("pw_bench_setup_" + std::to_string(::getpid()) + (unicode ? "_u" : "_a"));
  std::string text = "[Pages]\nPages=";
  for (int p = 0; p < Pages; ++p) text += Page_Name(unicode, p) + " ";
  text += "\nFontSize=11\n";
  for (int p = 0; p < Pages; ++p) {
    const std::string page = Page_Name(unicode, p);
    text.append("[").append(page).append("]\nRows=8\nColumns=8\n");
    for (int g = 0; g < Graphs; ++g) {
      text.append("[").append(page).append("/").append(Graph_Name(unicode, g)).append("]\n");
      for (const char* key : Keys) text.append(key).append("=value of ").append(key).append("\n");
    }
  }
  std::FILE* f = std::fopen(path.c_str(), "w");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

// Lookups are written in other letter case than the file, as users write them.
std::string Lower_Ascii(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

void BM_Parse(benchmark::State& state) {
  const bool unicode = state.range(0) != 0;
  const auto path = Write_Setup(unicode);
  for (auto _ : state) {
    pw::TC_Ini_File ini(path.string());
    benchmark::DoNotOptimize(ini.Key_Exists("Pages", "Pages"));
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_Parse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_Lookup(benchmark::State& state) {
  const bool unicode = state.range(0) != 0;
  const auto path = Write_Setup(unicode);
  pw::TC_Ini_File ini(path.string());
  std::vector<pw::Section_List> lists;
  for (int p = 0; p < Pages; ++p) {
    for (int g = 0; g < Graphs; g += 7) {
      const std::string page = Lower_Ascii(Page_Name(unicode, p));
      lists.push_back({"pages", page, page + "/" + Lower_Ascii(Graph_Name(unicode, g))});
    }
  }
  std::size_t i = 0;
  for (auto _ : state) {
    const pw::Section_List& list = lists[i++ % lists.size()];
    benchmark::DoNotOptimize(ini.Read_String(list, "roundx", ""));
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_Lookup)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
