#include "graphs/d_graph.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/D_Math.h"
#include "setup/D_Format.h"

namespace pw {

namespace {

// Pixel coordinates far outside any canvas are clamped here so that the tick-mark arithmetic
// (x - 2, x + 3) can never overflow; the canvas clips them anyway.
constexpr long double Pixel_Clamp = 1 << 24;

int To_Pixel(long double p) {
  if (std::isnan(p)) return -static_cast<int>(Pixel_Clamp);
  return static_cast<int>(std::clamp(p, -Pixel_Clamp, Pixel_Clamp));
}

void Line(int x1, int y1, int x2, int y2) {
  Move_To(x1, y1);
  Line_To(x2, y2);
}

}  // namespace

TC_Graph::TC_Graph(int left, int right, int top, int bottom) {
  Set_Cell(left, right, top, bottom);
}

TC_Graph::~TC_Graph() = default;

void TC_Graph::Set_Cell(int left, int right, int top, int bottom) {
  Cell_Left = left;
  Cell_Right = right;
  Cell_Top = top;
  Cell_Bottom = bottom;
}

bool TC_Graph::Contains_Point(int x, int y) const {
  // A cell too small for a plot area has nothing a point could be found in.
  if (too_small_) return false;
  return Plot_Left <= x && x <= Plot_Right && Plot_Top <= y && y <= Plot_Bottom;
}

long double TC_Graph::Pixel_X(long double v) const {
  return Plot_Left + Round_Even(Scaled_Offset(XLo, v, X_Scale));
}

long double TC_Graph::Pixel_Y(long double v) const {
  return Plot_Bottom + Round_Even(Scaled_Offset(v, YLo, Y_Scale));
}

void TC_Graph::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                          const TC_File_Def& def) {
  if (!Ignore_Limits) {
    XLo = ini.Read_Float(sections, "xlo", XLo);
    XHi = ini.Read_Float(sections, "xhi", XHi);
    YLo = ini.Read_Float(sections, "ylo", YLo);
    YHi = ini.Read_Float(sections, "yhi", YHi);
  }
  LogX = ini.Read_Bool(sections, "logx", LogX);
  LogY = ini.Read_Bool(sections, "logy", LogY);
  Caption = ini.Read_String(sections, "Caption", "");
  Params = ini.Read_Bool(sections, "Params", Params);
  RoundX = ini.Read_Bool(sections, "RoundX", RoundX);
  RoundY = ini.Read_Bool(sections, "RoundY", RoundY);
  BgColor = Parse_Color(ini.Read_String(sections, "BgColor", ""), BgColor);
  GridColor = Parse_Color(ini.Read_String(sections, "GridColor", ""), GridColor);
  FrameColor = Parse_Color(ini.Read_String(sections, "FrameColor", ""), FrameColor);
  Grid = ini.Read_Bool(sections, "Grid", Grid);

  std::array<std::string, Max_Layers> names;
  int count = ini.Read_List(sections, "Layers", names, Max_Layers);
  if (count == 0) {
    count = 1;
    names[0].clear();
  }
  section_ = sections.empty() ? std::string() : sections.back();

  Section_List layer_sections = sections;
  layer_sections.emplace_back();
  layers_.clear();
  for (int i = 0; i < count; ++i) {
    layer_sections.back() = section_ + "/" + names[i];
    // Kept before reading, so a layer that fails is still owned (and released) by the graph.
    layers_.push_back(Create_Layer());
    layers_.back()->Read_Setup(ini, layer_sections, def);
  }
}

void TC_Graph::Draw_All(TC_Data_Buffer& buffer) {
  Find_X_Limits(buffer);
  Find_Y_Limits(buffer);
  Draw_Frame(buffer);
  // Without a plot area the layers have no scales to map their data with.
  if (too_small_) return;
  for (int i = 1; i <= Layer_Count(); ++i) Draw(i, buffer);
}

void TC_Graph::Draw(int /*layer*/, TC_Data_Buffer& /*buffer*/) {
  throw Error("Base Draw() called");
}

void TC_Graph::Find_X_Limits(TC_Data_Buffer& /*buffer*/) {}

void TC_Graph::Find_Y_Limits(TC_Data_Buffer& /*buffer*/) {}

std::unique_ptr<TC_Graph_Layer> TC_Graph::Create_Layer() {
  throw Error("Base Create_Layer() called!");
}

void TC_Graph::Point_Info(int /*x*/, int /*y*/, std::string& text, TC_Data_Buffer& /*buffer*/) {
  text.clear();
}

namespace {

// The label of decade v (a logarithmic tick) whose power of ten is no normal extended number:
// past the largest it is an infinity ("?"), below the smallest it keeps only a few digits or
// none ("0"). Written like the exponent form of Format_Short: the mantissa 10^frac(v) with at
// most 12 digits, "E", the decade.
std::string Decade_Label(long double v) {
  long double decade = std::floor(v);
  std::string mantissa = General_Form(std::pow(10.0L, v - decade), 12);
  if (mantissa == "10") {  // a fraction a hair below 1
    mantissa = "1";
    decade += 1;
  }
  return mantissa + "E" + std::to_string(static_cast<long long>(decade));
}

}  // namespace

std::string TC_Graph::Format_Tick(bool logarithmic, long double v) {
  const long double shown = logarithmic ? std::pow(10.0L, v) : v;
  // A decade whose power of ten is no normal extended number: labelled from the decade itself.
  const bool beyond = logarithmic && !std::isnormal(shown) && std::isfinite(v) &&
                      std::fabs(v) < 1e15L;
  std::string text = beyond ? Decade_Label(v) : Format_Short(12, shown);
  if (text.size() > 20) text.resize(20);
  return text;
}

// ---------------------------------------------------------------------------------------------
// Ticks

namespace {

// Collects accepted tick candidates: within lo..hi up to a millionth of the range, near-zero
// values snapped to exactly 0, at most Max_Ticks of them.
class Tick_Collector {
 public:
  static constexpr std::size_t Max_Ticks = 16;

  Tick_Collector(long double lo, long double hi)
      : lo_(lo),
        hi_(hi),
        tolerance_((hi - lo) * 1.000001L),
        snap_(0.001L * std::max(std::fabs(lo), std::fabs(hi))) {
    // Limits farther apart than the largest extended number are compared in quarters, where
    // the distances cannot overflow.
    if (std::isinf(hi - lo) && std::isfinite(lo) && std::isfinite(hi)) {
      part_ = 0.25L;
      tolerance_ = (hi * part_ - lo * part_) * 1.000001L;
    }
  }

  void Offer(long double t) {
    const long double a = t * part_ - lo_ * part_, b = t * part_ - hi_ * part_;
    if (!(std::fabs(a) < tolerance_ && std::fabs(b) < tolerance_)) return;
    if (ticks_.size() >= Max_Ticks) return;
    ticks_.push_back(std::fabs(t) < snap_ ? 0.0L : t);
  }

  std::vector<long double> Take() { return std::move(ticks_); }

 private:
  long double lo_, hi_, tolerance_, snap_;
  long double part_ = 1;  // of the limits and candidates that are compared
  std::vector<long double> ticks_;
};

struct Sub_Tick {
  long double mantissa;
  long double largest_range;  // decades
};

// Marks inside a decade and the largest span (in decades) that still shows them.
constexpr std::array<Sub_Tick, 11> Sub_Ticks = {{{1.2L, 0.6L},
                                                 {1.5L, 0.7L},
                                                 {2.0L, 2.9L},
                                                 {2.5L, 0.6L},
                                                 {3.0L, 1.1L},
                                                 {4.0L, 1.1L},
                                                 {5.0L, 2.9L},
                                                 {6.0L, 1.1L},
                                                 {7.0L, 1.1L},
                                                 {8.0L, 1.1L},
                                                 {9.0L, 1.1L}}};

std::vector<long double> Linear_Ticks(long double lo, long double hi, long double factor) {
  Tick_Collector ticks(lo, hi);
  long double m = 0, p = 1;
  const long double span = (hi - lo) * factor;
  if (std::isfinite(span)) {
    Split_Decimal(span, m, p);
  } else {
    // Wider than the largest extended number: a quarter of the span split, times four.
    Split_Decimal((hi / 4 - lo / 4) * factor, m, p);
    m *= 4;
    if (m >= 10) {
      m /= 10;
      p *= 10;
    }
  }
  const long double step = m < 2 ? 0.2L * p : (m < 5 ? 0.5L * p : p);
  // Repeated addition, as the labels expect; a sum that should be 0 is snapped to it.
  const long double first = Round_Even(lo / step);
  long double t = first * step;
  // At the lowest extended numbers the step below the lower limit overflows; the next one is
  // the first that can be a tick.
  if (Is_Missing(t)) t = (first + 1) * step;
  for (int k = 0; k < 12; ++k, t += step) ticks.Offer(t);
  return ticks.Take();
}

std::vector<long double> Log_Ticks(long double lo, long double hi) {
  Tick_Collector ticks(lo, hi);
  std::int32_t a32 = 0, b32 = 0;
  long double frac = 0;
  Split_Int_Frac(lo, a32, frac);
  Split_Int_Frac(hi, b32, frac);
  std::int64_t a = a32, b = b32;
  if (a > b) std::swap(a, b);
  std::int64_t step = (b - a) / 10 + 1;
  if (step > 4 && step % 2 == 1) ++step;
  const long double range = hi - lo;
  std::int64_t k = a;
  for (; k <= b; k += step) {
    ticks.Offer(static_cast<long double>(k));
    for (const Sub_Tick& row : Sub_Ticks) {
      if (range <= row.largest_range) ticks.Offer(k + std::log10(row.mantissa));
    }
  }
  ticks.Offer(static_cast<long double>(k));
  return ticks.Take();
}

}  // namespace

std::vector<long double> TC_Graph::Make_Ticks(bool logarithmic, long double lo, long double hi,
                                              long double factor) {
  // Limits that are not numbers give no ticks (the arithmetic below needs finite values).
  if (!std::isfinite(lo) || !std::isfinite(hi)) return {};
  return logarithmic ? Log_Ticks(lo, hi) : Linear_Ticks(lo, hi, factor);
}

// ---------------------------------------------------------------------------------------------
// Frame

void TC_Graph::Draw_Frame(TC_Data_Buffer& /*buffer*/) {
  const std::vector<long double> x_values = Make_Ticks(LogX, XLo, XHi, 1.0L);
  const std::vector<long double> y_values = Make_Ticks(LogY, YLo, YHi, 1.5L);
  X_Ticks.clear();
  Y_Ticks.clear();

  const int th = Text_Height("0");
  const int tw = Text_Width("0");
  std::vector<std::string> y_labels;
  int wY = 0;
  for (long double v : y_values) {
    y_labels.push_back(Format_Tick(LogY, v));
    wY = std::max(wY, Text_Width(y_labels.back()));
  }

  // Plain int arithmetic: a small cell may give coordinates left of or above the canvas,
  // which the canvas clips, instead of wrapping round to huge values.
  Plot_Left = Cell_Left + wY + tw;
  Plot_Top = Cell_Top + th / 2;
  Plot_Right = Cell_Right - tw;
  Plot_Bottom = Cell_Bottom - th - 2;
  if (!X_Title.empty()) Plot_Bottom -= th + 2;
  if (!Stat_Line.empty()) Plot_Bottom -= th + 2;
  if (!Y_Title.empty()) Plot_Left += th + 2;
  if ((Plot_Right - Plot_Left) % 2 != 0) --Plot_Right;
  if ((Plot_Bottom - Plot_Top) % 2 != 0) ++Plot_Top;

  Set_Color(BgColor);
  Fill_Box(Cell_Left, Cell_Top, Cell_Right, Cell_Bottom, 1);

  too_small_ = Plot_Right <= Plot_Left || Plot_Bottom <= Plot_Top;
  if (too_small_) {
    // No room for a plot area: the scales would divide by zero or a negative pixel count.
    X_Scale = 0;
    Y_Scale = 0;
    return;
  }
  X_Scale = Axis_Scale(XLo, XHi, Plot_Right - Plot_Left);
  Y_Scale = Axis_Scale(YLo, YHi, Plot_Bottom - Plot_Top);

  Set_Color(FrameColor);
  Set_Pen_Style(0);
  Draw_Box(Plot_Left, Plot_Top, Plot_Right, Plot_Bottom);

  Draw_Y_Ticks(y_values, y_labels, th, tw);
  Draw_X_Ticks(x_values, tw);
  Draw_Titles(th);
}

void TC_Graph::Draw_Y_Ticks(const std::vector<long double>& values,
                            const std::vector<std::string>& labels, int th, int tw) {
  int last_y = Cell_Bottom;
  for (std::size_t i = 0; i < values.size(); ++i) {
    int y = To_Pixel(Pixel_Y(values[i]));
    if (y != Plot_Top && y != Plot_Bottom) {
      Set_Pen_Style(0);
      Set_Color(FrameColor);
      Line(Plot_Left - 2, y, Plot_Left + 3, y);
      Line(Plot_Right - 2, y, Plot_Right + 3, y);
      if (Grid) {
        Set_Color(GridColor);
        Line(Plot_Left + 3, y, Plot_Right - 2, y);
      }
    }
    const int lowest = Plot_Bottom - th / 2 + 3;
    if (y > lowest) y = lowest;
    const int w = Text_Width(labels[i]);
    Tick_Info info{values[i], labels[i], false, Plot_Left - w - tw / 2, y - th / 2};
    if (last_y - y > th) {
      Set_Color(FrameColor);
      Text_Out(info.Label_Left, info.Label_Top, labels[i]);
      last_y = y;
      info.Shown = true;
    }
    Y_Ticks.push_back(std::move(info));
  }
}

void TC_Graph::Draw_X_Ticks(const std::vector<long double>& values, int tw) {
  int last_x = -100;
  for (long double v : values) {
    const int x = To_Pixel(Pixel_X(v));
    if (x != Plot_Left && x != Plot_Right) {
      Set_Pen_Style(0);
      Set_Color(FrameColor);
      Line(x, Plot_Top - 2, x, Plot_Top + 3);
      Line(x, Plot_Bottom - 2, x, Plot_Bottom + 3);
      if (Grid) {
        Set_Color(GridColor);
        Line(x, Plot_Top + 3, x, Plot_Bottom - 2);
      }
    }
    Tick_Info info{v, Format_Tick(LogX, v), false};
    const int w = Text_Width(info.Label);
    int left = x - w / 2;
    if (left > Cell_Right - w - 1) {
      left = Cell_Right - w - 1;
    } else if (left < 1) {
      left = 1;
    }
    info.Label_Left = left;
    info.Label_Top = Plot_Bottom + 3;
    if (last_x + tw < left) {
      Set_Color(FrameColor);
      Text_Out(left, info.Label_Top, info.Label);
      last_x = left + w;
      info.Shown = true;
    }
    X_Ticks.push_back(std::move(info));
  }
}

void TC_Graph::Draw_Titles(int th) {
  Set_Color(FrameColor);
  if (!X_Title.empty()) {
    Text_Out((Plot_Left + Plot_Right - Text_Width(X_Title)) / 2, Plot_Bottom + th + 5, X_Title);
  }
  if (!Stat_Line.empty()) {
    Text_Out((Plot_Left + Plot_Right - Text_Width(Stat_Line)) / 2, Plot_Bottom + 2 * th + 5,
             Stat_Line);
  }
  if (!Y_Title.empty()) {
    const int w = Text_Width(Y_Title);
    Set_Text_Angle(90);
    Text_Out(Cell_Left + 2, (Plot_Top + Plot_Bottom + w) / 2, Y_Title);
    Set_Text_Angle(0);
  }
}

}  // namespace pw
