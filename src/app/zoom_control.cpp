#include "app/zoom_control.h"

#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <vector>

#include "app/canvas_view.h"
#include "app/notebook.h"
#include "app/pw_main.h"
#include "app/qt_child.h"
#include "app/zoom_rules.h"
#include "pages/d_graphpage.h"
#include "pages/d_graphpageset.h"

namespace pw {

TZoom_Control::TZoom_Control(TMain& window) : window_(window) {
  timer_ = Child<QTimer>(&window);
  timer_->setSingleShot(true);
  timer_->setInterval(0);
  QObject::connect(timer_, &QTimer::timeout, timer_, [this] { Draw_Pending(); });
}

TZoom_Control::~TZoom_Control() {
  timer_->stop();
  QObject::disconnect(timer_, nullptr, nullptr, nullptr);
}

TC_Graph_Page* TZoom_Control::Page(int page) const {
  TC_Graph_Page_Set* set = window_.Page_Set();
  if (set == nullptr || window_.Drawing() || page < 1 || page > set->Page_Count()) return nullptr;
  return &set->Page(page);
}

bool TZoom_Control::Gesture(TCanvas_View& view, int page, QEvent& event) {
  switch (event.type()) {
    case QEvent::Wheel: {
      auto& wheel = static_cast<QWheelEvent&>(event);
      return Wheel(page, view.To_Picture(wheel.position()), wheel);
    }
    case QEvent::MouseButtonPress: {
      auto& mouse = static_cast<QMouseEvent&>(event);
      return Press(view, page, view.To_Picture(mouse.position()), mouse);
    }
    case QEvent::MouseMove:
      return Move(view, page, view.To_Picture(static_cast<QMouseEvent&>(event).position()));
    case QEvent::MouseButtonRelease: {
      auto& mouse = static_cast<QMouseEvent&>(event);
      return Release(view, view.To_Picture(mouse.position()), mouse);
    }
    case QEvent::MouseButtonDblClick: {
      // It comes in place of the second press: unless it gives a zoomed graph its limits
      // back, that press starts a pan or a band (or shows hints) as any press does.
      auto& mouse = static_cast<QMouseEvent&>(event);
      const QPoint at = view.To_Picture(mouse.position());
      return Double_Click(page, at, mouse) || Press(view, page, at, mouse);
    }
    case QEvent::Leave:
      if (hover_page_ == page) hover_page_ = 0;
      return false;
    default:
      return false;
  }
}

bool TZoom_Control::Wheel(int page, const QPoint& at, const QWheelEvent& event) {
  TC_Graph_Page* p = Page(page);
  const int graph = p != nullptr ? p->Graph_At(at.x(), at.y()) : 0;
  if (graph == 0) return false;
  const QPoint turn = event.angleDelta();
  const int delta = Wheel_Delta(turn.x(), turn.y());
  if (delta == 0) return true;
  const Qt::KeyboardModifiers mods = event.modifiers();
  const Zoom_Axes axes =
      Wheel_Axes(mods.testFlag(Qt::ShiftModifier), mods.testFlag(Qt::ControlModifier));
  const TC_Graph& g = p->Graph(graph);
  // From the limits asked for last, drawn or not: steps that wait add up.
  Ask(page, graph,
      Zoom_At(p->View_Limits(graph), Plot_Area_Of(g), Zoom_Rules_Of(g), at.x(), at.y(),
              Wheel_Factor(delta), axes));
  return true;
}

bool TZoom_Control::Press(TCanvas_View& view, int page, const QPoint& at,
                          const QMouseEvent& event) {
  if (drag_.kind != Drag_Kind::None) return true;  // one drag at a time: other presses wait
  Drag_Kind kind = Drag_Kind::None;
  if (event.button() == Qt::MiddleButton) kind = Drag_Kind::Pan;
  if (event.button() == Qt::LeftButton && event.modifiers().testFlag(Qt::ControlModifier)) {
    kind = Drag_Kind::Band;
  }
  if (kind == Drag_Kind::None) return false;
  TC_Graph_Page* p = Page(page);
  const int graph = p != nullptr ? p->Graph_At(at.x(), at.y()) : 0;
  if (graph == 0) return false;
  const TC_Graph& g = p->Graph(graph);
  drag_ = {kind, page, graph, at, p->View_Limits(graph), Plot_Area_Of(g), Zoom_Rules_Of(g)};
  if (kind == Drag_Kind::Band) view.Set_Band(Band_To(at));
  return true;
}

bool TZoom_Control::Move(TCanvas_View& view, int page, const QPoint& at) {
  hover_page_ = page;
  hover_ = at;
  if (drag_.kind == Drag_Kind::None || drag_.page != page) return false;
  if (drag_.kind == Drag_Kind::Band) {
    view.Set_Band(Band_To(at));
  } else if (Page(page) != nullptr) {
    // From the limits at the press, so that the steps do not add up rounding.
    Ask(page, drag_.graph,
        Pan_By(drag_.limits, drag_.area, drag_.rules, at.x() - drag_.start.x(),
               at.y() - drag_.start.y()));
  }
  return true;
}

bool TZoom_Control::Release(TCanvas_View& view, const QPoint& at, const QMouseEvent& event) {
  const Drag drag = drag_;
  const bool ends = (drag.kind == Drag_Kind::Pan && event.button() == Qt::MiddleButton) ||
                    (drag.kind == Drag_Kind::Band && event.button() == Qt::LeftButton);
  // Other buttons go their own way (a left release restores the title after hints).
  if (!ends) return false;
  drag_ = Drag{};
  if (drag.kind == Drag_Kind::Band) {
    view.Set_Band({});
    // A band too small on both sides changes nothing: a click.
    const Graph_Limits box = Zoom_To_Box(drag.limits, drag.area, drag.rules, drag.start.x(),
                                         drag.start.y(), at.x(), at.y());
    if (!(box == drag.limits)) Ask(drag.page, drag.graph, box);
  }
  return true;
}

bool TZoom_Control::Double_Click(int page, const QPoint& at, const QMouseEvent& event) {
  if (event.button() != Qt::LeftButton) return false;
  TC_Graph_Page* p = Page(page);
  const int graph = p != nullptr ? p->Graph_At(at.x(), at.y()) : 0;
  return graph != 0 && Reset(page, graph);
}

bool TZoom_Control::Home_Key() {
  const int page = window_.Pages().Current() + 1;
  if (hover_page_ != page) return false;
  TC_Graph_Page* p = Page(page);
  const int graph = p != nullptr ? p->Graph_At(hover_.x(), hover_.y()) : 0;
  return graph != 0 && Reset(page, graph);
}

QRect TZoom_Control::Band_To(const QPoint& at) const {
  const Plot_Area& a = drag_.area;
  auto inside = [&a](const QPoint& p) {
    return QPoint(std::clamp(p.x(), a.Left, a.Right), std::clamp(p.y(), a.Top, a.Bottom));
  };
  return QRect(inside(drag_.start), inside(at)).normalized();
}

void TZoom_Control::Ask(int page, int graph, const Graph_Limits& limits) {
  TC_Graph_Page* p = Page(page);
  if (p == nullptr) return;
  p->Set_Zoom(graph, limits);
  Changed(page, graph);
}

bool TZoom_Control::Reset(int page, int graph) {
  TC_Graph_Page* p = Page(page);
  if (p == nullptr || !p->Zoomed(graph)) return false;
  p->Reset_Zoom(graph);
  Changed(page, graph);
  return true;
}

void TZoom_Control::Changed(int page, int graph) {
  pending_.insert({page, graph});
  if (!timer_->isActive()) timer_->start();
  window_.Update_Caption();
}

void TZoom_Control::Flush() {
  if (timer_->isActive()) timer_->stop();
  Draw_Pending();
}

void TZoom_Control::Page_Changed() { Cancel_Drag(); }

void TZoom_Control::Cancel_Drag() {
  if (drag_.kind == Drag_Kind::Band) window_.Canvas_View(drag_.page).Set_Band({});
  drag_ = Drag{};
}

void TZoom_Control::Forget() {
  timer_->stop();
  pending_.clear();
  drag_ = Drag{};
  hover_page_ = 0;
  for (int i = 1; i <= Max_Pages; ++i) window_.Canvas_View(i).Set_Band({});
}

void TZoom_Control::Load_Finished() {
  if (!pending_.empty() && !timer_->isActive()) timer_->start();
}

void TZoom_Control::Draw_Pending() {
  // A load draws the pages now (events are pumped between them); what waits is drawn after it.
  if (pending_.empty() || window_.Drawing()) return;
  const std::vector<std::pair<int, int>> graphs(pending_.begin(), pending_.end());
  pending_.clear();
  for (const auto& [page, graph] : graphs) {
    TC_Graph_Page* p = Page(page);
    TC_Graph_Page_Set* set = window_.Page_Set();
    if (p == nullptr || set == nullptr || graph > p->Graph_Count()) continue;
    if (Before_Draw) Before_Draw();
    ++draws_;
    window_.Guarded([&] { p->Draw_Graph(graph, set->Buffer()); });
    const TC_Graph_Page::Slot slot = p->Graph_Slot(graph);
    TCanvas_View& view = window_.Canvas_View(page);
    view.update(view.To_View(QRect(QPoint(slot.Left, slot.Top), QPoint(slot.Right, slot.Bottom))));
  }
}

}  // namespace pw
