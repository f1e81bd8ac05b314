// Program-wide settings: one value each for the whole run.
//
// They are set at start-up, by the command line or by the main setup section, and read
// deep inside the core (graphs, loader, number formatting). All run on one thread.
#pragma once

#include <cstdint>
#include <string>

namespace pw {

// Graphs skip their "xlo", "xhi", "ylo" and "yhi" keys while reading their setup.
inline bool Ignore_Limits = false;
// How many pixels a mouse press may be off a scatter point, across and down, and still hit it.
inline int PixOff = 2;
// Growth step of the data buffer's storage, in points.
inline std::int32_t NPts = 1024;
// The program started by "Edit File".
inline std::string Editor_Command = "notepad.exe";
// The version shown in the about box.
inline std::string Version_Text = "2.34";
// Significant decimal digits the arithmetic carries: 18, or 16 after a failed precision check.
inline int Significant_Digits = 18;
// The first date read from a date field since the program started (days); never reset.
inline double Base_Date = 0;
// Hours from Base_Date to the date of the data line being read.
inline double Date_Offset = 0;

// Extended numbers: every data value, limit and statistic (80-bit on x86-64).
using Extended = long double;

}  // namespace pw
