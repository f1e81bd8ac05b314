// The graph base: settings, layers, plot area, ticks, labels and titles of one graph cell.
//
// Pixel coordinates are those of the page canvas. On a logarithmic axis limits and tick values
// are base-10 logarithms (decades). The value-to-pixel mapping is Pixel_X / Pixel_Y, used by every
// graph kind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "draw/d_draw.h"
#include "draw/d_graphrange.h"
#include "graphs/d_graphlayer.h"
#include "setup/d_inifile.h"

namespace pw {

class TC_Data_Buffer;
class TC_File_Def;

inline constexpr int Max_Layers = 32;

// One tick of the latest drawing (kept for reports): its value, label and whether the spacing
// rule let the label be drawn.
struct Tick_Info {
  long double Value = 0;
  std::string Label;
  bool Shown = false;
  int Label_Left = 0;  // where the label was (or would have been) drawn
  int Label_Top = 0;
};

class TC_Graph : public TC_Graph_Range {
 public:
  TC_Graph(int left, int right, int top, int bottom);
  ~TC_Graph() override;

  // Reads the graph keys through `sections` (the last entry is the graph's own section), then
  // creates and reads the layers. A layer's error stops the reading; layers made so far stay.
  virtual void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                          const TC_File_Def& def);
  // Find_X_Limits, Find_Y_Limits, Draw_Frame, then Draw of every layer in order. When the cell
  // is too small for a plot area the layers are not drawn (there are no scales to map with).
  virtual void Draw_All(TC_Data_Buffer& buffer);
  // Draw_All again over the same data as the latest Draw_All (the buffer, its points and the
  // layers' selections unchanged), with the limits the graph holds now (a zoom): what
  // depends only on the data may be kept from that drawing. The base draws it all.
  virtual void Draw_Again(TC_Data_Buffer& buffer) { Draw_All(buffer); }
  // Cell background, frame, tick marks, grid, tick labels and titles; sets the plot area and the
  // scales. A cell too small for a plot area of positive width and height only gets its
  // background (see Plot_Too_Small).
  virtual void Draw_Frame(TC_Data_Buffer& buffer);
  virtual void Draw(int layer, TC_Data_Buffer& buffer);  // base: "Base Draw() called"
  virtual void Find_X_Limits(TC_Data_Buffer& buffer);
  virtual void Find_Y_Limits(TC_Data_Buffer& buffer);
  virtual std::unique_ptr<TC_Graph_Layer> Create_Layer();  // base: "Base Create_Layer() called!"
  // Text for a mouse press at canvas pixel (x, y); the base gives an empty text.
  virtual void Point_Info(int x, int y, std::string& text, TC_Data_Buffer& buffer);

  // "histogram" or "scatter" (reports).
  virtual const char* Kind_Name() const = 0;

  void Set_Cell(int left, int right, int top, int bottom);
  // Plot_Left <= x <= Plot_Right and Plot_Top <= y <= Plot_Bottom (frame included).
  // Always false after a drawing that found the cell too small for a plot area.
  bool Contains_Point(int x, int y) const;
  // True when the latest Draw_Frame found no room for a plot area (nothing but the cell
  // background was drawn, the scales are 0).
  bool Plot_Too_Small() const { return too_small_; }

  int Layer_Count() const { return static_cast<int>(layers_.size()); }
  TC_Graph_Layer& Layer(int i) { return *layers_[i - 1]; }  // 1-based
  const TC_Graph_Layer& Layer(int i) const { return *layers_[i - 1]; }
  // The graph's own section (last entry of the list it was read with).
  const std::string& Section() const { return section_; }

  // Tick values between lo and hi (at most 16): linear with `factor`, or logarithmic in decades.
  static std::vector<long double> Make_Ticks(bool logarithmic, long double lo, long double hi,
                                             long double factor);
  // Label of a tick value (10^v on a logarithmic axis), at most 20 characters.
  static std::string Format_Tick(bool logarithmic, long double v);

  // Value to pixel column / row with the scales of the latest Draw_Frame (round half to even):
  // Plot_Left + Round((v - XLo) / X_Scale), Plot_Bottom + Round((YLo - v) / Y_Scale). Returned
  // unclamped so callers can detect non-finite or huge results before drawing.
  long double Pixel_X(long double v) const;
  long double Pixel_Y(long double v) const;

  bool Params = true;
  bool RoundX = true;
  bool RoundY = true;
  bool Grid = true;
  Color BgColor = 0;
  Color FrameColor = 0x666666;
  Color GridColor = 0x282828;
  std::string X_Title;
  std::string Y_Title;
  std::string Caption;
  std::string Stat_Line;
  int Plot_Left = 0, Plot_Right = 0, Plot_Top = 0, Plot_Bottom = 0;
  int Cell_Left = 0, Cell_Right = 0, Cell_Top = 0, Cell_Bottom = 0;
  long double X_Scale = 0;
  long double Y_Scale = 0;

  // Of the latest Draw_Frame, for reports.
  std::vector<Tick_Info> X_Ticks;
  std::vector<Tick_Info> Y_Ticks;

 protected:
  std::vector<std::unique_ptr<TC_Graph_Layer>> layers_;
  std::string section_;

 private:
  void Draw_Y_Ticks(const std::vector<long double>& values, const std::vector<std::string>& labels,
                    int th, int tw);
  void Draw_X_Ticks(const std::vector<long double>& values, int tw);
  void Draw_Titles(int th);

  bool too_small_ = false;
};

}  // namespace pw
