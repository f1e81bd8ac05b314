#include "graphs/d_densitykeys.h"

#include "base/D_Error.h"

namespace pw {

void Read_Density_Keys(const TC_Ini_File& ini, const Section_List& sections,
                       const std::string& section, Density_Keys& keys) {
  keys.On = ini.Read_Bool(sections, "Density", keys.On);
  if (!keys.On) return;
  const std::string map = ini.Read_String(sections, "ColorMap", Color_Map_Name(keys.Map));
  if (!Color_Map_By_Name(map, keys.Map)) {
    throw Error("Wrong ColorMap definition in [" + section + "]: " + map);
  }
  const std::string scale =
      ini.Read_String(sections, "DensityScale", Density_Scale_Name(keys.Scale));
  if (!Density_Scale_By_Name(scale, keys.Scale)) {
    throw Error("Wrong DensityScale definition in [" + section + "]: " + scale);
  }
  keys.Color_Bar = ini.Read_Bool(sections, "ColorBar", keys.Color_Bar);
}

}  // namespace pw
