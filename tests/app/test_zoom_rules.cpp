// The window's zoom rules: modifiers to axes, the wheel's turn, the title.
#include "app/zoom_rules.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(Zoom_Rules, ModifiersChooseTheAxes) {
  EXPECT_EQ(Wheel_Axes(false, false), Zoom_Axes::Both);
  EXPECT_EQ(Wheel_Axes(true, false), Zoom_Axes::X_Only);
  EXPECT_EQ(Wheel_Axes(false, true), Zoom_Axes::Y_Only);
  EXPECT_EQ(Wheel_Axes(true, true), Zoom_Axes::Both);
}

TEST(Zoom_Rules, VerticalTurnFirst) {
  EXPECT_EQ(Wheel_Delta(0, 120), 120);
  EXPECT_EQ(Wheel_Delta(-120, 0), -120);  // Shift + wheel as a horizontal turn
  EXPECT_EQ(Wheel_Delta(30, -240), -240);
  EXPECT_EQ(Wheel_Delta(0, 0), 0);
}

TEST(Zoom_Rules, TitleNamesTheZoomedPage) {
  EXPECT_EQ(Zoomed_Caption("PlotWright: /d/run7.dat", "Speed", true),
            "PlotWright: /d/run7.dat - Speed (zoomed)");
  EXPECT_EQ(Zoomed_Caption("PlotWright: /d/run7.dat", "Speed", false), "PlotWright: /d/run7.dat");
  EXPECT_EQ(Zoomed_Caption("PlotWright:   pt5", "3", true), "PlotWright:   pt5 - 3 (zoomed)");
}

}  // namespace
}  // namespace pw
