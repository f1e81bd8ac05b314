#include "graphs/d_histflow.h"

#include "base/D_Error.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_histog.h"

namespace pw {

std::string Flow_Text(std::int32_t underflow, std::int32_t overflow) {
  std::string text;
  if (underflow != 0) text += "  u=" + std::to_string(underflow);
  if (overflow != 0) text += "  o=" + std::to_string(overflow);
  return text;
}

Hist_Flow Hist_Layer_Flow(TC_Hist_Graph& graph, int layer, TC_Data_Buffer& buffer) {
  const TC_Hist_Layer& l = graph.Hist_Layer(layer);
  Hist_Flow flow;
  if (l.X_Col < 1 || l.X_Col > buffer.Column_Count()) return flow;
  struct Restore {  // the caller's selection, however this ends
    TC_Data_Buffer& buffer;
    const T_Selection saved;
    ~Restore() { buffer.Set_Selection(saved); }
  } restore{buffer, buffer.Selection()};
  buffer.Set_Selection(l.Sel);
  try {
    TC_Histog bins(graph.Bins, graph.XLo, graph.XHi, graph.LeftIn);
    bins.Accumulate(buffer, l.X_Col);
    flow = {true, bins.Underflow(), bins.Overflow(), bins.Missing_Values()};
  } catch (const Error&) {  // no valid bins: only the points without a value
    buffer.For_Each_Selected(l.X_Col, [&flow](long double v) {
      if (Is_Missing(v)) ++flow.missing;
    });
  }
  return flow;
}

}  // namespace pw
