// Gathering change notices until they pause, so that a burst of writes is acted on once.
//
// The rule alone, fed with the notices and the time: the window's timer and the renderer's
// wait ask it when to act. Acting waits until no notice came for Quiet, but never longer than
// Longest after the first notice not yet acted on, so that a file written without pause (a
// line every few milliseconds) is still acted on about once a second.
#pragma once

#include <chrono>

namespace pw {

class TC_Quiet_Time {
 public:
  using Clock = std::chrono::steady_clock;
  using Time = Clock::time_point;

  static constexpr std::chrono::milliseconds Quiet{200};
  static constexpr std::chrono::milliseconds Longest{1000};

  // A change was noticed at `now`. Notices are expected in time order; an earlier one counts
  // as if it came at the latest time seen.
  void Note(Time now);
  // Some notice waits to be acted on.
  bool Pending() const { return pending_; }
  // When to act on the notices gathered: Quiet after the latest, at most Longest after the
  // first; Time::max() when nothing waits.
  Time Due() const;
  // Pending and `now` at or past Due.
  bool Is_Due(Time now) const { return pending_ && now >= Due(); }
  // Milliseconds from `now` until Due (0 when due, -1 when nothing waits): a wait's timeout.
  int Wait_Ms(Time now) const;
  // The notices were acted on: forgets them.
  void Done() { pending_ = false; }

 private:
  bool pending_ = false;
  Time first_{};
  Time last_{};
};

}  // namespace pw
