#include "app/pw_about.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <functional>

#include "app/d_errbox.h"
#include "app/qt_child.h"
#include "base/settings.h"

namespace pw {

namespace {

// The program's picture, 240 x 84: a night-blue plot with the product name above the version
// label and a few histogram bars and a scatter of points below it. A click on it closes the
// box.
class About_Picture : public QWidget {
 public:
  std::function<void()> Clicked;

  explicit About_Picture(QWidget* parent) : QWidget(parent) { setFixedSize(240, 84); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(0x10, 0x18, 0x40));
    sky.setColorAt(1, QColor(0x00, 0x00, 0x10));
    p.fillRect(rect(), sky);
    // The version label lies across the middle (rows 42 to 54 of the picture): the
    // bars and the points stay in the band below it, so nothing is drawn behind its text.
    const int bars[] = {4, 7, 12, 17, 21, 19, 14, 9, 5, 3};
    for (int i = 0; i < 10; ++i) {
      p.fillRect(QRect(150 + i * 8, 80 - bars[i], 7, bars[i]), QColor(0x30, 0x90, 0x30));
    }
    // A gently rising scatter of lime points.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x00, 0xFF, 0x00));
    for (int i = 0; i < 24; ++i) {
      const int x = 8 + i * 5;
      const int y = 79 - i * 3 / 4 - (i * 37) % 5;
      p.drawEllipse(QPoint(x, y), 2, 2);
    }
    QFont f("Verdana");
    f.setPixelSize(22);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0xC0, 0xC0, 0xC0));
    p.drawText(QRect(0, 6, width(), 30), Qt::AlignHCenter | Qt::AlignTop, "PlotWright");
  }
  void mousePressEvent(QMouseEvent* event) override {
    event->accept();
    if (Clicked) Clicked();
  }
};

}  // namespace

TAboutBox::TAboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setModal(true);
  setFixedSize(Box_Width, Box_Height);
  QFont f("Arial");
  f.setPixelSize(11);
  f.setBold(true);
  setFont(f);

  auto* panel = Child<QFrame>(this);
  panel->setObjectName("xPanel");
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setGeometry(0, 0, Box_Width, Box_Height);
  QPalette grey = panel->palette();
  grey.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
  panel->setPalette(grey);
  panel->setAutoFillBackground(true);

  auto* img = Child<About_Picture>(panel);
  img->setObjectName("xImg");
  img->move(2, 2);
  img->Clicked = [this] { xImgClick(); };

  version_ = Child<QLabel>(img);
  version_->setObjectName("xVersion");
  version_->setGeometry(36 - 2, 44 - 2, 168, 13);  // 36, 44 on the box; the picture is at 2, 2
  version_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  version_->setFont(f);
  QPalette red = version_->palette();
  red.setColor(QPalette::WindowText, Qt::red);
  version_->setPalette(red);
  version_->setAttribute(Qt::WA_TransparentForMouseEvents);  // a click goes to the picture
  version_->setText("Version " + QString::fromStdString(Version_Text));
}

QString TAboutBox::Version_Caption() const { return version_->text(); }

void TAboutBox::Show() {
  Centre_Form(*this);
  exec();
}

void TAboutBox::xImgClick() { accept(); }

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
      (!event->text().isEmpty() && event->text()[0].isPrint())) {
    event->accept();
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

}  // namespace pw
