// The colour bar of a density layer.
#include "graphs/d_colorbar.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "draw/bitmap.h"

namespace pw {

namespace {

constexpr int Top_Entry = Color_Map_Size - 1;

}  // namespace

bool Lay_Out_Color_Bar(int left, int top, int right, int bottom, int th, int tw, int high_width,
                       int low_width, Color_Bar_Layout& layout) {
  Color_Bar_Layout l;
  l.strip_right = right - 3;
  l.strip_left = l.strip_right - std::max(tw, 4) + 1;
  l.strip_top = top + th + 5;
  l.strip_bottom = bottom - th - 5;
  l.high_x = l.strip_right + 1 - high_width;
  l.high_y = top + 3;
  l.low_x = l.strip_right + 1 - low_width;
  l.low_y = bottom - 2 - th;
  // The label boxes and the outline begin one pixel left of the labels and the strip.
  const int leftmost = std::min({l.strip_left, l.high_x, l.low_x}) - 1;
  if (l.strip_bottom - l.strip_top + 1 < 2 || leftmost <= left) return false;
  layout = l;
  return true;
}

void Draw_Color_Bar(int left, int top, int right, int bottom, Color frame, Color background,
                    const Color_Table& table, int low_entry, std::uint32_t smallest,
                    std::uint32_t largest) {
  const std::string high = std::to_string(largest), low = std::to_string(smallest);
  Color_Bar_Layout l;
  const int th = Text_Height("0");
  if (!Lay_Out_Color_Bar(left, top, right, bottom, th, Text_Width("0"), Text_Width(high),
                         Text_Width(low), l)) {
    return;
  }
  const int width = l.strip_right - l.strip_left + 1;
  const int rows = l.strip_bottom - l.strip_top + 1;
  // Only the strip's rows on the canvas are made: a plot area reaching far beyond the page
  // would otherwise need a picture millions of rows tall.
  int first = 0, end = rows;
  if (Cur_Image != nullptr) {
    first = std::clamp(-l.strip_top, 0, rows);
    end = std::clamp(Cur_Image->Image.Height() - l.strip_top, first, rows);
  }
  TC_Bitmap strip(width, end - first);
  const int span = Top_Entry - low_entry;
  // 64-bit: a strip millions of rows tall would overflow the products.
  const std::int64_t last = rows - 1;
  for (int r = first; r < end; ++r) {
    const int entry = low_entry + static_cast<int>((span * (last - r) * 2 + last) / (2 * last));
    std::fill(strip.Row(r - first), strip.Row(r - first) + width, table[entry]);
  }
  Draw_Picture(l.strip_left, l.strip_top + first, strip);
  Set_Pen_Style(0);
  Set_Color(frame);
  Draw_Box(l.strip_left - 1, l.strip_top - 1, l.strip_right + 1, l.strip_bottom + 1);
  Set_Color(background);
  Fill_Box(l.high_x - 1, l.high_y - 1, l.strip_right + 1, l.high_y + th, 1);
  Fill_Box(l.low_x - 1, l.low_y - 1, l.strip_right + 1, l.low_y + th, 1);
  Set_Color(frame);
  Text_Out(l.high_x, l.high_y, high);
  Text_Out(l.low_x, l.low_y, low);
}

}  // namespace pw
