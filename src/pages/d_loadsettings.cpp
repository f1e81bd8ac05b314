#include "pages/d_loadsettings.h"

#include "base/settings.h"

namespace pw {

Load_Settings Current_Load_Settings() {
  return {Bg_Color, NPts, PixOff, Editor_Command, Base_Date, Date_Offset};
}

void Restore_Load_Settings(const Load_Settings& settings) {
  Bg_Color = settings.Bg;
  NPts = settings.Points_Step;
  PixOff = settings.Pix_Off;
  Editor_Command = settings.Editor;
  Restore_Dates(settings);
}

void Restore_Dates(const Load_Settings& settings) {
  Base_Date = settings.First_Date;
  Date_Offset = settings.Date_Hours;
}

}  // namespace pw
