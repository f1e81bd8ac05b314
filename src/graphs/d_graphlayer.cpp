#include "graphs/d_graphlayer.h"

#include <array>
#include <bitset>

#include "base/D_Error.h"
#include "data/d_filedef.h"

namespace pw {

namespace {

constexpr std::size_t Max_Column_Names = 32;
constexpr std::size_t Max_Hints = 3;
// Column indices the selection sets have room for.
constexpr int Max_Set_Index = 135;

// Reads a list of column names into `set`; a name that is no column stops the reading.
void Read_Column_Set(const TC_Ini_File& ini, const Section_List& sections, const char* key,
                     const TC_File_Def& def, std::bitset<136>& set) {
  std::array<std::string, Max_Column_Names> names;
  const int count = ini.Read_List(sections, key, names, Max_Column_Names);
  set.reset();
  for (int i = 0; i < count; ++i) {
    const int c = def.Find_Column(names[i]);
    if (c == 0) throw Error("Selector not defined: " + names[i]);
    if (c <= Max_Set_Index) set.set(static_cast<std::size_t>(c));
  }
}

// The column named by `key` (default "?"); 0 when there is no such column.
int Read_Column(const TC_Ini_File& ini, const Section_List& sections, const char* key,
                const TC_File_Def& def, std::string& text) {
  text = ini.Read_String(sections, key, "?");
  return def.Find_Column(text);
}

}  // namespace

void TC_Graph_Layer::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                                const TC_File_Def& def) {
  section_ = sections.empty() ? std::string() : sections.back();

  const std::string color_text = ini.Read_String(sections, "Color", "Lime");
  Color = Parse_Color(color_text, Color);
  if (Color == No_Color) {
    throw Error("Wrong Color definition in [" + section_ + "]: " + color_text);
  }

  Read_Column_Set(ini, sections, "Required", def, Sel.Required);
  Read_Column_Set(ini, sections, "Banned", def, Sel.Banned);

  for (int k = 0; k < 3; ++k) {
    Sel.Key_Sel[k] = 0;
    std::array<std::string, 2> items;
    const int count = ini.Read_List(sections, "Key" + std::to_string(k + 1), items, 2);
    if (count == 0) continue;
    if (count != 2) throw Error("Wrong Key line in [" + section_ + "]");
    Sel.Key_Sel[k] = def.Find_Selector(items[0]);
    if (Sel.Key_Sel[k] == 0) {
      throw Error("Wrong Key definition in [" + section_ + "]: " + items[0]);
    }
    Sel.Key_Text[k] = items[1];
  }

  std::array<std::string, Max_Hints> hints;
  const int count = ini.Read_List(sections, "Hint", hints, Max_Hints);
  for (int j = 0; j < count; ++j) {
    Hint_Sel[j] = def.Find_Selector(hints[j]);
    if (Hint_Sel[j] == 0) throw Error("No such key: " + hints[j]);
  }
}

void TC_Hist_Layer::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                               const TC_File_Def& def) {
  TC_Graph_Layer::Read_Setup(ini, sections, def);
  std::string text;
  X_Col = Read_Column(ini, sections, "x", def, text);
  if (X_Col == 0) throw Error("Missing or wrong X definition in [" + section_ + "]: " + text);
  // Kinds outside 0..7 are accepted here; the histogram draws them as outlines only.
  Fill_Kind = ini.Read_Integer(sections, "Fill", Fill_Kind);
}

void TC_Scat_Layer::Read_Setup(const TC_Ini_File& ini, const Section_List& sections,
                               const TC_File_Def& def) {
  TC_Graph_Layer::Read_Setup(ini, sections, def);
  std::string text;
  X_Col = Read_Column(ini, sections, "x", def, text);
  if (X_Col == 0) throw Error("Missing or wrong X definition in [" + section_ + "]: " + text);
  Y_Col = Read_Column(ini, sections, "y", def, text);
  if (Y_Col == 0) throw Error("Missing or wrong Y definition in [" + section_ + "]: " + text);
  std::string marker = ini.Read_String(sections, "Marker", "PLUS1");
  Marker_Kind = Marker_By_Name(marker);
  if (Marker_Kind == 0) {
    throw Error("Wrong Marker definition in [" + section_ + "]: " + marker);
  }
  Read_Density_Keys(ini, sections, section_, Density);
}

}  // namespace pw
