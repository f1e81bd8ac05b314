#include "app/load_feedback.h"

#include <QCoreApplication>
#include <QPainter>
#include <QThread>
#include <algorithm>

#include "app/canvas_view.h"
#include "app/notebook.h"
#include "app/qt_child.h"

namespace pw {

TLoad_Strip::TLoad_Strip(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);  // the page below keeps its clicks
  hide();
}

void TLoad_Strip::Set(const QString& text, double fraction) {
  text_ = text;
  fraction_ = std::clamp(fraction, 0.0, 1.0);
  update();
}

void TLoad_Strip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(40, 40, 40, 230));
  const int done = static_cast<int>(width() * fraction_);
  p.fillRect(QRect(0, 0, done, height()), QColor(38, 98, 170, 230));
  p.setPen(Qt::white);
  p.drawText(rect().adjusted(8, 0, -8, 0), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

TLoad_Feedback::TLoad_Feedback(TNotebook& notebook, std::vector<TCanvas_View*> views)
    : notebook_(notebook),
      views_(std::move(views)),
      strip_(Child<TLoad_Strip>(&notebook)),
      rules_(Load_Feedback_Rules::Default_Delay_Ms) {
  strip_->setObjectName("xProgress");
}

void TLoad_Feedback::Set_Delay(int ms) {
  delay_ = ms;
  rules_ = Load_Feedback_Rules(std::max(0, ms));
}

void TLoad_Feedback::Start() {
  if (!Enabled()) return;
  clock_.start();
  rules_.Start(0);
}

void TLoad_Feedback::Progress(const std::string& what, double fraction) {
  if (!Enabled() || QThread::currentThread() != notebook_.thread()) return;
  if (rules_.Progress(what, fraction, clock_.elapsed())) Show();
}

void TLoad_Feedback::Tick() {
  if (Enabled() && rules_.Tick(clock_.elapsed())) Show();
}

void TLoad_Feedback::Show() {
  if (!busy_) {
    busy_ = true;
    for (TCanvas_View* view : views_) view->setCursor(Qt::BusyCursor);
  }
  // The page area may have moved since the last report (a window resized meanwhile).
  const QRect area = notebook_.Page_Area();
  const int height = std::min(TLoad_Strip::Strip_Height, area.height());
  strip_->setGeometry(area.left(), area.bottom() + 1 - height, area.width(), height);
  strip_->Set(QString::fromStdString(rules_.Text()), rules_.Fraction());
  strip_->raise();
  strip_->show();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TLoad_Feedback::Finish() {
  rules_.Finish();
  strip_->hide();
  if (!busy_) return;
  busy_ = false;
  for (TCanvas_View* view : views_) view->setCursor(Qt::CrossCursor);
}

}  // namespace pw
