// One page canvas on screen: shows the bitmap of a TC_Canvas without copying it, either
// stretched to the control or unscaled at its top left corner, under a cross-hair cursor.
#pragma once

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

  // Mouse press and release, with the button and the position in the control's pixels.
  std::function<void(Qt::MouseButton, int x, int y)> Mouse_Down;
  std::function<void(Qt::MouseButton, int x, int y)> Mouse_Up;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  TC_Canvas& canvas_;
  bool stretch_;
};

}  // namespace pw
