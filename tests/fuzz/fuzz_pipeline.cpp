// An arbitrary setup and data file through the whole pipeline: page set, reading, loading and
// drawing every page on small canvases; every second canvas also records vectors (with a small
// limit, so that layers become pictures too), and their stroke geometry is worked out. Then
// every drawn graph is zoomed and panned as the window does, and drawn again alone.
#include <cmath>
#include <cstdlib>
#include <memory>
#include <variant>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_draw.h"
#include "draw/d_vector.h"
#include "fuzz_util.h"
#include "graphs/d_zoom.h"
#include "pages/d_graphpageset.h"
#include "setup/d_inifile.h"

namespace {

pw::Canvas_Array& Canvases() {
  static pw::Canvas_Array canvases = [] {
    pw::Canvas_Array c;
    for (auto& canvas : c) canvas.Image.Set_Size(160, 120);
    return c;
  }();
  return canvases;
}

// Vector back-ends of the odd canvases, fresh for every input.
std::vector<std::unique_ptr<pw::TC_Vector_Backend>> Attach_Vectors(pw::Canvas_Array& canvases) {
  std::vector<std::unique_ptr<pw::TC_Vector_Backend>> vectors;
  for (std::size_t k = 0; k < canvases.size(); k += 2) {
    vectors.push_back(std::make_unique<pw::TC_Vector_Backend>(canvases[k].Image, 20));
    canvases[k].Backend = vectors.back().get();
  }
  return vectors;
}

void Walk_Geometry(const pw::TC_Vector_Backend& vector) {
  for (const pw::Vector_Item& item : vector.Page().Items) {
    if (const auto* stroke = std::get_if<pw::Stroke_Item>(&item))
      pw::Stroke_Pieces(*stroke, vector.Page().Width, vector.Page().Height);
    if (const auto* text = std::get_if<pw::Text_Item>(&item)) pw::Frame_Of(*text);
  }
}

bool Valid(long double lo, long double hi) {
  return std::isfinite(lo) && std::isfinite(hi) && lo < hi;
}

// Limits that were usable stay usable through any zoom or pan.
void Check(const pw::Graph_Limits& before, const pw::Graph_Limits& after) {
  if (Valid(before.XLo, before.XHi) && !Valid(after.XLo, after.XHi)) std::abort();
  if (Valid(before.YLo, before.YHi) && !Valid(after.YLo, after.YHi)) std::abort();
}

void Zoom_Graphs(pw::TC_Graph_Page_Set& pages, std::size_t seed) {
  for (int p = 1; p <= pages.Page_Count(); ++p) {
    pw::TC_Graph_Page& page = pages.Page(p);
    for (int g = 1; g <= page.Graph_Count(); ++g) {
      if (!page.Drawn(g)) continue;
      const pw::TC_Graph& graph = page.Graph(g);
      const pw::Plot_Area area = pw::Plot_Area_Of(graph);
      const pw::Zoom_Rules rules = pw::Zoom_Rules_Of(graph);
      const pw::Graph_Limits home = page.View_Limits(g);
      const int x = area.Left + static_cast<int>(seed % 61),
                y = area.Top + static_cast<int>(seed % 37);
      pw::Graph_Limits l = pw::Zoom_At(home, area, rules, x, y, seed % 3 != 0 ? 1e-3L : 1e3L);
      Check(home, l);
      const pw::Graph_Limits zoomed = l;
      l = pw::Pan_By(l, area, rules, static_cast<int>(seed % 13) - 6, 5);
      Check(zoomed, l);
      page.Set_Zoom(g, pw::Zoom_To_Box(l, area, rules, x, y, x + 9, y + 7));
      try {
        page.Draw_Graph(g, pages.Buffer());
      } catch (const pw::Error&) {
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pw_fuzz::Reset_Settings();
  pw::Set_Fill_Patterns(pw::Default_Fill_Patterns());
  std::string_view setup, data_text;
  pw_fuzz::Split_Input(data, size, setup, data_text);
  const std::string setup_path = pw_fuzz::Write_Temp_File("setup.ini", setup);
  const std::string data_path = pw_fuzz::Write_Temp_File("data.dat", data_text);
  pw::TC_Ini_File ini(setup_path);
  const auto vectors = Attach_Vectors(Canvases());
  auto pages = std::make_unique<pw::TC_Graph_Page_Set>(Canvases());
  try {
    pages->Read_Setup(ini, "Pages");
    pages->Load_Data(data_path);
    pages->Draw_Pages();
  } catch (const pw::Error&) {
  }
  Zoom_Graphs(*pages, size);
  for (const auto& vector : vectors) Walk_Geometry(*vector);
  for (auto& canvas : Canvases()) canvas.Backend = nullptr;
  return 0;
}
