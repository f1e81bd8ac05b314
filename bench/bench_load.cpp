// Loading speed and peak memory of TC_Data_Buffer::Load_File beside a bare loop that only
// splits the same file into fields and converts the numbers with std::from_chars to double.
//
//   bench_load load FILE    # Load_File through an 8-field definition (7 columns, 1 selector)
//   bench_load bare FILE    # the practical limit
//
// Run each mode as its own process so that the peak memory (VmHWM) is its own. "storage" is
// what the buffer holds: 7 packed 10-byte values and one 32-byte text slot per point.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "setup/d_inifile.h"

namespace {

// Processor time of the process so far (user + system), steadier than the wall clock on a
// shared machine.
double Cpu_Seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

long Peak_Kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

int Run_Load(const std::string& file) {
  const auto setup = std::filesystem::temp_directory_path() /
                     ("pw_bench_load_" + std::to_string(::getpid()) + ".ini");
  {
    std::ofstream out(setup);
    out << "[DataFile]\nId=1 1\nA=2 1.2\nB=3 1.2\nC=4 1.2\nD=5 1.2\nE=6 1.2\nF=7 1.2\n"
           "@Label=8\n";
  }
  pw::TC_Ini_File ini(setup.string());
  pw::TC_File_Def def(ini);
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
  const double storage_mib =
      buffer.Point_Count() * (7.0 * pw::Packed_Values::Bytes + 32.0) / (1024.0 * 1024.0);
  std::printf("load %d points %.3f s (cpu %.3f s) peak %.0f MiB storage %.0f MiB (%.2fx)\n",
              buffer.Point_Count(), seconds, Cpu_Seconds() - cpu_start, Peak_Kib() / 1024.0,
              storage_mib,
              Peak_Kib() / 1024.0 / storage_mib);
  return 0;
}

int Run_Bare(const std::string& file) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  if (fd < 0) return 1;
  const double cpu_start = Cpu_Seconds();
  const auto start = std::chrono::steady_clock::now();
  std::vector<char> buffer(std::size_t{2} << 20);
  std::size_t kept = 0;
  double sum = 0;
  long lines = 0;
  long labels = 0;
  for (;;) {
    const ssize_t count = ::read(fd, buffer.data() + kept, buffer.size() - kept);
    const std::size_t end = kept + static_cast<std::size_t>(count > 0 ? count : 0);
    const char* p = buffer.data();
    const char* stop = buffer.data() + end;
    for (;;) {
      const char* feed = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (feed == nullptr && count > 0) break;
      const char* line_end = feed != nullptr ? feed : stop;
      if (p == line_end && feed == nullptr) break;
      if (*p != ';') {
        ++lines;
        int field = 0;
        const char* q = p;
        while (q < line_end) {
          while (q < line_end && *q == ' ') ++q;
          if (q == line_end) break;
          const char* f = q;
          while (q < line_end && *q != ' ') ++q;
          if (++field <= 7) {
            double v;
            if (*f != '?' && std::from_chars(f, q, v).ec == std::errc()) sum += v;
          } else {
            labels += q - f;
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
  ::close(fd);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("bare %ld lines %.3f s (cpu %.3f s) peak %.0f MiB (checksum %g, %ld)\n", lines,
              seconds, Cpu_Seconds() - cpu_start, Peak_Kib() / 1024.0, sum, labels);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_load load|bare FILE\n");
    return 2;
  }
  const std::string mode = argv[1];
  return mode == "bare" ? Run_Bare(argv[2]) : Run_Load(argv[2]);
}
