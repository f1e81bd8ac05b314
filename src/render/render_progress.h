// A one-line progress display on a terminal's standard error.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace pw::render {

class Progress_Line {
 public:
  // Shows nothing at all unless `enabled` (standard error is a terminal).
  Progress_Line(std::FILE* out, bool enabled);
  ~Progress_Line();

  // What is being done and how far (0..1; below 0: not known, no percentage is shown).
  // Nothing shows during the first second of the run, so quick runs stay silent; afterwards
  // the line is rewritten at most ten times a second, and whenever `what` changes.
  void Update(const std::string& what, double fraction);
  // Erases the line if one is shown.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* out_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_;
  Clock::time_point last_;
  std::string last_what_;
};

}  // namespace pw::render
