// The page's zoom: which graphs show other limits than their own, and drawing one graph again
// alone into its part of the canvas.
#include <algorithm>
#include <cstring>

#include "graphs/d_histgraph.h"
#include "pages/d_graphpage.h"

namespace pw {

TC_Graph_Page::Graph_View& TC_Graph_Page::View(int i) {
  if (views_.size() < graphs_.size()) views_.resize(graphs_.size());
  return views_[i - 1];
}

const TC_Graph_Page::Graph_View* TC_Graph_Page::Find_View(int i) const {
  if (i < 1 || i > static_cast<int>(views_.size())) return nullptr;
  return &views_[i - 1];
}

bool TC_Graph_Page::Zoomed(int i) const {
  const Graph_View* view = Find_View(i);
  return view != nullptr && view->zoom.has_value();
}

bool TC_Graph_Page::Any_Zoomed() const {
  return std::any_of(views_.begin(), views_.end(),
                     [](const Graph_View& v) { return v.zoom.has_value(); });
}

Graph_Limits TC_Graph_Page::View_Limits(int i) const {
  const Graph_View* view = Find_View(i);
  if (view != nullptr && view->zoom) return *view->zoom;
  return Limits_Of(Graph(i));
}

void TC_Graph_Page::Set_Zoom(int i, const Graph_Limits& limits) {
  Graph_View& view = View(i);
  if (!view.setup) view.setup = Limits_Of(Graph(i));
  view.zoom = limits;
}

void TC_Graph_Page::Reset_Zoom(int i) {
  Graph_View& view = View(i);
  view.zoom.reset();
  if (view.home) {
    Set_Limits(Graph(i), *view.home);
  } else if (view.setup) {
    Set_Limits(Graph(i), *view.setup);
  }
}

void TC_Graph_Page::Forget_Home(int i) {
  Graph_View& view = View(i);
  view.home.reset();
  if (!view.zoom && view.setup) Set_Limits(Graph(i), *view.setup);
}

bool TC_Graph_Page::Drawn(int i) const {
  const Graph_View* view = Find_View(i);
  if (view == nullptr || !view->drawn) return false;
  const TC_Graph& g = Graph(i);
  return !g.Plot_Too_Small() && g.Plot_Right > g.Plot_Left && g.Plot_Bottom > g.Plot_Top;
}

int TC_Graph_Page::Graph_At(int x, int y) const {
  for (int i = 1; i <= Graph_Count(); ++i) {
    if (Drawn(i) && Graph(i).Contains_Point(x, y)) return i;
  }
  return 0;
}

void TC_Graph_Page::Draw_One(int i, TC_Data_Buffer& buffer, bool again) {
  TC_Graph& graph = Graph(i);
  Graph_View& view = View(i);
  if (!view.setup) view.setup = Limits_Of(graph);
  if (view.zoom) {
    // Zoomed before it was ever drawn (the zoom of the graph it replaces): a histogram first
    // takes the limits and bins "dx" gives, or it would tile the zoomed range and move its end.
    auto* histogram = dynamic_cast<TC_Hist_Graph*>(&graph);
    if (histogram != nullptr && !view.drawn && histogram->Settle_Bins(buffer)) {
      view.home = Limits_Of(graph);
    }
    Set_Limits(graph, *view.zoom);
  }
  // Whatever way the drawing ends, the graph has drawn what it could with these limits.
  struct Note {
    TC_Graph& graph;
    Graph_View& view;
    ~Note() {
      view.drawn = true;
      if (!view.zoom) view.home = Limits_Of(graph);
    }
  } note{graph, view};
  if (again) {
    graph.Draw_Again(buffer);
  } else {
    graph.Draw_All(buffer);
  }
}

TC_Graph_Page::Slot TC_Graph_Page::Graph_Slot(int i) const {
  const TC_Graph& g = Graph(i);
  // The layout leaves Margin around every cell; of the gap between two cells the first cell
  // takes all but the Margin pixels of the next one.
  Slot slot{g.Cell_Left - Margin, g.Cell_Top - Margin, g.Cell_Right + Margin - 1,
            g.Cell_Bottom + Margin - 1};
  slot.Left = std::max(slot.Left, 0);
  slot.Top = std::max(slot.Top, 0);
  slot.Right = std::min(slot.Right, canvas_.Image.Width() - 1);
  slot.Bottom = std::min(slot.Bottom, canvas_.Image.Height() - 1);
  return slot;
}

namespace {

// A canvas of the page's top-left part, as far as the slot reaches, drawn on at the page's own
// coordinates (so fill patterns and clipping at the slot's right and bottom edges are the
// page's), current while it lives; its slot goes onto the page when it goes.
class Slot_Canvas {
 public:
  Slot_Canvas(TC_Canvas& page, const TC_Graph_Page::Slot& slot)
      : page_(page), slot_(slot), previous_(Cur_Image) {
    scratch_.Font = page.Font;
    scratch_.Image.Set_Size(slot.Right + 1, slot.Bottom + 1);
    Cur_Image = &scratch_;
  }
  ~Slot_Canvas() {
    Cur_Image = previous_;
    const std::size_t bytes = static_cast<std::size_t>(slot_.Right - slot_.Left + 1) * 4;
    for (int y = slot_.Top; y <= slot_.Bottom; ++y) {
      std::memcpy(page_.Image.Row(y) + slot_.Left, scratch_.Image.Row(y) + slot_.Left, bytes);
    }
  }
  Slot_Canvas(const Slot_Canvas&) = delete;
  Slot_Canvas& operator=(const Slot_Canvas&) = delete;

 private:
  TC_Canvas& page_;
  TC_Graph_Page::Slot slot_;
  TC_Canvas* previous_;
  TC_Canvas scratch_;
};

}  // namespace

void TC_Graph_Page::Draw_Graph(int i, TC_Data_Buffer& buffer) {
  if (i < 1 || i > Graph_Count()) return;
  const Slot slot = Graph_Slot(i);
  if (slot.Empty()) return;
  const Slot_Canvas canvas(canvas_, slot);
  // What Draw_Page does before its graphs, on the slot only.
  Set_Color(Bg_Color);
  Fill_Box(slot.Left, slot.Top, slot.Right, slot.Bottom, 1);
  Set_Text_Color(FontColor);
  Set_Font_Height(FontSize);
  Set_Font_Bold(false);
  Draw_One(i, buffer, true);
}

}  // namespace pw
