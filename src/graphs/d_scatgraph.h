// The scatter graph: layers of points as markers or polylines, and the point under the mouse.
#pragma once

#include <cstdint>
#include <vector>

#include "graphs/d_graph.h"
#include "graphs/d_scatpoints.h"

namespace pw {

class TC_Scat_Graph : public TC_Graph {
 public:
  using TC_Graph::TC_Graph;

  // Titles from the first layer's columns (or Caption alone on X), then the base frame.
  void Draw_Frame(TC_Data_Buffer& buffer) override;
  // Selects the layer, then Plot_Points with its columns, colour and marker; a layer with
  // "Density" on is drawn as counts per pixel instead (d_densitylayer.h), the last such
  // layer with its colour bar.
  void Draw(int layer, TC_Data_Buffer& buffer) override;
  // Automatic limits only while lo >= hi. With no value at all the lower limit is spread to
  // the unit that holds it (Spread_Limits), whatever the upper one was.
  void Find_X_Limits(TC_Data_Buffer& buffer) override;
  void Find_Y_Limits(TC_Data_Buffer& buffer) override;
  std::unique_ptr<TC_Graph_Layer> Create_Layer() override;
  // The base Draw_All; when both axes are automatic each layer's X and Y extents are found in
  // one pass over its points.
  void Draw_All(TC_Data_Buffer& buffer) override;
  // Hint texts ("  " before each) of the first point hit in the first layer with a hit;
  // empty when no point is hit or the layer names no hint.
  void Point_Info(int x, int y, std::string& text, TC_Data_Buffer& buffer) override;
  const char* Kind_Name() const override { return "scatter"; }

  TC_Scat_Layer& Scat_Layer(int i) { return static_cast<TC_Scat_Layer&>(Layer(i)); }

  // Draws the points of the buffer's current selection; failed points raise one
  // "Errors occurred while draving points" after all points.
  void Plot_Points(TC_Data_Buffer& buffer, int x_col, int y_col, Color color, int marker);
  // The first point (data order) within PixOff of (x, y) under the current selection; 0 if none.
  std::int32_t Find_Point(int x, int y, TC_Data_Buffer& buffer, int x_col, int y_col);

 private:
  // Automatic limits of one axis from every layer (decades of the positive values on a
  // logarithmic axis); equal limits spread around their value, others rounded under RoundX/RoundY.
  void Find_Axis_Limits(TC_Data_Buffer& buffer, bool x_axis, long double& lo, long double& hi);

 public:
  // The values of one layer on one axis: how many count, and their smallest and largest
  // (decades on a logarithmic axis).
  using Extent = Value_Extent;

 private:
  // Y extents of every layer found together with the X ones during one Draw_All.
  bool sharing_ = false;
  std::vector<Extent> kept_y_;
};

}  // namespace pw
