// The zooms of a page set's graphs, carried over a load that goes on with the same points: in
// follow mode, lines added to the data file give a new page set read from the same setup, and
// the graphs the user zoomed keep showing what they showed, over the longer data.
#pragma once

#include <vector>

#include "graphs/d_zoom.h"

namespace pw {

class TC_Graph_Page_Set;

struct Graph_Zoom {
  int Page = 0;   // 1-based
  int Graph = 0;  // 1-based, within the page
  Graph_Limits Limits;
};
using Page_Zooms = std::vector<Graph_Zoom>;

// Every zoomed graph of `pages`, in page and graph order, with the limits it shows; empty for
// a null page set or one without zooms.
Page_Zooms Zooms_Of(TC_Graph_Page_Set* pages);

// Zooms the graphs of `pages` (read from the setup, drawn or not) to the limits `zooms` gives
// them, from their next drawing on; Reset_Zoom then gives each the limits of the setup, or
// those found anew from the data. A page or graph that `pages` does not have is passed over.
void Apply_Zooms(TC_Graph_Page_Set& pages, const Page_Zooms& zooms);

}  // namespace pw
