// How a data file is laid out as a table: what separates its fields, and how many lines at its
// top are no data.
//
// Read from the main setup section beside "NPts" and "DateCol" (not from "DataFile", whose
// every key names a column). The default form is the blank-separated table.
#pragma once

#include <string>

namespace pw {

class TC_Ini_File;

struct Table_Form {
  // 0: fields are separated by runs of spaces (a tab stays inside its field). Otherwise that
  // one byte separates fields: an empty field is missing, blanks around a field are dropped,
  // and a field in double quotes may hold the delimiter and doubled quotes.
  char Delimiter = 0;
  // Lines at the top of the file skipped before the data (column names, say).
  int Header_Lines = 0;
};

// The delimiter a "Delimiter" value names: empty gives 0 (runs of spaces); "tab" in any letter
// case, or a tab, gives a tab; any other single ASCII character but a double quote gives
// itself. Anything else (two characters, a double quote, a character beyond ASCII, a line
// end, code 26) raises "Wrong Delimiter in [" + section + "]: " + value (not fatal).
char Parse_Delimiter(const std::string& value, const std::string& section);

// "Delimiter" (default empty) and "Header" (default 0, the integer rule) from `section`. A
// negative "Header" raises "Wrong Header in [" + section + "]: " + value (not fatal).
Table_Form Read_Table_Form(const TC_Ini_File& ini, const std::string& section);

}  // namespace pw
