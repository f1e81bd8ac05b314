#include "pages/d_graphpage.h"

#include <algorithm>
#include <cstdint>

#include "base/D_Error.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_scatgraph.h"

namespace pw {

namespace {

// The graph for a "Kind" value: H/h histogram, S/s scatter; anything else (empty included)
// is a fatal setup error naming the graph's own section.
std::unique_ptr<TC_Graph> Create_Graph(const std::string& kind, const std::string& section) {
  const char first = kind.empty() ? '\0' : kind[0];
  if (first == 'H' || first == 'h') return std::make_unique<TC_Hist_Graph>(0, 0, 0, 0);
  if (first == 'S' || first == 's') return std::make_unique<TC_Scat_Graph>(0, 0, 0, 0);
  throw Error("Wrong graph kind in [" + section + "]: " + kind, true);
}

// Rows x Columns capped at Max_Graphs. A grid with no row or no column (zero or negative,
// which a 16-bit reading would have turned into a huge count) holds no graph.
int Graph_Limit(int rows, int columns) {
  if (rows < 1 || columns < 1) return 0;
  const std::int64_t cells = static_cast<std::int64_t>(rows) * columns;
  return static_cast<int>(std::min<std::int64_t>(cells, Max_Graphs));
}

// A cell's top or bottom row, held where the graphs' own pixel arithmetic cannot overflow
// (only a title font size of hundreds of millions of pixels reaches the limit).
int Cell_Row(std::int64_t row) {
  constexpr std::int64_t limit = std::int64_t{1} << 28;
  return static_cast<int>(std::clamp(row, -limit, limit));
}

}  // namespace

TC_Graph_Page::TC_Graph_Page(TC_Canvas& canvas) : canvas_(canvas) {}

TC_Graph_Page::~TC_Graph_Page() = default;

void TC_Graph_Page::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                               const TC_File_Def& def) {
  Title = ini.Read_String(sections, "Title", "");
  Name = ini.Read_String(sections, "Name", "");
  Font = ini.Read_String(sections, "Font", "Verdana");
  // The typeface belongs to the canvas at once: graphs measure text while they draw.
  canvas_.Font.Name = Font;
  Rows = ini.Read_Integer(sections, "Rows", 1);
  Columns = ini.Read_Integer(sections, "Columns", 1);
  FontSize = ini.Read_Integer(sections, "FontSize", 10);
  TitleFontSize = ini.Read_Integer(sections, "TitleFontSize", 18);
  FontColor = Parse_Color(ini.Read_String(sections, "FontColor", ""), FontColor);
  // Every page is read before any is drawn, so the last page's colour paints them all.
  Bg_Color = Parse_Color(ini.Read_String(sections, "BgColor", ""), Bg_Color);

  std::vector<std::string> names(Max_Graphs);
  const int count = ini.Read_List(sections, "Graphs", names, Graph_Limit(Rows, Columns));
  const std::string own = sections.empty() ? std::string() : sections.back();
  for (int j = 0; j < count; ++j) {
    Section_List graph_sections = sections;
    graph_sections.push_back(own + "/" + names[j]);
    const std::string kind = ini.Read_String(graph_sections, "Kind", "N");
    graphs_.push_back(Create_Graph(kind, graph_sections.back()));
    graphs_.back()->Read_Setup(ini, graph_sections, def);
  }
  Layout_Graphs();
}

void TC_Graph_Page::Layout_Graphs() {
  if (graphs_.empty() || Rows < 1 || Columns < 1) return;
  const int width = canvas_.Image.Width();
  const int height = canvas_.Image.Height();
  // 64-bit: a title font size near either end of int moves the rows that far.
  const std::int64_t band = Title.empty() ? 0 : 2 * Margin + std::int64_t{TitleFontSize};
  const int cell_w = width / Columns;
  const std::int64_t cell_h = (height - band) / Rows;
  for (int i = 0; i < Graph_Count(); ++i) {
    const int row = i / Columns;
    const int column = i % Columns;
    const int left = column * cell_w + Margin;
    const std::int64_t top = row * cell_h + band + Margin;
    graphs_[i]->Set_Cell(left, left + cell_w - 2 * Margin, Cell_Row(top),
                         Cell_Row(top + cell_h - 2 * Margin));
  }
}

void TC_Graph_Page::Select_Canvas() {
  Cur_Image = &canvas_;
  Clear_Image();
}

void TC_Graph_Page::Draw_Page(TC_Data_Buffer& buffer, const Pump_Fn& pump) {
  Select_Canvas();
  Set_Text_Color(FontColor);
  if (!Title.empty()) {
    Set_Font_Height(TitleFontSize);
    Set_Font_Bold(true);
    const int x = (canvas_.Image.Width() - Text_Width(Title)) / 2;
    Text_Out(x, Margin, Title);
  }
  Set_Font_Height(FontSize);
  Set_Font_Bold(false);
  for (int i = 1; i <= Graph_Count(); ++i) Draw_One(i, buffer, false);
  if (pump) pump();
}

std::string TC_Graph_Page::Point_Info(int x, int y, TC_Data_Buffer& buffer) {
  std::string text;
  for (auto& graph : graphs_) {
    auto* scatter = dynamic_cast<TC_Scat_Graph*>(graph.get());
    if (scatter == nullptr || !scatter->Contains_Point(x, y)) continue;
    scatter->Point_Info(x, y, text, buffer);
    return text;
  }
  return text;
}

}  // namespace pw
