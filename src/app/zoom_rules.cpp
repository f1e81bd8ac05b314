#include "app/zoom_rules.h"

namespace pw {

Zoom_Axes Wheel_Axes(bool shift, bool ctrl) {
  if (shift && !ctrl) return Zoom_Axes::X_Only;
  if (ctrl && !shift) return Zoom_Axes::Y_Only;
  return Zoom_Axes::Both;
}

int Wheel_Delta(int horizontal, int vertical) {
  return vertical != 0 ? vertical : horizontal;
}

std::string Zoomed_Caption(const std::string& caption, const std::string& page_name, bool zoomed) {
  if (!zoomed) return caption;
  return caption + " - " + page_name + " (zoomed)";
}

}  // namespace pw
