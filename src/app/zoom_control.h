// Zoom and pan in the window: the wheel over a plot area zooms that graph around the pointer
// (Shift: X only, Ctrl: Y only), the middle button drags it, Ctrl + the left button draws a
// rubber band whose rectangle it then shows, and a double-click or the Home key over it gives
// it back the limits of the setup.
//
// The zoom itself is kept by the page (TC_Graph_Page), so tab switches and page drawings keep
// it and the next load drops it; this class turns gestures into zooms and draws them. A zoom
// is drawn when the events waiting have been handled: wheel steps that arrive while a graph is
// being drawn are merged into one next drawing.
#pragma once

#include <QPoint>
#include <QRect>
#include <functional>
#include <set>
#include <utility>

#include "graphs/d_zoom.h"

class QEvent;
class QMouseEvent;
class QTimer;
class QWheelEvent;

namespace pw {

class TC_Graph_Page;
class TCanvas_View;
class TMain;

class TZoom_Control {
 public:
  // `window` must outlive the control.
  explicit TZoom_Control(TMain& window);
  ~TZoom_Control();
  TZoom_Control(const TZoom_Control&) = delete;
  TZoom_Control& operator=(const TZoom_Control&) = delete;

  // An event of the view of page `page` (1..16): true when it was a zoom gesture over a graph
  // of that page (wheel, middle button, Ctrl + left button, double-click on a zoomed graph).
  // A plain left press is never taken (it shows hints); nor is a double-click with nothing to
  // give back, whose second press counts as a press. While a load runs nothing is taken.
  bool Gesture(TCanvas_View& view, int page, QEvent& event);
  // The Home key: resets the zoomed graph of the current page under the pointer; true when
  // there was one.
  bool Home_Key();
  // Draws now every zoom asked for and not yet drawn (before screen shots).
  void Flush();
  // Another page came to the front: a drag under way ends (its release would reach another
  // page, or nothing at all): a band goes without zooming, a pan stays where it got to.
  void Page_Changed();
  // A load begins: the zooms asked for belonged to the page set it replaces.
  void Forget();
  // A load ended: zooms asked for and not drawn meanwhile are drawn next.
  void Load_Finished();

  // Zoom drawings made so far (one per graph drawn).
  int Draws() const { return draws_; }
  // Called before each zoom drawing (tests).
  std::function<void()> Before_Draw;

 private:
  enum class Drag_Kind { None, Pan, Band };
  struct Drag {
    Drag_Kind kind = Drag_Kind::None;
    int page = 0, graph = 0;
    QPoint start;
    Graph_Limits limits;  // at the press
    Plot_Area area;
    Zoom_Rules rules;
  };

  // Page `page` while it can be zoomed: a page set, not being loaded; else null.
  TC_Graph_Page* Page(int page) const;
  bool Wheel(int page, const QPoint& at, const QWheelEvent& event);
  bool Press(TCanvas_View& view, int page, const QPoint& at, const QMouseEvent& event);
  bool Move(TCanvas_View& view, int page, const QPoint& at);
  bool Release(TCanvas_View& view, const QPoint& at, const QMouseEvent& event);
  bool Double_Click(int page, const QPoint& at, const QMouseEvent& event);
  // The band from the press to `at`, inside the plot area.
  QRect Band_To(const QPoint& at) const;
  // Graph `graph` of page `page` is to show `limits` (or its own limits again).
  void Ask(int page, int graph, const Graph_Limits& limits);
  bool Reset(int page, int graph);
  // Ends a drag under way without its release: removes the band, keeps what a pan did.
  void Cancel_Drag();
  void Changed(int page, int graph);
  void Draw_Pending();

  TMain& window_;
  QTimer* timer_;
  Drag drag_;
  std::set<std::pair<int, int>> pending_;  // (page, graph) to draw
  int hover_page_ = 0;  // the page and pixel under the pointer, 0 when it is elsewhere
  QPoint hover_;
  int draws_ = 0;
};

}  // namespace pw
