// Graph layers: which points take part in a graph and how they look.
//
// A layer only reads and checks its setup keys; the graphs read its fields and do all counting
// and drawing. Before a graph uses a layer it copies Sel into the data buffer's selection.
#pragma once

#include <array>
#include <string>

#include "data/d_databuffer.h"
#include "draw/d_draw.h"
#include "graphs/d_densitykeys.h"
#include "setup/d_inifile.h"

namespace pw {

class TC_File_Def;

class TC_Graph_Layer {
 public:
  virtual ~TC_Graph_Layer() = default;

  // Reads "Color", "Required", "Banned", "Key1".."Key3", "Hint" through `sections` (the last
  // entry is the layer's own section, named in messages). Raises Error at the first bad key;
  // fields read before it keep their new values.
  virtual void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                          const TC_File_Def& def);

  // The layer's own section (the last entry of the list it was read with).
  const std::string& Section() const { return section_; }

  pw::Color Color = No_Color;
  T_Selection Sel;
  std::array<int, 3> Hint_Sel{};  // selector numbers; 0 = none

 protected:
  std::string section_;
};

class TC_Hist_Layer : public TC_Graph_Layer {
 public:
  // The base keys, then "x" and "Fill".
  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                  const TC_File_Def& def) override;

  int X_Col = 0;
  int Fill_Kind = 0;
};

class TC_Scat_Layer : public TC_Graph_Layer {
 public:
  // The base keys, then "x", "y", "Marker" and the density keys (d_densitykeys.h).
  void Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                  const TC_File_Def& def) override;

  int X_Col = 0;
  int Y_Col = 0;
  int Marker_Kind = 0;
  Density_Keys Density;
  // Of the latest drawing, for reports (density layers only).
  pw::Density_Drawn Density_Drawn;
};

}  // namespace pw
