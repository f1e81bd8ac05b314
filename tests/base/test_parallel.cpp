#include "base/parallel.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <numeric>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/D_Error.h"

namespace pw {
namespace {

struct Thread_Setting {  // restores the default whatever a test set
  ~Thread_Setting() { Set_Thread_Count(0); }
};

TEST(Parallel, EveryPieceRunsOnceForAnyThreadCount) {
  Thread_Setting restore;
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    for (std::size_t count : {0u, 1u, 2u, 7u, 1000u}) {
      std::vector<std::atomic<int>> runs(count);
      Parallel_For(count, [&](std::size_t k) { ++runs[k]; });
      for (std::size_t k = 0; k < count; ++k) EXPECT_EQ(runs[k].load(), 1) << threads << " " << k;
    }
  }
}

TEST(Parallel, LowestThrowingPieceWinsAndEveryPieceBelowItRan) {
  Thread_Setting restore;
  for (int threads : {1, 2, 8}) {
    Set_Thread_Count(threads);
    std::vector<std::atomic<int>> runs(100);
    try {
      Parallel_For(100, [&](std::size_t k) {
        ++runs[k];
        if (k == 37 || k == 60) throw Error("piece " + std::to_string(k));
      });
      FAIL() << "no exception";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "piece 37");
    }
    for (std::size_t k = 0; k <= 37; ++k) EXPECT_EQ(runs[k].load(), 1) << threads << " " << k;
  }
}

TEST(Parallel, NestedCallsRunOnTheCurrentThread) {
  Thread_Setting restore;
  Set_Thread_Count(4);
  std::atomic<int> total{0};
  Parallel_For(4, [&](std::size_t) { Parallel_For(10, [&](std::size_t k) { total += int(k); }); });
  EXPECT_EQ(total.load(), 4 * 45);
}

// Within a Serial_Scope (nested ones too, and after a nested one ended) every piece runs on
// the thread that made it.
TEST(Parallel, SerialScopeKeepsTheWorkOnThisThread) {
  Thread_Setting restore;
  Set_Thread_Count(4);
  std::mutex lock;
  std::set<std::thread::id> seen;
  auto record = [&](std::size_t) {
    const std::lock_guard<std::mutex> hold(lock);
    seen.insert(std::this_thread::get_id());
  };
  {
    Serial_Scope serial;
    { const Serial_Scope nested; }
    Parallel_For(64, record);
    Parallel_Ordered(16, 2, record, [](std::size_t) {});
    Parallel_Chunks(4 * Parallel_Threshold, [&](std::size_t k, std::size_t, std::size_t) { record(k); });
  }
  EXPECT_EQ(seen, std::set<std::thread::id>{std::this_thread::get_id()});
}

TEST(Parallel, ChunkedSumIsTheSameOnAnyThreadCount) {
  Thread_Setting restore;
  std::vector<double> values(1000003);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = 1.0 / double(i + 1);
  std::vector<std::string> sums;
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    std::vector<double> parts(Chunk_Count(values.size()));
    Parallel_Chunks(values.size(), [&](std::size_t k, std::size_t b, std::size_t e) {
      parts[k] = std::accumulate(values.begin() + b, values.begin() + e, 0.0);
    });
    char text[40];
    snprintf(text, sizeof text, "%a", std::accumulate(parts.begin(), parts.end(), 0.0));
    sums.push_back(text);
  }
  for (const std::string& s : sums) EXPECT_EQ(s, sums[0]);
  EXPECT_EQ(Chunk_Count(0), 0u);
  EXPECT_EQ(Chunk_Count(Chunk_Points), 1u);
  EXPECT_EQ(Chunk_Count(Chunk_Points + 1), 2u);
}

// Every piece is produced once and consumed in order on the calling thread, never more than
// `window` pieces ahead; piece k's result in slot k % window is still there when it is taken.
TEST(Parallel, OrderedPiecesAreConsumedInOrderOnTheCallingThread) {
  Thread_Setting restore;
  const std::thread::id caller = std::this_thread::get_id();
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    for (std::size_t window : {1u, 2u, 5u}) {
      for (std::size_t count : {0u, 1u, 7u, 300u}) {
        SCOPED_TRACE(std::to_string(threads) + " " + std::to_string(window) + " " +
                     std::to_string(count));
        std::vector<std::atomic<int>> produced(count);
        std::vector<std::size_t> slots(window), order;
        std::atomic<std::size_t> taken{0};
        std::atomic<bool> too_far{false};
        Parallel_Ordered(
            count, window,
            [&](std::size_t k) {
              if (k >= taken.load() + window) too_far = true;
              ++produced[k];
              slots[k % window] = k * 3;
            },
            [&](std::size_t k) {
              EXPECT_EQ(std::this_thread::get_id(), caller);
              EXPECT_EQ(slots[k % window], k * 3);
              order.push_back(k);
              taken = k + 1;
            });
        for (std::size_t k = 0; k < count; ++k) EXPECT_EQ(produced[k].load(), 1) << k;
        std::vector<std::size_t> expected(count);
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(order, expected);
        EXPECT_FALSE(too_far.load());
      }
    }
  }
}

// A failure ends the work as on one thread: the pieces before a throwing produce are all
// consumed, none after it; a throwing consume ends the consuming there.
TEST(Parallel, OrderedFailuresEndTheWorkAsOnOneThread) {
  Thread_Setting restore;
  constexpr std::size_t None = 1000;
  struct Case {
    std::size_t bad_produce, later_bad_produce, bad_consume;
    std::size_t consumed;
    const char* message;
  };
  const Case cases[] = {{37, None, None, 37, "produce 37"}, {37, 60, None, 37, "produce 37"},
                        {37, 38, None, 37, "produce 37"},   {60, None, 37, 37, "consume 37"},
                        {0, None, None, 0, "produce 0"},    {None, None, 99, 99, "consume 99"},
                        {99, None, None, 99, "produce 99"}};
  for (int threads : {1, 2, 8}) {
    Set_Thread_Count(threads);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::to_string(threads) + " " + c.message);
      std::size_t consumed = 0;
      try {
        Parallel_Ordered(
            100, 4,
            [&](std::size_t k) {
              if (k == c.bad_produce || k == c.later_bad_produce) {
                throw Error("produce " + std::to_string(k));
              }
            },
            [&](std::size_t k) {
              if (k == c.bad_consume) throw Error("consume " + std::to_string(k));
              EXPECT_EQ(k, consumed);
              ++consumed;
            });
        ADD_FAILURE() << "no exception";
      } catch (const Error& e) {
        EXPECT_EQ(e.Message(), c.message);
      }
      EXPECT_EQ(consumed, c.consumed);
    }
  }
}

TEST(Parallel, EnvironmentSetting) {
  Thread_Setting restore;
  struct Case {
    const char* text;
    int threads;  // expected setting after the call; -1: an error
  };
  const Case cases[] = {{"3", 3},     {"1", 1},   {"1024", 1024}, {"0", -1}, {"-2", -1},
                        {"1025", -1}, {"2x", -1}, {" 2", -1},     {"", 0}};
  for (const Case& c : cases) {
    Set_Thread_Count(0);
    setenv("PLOTWRIGHT_THREADS", c.text, 1);
    if (c.threads < 0) {
      try {
        Thread_Count_From_Environment();
        ADD_FAILURE() << c.text;
      } catch (const Error& e) {
        EXPECT_EQ(e.Message(), std::string("Wrong PLOTWRIGHT_THREADS value: ") + c.text);
      }
    } else {
      Thread_Count_From_Environment();
      EXPECT_EQ(Thread_Count(), c.threads == 0 ? Available_Cores() : c.threads) << c.text;
    }
  }
  unsetenv("PLOTWRIGHT_THREADS");
  EXPECT_GE(Available_Cores(), 1);
}

// The cores a cgroup quota allows, from files made up under a folder of the test's own.
TEST(Parallel, QuotaCores) {
  struct Case {
    const char* v2;       // cpu.max; nullptr: none
    const char* v1_quota;  // cpu/cpu.cfs_quota_us and cpu.cfs_period_us; nullptr: none
    const char* v1_period;
    int cores;
  };
  const Case cases[] = {
      {nullptr, nullptr, nullptr, 0},
      {"max 100000\n", nullptr, nullptr, 0},
      {"50000 100000\n", nullptr, nullptr, 1},
      {"1000 100000\n", nullptr, nullptr, 1},
      {"150000 100000\n", nullptr, nullptr, 2},
      {"abc 100000\n", nullptr, nullptr, 0},
      {"200000\n", nullptr, nullptr, 0},
      // Far more cores than an int counts: no cap, never a wrapped-around count.
      {"4294967297000 1000\n", nullptr, nullptr, INT_MAX},
      {"9223372036854775807 100000\n", nullptr, nullptr, INT_MAX},
      {nullptr, "-1\n", "100000\n", 0},
      {nullptr, "250000\n", "100000\n", 3},
      {nullptr, "4294967297000\n", "1000\n", INT_MAX},
      {nullptr, "9223372036854775807\n", "1\n", INT_MAX},
  };
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("pw_quota_" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root / "cpu");
    if (c.v2) std::ofstream(root / "cpu.max") << c.v2;
    if (c.v1_quota) std::ofstream(root / "cpu" / "cpu.cfs_quota_us") << c.v1_quota;
    if (c.v1_period) std::ofstream(root / "cpu" / "cpu.cfs_period_us") << c.v1_period;
    EXPECT_EQ(Quota_Cores(root.string()), c.cores)
        << (c.v2 ? c.v2 : "") << (c.v1_quota ? c.v1_quota : "");
  }
  std::filesystem::remove_all(root);
}

// A quota set on the process's own cgroup, or on one between it and the root (a systemd
// service, a container's slice), caps the cores as one at the root does; the tightest wins.
TEST(Parallel, ProcessQuotaCores) {
  struct Case {
    std::vector<std::pair<const char*, const char*>> files;  // under the root
    const char* cgroup_list;
    int cores;
  };
  const char* v2_root = "cgroup.controllers";
  const std::vector<Case> cases = {
      {{{v2_root, ""}, {"a/cpu.max", "250000 100000"}, {"a/b/cpu.max", "max 100000"}},
       "0::/a/b\n", 3},
      {{{v2_root, ""}, {"a/cpu.max", "250000 100000"}, {"a/b/cpu.max", "120000 100000"}},
       "0::/a/b\n", 2},
      {{{"cpu.max", "100000 100000"}, {"a/cpu.max", "250000 100000"}}, "0::/a\n", 1},
      {{{v2_root, ""}, {"a/cpu.max", "250000 100000"}}, "0::/\n", 0},
      {{{v2_root, ""}, {"a/cpu.max", "250000 100000"}}, "", 0},
      {{{v2_root, ""}, {"a/cpu.max", "250000 100000"}}, "0::/../a\n", 0},
      // A v1 machine with the v2 hierarchy beside it ("unified"): no cgroup.controllers.
      {{{"a/cpu.max", "250000 100000"}}, "0::/a\n", 0},
      {{{"cpu/x/cpu.cfs_quota_us", "150000"}, {"cpu/x/cpu.cfs_period_us", "100000"}},
       "5:memory:/y\n4:cpu,cpuacct:/x\n0::/\n", 2},
      {{{"cpu/x/cpu.cfs_quota_us", "150000"}, {"cpu/x/cpu.cfs_period_us", "100000"}},
       "4:cpuacct:/x\n", 0},
      {{{"cpu/x/cpu.cfs_quota_us", "-1"}, {"cpu/x/cpu.cfs_period_us", "100000"}},
       "4:cpu:/x\n", 0},
  };
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("pw_quota_" + std::to_string(::getpid()));
  for (const Case& c : cases) {
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    for (const auto& [name, text] : c.files) {
      std::filesystem::create_directories((root / name).parent_path());
      std::ofstream(root / name) << text << "\n";
    }
    std::istringstream list(c.cgroup_list);
    EXPECT_EQ(Process_Quota_Cores(root.string(), list), c.cores) << c.cgroup_list;
  }
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace pw
