#include "app/load_feedback_rules.h"

#include <algorithm>
#include <cmath>

namespace pw {

namespace {

double Clamped(double fraction) {
  if (std::isnan(fraction)) return 0;
  return std::clamp(fraction, 0.0, 1.0);
}

}  // namespace

std::string Progress_Text(const std::string& what, double fraction) {
  const int percent = static_cast<int>(Clamped(fraction) * 100.0);
  return what + " " + std::to_string(percent) + "%";
}

Load_Feedback_Rules::Load_Feedback_Rules(std::int64_t delay_ms) : delay_(delay_ms) {}

void Load_Feedback_Rules::Start(std::int64_t now) {
  Finish();
  running_ = true;
  start_ = now;
}

bool Load_Feedback_Rules::Progress(const std::string& what, double fraction, std::int64_t now) {
  if (!running_) return false;
  latest_what_ = what;
  latest_fraction_ = Clamped(fraction);
  have_report_ = true;
  return Due(now);
}

bool Load_Feedback_Rules::Tick(std::int64_t now) {
  return running_ && have_report_ && Due(now);
}

bool Load_Feedback_Rules::Due(std::int64_t now) {
  if (now - start_ < delay_) return false;
  const std::string text = Progress_Text(latest_what_, latest_fraction_);
  if (shown_) {
    if (text == text_) return false;
    // A new stage shows at once; the same stage's percentage at most every Interval_Ms.
    if (latest_what_ == shown_what_ && now - last_draw_ < Interval_Ms) return false;
  }
  shown_ = true;
  last_draw_ = now;
  shown_what_ = latest_what_;
  text_ = text;
  fraction_ = latest_fraction_;
  return true;
}

void Load_Feedback_Rules::Finish() {
  running_ = false;
  shown_ = false;
  have_report_ = false;
  latest_what_.clear();
  shown_what_.clear();
  text_.clear();
  latest_fraction_ = 0;
  fraction_ = 0;
}

}  // namespace pw
