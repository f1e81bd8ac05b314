#include "base/quiet_time.h"

#include <algorithm>

namespace pw {

void TC_Quiet_Time::Note(Time now) {
  if (!pending_) {
    pending_ = true;
    first_ = last_ = now;
    return;
  }
  last_ = std::max(last_, now);
}

TC_Quiet_Time::Time TC_Quiet_Time::Due() const {
  if (!pending_) return Time::max();
  return std::min(last_ + Quiet, first_ + Longest);
}

int TC_Quiet_Time::Wait_Ms(Time now) const {
  if (!pending_) return -1;
  const Time due = Due();
  if (now >= due) return 0;
  // Rounded up: a wait that ends a little early would only have to wait again.
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - now);
  return static_cast<int>(left.count());
}

}  // namespace pw
