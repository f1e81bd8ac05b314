#include "render/render_report.h"

#include <cmath>

#include "data/d_databuffer.h"
#include "draw/D_Math.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_scatgraph.h"
#include "pages/d_graphpageset.h"
#include "render/render_layer_fields.h"

namespace pw::render {

namespace {

using Json = nlohmann::ordered_json;

Json Number(long double v) {
  const double d = static_cast<double>(v);
  if (!std::isfinite(d)) return nullptr;
  return d;
}

Json Box(int left, int right, int top, int bottom) {
  return Json{{"left", left}, {"right", right}, {"top", top}, {"bottom", bottom}};
}

Json Axis(long double lo, long double hi, bool log, const std::string& title,
          const std::vector<Tick_Info>& ticks) {
  Json list = Json::array();
  for (const Tick_Info& t : ticks) {
    list.push_back(Json{{"value", Number(t.Value)},
                        {"label", t.Label},
                        {"shown", t.Shown},
                        {"left", t.Label_Left},
                        {"top", t.Label_Top}});
  }
  return Json{{"lo", Number(lo)}, {"hi", Number(hi)}, {"log", log}, {"title", title},
              {"ticks", std::move(list)}};
}

bool Column_Ok(const TC_Data_Buffer& buffer, int c) {
  return c >= 1 && c <= buffer.Column_Count();
}

// Points that pass the layer's selection and have a value in each of its columns (y_col 0:
// histogram, X only). The buffer's selection is restored afterwards.
std::int32_t Selected_Points(TC_Data_Buffer& buffer, const T_Selection& sel, int x_col,
                             int y_col) {
  if (buffer.Point_Count() == 0 || !Column_Ok(buffer, x_col)) return 0;
  if (y_col != 0 && !Column_Ok(buffer, y_col)) return 0;
  const T_Selection saved = buffer.Selection();
  buffer.Set_Selection(sel);
  std::int32_t n = 0;
  for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
    if (Is_Missing(buffer.Get_Value(p, x_col))) continue;
    if (y_col != 0 && Is_Missing(buffer.Get_Value(p, y_col))) continue;
    ++n;
  }
  buffer.Set_Selection(saved);
  return n;
}

Json Layers(TC_Graph& graph, TC_Data_Buffer& buffer) {
  Json list = Json::array();
  for (int i = 1; i <= graph.Layer_Count(); ++i) {
    TC_Graph_Layer& layer = graph.Layer(i);
    int x_col = 0, y_col = 0;
    if (auto* h = dynamic_cast<TC_Hist_Layer*>(&layer)) x_col = h->X_Col;
    if (auto* s = dynamic_cast<TC_Scat_Layer*>(&layer)) {
      x_col = s->X_Col;
      y_col = s->Y_Col;
      if (y_col == 0) x_col = 0;  // a scatter layer without a Y column selects nothing
    }
    Json entry{{"section", layer.Section()},
               {"color", layer.Color},
               {"selected", Selected_Points(buffer, layer.Sel, x_col, y_col)}};
    Add_Layer_Fields(graph, i, buffer, entry);
    list.push_back(std::move(entry));
  }
  return list;
}

Json Graph(TC_Graph& graph, int number, TC_Data_Buffer& buffer) {
  Json g{{"number", number},
         {"section", graph.Section()},
         {"kind", graph.Kind_Name()},
         {"cell", Box(graph.Cell_Left, graph.Cell_Right, graph.Cell_Top, graph.Cell_Bottom)},
         {"plot", Box(graph.Plot_Left, graph.Plot_Right, graph.Plot_Top, graph.Plot_Bottom)},
         {"x", Axis(graph.XLo, graph.XHi, graph.LogX, graph.X_Title, graph.X_Ticks)},
         {"y", Axis(graph.YLo, graph.YHi, graph.LogY, graph.Y_Title, graph.Y_Ticks)}};
  if (auto* h = dynamic_cast<TC_Hist_Graph*>(&graph)) g["bins"] = h->Bins;
  g["stat_line"] = graph.Stat_Line;
  g["layers"] = Layers(graph, buffer);
  return g;
}

}  // namespace

Json Make_Report(const Report_Context& context, TC_Graph_Page_Set* pages) {
  Json report{{"setup", context.Setup_File},
              {"data", context.Data_File},
              {"points", pages ? pages->Buffer().Point_Count() : 0},
              {"canvas", Json{{"width", context.Width}, {"height", context.Height}}}};
  Json list = Json::array();
  for (int k = 1; pages && k <= pages->Page_Count(); ++k) {
    TC_Graph_Page& page = pages->Page(k);
    Json graphs = Json::array();
    for (int i = 1; i <= page.Graph_Count(); ++i) {
      graphs.push_back(Graph(page.Graph(i), i, pages->Buffer()));
    }
    list.push_back(Json{{"number", k},
                        {"section", page.Section_Name},
                        {"name", page.Name},
                        {"title", page.Title},
                        {"drawn", k <= context.Pages_Drawn},
                        {"graphs", std::move(graphs)}});
  }
  report["pages"] = std::move(list);
  return report;
}

}  // namespace pw::render
