// Arbitrary bytes as a setup file, through every kind of read.
#include <array>
#include <string>
#include <string_view>

#include "base/D_Error.h"
#include "fuzz_util.h"
#include "setup/D_Fold_Case.h"
#include "setup/d_inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Folding a name twice changes nothing more than folding it once, valid UTF-8 or not.
  const std::string_view name(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  const std::string folded = pw::Fold_Case(name);
  if (pw::Fold_Case(folded) != folded) __builtin_trap();

  const std::string path =
      pw_fuzz::Write_Temp_File("setup.ini", {reinterpret_cast<const char*>(data), size});
  pw::TC_Ini_File ini(path);
  // Sections and keys worth asking for: the program's own names, and names taken from the
  // input itself so that found keys are exercised too.
  static const std::array<std::string, 6> sections = {"Plotwright", "Pages", "P1", "P1/G1",
                                                      "DataFile", "Filters"};
  static const std::array<std::string, 8> keys = {"Pages", "Rows", "Color", "xlo",
                                                  "Params", "NPts", "Layers", "x"};
  for (const auto& section : sections) {
    for (const std::string& line : ini.Get_Section_Lines(section)) {
      const std::string key = line.substr(0, line.find('='));
      (void)ini.Key_Exists(section, key);
      (void)ini.Get_Integer(section, key, 7);
    }
    for (const auto& key : keys) {
      (void)ini.Get_String(section, key, "d");
      (void)ini.Get_Integer(section, key, -1);
    }
  }
  const pw::Section_List list(sections.begin(), sections.end());
  for (const auto& key : keys) {
    std::array<std::string, 40> items;
    (void)ini.Read_String(list, key, "d");
    (void)ini.Read_Integer(list, key, 3);
    (void)ini.Read_Float(list, key, 2.5L);
    (void)ini.Read_List(list, key, items, 32);
    try {
      (void)ini.Read_Bool(list, key, true);
    } catch (const pw::Error&) {
    }
  }
  return 0;
}
