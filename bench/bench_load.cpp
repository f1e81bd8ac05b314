// Loading speed and peak memory of TC_Data_Buffer::Load_File beside a bare loop that only
// splits the same file into fields and converts the numbers with std::from_chars to double.
//
//   bench_load load FILE [THREADS]  # Load_File through an 8-field definition (7 columns,
//                                   # 1 selector) on THREADS threads (default: all cores);
//                                   # a gzip or zstd file is decompressed as it is read
//   bench_load csv FILE [THREADS]   # the same with the main-section key Delimiter=","
//   bench_load bare FILE [THREADS]  # the practical limit; with THREADS > 1 the file is cut
//                                   # into THREADS byte ranges at line ends, one per thread
//
// Run each mode as its own process so that the peak memory (VmHWM) is its own. "storage" is
// what the buffer holds: 7 packed 10-byte values and one 4-byte text number per point, and
// the selector's dictionary.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "setup/d_inifile.h"
#include "process_measure.h"

namespace {

using pw_bench::Cpu_Seconds;
using pw_bench::Peak_Kib;

int Run_Load(const std::string& file, char delimiter) {
  const auto setup = std::filesystem::temp_directory_path() /
                     ("pw_bench_load_" + std::to_string(::getpid()) + ".ini");
  {
    std::ofstream out(setup);
    out << "[DataFile]\nId=1 1\nA=2 1.2\nB=3 1.2\nC=4 1.2\nD=5 1.2\nE=6 1.2\nF=7 1.2\n"
           "@Label=8\n";
  }
  pw::TC_Ini_File ini(setup.string());
  pw::TC_File_Def def(ini);
  def.Form.Delimiter = delimiter;
  std::filesystem::remove(setup);
  pw::TC_Data_Buffer buffer;
  const double cpu_start = Cpu_Seconds();
  const auto start = std::chrono::steady_clock::now();
  try {
    buffer.Load_File(file, def);
  } catch (const pw::Error& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double storage_mib = buffer.Storage_Bytes() / (1024.0 * 1024.0);
  std::printf("%s %d threads %d points %.3f s (cpu %.3f s) peak %.0f MiB storage %.0f MiB "
              "(%.2fx)\n",
              delimiter == 0 ? "load" : "csv", pw::Thread_Count(), buffer.Point_Count(), seconds, Cpu_Seconds() - cpu_start,
              Peak_Kib() / 1024.0, storage_mib, Peak_Kib() / 1024.0 / storage_mib);
  return 0;
}

// What the bare loop found in its part of the file.
struct Bare_Counts {
  double sum = 0;
  long lines = 0;
  long labels = 0;
};

// Splits every line of [begin, end) of the file into fields and converts the first seven
// with from_chars; `begin` is the start of a line, `end` the end of one or of the file.
Bare_Counts Bare_Range(int fd, std::uint64_t begin, std::uint64_t end) {
  Bare_Counts counts;
  std::vector<char> buffer(std::size_t{2} << 20);
  std::size_t kept = 0;
  std::uint64_t at = begin;
  for (;;) {
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer.size() - kept, end - at));
    const ssize_t count =
        want == 0 ? 0 : ::pread(fd, buffer.data() + kept, want, static_cast<off_t>(at));
    at += static_cast<std::uint64_t>(count > 0 ? count : 0);
    const std::size_t stop_at = kept + static_cast<std::size_t>(count > 0 ? count : 0);
    const char* p = buffer.data();
    const char* stop = buffer.data() + stop_at;
    for (;;) {
      const char* feed = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (feed == nullptr && count > 0) break;
      const char* line_end = feed != nullptr ? feed : stop;
      if (p == line_end && feed == nullptr) break;
      if (*p != ';') {
        ++counts.lines;
        int field = 0;
        const char* q = p;
        while (q < line_end) {
          while (q < line_end && *q == ' ') ++q;
          if (q == line_end) break;
          const char* f = q;
          while (q < line_end && *q != ' ') ++q;
          if (++field <= 7) {
            double v;
            if (*f != '?' && std::from_chars(f, q, v).ec == std::errc()) counts.sum += v;
          } else {
            counts.labels += q - f;
          }
        }
      }
      p = line_end + (feed != nullptr);
      if (feed == nullptr) break;
    }
    kept = static_cast<std::size_t>(stop - p);
    std::memmove(buffer.data(), p, kept);
    if (count <= 0) break;
  }
  return counts;
}

// The file offset just after the first line feed at or after `at` (the file's size if none).
std::uint64_t Next_Line_Start(int fd, std::uint64_t at, std::uint64_t size) {
  char block[4096];
  while (at < size) {
    const ssize_t count = ::pread(fd, block, sizeof block, static_cast<off_t>(at));
    if (count <= 0) break;
    const void* feed = std::memchr(block, '\n', static_cast<std::size_t>(count));
    if (feed != nullptr) return at + static_cast<std::uint64_t>(static_cast<const char*>(feed) - block) + 1;
    at += static_cast<std::uint64_t>(count);
  }
  return size;
}

int Run_Bare(const std::string& file, int threads) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return 1;
  const double cpu_start = Cpu_Seconds();
  const auto start = std::chrono::steady_clock::now();
  const auto size = static_cast<std::uint64_t>(::lseek(fd, 0, SEEK_END));
  std::vector<std::uint64_t> cuts{0};
  for (int t = 1; t < threads; ++t) {
    cuts.push_back(std::max(cuts.back(), Next_Line_Start(fd, size * t / threads, size)));
  }
  cuts.push_back(size);
  std::vector<Bare_Counts> parts(static_cast<std::size_t>(threads));
  {
    std::vector<std::jthread> workers;
    for (int t = 1; t < threads; ++t) {
      workers.emplace_back([&, t] { parts[t] = Bare_Range(fd, cuts[t], cuts[t + 1]); });
    }
    parts[0] = Bare_Range(fd, cuts[0], cuts[1]);
  }
  Bare_Counts total;
  for (const Bare_Counts& part : parts) {
    total.sum += part.sum;
    total.lines += part.lines;
    total.labels += part.labels;
  }
  ::close(fd);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("bare %d threads %ld lines %.3f s (cpu %.3f s) peak %.0f MiB (checksum %g, %ld)\n",
              threads, total.lines, seconds, Cpu_Seconds() - cpu_start, Peak_Kib() / 1024.0,
              total.sum, total.labels);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: bench_load load|csv|bare FILE [THREADS]\n");
    return 2;
  }
  const std::string mode = argv[1];
  const int threads = argc == 4 ? std::atoi(argv[3]) : 0;
  if (mode == "bare") return Run_Bare(argv[2], threads > 0 ? threads : 1);
  pw::Set_Thread_Count(threads);
  return Run_Load(argv[2], mode == "csv" ? ',' : 0);
}
