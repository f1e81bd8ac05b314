// Work split over threads, with results that never depend on how many threads run.
//
// The work is cut into a fixed number of pieces that depends on the input only (never on the
// thread count); each piece writes its own result, and the caller merges them in piece order.
// So integer counts, floating-point sums and messages come out the same, bit for bit, on one
// thread and on many.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>

namespace pw {

// Points per piece of a pass over the data buffer. Fixed: a sum over the points is the sum of
// the pieces' sums in piece order, whatever the number of threads.
inline constexpr std::size_t Chunk_Points = std::size_t{1} << 16;
// Below this many points a pass runs on the calling thread: starting threads costs more.
inline constexpr std::size_t Parallel_Threshold = 100000;

// The cores this process may run on: its CPU affinity, capped by the CPU quotas of its cgroup
// and the cgroups above it (v2 "cpu.max" or v1 "cpu.cfs_quota_us"); at least 1.
int Available_Cores();

// Whole cores the CPU quota in the cgroup files under `root` allows, rounded up: v2
// "cpu.max", else v1 "cpu/cpu.cfs_quota_us" over "cpu/cpu.cfs_period_us"; 0 when there is no
// quota or the files cannot be read. Available_Cores() reads them under "/sys/fs/cgroup".
int Quota_Cores(const std::string& root);

// The tightest of Quota_Cores(root) and the quotas of the cgroups on the way from `root` down
// to the process's own, as `cgroup_list` names them in the form of /proc/self/cgroup: v2
// "0::/a/b" reads root/a/cpu.max and root/a/b/cpu.max (when root is a v2 hierarchy); v1
// "N:cpu,cpuacct:/a/b" reads root/cpu/a and root/cpu/a/b. A folder without the files sets no
// cap; a path reaching above the root ("..", outside a cgroup namespace) stops there. 0 when
// nothing caps. Available_Cores() reads "/sys/fs/cgroup" and /proc/self/cgroup.
int Process_Quota_Cores(const std::string& root, std::istream& cgroup_list);

// The number of threads parallel work uses; starts at Available_Cores(). n < 1 restores that
// default. 1 runs everything on the calling thread.
void Set_Thread_Count(int n);
int Thread_Count();

// Reads PLOTWRIGHT_THREADS: a whole number 1..1024 sets the thread count; unset or empty
// leaves it. Anything else raises "Wrong PLOTWRIGHT_THREADS value: " + the text.
void Thread_Count_From_Environment();

// Number of pieces of `chunk` items that cover n items (0 for n = 0).
inline std::size_t Chunk_Count(std::size_t n, std::size_t chunk = Chunk_Points) {
  return (n + chunk - 1) / chunk;
}

// Calls f(k) once for every k in [0, count) on up to Thread_Count() threads, the calling
// thread among them, and returns when every call has ended. Which thread runs which k is
// unspecified; pieces are started in increasing k. A call from inside f runs all its pieces
// on the current thread (no nested thread explosion).
// When calls throw, the exception of the lowest k that threw is rethrown once all started
// calls have ended; pieces not yet started past a throwing one are skipped. Every piece below
// the lowest throwing one has run, so the outcome is the same on any number of threads.
void Parallel_For(std::size_t count, const std::function<void(std::size_t)>& f);

// Runs produce(k) for every k in [0, count) on up to Thread_Count() threads and consume(k) on
// the calling thread, in increasing k, each once produce(k) has ended: the pieces are worked
// out in parallel and their results taken in order, while later pieces are still being
// worked out. At most `window` pieces (at least 1) are produced ahead of the next one to be
// consumed, so piece k may keep its result in slot k % window. On one thread (and inside a
// Parallel_For) it is produce(0), consume(0), produce(1), ... on the calling thread.
// An exception ends the work as on one thread: when produce(k) throws, pieces 0..k-1 are
// consumed, nothing after k is started, and its exception is rethrown once all started calls
// have ended; when consume(k) throws, nothing more is started or consumed and its exception is
// rethrown likewise.
void Parallel_Ordered(std::size_t count, std::size_t window,
                      const std::function<void(std::size_t)>& produce,
                      const std::function<void(std::size_t)>& consume);

// While it lives, the parallel work this thread starts runs on this thread alone: for work
// so small that handing it to other threads costs more than it saves (a few lines added to a
// followed file). Results are the same either way. Scopes nest.
class Serial_Scope {
 public:
  Serial_Scope();
  ~Serial_Scope();
  Serial_Scope(const Serial_Scope&) = delete;
  Serial_Scope& operator=(const Serial_Scope&) = delete;

 private:
  bool before_;
};

// Parallel_For over the pieces of n items (Chunk_Points each), serial below
// Parallel_Threshold: f(k, begin, end) for every piece k covering [begin, end).
void Parallel_Chunks(std::size_t n,
                     const std::function<void(std::size_t, std::size_t, std::size_t)>& f);

}  // namespace pw
