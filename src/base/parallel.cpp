#include "base/parallel.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <istream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/D_Error.h"

namespace pw {
namespace {

std::atomic<int> thread_setting{0};  // 0: the default
thread_local bool inside_parallel = false;

int Affinity_Cores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  }
  return std::max(1, CPU_COUNT(&set));
}

}  // namespace

namespace {

// Whole cores `quota` microseconds of every `period` allow, rounded up; 0 for no quota.
int Cores_Of(long long quota, long long period) {
  if (quota <= 0 || period <= 0) return 0;
  // Divided first: a quota near the largest number must not overflow on the way, and a count
  // past what an int holds is no cap at all, never a wrapped-around small one.
  const long long cores = quota / period + (quota % period != 0 ? 1 : 0);
  return static_cast<int>(std::min<long long>(cores, INT_MAX));
}

// The quota of one cgroup folder, v2 ("cpu.max") or v1 ("cpu.cfs_quota_us"); -1 when the
// folder has no such files, 0 when they say there is no quota.
int Folder_Quota(const std::string& folder, bool v2) {
  long long quota = 0, period = 0;
  if (v2) {
    std::ifstream in(folder + "/cpu.max");
    if (!in) return -1;
    std::string q;
    if (in >> q >> period && q != "max") quota = std::atoll(q.c_str());
  } else {
    std::ifstream q1(folder + "/cpu.cfs_quota_us");
    std::ifstream p1(folder + "/cpu.cfs_period_us");
    if (!q1 || !p1) return -1;
    if (!(q1 >> quota && p1 >> period)) quota = 0;
  }
  return Cores_Of(quota, period);
}

// The smaller of two core counts where 0 means no cap.
int Tighter(int a, int b) { return a == 0 ? b : b == 0 ? a : std::min(a, b); }

// The tightest quota on the folders from `top` down along `path` ("/a/b": top/a, top/a/b).
int Path_Quota(const std::string& top, const std::string& path, bool v2) {
  int cores = 0;
  std::string folder = top;
  std::size_t at = 0;
  while (at < path.size()) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    const std::string part = path.substr(at, end - at);
    at = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") break;  // outside the namespace's root: nothing of ours below
    folder += "/" + part;
    cores = Tighter(cores, std::max(0, Folder_Quota(folder, v2)));
  }
  return cores;
}

// Whether a v1 hierarchy's controller list ("cpu,cpuacct") holds the cpu controller.
bool Has_Cpu_Controller(const std::string& controllers) {
  std::size_t at = 0;
  while (at <= controllers.size()) {
    const std::size_t end = std::min(controllers.find(',', at), controllers.size());
    if (controllers.compare(at, end - at, "cpu") == 0) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

int Quota_Cores(const std::string& root) {
  const int v2 = Folder_Quota(root, true);
  return v2 >= 0 ? v2 : std::max(0, Folder_Quota(root + "/cpu", false));
}

int Process_Quota_Cores(const std::string& root, std::istream& cgroup_list) {
  int cores = Quota_Cores(root);
  std::string line;
  while (std::getline(cgroup_list, line)) {
    const std::size_t first = line.find(':');
    const std::size_t second = first == std::string::npos ? first : line.find(':', first + 1);
    if (second == std::string::npos) continue;
    const std::string controllers = line.substr(first + 1, second - first - 1);
    const std::string path = line.substr(second + 1);
    if (line.compare(0, first, "0") == 0 && controllers.empty()) {
      // Only where root is the v2 hierarchy itself, not v1's with v2 mounted beside it.
      if (std::ifstream(root + "/cgroup.controllers")) {
        cores = Tighter(cores, Path_Quota(root, path, true));
      }
    } else if (Has_Cpu_Controller(controllers)) {
      cores = Tighter(cores, Path_Quota(root + "/cpu", path, false));
    }
  }
  return cores;
}

int Available_Cores() {
  static const int cores = [] {
    const int affinity = Affinity_Cores();
    std::ifstream own("/proc/self/cgroup");
    const int quota = Process_Quota_Cores("/sys/fs/cgroup", own);
    return quota > 0 ? std::min(affinity, quota) : affinity;
  }();
  return cores;
}

void Set_Thread_Count(int n) {
  thread_setting.store(n < 1 ? 0 : n);
}

int Thread_Count() {
  const int n = thread_setting.load();
  return n > 0 ? n : Available_Cores();
}

void Thread_Count_From_Environment() {
  const char* text = std::getenv("PLOTWRIGHT_THREADS");
  if (text == nullptr || *text == '\0') return;
  const std::string value(text);
  int n = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (error != std::errc() || end != value.data() + value.size() || n < 1 || n > 1024) {
    throw Error("Wrong PLOTWRIGHT_THREADS value: " + value);
  }
  Set_Thread_Count(n);
}

Serial_Scope::Serial_Scope() : before_(inside_parallel) { inside_parallel = true; }

Serial_Scope::~Serial_Scope() { inside_parallel = before_; }

void Parallel_For(std::size_t count, const std::function<void(std::size_t)>& f) {
  if (count == 0) return;
  const std::size_t threads =
      inside_parallel ? 1 : std::min<std::size_t>(count, static_cast<std::size_t>(Thread_Count()));
  if (threads <= 1) {
    for (std::size_t k = 0; k < count; ++k) f(k);
    return;
  }

  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> stop_at{count};  // pieces from here on are not started
  std::mutex error_lock;
  std::size_t error_piece = count;
  std::exception_ptr error;

  auto work = [&] {
    inside_parallel = true;
    for (;;) {
      const std::size_t k = next.fetch_add(1);
      if (k >= count || k >= stop_at.load()) break;
      try {
        f(k);
      } catch (...) {
        const std::lock_guard<std::mutex> hold(error_lock);
        if (k < error_piece) {
          error_piece = k;
          error = std::current_exception();
        }
        std::size_t limit = stop_at.load();
        while (k < limit && !stop_at.compare_exchange_weak(limit, k)) {
        }
      }
    }
    inside_parallel = false;
  };
  {
    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    try {
      for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(work);
    } catch (const std::system_error&) {
      // No more threads to be had: the ones started and this one do all the work.
    }
    work();
  }  // joins the helpers
  if (error) std::rethrow_exception(error);
}

void Parallel_Ordered(std::size_t count, std::size_t window,
                      const std::function<void(std::size_t)>& produce,
                      const std::function<void(std::size_t)>& consume) {
  if (count == 0) return;
  window = std::max<std::size_t>(window, 1);
  const std::size_t threads =
      inside_parallel ? 1 : std::min<std::size_t>(count, static_cast<std::size_t>(Thread_Count()));
  if (threads <= 1) {
    for (std::size_t k = 0; k < count; ++k) {
      produce(k);
      consume(k);
    }
    return;
  }

  // Everything below is guarded by `lock`; produce and consume run without it.
  std::mutex lock;
  std::condition_variable changed;
  std::size_t next = 0;         // the next piece to produce
  std::size_t consumed = 0;     // pieces consumed so far
  std::size_t stop_at = count;  // pieces from here on are not started
  std::vector<unsigned char> done(count, 0);
  std::size_t error_piece = count;  // the lowest piece whose produce threw
  std::exception_ptr error;

  auto may_start = [&] { return next < stop_at && next < consumed + window; };
  // Produces the next piece; called and returns with `hold` locked.
  auto produce_next = [&](std::unique_lock<std::mutex>& hold) {
    const std::size_t k = next++;
    hold.unlock();
    std::exception_ptr failure;
    try {
      produce(k);
    } catch (...) {
      failure = std::current_exception();
    }
    hold.lock();
    if (failure && k < error_piece) {
      error_piece = k;
      error = failure;
      stop_at = std::min(stop_at, k + 1);
    }
    done[k] = 1;
    changed.notify_all();
  };
  auto helper = [&] {
    inside_parallel = true;
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      changed.wait(hold, [&] { return may_start() || next >= stop_at; });
      if (!may_start()) break;
      produce_next(hold);
    }
    inside_parallel = false;
  };

  std::exception_ptr consume_error;
  {
    std::vector<std::jthread> helpers;
    helpers.reserve(threads - 1);
    try {
      for (std::size_t t = 1; t < threads; ++t) helpers.emplace_back(helper);
    } catch (const std::system_error&) {
      // No more threads to be had: the ones started and this one do all the work.
    }
    std::unique_lock<std::mutex> hold(lock);
    while (consumed < count) {
      if (done[consumed]) {
        if (consumed == error_piece) break;
        hold.unlock();
        try {
          consume(consumed);
        } catch (...) {
          consume_error = std::current_exception();
        }
        hold.lock();
        if (consume_error) break;
        ++consumed;
        changed.notify_all();
      } else if (may_start()) {
        // The piece to consume is still being worked out elsewhere: help meanwhile.
        inside_parallel = true;
        produce_next(hold);
        inside_parallel = false;
      } else {
        changed.wait(hold);
      }
    }
    stop_at = 0;
    changed.notify_all();
  }  // joins the helpers
  if (consume_error) std::rethrow_exception(consume_error);
  if (error) std::rethrow_exception(error);
}

void Parallel_Chunks(std::size_t n,
                     const std::function<void(std::size_t, std::size_t, std::size_t)>& f) {
  const std::size_t pieces = Chunk_Count(n);
  auto piece = [&](std::size_t k) {
    const std::size_t begin = k * Chunk_Points;
    f(k, begin, std::min(n, begin + Chunk_Points));
  };
  if (n < Parallel_Threshold) {
    for (std::size_t k = 0; k < pieces; ++k) piece(k);
    return;
  }
  Parallel_For(pieces, piece);
}

}  // namespace pw
