// One page: an optional title and a grid of Rows x Columns graph cells on one canvas.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/d_draw.h"
#include "graphs/d_graph.h"
#include "graphs/d_zoom.h"
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

  // Zoom (d_graphpage_zoom.cpp). A graph i (1-based) may be zoomed: it then shows other
  // limits than its own, drawn as if the setup gave them. The page keeps them, so every later
  // drawing of the page (Draw_Page, after data were appended) shows them too, until
  // Reset_Zoom; a new page (the next load) starts unzoomed.

  bool Zoomed(int i) const;
  bool Any_Zoomed() const;
  // The limits graph i is to show: its zoom (drawn or not yet), else those of its latest
  // drawing.
  Graph_Limits View_Limits(int i) const;
  // From its next drawing on graph i shows `limits`.
  void Set_Zoom(int i, const Graph_Limits& limits);
  // Graph i takes back the limits of its latest drawing without a zoom (given by the setup or
  // found from the data), shown from its next drawing on. A graph never drawn unzoomed keeps
  // the limits it holds.
  void Reset_Zoom(int i);
  // Makes graph i find its limits anew at its next unzoomed drawing, from the limits the
  // setup gave: for a caller that has the automatic limits worked out again (new data). A
  // zoomed graph stays zoomed.
  void Forget_Home(int i);
  // True when graph i has a plot area from a drawing of this page (to zoom it, find its point).
  bool Drawn(int i) const;
  // The first drawn graph (any kind) whose plot area holds (x, y); 0 if none.
  int Graph_At(int x, int y) const;

  // The part of the canvas that belongs to graph i alone: its cell and the margin around it
  // up to the neighbouring cells (right and bottom edges included), within the canvas.
  struct Slot {
    int Left = 0, Top = 0, Right = -1, Bottom = -1;
    bool Empty() const { return Right < Left || Bottom < Top; }
  };
  Slot Graph_Slot(int i) const;
  // Draws graph i again alone, with the limits it is to show, over the same data as the
  // latest Draw_Page (what depends only on the data, such as the statistics line, may be kept:
  // TC_Graph::Draw_Again). Its slot is cleared in Bg_Color and the graph drawn into it; the
  // rest of the canvas stays as it is, and text reaching out of the slot is cut. It draws on
  // the canvas's own bitmap (the window's case), never on an attached back-end. An error
  // passes on after what was drawn so far was put on the canvas.
  void Draw_Graph(int i, TC_Data_Buffer& buffer);

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
  // What the page knows of one graph's limits, beside the graph itself.
  struct Graph_View {
    bool drawn = false;
    std::optional<Graph_Limits> setup;  // as the setup gave them, kept before the first drawing
    std::optional<Graph_Limits> home;   // of the latest drawing without a zoom
    std::optional<Graph_Limits> zoom;
  };
  Graph_View& View(int i);
  const Graph_View* Find_View(int i) const;
  // Draws graph i with the limits it is to show (Draw_All, or Draw_Again) and notes them.
  void Draw_One(int i, TC_Data_Buffer& buffer, bool again);

  TC_Canvas& canvas_;
  std::vector<std::unique_ptr<TC_Graph>> graphs_;
  std::vector<Graph_View> views_;  // grown to the graph count as graphs are drawn or zoomed
};

}  // namespace pw
