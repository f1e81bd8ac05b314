#include "app/canvas_view.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace pw {

TCanvas_View::TCanvas_View(TC_Canvas& canvas, bool stretch, QWidget* parent)
    : QWidget(parent), canvas_(canvas), stretch_(stretch) {
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setFocusPolicy(Qt::NoFocus);
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
}

void TCanvas_View::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton) {
    event->ignore();  // the right button goes on to the window's menu
    return;
  }
  if (Mouse_Down) Mouse_Down(event->button(), at.x(), at.y());
  event->accept();
}

void TCanvas_View::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton) {
    event->ignore();
    return;
  }
  if (Mouse_Up) Mouse_Up(event->button(), at.x(), at.y());
  event->accept();
}

}  // namespace pw
