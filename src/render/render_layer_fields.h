// The report's fields of one layer beyond its section, colour and selection: what a density
// layer found, and a histogram layer's under- and overflow.
#pragma once

#include <nlohmann/json.hpp>

namespace pw {
class TC_Data_Buffer;
class TC_Graph;
}  // namespace pw

namespace pw::render {

// Adds to `entry` the fields of layer `layer` (from 1) of `graph`:
// - a scatter layer with "Density" on: "color_map" and "density_scale" (their names in lower
//   case) and "max_count", the largest number of its points on one pixel in the latest drawing
//   (0 when nothing was counted or the graph was not drawn);
// - a histogram layer: "underflow", "overflow" (the selected values below and above the bins of
//   the graph's present limits; null while they make no bins, as before the first drawing) and
//   "missing" (the selected points without a value in its column).
// Other layers get nothing. The buffer's selection is put back afterwards.
void Add_Layer_Fields(TC_Graph& graph, int layer, TC_Data_Buffer& buffer,
                      nlohmann::ordered_json& entry);

}  // namespace pw::render
