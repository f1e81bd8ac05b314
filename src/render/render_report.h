// The JSON report of one run: every page and graph as read and, where drawn, as drawn.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace pw {
class TC_Graph_Page_Set;
}

namespace pw::render {

struct Report_Context {
  std::string Setup_File;
  std::string Data_File;
  int Width = 0;
  int Height = 0;
  // Pages whose drawing finished (1..Pages_Drawn are "drawn").
  int Pages_Drawn = 0;
};

// Builds the report. `pages` may be absent (the run stopped before a page set existed): then
// "points" is 0 and "pages" is empty. Non-finite numbers (missing values) are null.
nlohmann::ordered_json Make_Report(const Report_Context& context,
                                   TC_Graph_Page_Set* pages);

}  // namespace pw::render
