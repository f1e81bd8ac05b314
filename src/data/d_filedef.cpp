#include "data/d_filedef.h"

#include <array>
#include <cstdint>
#include <string>

#include "base/D_Error.h"
#include "base/code_page.h"
#include "draw/D_Math.h"
#include "setup/D_Fold_Case.h"
#include "setup/D_Format.h"
#include "setup/D_String.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

constexpr int kMaxIndex = Max_Fields;  // a line is never split into more fields

[[noreturn]] void Wrong_Index(const std::string& rest) {
  throw Error("Wrong table column index: " + rest);
}

// An index token must start with "1".."9"; `rest` is what follows it in the definition.
void Check_Index_Token(const std::string& token, const std::string& rest) {
  if (token.empty() || token[0] < '1' || token[0] > '9') Wrong_Index(rest);
}

// A converted index that no field of a line can have is refused like a bad token.
int Checked_Index(const std::string& text, const std::string& rest) {
  const std::int32_t index = Str_To_Int(text);
  if (index < 1 || index > kMaxIndex) Wrong_Index(rest);
  return index;
}

Selector_Def Read_Selector(const std::string& name, std::string value) {
  Selector_Def selector;
  selector.Name = name;
  const std::string token = Next_Field(value, ' ');
  Check_Index_Token(token, value);
  selector.Column = Checked_Index(token, value);
  return selector;
}

// The operators are searched in this order; the first found wins and only its first
// occurrence splits the source.
void Read_Source(std::string token, const std::string& rest, Column_Def& column) {
  static constexpr std::array<std::pair<char, Column_Operation>, 4> kOperators = {
      {{'-', Op_Sub}, {'+', Op_Add}, {'*', Op_Mul}, {'/', Op_Div}}};
  column.Operation = Op_None;
  for (const auto& [symbol, operation] : kOperators) {
    const std::size_t at = token.find(symbol);
    if (at != std::string::npos) {
      token[at] = ' ';
      column.Operation = operation;
      break;
    }
  }
  std::array<std::string, 2> parts;
  const int count = Split_Fields(token, parts, ' ', 2);
  column.Source_A = Checked_Index(parts[0], rest);
  if (count == 2) column.Source_B = Checked_Index(parts[1], rest);
  // "3-" names no second operand: the loader would have nothing to combine with.
  if (column.Operation != Op_None && count < 2) Wrong_Index(rest);
}

// Decimals: the format rounded to tenths (ties to even), kept in 16 bits, last digit.
int Format_Decimals(const std::string& format) {
  const long double tenths = Str_To_Float(format) * 10;
  const auto stored = static_cast<std::uint16_t>(Round_Even_Int(tenths));
  return stored % 10;
}

// A filter limit is held in double precision. A number that would round to an infinity there
// is refused like text that is no number: an infinite limit filters nothing sensibly.
double Filter_Limit(const std::string& text) {
  const long double number = Str_To_Float(text);
  if (!Fits_Double(number)) throw Error("'" + text + "' is not a valid floating point value");
  return static_cast<double>(number);
}

void Read_Filter(const TC_Ini_File& ini, Column_Def& column) {
  std::array<std::string, 2> items;
  const int count = ini.Read_List({"Filters"}, column.Name, items, 2);
  if (count == 1) throw Error("Two values required in a filter", true);
  if (count == 0) {
    column.Filter_Low = column.Filter_High = static_cast<double>(Missing);
    return;
  }
  column.Filter_Low = Filter_Limit(items[0]);
  column.Filter_High = Filter_Limit(items[1]);
  if (!(column.Filter_High > column.Filter_Low)) throw Error("Wrong filter limits", true);
}

Column_Def Read_Column(const TC_Ini_File& ini, const std::string& name, std::string value) {
  Column_Def column;
  column.Name = name;
  const std::string token = Next_Field(value, ' ');
  Check_Index_Token(token, value);
  Read_Source(token, value, column);
  column.Decimals = Format_Decimals(Next_Field(value, ' '));
  value = std::string(Strip_Blanks(value));
  column.Scale = 1;
  if (!value.empty() && (value[0] == '.' || (value[0] >= '0' && value[0] <= '9'))) {
    column.Scale = Str_To_Float(Next_Field(value, ' '));
  }
  column.Title = Strip_Blanks(value);
  Read_Filter(ini, column);
  return column;
}

// A column definition starts with its field number: any other "Encoding" names a code page.
bool Names_Encoding(const std::string& name, const std::string& value) {
  return Fold_Case(name) == "encoding" && !(!value.empty() && value[0] >= '1' && value[0] <= '9');
}

}  // namespace

TC_File_Def::TC_File_Def(const TC_Ini_File& ini) {
  // Each entry makes a column or a selector, so one more than both can hold is sure to stop
  // the definition: the entries after it are not listed (a setup may repeat one for megabytes).
  const std::size_t enough = static_cast<std::size_t>(Max_Columns) + Max_Selectors + 1;
  for (const std::string& line : ini.Get_Section_Lines("DataFile", enough)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    if (Names_Encoding(name, value)) {
      TC_Code_Page(value, "DataFile");  // checks the name
      encoding_ = value;
      continue;
    }
    if (!line.empty() && line[0] == '@') {
      if (Selector_Count() == Max_Selectors) {
        throw Error("Too many selectors in file definition", true);
      }
      selectors_.push_back(Read_Selector(name, std::move(value)));
    } else {
      if (Column_Count() == Max_Columns) throw Error("Too many columns in file definition", true);
      columns_.push_back(Read_Column(ini, name, std::move(value)));
    }
  }
  if (columns_.empty()) throw Error("Zero columns in file definition", true);
}

int TC_File_Def::Find_Column(std::string_view name) const {
  for (int i = 0; i < Column_Count(); ++i) {
    if (columns_[i].Name == name) return i + 1;
  }
  return 0;
}

int TC_File_Def::Find_Selector(std::string_view name) const {
  for (int j = 0; j < Selector_Count(); ++j) {
    if (selectors_[j].Name == name) return j + 1;
  }
  return 0;
}

}  // namespace pw
