// The program-wide settings that a load leaves behind: the main-section and page keys that
// keep the value already held when they are absent (BgColor, NPts, PixOff, Editor), and the
// run's first date. One run's loads build on each other through them; a load that must draw
// as the program's first load would starts from the values taken at start-up instead.
#pragma once

#include <cstdint>
#include <string>

#include "draw/d_draw.h"

namespace pw {

struct Load_Settings {
  Color Bg = 0;
  std::int32_t Points_Step = 0;
  int Pix_Off = 0;
  std::string Editor;
  double First_Date = 0;
  double Date_Hours = 0;
};

// The values held now.
Load_Settings Current_Load_Settings();
// Puts back every value of `settings`.
void Restore_Load_Settings(const Load_Settings& settings);
// Puts back the run's first date and the date offset alone (a data file read whole again
// under an unchanged setup).
void Restore_Dates(const Load_Settings& settings);

}  // namespace pw
