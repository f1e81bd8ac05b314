// An arbitrary setup text (its "DataFile" and "Filters" sections and the table form keys of
// "Plotwright" matter) and arbitrary data bytes (plain, or gzip or zstd data) through the file
// definition and the loader, then the statistics of every column. The same data is loaded a
// second time, cut into tiny batches and pieces on three threads, and must give exactly what
// the plain load gave.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_bytesource.h"
#include "data/d_databuffer.h"
#include "data/d_decode.h"
#include "data/d_fastnum.h"
#include "data/d_filedef.h"
#include "data/d_loader.h"
#include "fuzz_util.h"
#include "setup/D_Format.h"
#include "setup/d_inifile.h"

namespace {

// The message of the load's error, or "" when it loaded.
std::string Load(pw::TC_Data_Buffer& buffer, const std::string& path, const pw::TC_File_Def& def,
                 bool cut_small) {
  try {
    if (!cut_small) {
      pw::Set_Thread_Count(1);
      buffer.Load_File(path, def);
    } else {
      pw::Set_Thread_Count(3);
      pw::TC_File_Source file(path);
      const std::unique_ptr<pw::TC_Byte_Source> source = pw::Open_Decoded(file, path);
      pw::Load_Options options;
      options.Batch_Bytes = 64;
      options.Piece_Bytes = 1;
      buffer.Load_Source(*source, path, def, {}, options);
    }
  } catch (const pw::Error& e) {
    return e.Message() + (e.Fatal() ? " (fatal)" : "");
  }
  return {};
}

bool Same_Bits(long double a, long double b) { return std::memcmp(&a, &b, 10) == 0; }

// The conversions of one word: the fast ones (the padded form reading the 8 bytes that follow
// the word in the data) and the field conversion agree with Str_To_Float.
bool Converts_Alike(std::string_view word, std::string_view following) {
  std::string exact_message;
  long double exact = 0;
  try {
    exact = pw::Str_To_Float(word);
  } catch (const pw::Error& e) {
    exact_message = e.Message();
  }
  long double fast = 0, padded = 0;
  const bool took = pw::Fast_Str_To_Float(word, fast);
  std::string bytes(word);
  bytes += following.substr(0, 8);
  bytes.resize(word.size() + 8, '7');
  if (pw::Fast_Padded_To_Float(std::string_view(bytes).substr(0, word.size()), padded) != took) {
    return false;
  }
  if (took && (!exact_message.empty() || !Same_Bits(fast, exact) || !Same_Bits(padded, exact))) {
    return false;
  }
  try {
    const long double value = pw::Field_To_Float(word);
    return exact_message.empty() && Same_Bits(value, exact);
  } catch (const pw::Error& e) {
    return e.Message() == exact_message;
  }
}

// The first 256 words of the data (cut at blanks and line ends).
void Check_Words(std::string_view text) {
  int words = 0;
  std::size_t i = 0;
  while (i < text.size() && words < 256) {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    std::size_t end = i;
    while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ') ++end;
    if (end == i) break;
    if (!Converts_Alike(text.substr(i, end - i), text.substr(end))) std::abort();
    ++words;
    i = end;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pw_fuzz::Reset_Settings();
  std::string_view setup, data_text;
  pw_fuzz::Split_Input(data, size, setup, data_text);
  Check_Words(data_text);
  const std::string setup_path = pw_fuzz::Write_Temp_File("setup.ini", setup);
  const std::string data_path = pw_fuzz::Write_Temp_File("data.dat", data_text);
  pw::TC_Ini_File ini(setup_path);
  std::unique_ptr<pw::TC_File_Def> def;
  try {
    def = std::make_unique<pw::TC_File_Def>(ini);
    def->DateCol = ini.Get_Integer("Plotwright", "DateCol", 0);
    def->Form = pw::Read_Table_Form(ini, "Plotwright");
  } catch (const pw::Error&) {
    return 0;
  }
  const double base_date = pw::Base_Date, date_offset = pw::Date_Offset;
  pw::TC_Data_Buffer buffer;
  const std::string message = Load(buffer, data_path, *def, false);
  for (int c = 1; c <= buffer.Column_Count(); ++c) {
    (void)buffer.Column_Stats(c);
    (void)buffer.Column_Range(c);
  }
  for (std::int32_t p = 1; p <= buffer.Point_Count() && p <= 64; ++p) {
    for (int j = 1; j <= buffer.Selector_Count(); ++j) (void)buffer.Get_Text(p, j);
  }

  const double base_after = pw::Base_Date, offset_after = pw::Date_Offset;
  pw::Base_Date = base_date;
  pw::Date_Offset = date_offset;
  pw::TC_Data_Buffer cut;
  const std::string cut_message = Load(cut, data_path, *def, true);
  pw::Set_Thread_Count(0);
  bool same = cut_message == message && cut.Point_Count() == buffer.Point_Count() &&
              pw::Base_Date == base_after && pw::Date_Offset == offset_after;
  for (std::int32_t p = 1; same && p <= buffer.Point_Count(); ++p) {
    for (int c = 1; c <= buffer.Column_Count(); ++c) {
      same = same && Same_Bits(cut.Raw_Value(p, c), buffer.Raw_Value(p, c));
    }
    for (int j = 1; j <= buffer.Selector_Count(); ++j) {
      same = same && cut.Get_Text(p, j) == buffer.Get_Text(p, j);
    }
  }
  if (!same) std::abort();
  return 0;
}
