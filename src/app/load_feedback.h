// The window's feedback while a load runs longer than half a second: a slim strip over the
// bottom of the page area saying what is being done and how far (with a bar to match), and a
// busy cursor over the pages. Not a dialog: the pages stay in view and, while they are drawn,
// take commands as before. The timing rules live in load_feedback_rules.h.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "app/load_feedback_rules.h"

namespace pw {

class TCanvas_View;
class TNotebook;

// The strip itself: a text on a dark band, the done part of the band coloured.
class TLoad_Strip : public QWidget {
 public:
  explicit TLoad_Strip(QWidget* parent = nullptr);

  // `fraction` is clamped to 0..1.
  void Set(const QString& text, double fraction);
  QString Text() const { return text_; }
  double Fraction() const { return fraction_; }

  static constexpr int Strip_Height = 24;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  double fraction_ = 0;
};

class TLoad_Feedback {
 public:
  // The strip becomes a child of `notebook` and covers the bottom of its page area; `views`
  // get the busy cursor. Both must outlive the feedback.
  TLoad_Feedback(TNotebook& notebook, std::vector<TCanvas_View*> views);

  // Milliseconds before anything shows (500 unless changed); below 0 the window gives no
  // feedback at all, which only the benchmark that measures its cost asks for.
  void Set_Delay(int ms);
  bool Enabled() const { return delay_ >= 0; }

  // A load begins.
  void Start();
  // Progress of the load or the drawing (as the page set reports it). When the strip changes,
  // it is painted at once: the events pumped for that exclude the user's input, which waits
  // for the drawing's own pumping. Reports from another thread than the window's are ignored.
  void Progress(const std::string& what, double fraction);
  // Between pages: shows the latest report once the delay has passed.
  void Tick();
  // The load ended, finished or stopped by an error: the strip goes, the cursor returns.
  void Finish();

  const TLoad_Strip& Strip() const { return *strip_; }

 private:
  void Show();

  TNotebook& notebook_;
  std::vector<TCanvas_View*> views_;
  TLoad_Strip* strip_;
  int delay_ = static_cast<int>(Load_Feedback_Rules::Default_Delay_Ms);
  Load_Feedback_Rules rules_;
  QElapsedTimer clock_;
  bool busy_ = false;  // the views show the busy cursor
};

}  // namespace pw
