// The histogram graph: the distribution of one column as bars, with a statistics line.
#pragma once

#include "graphs/d_graph.h"

namespace pw {

class TC_Hist_Graph : public TC_Graph {
 public:
  using TC_Graph::TC_Graph;

  // The base keys and layers, then "Bins" (below 1: automatic; above 256: 256), "dx" (only
  // while Bins is 0) and "LeftIn".
  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                  const TC_File_Def& def) override;
  // X_Title (Caption or the first layer's X column title) and Stat_Line (left as it was when
  // the first layer has no value; empty when Params is false), then the base frame.
  void Draw_Frame(TC_Data_Buffer& buffer) override;
  // The bars of one layer; nothing is drawn when the cell left no plot area.
  void Draw(int layer, TC_Data_Buffer& buffer) override;
  // Automatic X limits while XLo >= XHi ("More than 1 Hist layer" with several layers), then
  // the bin count from "dx" or from the point count and the cell width (2..256).
  void Find_X_Limits(TC_Data_Buffer& buffer) override;
  // While YLo < 0 or YLo >= YHi: 0 to the tallest bar of any layer plus 2 %, made nice; at
  // least 1.
  void Find_Y_Limits(TC_Data_Buffer& buffer) override;
  std::unique_ptr<TC_Graph_Layer> Create_Layer() override;
  const char* Kind_Name() const override { return "histogram"; }

  TC_Hist_Layer& Hist_Layer(int i) { return static_cast<TC_Hist_Layer&>(Layer(i)); }

  int Bins = 0;
  long double dx = 0;
  bool LeftIn = false;
};

}  // namespace pw
