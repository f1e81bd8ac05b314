#include "app/tab_layout.h"

#include <algorithm>
#include <cstdint>

namespace pw {

int Tabs_In_Row(int visible, int per_row) {
  return std::max(0, std::min(std::max(1, per_row), visible));
}

int Folded_Tabs_Per_Row(int visible, int per_row, int room, int row_thickness) {
  per_row = std::max(1, per_row);
  if (room <= 0 || visible <= 0 || row_thickness <= 0) return per_row;
  const int max_rows = std::max(1, room / 2 / row_thickness);
  if ((visible + per_row - 1) / per_row <= max_rows) return per_row;
  return (visible + max_rows - 1) / max_rows;
}

Tab_Span Row_Tab_Span(int bar_length, int per_row, int in_row, int preferred, int slot) {
  per_row = std::max(1, per_row);
  in_row = std::max(1, in_row);
  bar_length = std::max(0, bar_length);
  const int widened = std::min(preferred, bar_length / in_row);
  if (bar_length / per_row >= widened) {
    // 64 bits: a bar of 32767 pixels times a slot near 65535 passes 2^31.
    const auto edge = [&](int s) {
      return static_cast<int>(static_cast<std::int64_t>(bar_length) * s / per_row);
    };
    return {edge(slot), edge(slot + 1) - edge(slot)};
  }
  return {slot * widened, widened};
}

int Column_Tab_Length(int bar_length, int in_row, int preferred) {
  if (bar_length <= 0) return preferred;
  return std::min(preferred, bar_length / std::max(1, in_row));
}

int Step_Visible_Tab(const std::vector<bool>& visible, int current, int step) {
  const int count = static_cast<int>(visible.size());
  if (step == 0 || count == 0) return current;
  const int dir = step > 0 ? 1 : -1;
  // A current tab out of range starts the walk before the first tab (forward) or after the
  // last (backward).
  int at = current;
  if (current < 0 || current >= count) at = dir > 0 ? -1 : count;
  for (int i = 0; i < count; ++i) {
    at = ((at + dir) % count + count) % count;
    if (at == current) break;
    if (visible[static_cast<std::size_t>(at)]) return at;
  }
  return current;
}

}  // namespace pw
