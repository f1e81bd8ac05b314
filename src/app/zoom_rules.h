// The window's zoom rules that need no window: which axes a wheel turn zooms, how far, and
// the title while a page shows a zoomed graph.
#pragma once

#include <string>

#include "graphs/d_zoom.h"

namespace pw {

// Shift alone: the X axis only; Ctrl alone: the Y axis only; otherwise both.
Zoom_Axes Wheel_Axes(bool shift, bool ctrl);

// The turn of a wheel event: the vertical angle delta, or the horizontal one when there is no
// vertical (some systems turn Shift + wheel into a horizontal wheel).
int Wheel_Delta(int horizontal, int vertical);

// The window title: `caption` as it is, or while the current page has a zoomed graph
// `caption` + " - " + the page's name (its tab caption) + " (zoomed)".
std::string Zoomed_Caption(const std::string& caption, const std::string& page_name, bool zoomed);

}  // namespace pw
