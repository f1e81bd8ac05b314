// One page: an optional title and a grid of Rows x Columns graph cells on one canvas.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "draw/d_draw.h"
#include "graphs/d_graph.h"
#include "setup/d_inifile.h"

namespace pw {

class TC_Data_Buffer;
class TC_File_Def;

inline constexpr int Max_Graphs = 64;

// Lets pending user-interface events run (the window repaints and takes commands meanwhile).
using Pump_Fn = std::function<void()>;

class TC_Graph_Page {
 public:
  // The page is drawn on `canvas`, which the caller owns and keeps alive.
  explicit TC_Graph_Page(TC_Canvas& canvas);
  ~TC_Graph_Page();

  // Reads the page keys through `sections` (last entry: the page's own section), creates the
  // graphs by "Kind" and lets each read its setup, then lays them out. Errors pass through;
  // graphs created so far stay.
  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections, const TC_File_Def& def);
  // Gives the graphs equal cells in reading order, Columns to a row, below the title band
  // (when there is a title), each inset by Margin. Nothing happens without graphs or with no
  // row or column.
  void Layout_Graphs();
  // Makes the canvas current and clears it in Bg_Color.
  void Select_Canvas();
  // Draws title and graphs; `pump` (may be empty) runs after the graphs.
  void Draw_Page(TC_Data_Buffer& buffer, const Pump_Fn& pump = {});
  // Text of the first scatter graph whose plot area holds (x, y); empty if none.
  std::string Point_Info(int x, int y, TC_Data_Buffer& buffer);

  int Graph_Count() const { return static_cast<int>(graphs_.size()); }
  TC_Graph& Graph(int i) { return *graphs_[i - 1]; }  // 1-based
  const TC_Graph& Graph(int i) const { return *graphs_[i - 1]; }
  TC_Canvas& Canvas() { return canvas_; }

  static constexpr int Margin = 4;

  std::string Section_Name;
  std::string Title;
  std::string Name;
  std::string Font = "Verdana";
  int Rows = 1;
  int Columns = 1;
  int FontSize = 10;
  int TitleFontSize = 18;
  Color FontColor = 0xC0C0C0;

 private:
  TC_Canvas& canvas_;
  std::vector<std::unique_ptr<TC_Graph>> graphs_;
};

}  // namespace pw
