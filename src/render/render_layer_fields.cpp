#include "render/render_layer_fields.h"

#include "draw/d_colormap.h"
#include "graphs/d_densityscale.h"
#include "graphs/d_histflow.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_scatgraph.h"

namespace pw::render {

void Add_Layer_Fields(TC_Graph& graph, int layer, TC_Data_Buffer& buffer,
                      nlohmann::ordered_json& entry) {
  if (auto* s = dynamic_cast<TC_Scat_Layer*>(&graph.Layer(layer))) {
    if (!s->Density.On) return;
    entry["color_map"] = Color_Map_Name(s->Density.Map);
    entry["density_scale"] = Density_Scale_Name(s->Density.Scale);
    entry["max_count"] = s->Density_Drawn.Largest;
    return;
  }
  auto* h = dynamic_cast<TC_Hist_Graph*>(&graph);
  if (h == nullptr) return;
  const Hist_Flow flow = Hist_Layer_Flow(*h, layer, buffer);
  entry["underflow"] = flow.counted ? nlohmann::ordered_json(flow.underflow) : nullptr;
  entry["overflow"] = flow.counted ? nlohmann::ordered_json(flow.overflow) : nullptr;
  entry["missing"] = flow.missing;
}

}  // namespace pw::render
