// What the window shows while a load and its drawing run, kept free of Qt: nothing during the
// first half second (quick loads stay quiet), then what is being done and how far, in the
// words plotwright-render prints on a terminal, redrawn at most ten times a second.
#pragma once

#include <cstdint>
#include <string>

namespace pw {

// `what` + " " + the whole percent of `fraction` + "%" ("Loading 42%", "Drawing page 3 40%").
// The fraction is clamped to 0..1 and truncated; a NaN counts as 0.
std::string Progress_Text(const std::string& what, double fraction);

// The timing of the feedback of one load at a time. Times are milliseconds of any steady
// clock, never going back.
class Load_Feedback_Rules {
 public:
  static constexpr std::int64_t Default_Delay_Ms = 500;
  static constexpr std::int64_t Interval_Ms = 100;

  // Nothing shows during the first `delay_ms` of a load (0: from the first report on).
  explicit Load_Feedback_Rules(std::int64_t delay_ms = Default_Delay_Ms);

  // A load begins at `now`: nothing is shown, no progress known.
  void Start(std::int64_t now);
  // The load reached `what` at `fraction`. True when the feedback is to be shown or redrawn
  // now with Text(): once the delay has passed, at its first report; then whenever the text
  // changes, but for the same `what` at most once per Interval_Ms. Outside a load: false.
  bool Progress(const std::string& what, double fraction, std::int64_t now);
  // Time passed without a report (between pages). True when the latest report is to be shown
  // or redrawn now, by the same rules as Progress. False before the first report.
  bool Tick(std::int64_t now);
  // The load ended (finished or failed): nothing is shown any more.
  void Finish();

  bool Running() const { return running_; }
  bool Shown() const { return shown_; }
  // The text last shown (or to be shown after a true answer); "" when nothing is shown.
  const std::string& Text() const { return text_; }
  // The fraction of the text last shown, clamped to 0..1.
  double Fraction() const { return fraction_; }

 private:
  bool Due(std::int64_t now);

  std::int64_t delay_;
  std::int64_t start_ = 0;
  std::int64_t last_draw_ = 0;
  bool running_ = false;
  bool shown_ = false;
  // The latest report, shown or not.
  std::string latest_what_;
  double latest_fraction_ = 0;
  bool have_report_ = false;
  // What is on the screen.
  std::string shown_what_;
  std::string text_;
  double fraction_ = 0;
};

}  // namespace pw
