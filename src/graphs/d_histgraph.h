// The histogram graph: the distribution of one column as bars, with a statistics line.
#pragma once

#include <optional>
#include <vector>

#include "data/d_databuffer.h"
#include "graphs/d_graph.h"
#include "graphs/d_histog.h"

namespace pw {

class TC_Hist_Graph : public TC_Graph {
 public:
  using TC_Graph::TC_Graph;

  // The base keys and layers, then "Bins" (below 1: automatic; above 256: 256), "dx" (only
  // while Bins is 0), "LeftIn" and "Flow".
  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                  const TC_File_Def& def) override;
  // X_Title (Caption or the first layer's X column title) and Stat_Line (left as it was when
  // the first layer has no value; empty when Params is false; with Flow the first layer's
  // Flow_Text after the statistics), then the base frame.
  void Draw_Frame(TC_Data_Buffer& buffer) override;
  // The bars of one layer; nothing is drawn when the cell left no plot area.
  void Draw(int layer, TC_Data_Buffer& buffer) override;
  // Automatic X limits while XLo >= XHi ("More than 1 Hist layer" with several layers): the
  // column's range (Column_Range), spread when its ends are equal (Spread_Limits), rounded
  // under RoundX; with no value the lower limit is spread, whatever the upper one was. Then
  // the bin count from "dx" or from the point count and the cell width (2..256).
  void Find_X_Limits(TC_Data_Buffer& buffer) override;
  // While YLo < 0 or YLo >= YHi: 0 to the tallest bar of any layer plus 2 %, made nice; at
  // least 1.
  void Find_Y_Limits(TC_Data_Buffer& buffer) override;
  std::unique_ptr<TC_Graph_Layer> Create_Layer() override;
  // The base Draw_All, with the passes over the data shared between its steps: the first
  // layer's column summary serves the X limits and the statistics line, and each layer's bins
  // serve the Y limits and the bars while the limits and bin count stay the same.
  void Draw_All(TC_Data_Buffer& buffer) override;
  // Draw_All with the first layer's column summary of the latest Draw_All (the statistics
  // line does not depend on the limits), when it was drawn from this buffer at this point
  // count; otherwise a full Draw_All.
  void Draw_Again(TC_Data_Buffer& buffer) override;
  const char* Kind_Name() const override { return "histogram"; }
  // Before a first drawing with other limits than its own (a zoom taken over from the graph
  // of the page set before): the X limits and the bin count "dx" gives over them, found as
  // its first drawing without the zoom finds them, so that the zoom shows those bins and
  // keeps its range, and a reset shows those limits. True when it found them; nothing (false)
  // once the bin count is known, nor without "dx".
  bool Settle_Bins(TC_Data_Buffer& buffer);

  TC_Hist_Layer& Hist_Layer(int i) { return static_cast<TC_Hist_Layer&>(Layer(i)); }

  int Bins = 0;
  long double dx = 0;
  bool LeftIn = false;
  // The statistics line also shows the first layer's under- and overflow (d_histflow.h).
  bool Flow = false;

 private:
  // Selects layer i, then gives its bins for the current limits (counted now, or kept from
  // earlier in the same Draw_All).
  const TC_Histog& Layer_Bins(int i, TC_Data_Buffer& buffer);
  // Flow_Text of the first layer's bins; empty when the limits make no bins.
  std::string First_Flow_Text(TC_Data_Buffer& buffer);
  // Selects the first layer, then gives the summary of its X column (likewise).
  const TC_Data_Buffer::Summary& First_Summary(TC_Data_Buffer& buffer);

  // What one Draw_All has counted so far; empty outside Draw_All. Layers, their selections
  // and the buffer do not change while a graph draws, so bins only depend on the limits.
  struct Kept_Bins {
    int bins;
    long double lo, hi;
    bool left_in;
    TC_Histog histog;
  };
  // Draw_All with the summary given (or found when none is).
  void Draw_Sharing(TC_Data_Buffer& buffer, const std::optional<TC_Data_Buffer::Summary>& summary);

  bool sharing_ = false;
  std::optional<TC_Data_Buffer::Summary> summary_;
  // The summary of the latest drawing, with the buffer and point count it came from.
  struct Drawn_Summary {
    const TC_Data_Buffer* buffer;
    std::int32_t points;
    TC_Data_Buffer::Summary summary;
  };
  std::optional<Drawn_Summary> drawn_summary_;
  std::vector<std::optional<Kept_Bins>> kept_bins_;
  TC_Histog scratch_{1, 0, 1, false};
};

}  // namespace pw
