// One page canvas on screen: shows the bitmap of a TC_Canvas without copying it, either
// stretched to the control or unscaled at its top left corner, under a cross-hair cursor, with
// the rubber band of a zoom drawn over it (never into the bitmap).
#pragma once

#include <QRect>
#include <QWidget>
#include <functional>

#include "draw/d_draw.h"

namespace pw {

class TCanvas_View : public QWidget {
 public:
  // `canvas` must outlive the view.
  TCanvas_View(TC_Canvas& canvas, bool stretch, QWidget* parent = nullptr);

  bool Stretch() const { return stretch_; }
  TC_Canvas& Canvas() { return canvas_; }

  // Mouse press and release of the left button (after Gesture declined it), with the
  // position in the control's pixels.
  std::function<void(Qt::MouseButton, int x, int y)> Mouse_Down;
  std::function<void(Qt::MouseButton, int x, int y)> Mouse_Up;
  // Every wheel turn, mouse press, move, release, double-click and the pointer leaving go here
  // first; true when it was taken (the event then goes no further).
  std::function<bool(TCanvas_View&, QEvent&)> Gesture;

  // A position in the control to the picture's pixel, and a rectangle of picture pixels to the
  // control: they differ only while a stretched picture has another size than the control.
  QPoint To_Picture(const QPointF& at) const;
  QRect To_View(const QRect& picture) const;

  // The rubber band, in picture pixels (corners included); an empty rectangle hides it.
  void Set_Band(const QRect& band);
  const QRect& Band() const { return band_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool Scaled() const;
  bool Offer(QEvent& event);

  TC_Canvas& canvas_;
  bool stretch_;
  QRect band_;
};

}  // namespace pw
