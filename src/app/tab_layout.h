// How the tabs share the tab bar, and which tab the paging keys go to. Kept free of Qt so the
// rules can be checked on their own.
#pragma once

#include <vector>

namespace pw {

// Tabs per row as shown: `per_row`, unless its rows of `row_thickness` pixels would take more
// than half the `room` across them (the notebook's height for tabs at the top or bottom, its
// width on the sides); then the tabs fold into as many rows as that half holds (at least
// one), so the pages always keep the other half. A room of 0 or less (not laid out yet) keeps
// `per_row`. per_row below 1 counts as 1.
int Folded_Tabs_Per_Row(int visible, int per_row, int room, int row_thickness);

// A tab's place along its row: the first pixel and the length.
struct Tab_Span {
  int Start = 0;
  int Length = 0;
};

// How many tabs the fullest row holds: Min(per_row, visible), 0 when no tab is visible.
// per_row below 1 counts as 1.
int Tabs_In_Row(int visible, int per_row);

// Tab `slot` (0-based) of a row at the top or bottom of a bar `bar_length` pixels long, with
// `per_row` tabs a row and `in_row` tabs in the fullest row. The row is cut into per_row equal
// shares (the remainders spread as bar_length * slot / per_row), so the tabs fill a full row.
// When a share is shorter than Min(preferred, bar_length / in_row), which happens only when
// per_row is larger than the tabs there are, every tab is that long instead: the tabs widen
// towards `preferred` and never pass the bar together. per_row and in_row below 1 count as 1;
// a bar of no length gives tabs of no length.
Tab_Span Row_Tab_Span(int bar_length, int per_row, int in_row, int preferred, int slot);

// The length of every tab along a column on the left or right: `preferred`, shortened to
// bar_length / in_row so that the fullest column fits the bar. While the bar has no length
// yet (bar_length <= 0) it is `preferred`. in_row below 1 counts as 1.
int Column_Tab_Length(int bar_length, int in_row, int preferred);

// The tab the paging keys go to from `current`: the next visible one after it (step > 0) or
// the one before it (step < 0), wrapping around at either end. `current` itself when no other
// tab is visible, or when step is 0. From a `current` out of range: the first visible tab going
// forward, the last going back.
int Step_Visible_Tab(const std::vector<bool>& visible, int current, int step);

}  // namespace pw
