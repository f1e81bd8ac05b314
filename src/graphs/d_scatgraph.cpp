// The scatter graph: automatic limits, markers and polylines, and the point under the mouse.
//
// The walks over a layer's points (extents, drawing, the point under the mouse) are the
// passes of d_scatpoints.
#include "graphs/d_scatgraph.h"

#include <algorithm>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "draw/d_draw.h"
#include "draw/d_range.h"
#include "graphs/d_densitylayer.h"
#include "graphs/d_scatpoints.h"

namespace pw {

std::unique_ptr<TC_Graph_Layer> TC_Scat_Graph::Create_Layer() {
  return std::make_unique<TC_Scat_Layer>();
}

void TC_Scat_Graph::Draw_All(TC_Data_Buffer& buffer) {
  struct Forget {  // whatever way Draw_All ends
    TC_Scat_Graph& g;
    ~Forget() {
      g.sharing_ = false;
      g.kept_y_.clear();
    }
  } forget{*this};
  sharing_ = true;
  kept_y_.clear();
  TC_Graph::Draw_All(buffer);
}

// Minimum and maximum over all layers of one axis (decades on a logarithmic axis, from the
// positive values only); equal limits are spread around their value (Spread_Limits),
// different ones rounded under `round`. With no value at all the old lower limit is spread.
void TC_Scat_Graph::Find_Axis_Limits(TC_Data_Buffer& buffer, bool x_axis, long double& lo,
                                     long double& hi) {
  const bool logarithmic = x_axis ? LogX : LogY;
  // While both axes are automatic, the X walk finds the Y extents too (the Y limits are
  // found right after, from the same layers and selections).
  const bool both = sharing_ && x_axis && YLo >= YHi;
  const bool use_kept =
      sharing_ && !x_axis && kept_y_.size() == static_cast<std::size_t>(Layer_Count());
  if (both) kept_y_.clear();
  bool first = true;
  for (int i = 1; i <= Layer_Count(); ++i) {
    TC_Scat_Layer& layer = Scat_Layer(i);
    buffer.Set_Selection(layer.Sel);
    Extent e;
    if (use_kept) {
      e = kept_y_[static_cast<std::size_t>(i - 1)];
    } else if (both) {
      Extent y;
      Pair_Extents(buffer, layer.X_Col, layer.Y_Col, LogX, LogY, e, y);
      kept_y_.push_back(y);
    } else {
      e = Column_Extent(buffer, x_axis ? layer.X_Col : layer.Y_Col, logarithmic);
    }
    if (e.n == 0) continue;
    if (first || e.minimum < lo) lo = e.minimum;
    if (first || e.maximum > hi) hi = e.maximum;
    first = false;
  }
  if (use_kept) kept_y_.clear();
  // No value: the limits given (equal, or the wrong way round) are spread from the lower.
  if (first) hi = lo;
  if (lo == hi) {
    Spread_Limits(lo, hi);
  } else if (x_axis ? RoundX : RoundY) {
    Round_Limits(lo, hi);
  }
}

void TC_Scat_Graph::Find_X_Limits(TC_Data_Buffer& buffer) {
  if (XLo >= XHi) Find_Axis_Limits(buffer, true, XLo, XHi);
}

void TC_Scat_Graph::Find_Y_Limits(TC_Data_Buffer& buffer) {
  if (YLo >= YHi) Find_Axis_Limits(buffer, false, YLo, YHi);
}

void TC_Scat_Graph::Draw_Frame(TC_Data_Buffer& buffer) {
  if (Caption.empty()) {
    if (Layer_Count() > 0) {
      X_Title = buffer.Get_Title(Scat_Layer(1).X_Col);
      Y_Title = buffer.Get_Title(Scat_Layer(1).Y_Col);
    }
  } else {
    X_Title = Caption;
    Y_Title.clear();
  }
  TC_Graph::Draw_Frame(buffer);
}

void TC_Scat_Graph::Draw(int layer_number, TC_Data_Buffer& buffer) {
  TC_Scat_Layer& layer = Scat_Layer(layer_number);
  buffer.Set_Selection(layer.Sel);
  if (layer.Density.On) {
    const bool bar = layer.Density.Color_Bar && Last_Density_Layer(*this) == layer_number;
    Draw_Density_Layer(*this, layer, buffer, bar);
    return;
  }
  Plot_Points(buffer, layer.X_Col, layer.Y_Col, layer.Color, layer.Marker_Kind);
}

void TC_Scat_Graph::Plot_Points(TC_Data_Buffer& buffer, int x_col, int y_col, Color color,
                                int marker) {
  // A cell too small for a plot area gets its background only.
  if (Plot_Too_Small() || Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top) return;
  const Layer_Scope layer(Plot_Left, Plot_Top, Plot_Right, Plot_Bottom);
  Set_Color(color);
  const Nearest_Rounding rounding;
  const Point_Mapper map(*this);
  // Pixels already taken are tracked only where a marker can show: a plot area far larger
  // than the page (a huge title band) would otherwise need a bit for every one of its pixels.
  int left = Plot_Left, top = Plot_Top, right = Plot_Right, bottom = Plot_Bottom;
  if (Cur_Image != nullptr) {
    constexpr int spare = 16;  // beyond a marker's reach and a vector page's margin
    left = std::max(left, -spare);
    top = std::max(top, -spare);
    right = std::min(right, Cur_Image->Image.Width() + spare);
    bottom = std::min(bottom, Cur_Image->Image.Height() + spare);
  }
  if (Draw_Mapped_Points(buffer, x_col, y_col, map, marker, left, top, right, bottom)) {
    throw Error("Errors occurred while draving points");
  }
}

std::int32_t TC_Scat_Graph::Find_Point(int x, int y, TC_Data_Buffer& buffer, int x_col, int y_col) {
  if (Plot_Too_Small() || Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top) return 0;
  const Nearest_Rounding rounding;
  const Point_Mapper map(*this);
  return Find_Mapped_Point(buffer, x_col, y_col, map, x, y, PixOff);
}

void TC_Scat_Graph::Point_Info(int x, int y, std::string& text, TC_Data_Buffer& buffer) {
  text.clear();
  for (int i = 1; i <= Layer_Count(); ++i) {
    TC_Scat_Layer& layer = Scat_Layer(i);
    buffer.Set_Selection(layer.Sel);
    const std::int32_t p = Find_Point(x, y, buffer, layer.X_Col, layer.Y_Col);
    if (p == 0) continue;
    for (int selector : layer.Hint_Sel) {
      if (selector != 0) {
        text += "  ";
        text += buffer.Get_Text(p, selector);
      }
    }
    return;
  }
}

}  // namespace pw
