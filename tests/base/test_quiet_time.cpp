// Gathering change notices: a burst is acted on once, after it; a file written without pause
// is still acted on about once a second.
#include "base/quiet_time.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace pw {
namespace {

using std::chrono::milliseconds;
using Time = TC_Quiet_Time::Time;

// Notices at the given milliseconds, the rule asked every millisecond up to `until`: the
// milliseconds at which it said to act.
std::vector<int> Actions(const std::vector<int>& notices, int until) {
  TC_Quiet_Time quiet;
  const Time zero{};
  std::vector<int> acted;
  std::size_t next = 0;
  for (int ms = 0; ms <= until; ++ms) {
    const Time now = zero + milliseconds(ms);
    while (next < notices.size() && notices[next] == ms) {
      quiet.Note(now);
      ++next;
    }
    if (quiet.Is_Due(now)) {
      acted.push_back(ms);
      quiet.Done();
    }
  }
  return acted;
}

std::vector<int> Every(int first, int step, int count) {
  std::vector<int> at;
  for (int i = 0; i < count; ++i) at.push_back(first + i * step);
  return at;
}

TEST(Quiet_Time, WhenToAct) {
  struct Case {
    const char* name;
    std::vector<int> notices;
    std::vector<int> acted;
  };
  const std::vector<Case> cases = {
      {"nothing", {}, {}},
      {"one notice", {50}, {250}},
      {"a burst of 100 writes", Every(10, 1, 100), {309}},
      {"two bursts", {0, 5, 10, 600, 650}, {210, 850}},
      {"a notice just before the quiet time ends", {0, 199}, {399}},
      {"written without pause: at most a second after the first notice",
       Every(0, 20, 150), {1000, 2020, 3040}},
  };
  for (const Case& c : cases) EXPECT_EQ(Actions(c.notices, 4000), c.acted) << c.name;
}

TEST(Quiet_Time, WaitForTheTimer) {
  TC_Quiet_Time quiet;
  const Time zero{};
  EXPECT_FALSE(quiet.Pending());
  EXPECT_EQ(quiet.Wait_Ms(zero), -1);
  EXPECT_EQ(quiet.Due(), Time::max());
  quiet.Note(zero + milliseconds(100));
  EXPECT_TRUE(quiet.Pending());
  EXPECT_EQ(quiet.Wait_Ms(zero + milliseconds(100)), 200);
  EXPECT_EQ(quiet.Wait_Ms(zero + std::chrono::microseconds(299500)), 1);  // rounded up
  EXPECT_EQ(quiet.Wait_Ms(zero + milliseconds(300)), 0);
  EXPECT_EQ(quiet.Wait_Ms(zero + milliseconds(900)), 0);
  // A notice out of order counts as one at the latest time seen.
  quiet.Note(zero + milliseconds(50));
  EXPECT_EQ(quiet.Due(), zero + milliseconds(300));
  quiet.Done();
  EXPECT_FALSE(quiet.Pending());
  EXPECT_FALSE(quiet.Is_Due(zero + milliseconds(5000)));
}

}  // namespace
}  // namespace pw
