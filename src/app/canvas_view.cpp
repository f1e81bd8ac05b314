#include "app/canvas_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

namespace pw {

TCanvas_View::TCanvas_View(TC_Canvas& canvas, bool stretch, QWidget* parent)
    : QWidget(parent), canvas_(canvas), stretch_(stretch) {
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setFocusPolicy(Qt::NoFocus);
  // Moves without a button tell which graph the Home key means.
  setMouseTracking(true);
}

bool TCanvas_View::Scaled() const {
  const TC_Bitmap& bmp = canvas_.Image;
  return stretch_ && !bmp.Empty() && (bmp.Width() != width() || bmp.Height() != height());
}

QPoint TCanvas_View::To_Picture(const QPointF& at) const {
  if (!Scaled()) {
    return {static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y()))};
  }
  const TC_Bitmap& bmp = canvas_.Image;
  return {static_cast<int>(std::floor(at.x() * bmp.Width() / std::max(width(), 1))),
          static_cast<int>(std::floor(at.y() * bmp.Height() / std::max(height(), 1)))};
}

QRect TCanvas_View::To_View(const QRect& picture) const {
  if (!Scaled()) return picture;
  const TC_Bitmap& bmp = canvas_.Image;
  const double sx = static_cast<double>(width()) / bmp.Width();
  const double sy = static_cast<double>(height()) / bmp.Height();
  const int left = static_cast<int>(std::floor(picture.left() * sx));
  const int top = static_cast<int>(std::floor(picture.top() * sy));
  const int right = static_cast<int>(std::ceil((picture.right() + 1) * sx)) - 1;
  const int bottom = static_cast<int>(std::ceil((picture.bottom() + 1) * sy)) - 1;
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

void TCanvas_View::Set_Band(const QRect& band) {
  if (band == band_) return;
  // The old and the new band, a pixel wider for the pen.
  const int pen = 2;
  if (!band_.isEmpty()) update(To_View(band_).adjusted(-pen, -pen, pen, pen));
  band_ = band;
  if (!band_.isEmpty()) update(To_View(band_).adjusted(-pen, -pen, pen, pen));
}

void TCanvas_View::paintEvent(QPaintEvent*) {
  const TC_Bitmap& bmp = canvas_.Image;
  if (bmp.Empty()) return;
  // Wraps the canvas's pixels (0xFFRRGGBB rows) in place; the bitmap is not touched while
  // the picture is painted.
  const QImage picture(reinterpret_cast<const uchar*>(bmp.Bits()), bmp.Width(), bmp.Height(),
                       bmp.Stride(), QImage::Format_RGB32);
  QPainter p(this);
  if (stretch_) {
    p.drawImage(rect(), picture);
  } else {
    p.drawImage(QPoint(0, 0), picture);
  }
  if (!band_.isEmpty()) {
    // Seen on dark and light backgrounds alike: a white dashed line over a black one.
    const QRect band = To_View(band_);
    p.fillRect(band, QColor(255, 255, 255, 40));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, 1));
    p.drawRect(band.adjusted(0, 0, -1, -1));
    p.setPen(QPen(Qt::white, 1, Qt::DashLine));
    p.drawRect(band.adjusted(0, 0, -1, -1));
  }
}

bool TCanvas_View::Offer(QEvent& event) {
  if (!Gesture || !Gesture(*this, event)) return false;
  event.accept();
  return true;
}

void TCanvas_View::mousePressEvent(QMouseEvent* event) {
  if (Offer(*event)) return;
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton) {
    event->ignore();  // the right button goes on to the window's menu
    return;
  }
  if (Mouse_Down) Mouse_Down(event->button(), at.x(), at.y());
  event->accept();
}

void TCanvas_View::mouseMoveEvent(QMouseEvent* event) {
  if (!Offer(*event)) event->ignore();
}

void TCanvas_View::mouseReleaseEvent(QMouseEvent* event) {
  if (Offer(*event)) return;
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  if (Mouse_Up) Mouse_Up(event->button(), at.x(), at.y());
  event->accept();
}

void TCanvas_View::mouseDoubleClickEvent(QMouseEvent* event) {
  // Declined, it counts as a second press (as without this handler).
  if (!Offer(*event)) mousePressEvent(event);
}

void TCanvas_View::wheelEvent(QWheelEvent* event) {
  if (!Offer(*event)) event->ignore();
}

void TCanvas_View::leaveEvent(QEvent* event) {
  Offer(*event);
  QWidget::leaveEvent(event);
}

}  // namespace pw
