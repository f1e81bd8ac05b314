// Follow mode: the time to read lines added to a followed data file, beside a full load of the
// same file, for files of any length.
//
//   bench_follow SETUP FILE WORK_FILE [ROUNDS] [LINES]
//
// Copies FILE to WORK_FILE, loads it as follow mode does (Load_Followed), then ROUNDS times
// (default 5) appends LINES lines (default 10000, in the form of bench/render/make_data.py) and
// times the look at the file (Classify_Data_Change) and the reading of the added lines
// (Append_Followed). At the end the longer file is loaded whole again, the baseline; its
// point count must equal the followed buffer's. The data definition is SETUP's [DataFile]
// (and its NPts). Threads: PLOTWRIGHT_THREADS, else every core. Prints one line per step;
// WORK_FILE is removed at the end.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "data/d_followfile.h"
#include "setup/d_inifile.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms_Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// `count` lines numbered from `first`, 8 fields as make_data.py writes them.
std::string Lines(long first, int count) {
  std::string text;
  char line[160];
  const char* groups = "ABCD";
  for (long i = first; i < first + count; ++i) {
    const double x = 50 + static_cast<double>((i * 7919) % 4801) / 100 - 24;
    const int n = std::snprintf(line, sizeof line, "%ld %.4f %.4f %.3f %.3f %.4f %.3f %c\n", i,
                                x, 0.8 * x + (i % 13) - 6, static_cast<double>(i % 997) / 10,
                                static_cast<double>(i % 1000) / 10, (i % 61) - 30.0,
                                static_cast<double>(i % 700) / 10, groups[i % 4]);
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

int Run(const std::string& setup, const std::string& source, const std::string& work,
        int rounds, int lines) {
  const pw::TC_Ini_File ini(setup);
  const int npts = ini.Read_Integer({"Plotwright"}, "NPts", pw::NPts);
  if (npts >= 1) pw::NPts = npts;
  const pw::TC_File_Def def(ini);
  std::filesystem::copy_file(source, work, std::filesystem::copy_options::overwrite_existing);

  pw::TC_Data_Buffer buffer;
  auto start = Clock::now();
  pw::Data_File_Mark mark = pw::Load_Followed(buffer, work, def);
  std::printf("full load: %d points, %.1f ms (%d threads)\n", buffer.Point_Count(),
              Ms_Since(start), pw::Thread_Count());

  std::vector<double> checks, appends;
  long next = buffer.Point_Count() + 1;
  for (int r = 0; r < rounds; ++r) {
    std::ofstream(work, std::ios::binary | std::ios::app) << Lines(next, lines);
    next += lines;
    start = Clock::now();
    const pw::Data_Change change = pw::Classify_Data_Change(mark, work);
    checks.push_back(Ms_Since(start));
    if (change != pw::Data_Change::Lines_Added) {
      std::fprintf(stderr, "round %d: the change is not an addition\n", r + 1);
      return 1;
    }
    start = Clock::now();
    if (!pw::Append_Followed(buffer, work, def, mark)) {
      std::fprintf(stderr, "round %d: the addition was refused\n", r + 1);
      return 1;
    }
    appends.push_back(Ms_Since(start));
    std::printf("round %d: +%d lines, %d points: look %.3f ms, read the added lines %.2f ms\n",
                r + 1, lines, buffer.Point_Count(), checks.back(), appends.back());
  }
  std::sort(checks.begin(), checks.end());
  std::sort(appends.begin(), appends.end());
  std::printf("median of %d rounds: look %.3f ms, read the added lines %.2f ms (best %.2f)\n",
              rounds, checks[checks.size() / 2], appends[appends.size() / 2], appends.front());

  pw::TC_Data_Buffer whole;
  start = Clock::now();
  pw::Load_Followed(whole, work, def);
  std::printf("full reload of the longer file: %d points, %.1f ms\n", whole.Point_Count(),
              Ms_Since(start));
  std::filesystem::remove(work);
  if (whole.Point_Count() != buffer.Point_Count()) {
    std::fprintf(stderr, "the followed buffer has %d points, the full load %d\n",
                 buffer.Point_Count(), whole.Point_Count());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s SETUP FILE WORK_FILE [ROUNDS] [LINES]\n", argv[0]);
    return 2;
  }
  try {
    pw::Thread_Count_From_Environment();
    return Run(argv[1], argv[2], argv[3], argc > 4 ? std::max(1, std::atoi(argv[4])) : 5,
               argc > 5 ? std::max(1, std::atoi(argv[5])) : 10000);
  } catch (const pw::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
}
