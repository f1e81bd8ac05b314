// What the benchmark programs measure of their own process.
#pragma once

#include <sys/resource.h>

#include <fstream>
#include <string>

namespace pw_bench {

// Processor time of the process so far (user + system, every thread), steadier than the wall
// clock on a shared machine.
inline double Cpu_Seconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Peak resident memory of the process so far in KiB (VmHWM), -1 when it cannot be read.
inline long Peak_Kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace pw_bench
