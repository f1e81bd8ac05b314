#include "app/d_errbox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

#include "app/app_logic.h"
#include "app/qt_child.h"

namespace pw {

namespace {

// The 32 x 32 stop sign: a dark red octagon with a white rim and STOP in white.
class Stop_Icon : public QWidget {
 public:
  explicit Stop_Icon(QWidget* parent) : QWidget(parent) {
    setFixedSize(32, 32);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::black);
    QPolygonF octagon;
    const double c = 15.5, r = 15.5;
    for (int i = 0; i < 8; ++i) {
      const double a = (22.5 + 45.0 * i) * std::numbers::pi / 180.0;
      octagon << QPointF(c + r * std::cos(a), c + r * std::sin(a));
    }
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(0x80, 0, 0));
    p.drawPolygon(octagon);
    QFont f("Arial");
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(rect(), Qt::AlignCenter, "STOP");
  }
};

Form_Rect Rect_Of(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }

QSize Primary_Screen_Size() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().size() : QSize(800, 600);
}

}  // namespace

void Keep_On_Screen(QWidget& form) {
  const QSize screen = Primary_Screen_Size();
  const Form_Rect r = Keep_On_Screen(Rect_Of(form.frameGeometry()), screen.width(),
                                     screen.height());
  form.move(r.Left, r.Top);
}

void Centre_Form(QWidget& form) {
  const QSize screen = Primary_Screen_Size();
  const QWidget* active = QApplication::activeWindow();
  // Without an active window (the platform may not track one), the owner window stands in.
  if ((active == nullptr || active == &form) && form.parentWidget() != nullptr &&
      form.parentWidget()->window()->isVisible()) {
    active = form.parentWidget()->window();
  }
  Form_Rect active_rect;
  const bool has_active = active != nullptr && active != &form;
  if (has_active) active_rect = Rect_Of(active->frameGeometry());
  const Form_Rect r = Centre_Form(Rect_Of(form.frameGeometry()),
                                  has_active ? &active_rect : nullptr, screen.width(),
                                  screen.height());
  form.move(r.Left, r.Top);
}

TErrBox::TErrBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setModal(true);
  setFixedSize(Box_Width, Box_Height);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::black);
  pal.setColor(QPalette::WindowText, Qt::red);
  setPalette(pal);
  setAutoFillBackground(true);

  auto* bevel = Child<QFrame>(this);
  bevel->setObjectName("xBevel");
  bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  bevel->setLineWidth(1);
  bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
  bevel->setGeometry(0, 0, Box_Width, Box_Height);

  auto* icon = Child<Stop_Icon>(this);
  icon->setObjectName("xIcon");
  icon->move(16, 12);

  txt_ = Child<QLabel>(this);
  txt_->setObjectName("Txt");
  txt_->setAttribute(Qt::WA_TransparentForMouseEvents);
  txt_->setTextFormat(Qt::PlainText);
  txt_->move(Text_Left, Text_Top);
  // Created with "Courier New"; the program start switches it to "Lucida Console".
  Set_Font("Courier New", 0);
}

void TErrBox::Set_Font(const std::string& typeface, int /*charset*/) {
  QFont f(QString::fromStdString(typeface));
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(16);
  f.setBold(false);
  f.setItalic(false);
  setFont(f);
  txt_->setFont(f);
}

void TErrBox::Display(const std::exception& e) {
  while (QApplication::overrideCursor() != nullptr) QApplication::restoreOverrideCursor();
  // The library's own text ("std::bad_alloc") means nothing to a user.
  if (dynamic_cast<const std::bad_alloc*>(&e) != nullptr) {
    Show_Text("Out of memory");
    return;
  }
  Show_Text(e.what());
}

void TErrBox::Show_Text(const std::string& text) {
  if (showing_) return;
  showing_ = true;
  try {
    last_text_ = Error_Box_Text(text);
    ++shown_count_;
    txt_->setText(QString::fromStdString(Fit_To_Screen(last_text_)));
    txt_->adjustSize();
    // Two lines fit the box's own height; more lines (a text wrapped to the screen) make it
    // taller by their height.
    const int height = std::max(Box_Height, txt_->height() + Box_Height - Two_Lines_Height());
    setFixedSize(Text_Left + txt_->width() + 18, height);
    txt_->move(Text_Left, (height - txt_->height()) / 2);
    if (auto* bevel = findChild<QFrame*>("xBevel")) bevel->setGeometry(rect());
    Centre_Form(*this);
    exec();
  } catch (...) {
    // Showing an error must never raise another one.
  }
  showing_ = false;
}

std::string TErrBox::Fit_To_Screen(const std::string& text) const {
  const QFontMetrics fm(txt_->font());
  const int room = Primary_Screen_Size().width() - 2 * Screen_Margin - Text_Left - 18;
  return Wrap_To_Width(text, room, [&](std::string_view piece) {
    return fm.horizontalAdvance(QString::fromUtf8(piece.data(), static_cast<int>(piece.size())));
  });
}

int TErrBox::Two_Lines_Height() const {
  return QFontMetrics(txt_->font()).lineSpacing() * 2;
}

void TErrBox::keyPressEvent(QKeyEvent* event) {
  event->accept();
  accept();
}

void TErrBox::mousePressEvent(QMouseEvent* event) {
  event->accept();
  accept();
}

void TErrBox::showEvent(QShowEvent* event) {
  QFont f = font();
  f.setBold(false);
  f.setItalic(false);
  f.setUnderline(false);
  setFont(f);
  QDialog::showEvent(event);
}

}  // namespace pw
