// An arbitrary setup text (its "DataFile" and "Filters" sections matter) and arbitrary data
// bytes through the file definition and the loader, then the statistics of every column.
#include <memory>

#include "base/D_Error.h"
#include "base/settings.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "fuzz_util.h"
#include "setup/d_inifile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pw_fuzz::Reset_Settings();
  std::string_view setup, data_text;
  pw_fuzz::Split_Input(data, size, setup, data_text);
  const std::string setup_path = pw_fuzz::Write_Temp_File("setup.ini", setup);
  const std::string data_path = pw_fuzz::Write_Temp_File("data.dat", data_text);
  pw::TC_Ini_File ini(setup_path);
  std::unique_ptr<pw::TC_File_Def> def;
  try {
    def = std::make_unique<pw::TC_File_Def>(ini);
    def->DateCol = ini.Get_Integer("Plotwright", "DateCol", 0);
  } catch (const pw::Error&) {
    return 0;
  }
  pw::TC_Data_Buffer buffer;
  try {
    buffer.Load_File(data_path, *def);
  } catch (const pw::Error&) {
  }
  for (int c = 1; c <= buffer.Column_Count(); ++c) {
    (void)buffer.Column_Stats(c);
    (void)buffer.Column_Range(c);
  }
  for (std::int32_t p = 1; p <= buffer.Point_Count() && p <= 64; ++p) {
    for (int j = 1; j <= buffer.Selector_Count(); ++j) (void)buffer.Get_Text(p, j);
  }
  return 0;
}
