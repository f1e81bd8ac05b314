#include "data/d_tableform.h"

#include <cstdint>

#include "base/D_Error.h"
#include "setup/d_inifile.h"

namespace pw {

char Parse_Delimiter(const std::string& value, const std::string& section) {
  if (value.empty()) return 0;
  if (value.size() == 3 && (value[0] | 0x20) == 't' && (value[1] | 0x20) == 'a' &&
      (value[2] | 0x20) == 'b') {
    return '\t';
  }
  const auto c = static_cast<unsigned char>(value[0]);
  // A line end or code 26 could never stand inside a line; a quote opens quoted fields.
  const bool usable = c != '\n' && c != '\r' && c != 26 && c != '"' && c != 0 && c < 0x80;
  if (value.size() != 1 || !usable) {
    throw Error("Wrong Delimiter in [" + section + "]: " + value);
  }
  return static_cast<char>(c);
}

Table_Form Read_Table_Form(const TC_Ini_File& ini, const std::string& section) {
  Table_Form form;
  form.Delimiter = Parse_Delimiter(ini.Get_String(section, "Delimiter", ""), section);
  const std::int32_t header = ini.Get_Integer(section, "Header", 0);
  if (header < 0) {
    throw Error("Wrong Header in [" + section + "]: " + ini.Get_String(section, "Header", ""));
  }
  form.Header_Lines = header;
  return form;
}

}  // namespace pw
