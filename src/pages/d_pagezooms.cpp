#include "pages/d_pagezooms.h"

#include "pages/d_graphpageset.h"

namespace pw {

Page_Zooms Zooms_Of(TC_Graph_Page_Set* pages) {
  Page_Zooms zooms;
  if (pages == nullptr) return zooms;
  for (int p = 1; p <= pages->Page_Count(); ++p) {
    TC_Graph_Page& page = pages->Page(p);
    for (int g = 1; g <= page.Graph_Count(); ++g) {
      if (page.Zoomed(g)) zooms.push_back({p, g, page.View_Limits(g)});
    }
  }
  return zooms;
}

void Apply_Zooms(TC_Graph_Page_Set& pages, const Page_Zooms& zooms) {
  for (const Graph_Zoom& zoom : zooms) {
    if (zoom.Page < 1 || zoom.Page > pages.Page_Count()) continue;
    TC_Graph_Page& page = pages.Page(zoom.Page);
    if (zoom.Graph < 1 || zoom.Graph > page.Graph_Count()) continue;
    page.Set_Zoom(zoom.Graph, zoom.Limits);
  }
}

}  // namespace pw
