// An arbitrary setup and data file through the whole pipeline: page set, reading, loading and
// drawing every page on small canvases.
#include <memory>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_draw.h"
#include "fuzz_util.h"
#include "pages/d_graphpageset.h"
#include "setup/d_inifile.h"

namespace {

pw::Canvas_Array& Canvases() {
  static pw::Canvas_Array canvases = [] {
    pw::Canvas_Array c;
    for (auto& canvas : c) canvas.Image.Set_Size(160, 120);
    return c;
  }();
  return canvases;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pw_fuzz::Reset_Settings();
  pw::Set_Fill_Patterns(pw::Default_Fill_Patterns());
  std::string_view setup, data_text;
  pw_fuzz::Split_Input(data, size, setup, data_text);
  const std::string setup_path = pw_fuzz::Write_Temp_File("setup.ini", setup);
  const std::string data_path = pw_fuzz::Write_Temp_File("data.dat", data_text);
  pw::TC_Ini_File ini(setup_path);
  auto pages = std::make_unique<pw::TC_Graph_Page_Set>(Canvases());
  try {
    pages->Read_Setup(ini, "Pages");
    pages->Load_Data(data_path);
    pages->Draw_Pages();
  } catch (const pw::Error&) {
  }
  return 0;
}
