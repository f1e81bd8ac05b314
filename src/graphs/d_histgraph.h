// The histogram graph: the distribution of one column as bars, with a statistics line.
#pragma once

#include "graphs/d_graph.h"

namespace pw {

class TC_Hist_Graph : public TC_Graph {
 public:
  using TC_Graph::TC_Graph;

  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                  const TC_File_Def& def) override;
  void Draw_Frame(TC_Data_Buffer& buffer) override;
  void Draw(int layer, TC_Data_Buffer& buffer) override;
  void Find_X_Limits(TC_Data_Buffer& buffer) override;
  void Find_Y_Limits(TC_Data_Buffer& buffer) override;
  std::unique_ptr<TC_Graph_Layer> Create_Layer() override;
  const char* Kind_Name() const override { return "histogram"; }

  TC_Hist_Layer& Hist_Layer(int i) { return static_cast<TC_Hist_Layer&>(Layer(i)); }

  int Bins = 0;
  long double dx = 0;
  bool LeftIn = false;
};

}  // namespace pw
