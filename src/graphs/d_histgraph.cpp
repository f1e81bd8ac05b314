// The histogram graph: bins, automatic limits, the statistics line and the bars.
#include "graphs/d_histgraph.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "base/D_Error.h"
#include "data/d_databuffer.h"
#include "draw/D_Math.h"
#include "draw/d_draw.h"
#include "draw/d_range.h"
#include "graphs/d_histflow.h"
#include "graphs/d_histog.h"
#include "setup/D_Format.h"

namespace pw {

namespace {

// Headroom above the tallest bar when the Y axis is automatic.
constexpr long double Y_Headroom = 1.02L;
// Fewest pixels of cell width an automatic bin may get.
constexpr long double Min_Bin_Pixels = 6;

// Fill kinds of the drawing primitives; any other value is drawn as an outline only.
int Bar_Fill(int fill_kind) {
  return fill_kind >= 0 && fill_kind <= 7 ? fill_kind : 0;
}

}  // namespace

// A "Bins" below 1 means automatic bins (and lets "dx" be read); above 256 it is clamped to
// the accumulator's capacity.
void TC_Hist_Graph::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                               const TC_File_Def& def) {
  TC_Graph::Read_Setup(ini, sections, def);
  const std::int32_t bins = ini.Read_Integer(sections, "Bins", Bins);
  Bins = bins < 1 ? 0 : (bins > Max_Bins ? Max_Bins : static_cast<int>(bins));
  if (Bins == 0) dx = ini.Read_Float(sections, "dx", dx);
  LeftIn = ini.Read_Bool(sections, "LeftIn", LeftIn);
  Flow = ini.Read_Bool(sections, "Flow", Flow);
}

std::unique_ptr<TC_Graph_Layer> TC_Hist_Graph::Create_Layer() {
  return std::make_unique<TC_Hist_Layer>();
}

void TC_Hist_Graph::Draw_All(TC_Data_Buffer& buffer) {
  Draw_Sharing(buffer, std::nullopt);
}

void TC_Hist_Graph::Draw_Again(TC_Data_Buffer& buffer) {
  const bool same = drawn_summary_ && drawn_summary_->buffer == &buffer &&
                    drawn_summary_->points == buffer.Point_Count();
  Draw_Sharing(buffer, same ? std::optional(drawn_summary_->summary) : std::nullopt);
}

void TC_Hist_Graph::Draw_Sharing(TC_Data_Buffer& buffer,
                                 const std::optional<TC_Data_Buffer::Summary>& summary) {
  // Whatever way the drawing ends, nothing counted here outlives it but the summary.
  struct Forget {
    TC_Hist_Graph& g;
    const TC_Data_Buffer& buffer;
    ~Forget() {
      if (g.summary_) g.drawn_summary_ = Drawn_Summary{&buffer, buffer.Point_Count(), *g.summary_};
      g.sharing_ = false;
      g.summary_.reset();
      g.kept_bins_.clear();
    }
  } forget{*this, buffer};
  sharing_ = true;
  summary_ = summary;
  kept_bins_.assign(static_cast<std::size_t>(Layer_Count()), std::nullopt);
  TC_Graph::Draw_All(buffer);
}

const TC_Data_Buffer::Summary& TC_Hist_Graph::First_Summary(TC_Data_Buffer& buffer) {
  TC_Hist_Layer& first = Hist_Layer(1);
  buffer.Set_Selection(first.Sel);
  if (!sharing_ || !summary_) summary_ = buffer.Column_Summary(first.X_Col);
  return *summary_;
}

const TC_Histog& TC_Hist_Graph::Layer_Bins(int i, TC_Data_Buffer& buffer) {
  TC_Hist_Layer& layer = Hist_Layer(i);
  buffer.Set_Selection(layer.Sel);
  std::optional<Kept_Bins>* kept =
      sharing_ && i <= static_cast<int>(kept_bins_.size()) ? &kept_bins_[i - 1] : nullptr;
  if (kept != nullptr && kept->has_value()) {
    const Kept_Bins& k = **kept;
    if (k.bins == Bins && k.lo == XLo && k.hi == XHi && k.left_in == LeftIn) return k.histog;
  }
  scratch_.Set_Limits(Bins, LeftIn, XLo, XHi);
  scratch_.Accumulate(buffer, layer.X_Col);
  if (kept == nullptr) return scratch_;
  *kept = Kept_Bins{Bins, XLo, XHi, LeftIn, scratch_};
  return (*kept)->histog;
}

std::string TC_Hist_Graph::First_Flow_Text(TC_Data_Buffer& buffer) {
  try {
    const TC_Histog& bins = Layer_Bins(1, buffer);
    return Flow_Text(bins.Underflow(), bins.Overflow());
  } catch (const Error&) {
    return {};  // limits that make no bins: the drawing of the bars reports them
  }
}

void TC_Hist_Graph::Find_X_Limits(TC_Data_Buffer& buffer) {
  if (XLo >= XHi) {
    if (Layer_Count() > 1) throw Error("More than 1 Hist layer");
    bool found = false;
    if (Layer_Count() == 1) {
      const TC_Data_Buffer::Range r = First_Summary(buffer).range;
      if (r.n > 0) {
        XLo = r.minimum;
        XHi = r.maximum;
        found = true;
      }
    }
    // No value: the limits given (equal, or the wrong way round) are spread from the lower.
    if (!found) XHi = XLo;
    if (XLo == XHi) {
      Spread_Limits(XLo, XHi);
    } else if (RoundX) {
      Round_Limits(XLo, XHi);
    }
  }

  // Bins from a bin width: the range becomes a whole number of bins of that width.
  if (Bins == 0 && dx > 0) {
    // Counted in extended arithmetic: a range many orders above dx (a huge constant column
    // spread around its value) has more bins than a 64-bit integer holds, and a count cut
    // there would shrink the range to a sliver of it. Below 2^63 this is the integer halving.
    long double bins = Round_Even((XHi - XLo) / dx);
    // Beyond the extended range: widen the step until the count is a number again.
    while (!std::isfinite(bins) && std::isfinite(dx)) {
      dx *= 2;
      bins = Round_Even((XHi - XLo) / dx);
    }
    if (!(bins >= 2)) bins = 2;
    while (bins > Max_Bins) {
      bins = std::floor(bins / 2);
      dx *= 2;
    }
    Bins = static_cast<int>(bins);
    XHi = XLo + Bins * dx;
  }

  // Automatic bins: about the square root of the point count, at least 6 pixels each.
  if (Bins == 0) {
    long double s =
        Nice_Number(true, true, std::sqrt(static_cast<long double>(buffer.Point_Count())));
    const long double width = std::abs(Cell_Right - Cell_Left);
    // Below one bin the count is clamped to 2 anyway, so halving further changes nothing.
    while (s >= 1 && width / s < Min_Bin_Pixels) s /= 2;
    const std::int64_t bins = Round_Even_Int(s);
    Bins = bins > Max_Bins ? Max_Bins : (bins < 2 ? 2 : static_cast<int>(bins));
  }
}

void TC_Hist_Graph::Find_Y_Limits(TC_Data_Buffer& buffer) {
  if (!(YLo < 0 || YLo >= YHi)) return;
  YLo = 0;
  for (int i = 1; i <= Layer_Count(); ++i) {
    const std::int32_t m = Layer_Bins(i, buffer).Max_Count();
    if (i == 1 || m > YHi) YHi = m;
  }
  YHi = YHi * Y_Headroom;
  YHi = YHi < 1 ? 1 : Nice_Number(true, false, YHi);
}

void TC_Hist_Graph::Draw_Frame(TC_Data_Buffer& buffer) {
  if (Layer_Count() == 0) {  // never read: only the frame
    TC_Graph::Draw_Frame(buffer);
    return;
  }
  TC_Hist_Layer& first = Hist_Layer(1);
  X_Title = Caption.empty() ? buffer.Get_Title(first.X_Col) : Caption;
  const TC_Data_Buffer::Summary& summary = First_Summary(buffer);
  const TC_Data_Buffer::Stats& stats = summary.stats;
  if (stats.n > 0) {
    if (Params) {
      const TC_Data_Buffer::Range& range = summary.range;
      const int decimals = buffer.Get_Decimals(first.X_Col);
      auto f = [decimals](long double v) {
        return Format_Number(8, decimals, false, v, true, true);
      };
      Stat_Line = "N=" + std::to_string(stats.n) + "  m=" + f(stats.mean) +
                  "  s=" + f(stats.deviation) + "  mn=" + f(range.minimum) +
                  "  mx=" + f(range.maximum);
      if (Flow) Stat_Line += First_Flow_Text(buffer);
    } else {
      Stat_Line.clear();
    }
  }
  TC_Graph::Draw_Frame(buffer);
}

bool TC_Hist_Graph::Settle_Bins(TC_Data_Buffer& buffer) {
  if (Bins != 0 || !(dx > 0)) return false;
  Find_X_Limits(buffer);
  return true;
}

// Bars share their vertical edges; a bar taller than the plot area ends one pixel above the
// frame. Nothing is drawn when the cell left no plot area.
void TC_Hist_Graph::Draw(int layer_number, TC_Data_Buffer& buffer) {
  TC_Hist_Layer& layer = Hist_Layer(layer_number);
  const TC_Histog& histog = Layer_Bins(layer_number, buffer);
  if (Plot_Too_Small() || Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top || !(X_Scale > 0) ||
      !(Y_Scale > 0)) {
    return;
  }

  const Layer_Scope bars(Plot_Left, Plot_Top, Plot_Right, Plot_Bottom);
  Set_Pen_Style(0);
  Set_Color(layer.Color);
  const int fill = Bar_Fill(layer.Fill_Kind);
  int left = Plot_Left;
  for (int j = 1; j <= histog.Bin_Count(); ++j) {
    const int right =
        Plot_Left + static_cast<int>(Round_Even_Int(j * histog.Bin_Width() / X_Scale));
    // The count mapped like every other Y value, so a given "ylo" above 0 moves the bars with
    // the axis; a count below it gives a flat bar on the bottom line.
    long double top = Pixel_Y(histog.Bin_Value(j));
    if (top > Plot_Bottom) top = Plot_Bottom;
    if (top < Plot_Top) top = Plot_Top - 1;
    Fill_Box(left, Plot_Bottom, right, static_cast<int>(top), fill);
    left = right;
  }
}

}  // namespace pw
