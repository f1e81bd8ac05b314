// The setup keys of a density layer, and what its latest drawing found (for reports).
#pragma once

#include <cstdint>
#include <string>

#include "draw/d_colormap.h"
#include "graphs/d_densityscale.h"
#include "setup/d_inifile.h"

namespace pw {

// A scatter layer drawn as counts per pixel. Off by default: the layer draws its markers.
struct Density_Keys {
  bool On = false;                                  // "Density"
  Color_Map_Kind Map = Color_Map_Kind::Viridis;     // "ColorMap"
  Density_Scale Scale = Density_Scale::Log;         // "DensityScale"
  bool Color_Bar = true;                            // "ColorBar"
};

// Of the latest drawing of a density layer: the largest and the smallest count above 0 of its
// pixels (both 0 when no point was counted, or before it was drawn).
struct Density_Drawn {
  std::uint32_t Largest = 0;
  std::uint32_t Smallest = 0;
};

// Reads "Density" (yes/no, default no) through `sections`; only when it is yes also
// "ColorMap" (default "viridis"), "DensityScale" (default "log") and "ColorBar" (yes/no,
// default yes), so those keys mean nothing to an ordinary layer. A map or scale name that is
// not in the list raises "Wrong ColorMap definition in [" + section + "]: " + text, or the
// same with DensityScale (not fatal); a bad yes/no the setup reader's error.
void Read_Density_Keys(const TC_Ini_File& ini, const Section_List& sections,
                       const std::string& section, Density_Keys& keys);

}  // namespace pw
