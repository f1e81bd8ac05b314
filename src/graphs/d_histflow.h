// Under- and overflow of histogram layers: the selected values beyond the X limits, and the
// selected points without a value.
#pragma once

#include <cstdint>
#include <string>

#include "data/d_databuffer.h"

namespace pw {

class TC_Hist_Graph;

// What the statistics line gains with "Flow": "  u=" + underflow, then "  o=" + overflow,
// each only when it is not 0 (so nothing at all when both are 0).
std::string Flow_Text(std::int32_t underflow, std::int32_t overflow);

// The flow of one histogram layer, counted as its bars are (TC_Histog): underflow and
// overflow the selected values below and above the bins, missing the selected points
// without a value in the layer's column.
struct Hist_Flow {
  bool counted = false;  // false: the graph has no limits and bins yet (never drawn)
  std::int32_t underflow = 0, overflow = 0, missing = 0;
};

// The flow of layer `layer` (from 1) of `graph` with the graph's present limits, bin count
// and LeftIn (those of its latest drawing). When they are not valid bins (a graph never
// drawn), underflow and overflow are not counted (counted false) and missing is counted all
// the same. The buffer's selection is put back afterwards.
Hist_Flow Hist_Layer_Flow(TC_Hist_Graph& graph, int layer, TC_Data_Buffer& buffer);

}  // namespace pw
