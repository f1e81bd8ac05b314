// The file definition: which fields of a data line form which named columns and selectors.
//
// Read from the setup sections "DataFile" (one definition per key, in file order) and
// "Filters" (a low and high limit per column name). Columns and selectors are numbered
// separately from 1 in definition order. The key "Encoding" of "DataFile" (any letter case)
// with a value that does not start with a digit 1 to 9 is no column: it names the code page
// of the data file's texts (code_page.h); a value no converter knows raises "Wrong Encoding in
// [DataFile]: " + value (not fatal). "Encoding=3 1 Enc" is still a column, as it always was.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/d_tableform.h"

namespace pw {

class TC_Ini_File;

inline constexpr int Max_Columns = 128;
inline constexpr int Max_Selectors = 64;
// A data line is split into at most this many fields.
inline constexpr int Max_Fields = 128;

enum Column_Operation : unsigned char {
  Op_None = 0,
  Op_Add = 1,
  Op_Sub = 2,
  Op_Mul = 3,
  Op_Div = 4
};

struct Column_Def {
  std::string Name;   // the key in "DataFile", as written
  std::string Title;  // the rest of the definition; may be empty
  int Source_A = 0;   // table column of the first operand (from 1)
  int Source_B = 0;   // table column of the second operand (with an operation)
  Column_Operation Operation = Op_None;
  int Decimals = 0;       // decimals shown in the statistics line
  long double Scale = 1;  // factor applied to every value
  double Filter_Low;      // accepted range of the scaled value; both Missing when unfiltered
  double Filter_High;
};

struct Selector_Def {
  std::string Name;  // the key in "DataFile", with its leading "@"
  int Column = 0;    // table column whose text the selector holds
};

class TC_File_Def {
 public:
  // Reads "DataFile" and "Filters"; raises Error with the messages of the file definition
  // ("Too many selectors in file definition" ... ) or a conversion error.
  explicit TC_File_Def(const TC_Ini_File& ini);

  int Column_Count() const { return static_cast<int>(columns_.size()); }
  int Selector_Count() const { return static_cast<int>(selectors_.size()); }
  // 1-based; the caller keeps i within 1..Column_Count().
  const Column_Def& Column(int i) const { return columns_[i - 1]; }
  // 1-based; the caller keeps j within 1..Selector_Count().
  const Selector_Def& Selector(int j) const { return selectors_[j - 1]; }

  // First column whose name equals `name` exactly (case counts); 0 if none.
  int Find_Column(std::string_view name) const;
  // First selector whose name (with "@") equals `name` exactly; 0 if none.
  int Find_Selector(std::string_view name) const;

  // Table column holding each line's date; 0 = none. Set by the page set after creation.
  int DateCol = 0;
  // What separates the fields and how many lines at the top are skipped; the blank-separated
  // table by default. Set by the page set after creation. Field numbers mean the same in any
  // form.
  Table_Form Form;

  // The code page of the data file's texts as the setup names it; empty: UTF-8.
  const std::string& Encoding() const { return encoding_; }

 private:
  std::string encoding_;
  std::vector<Column_Def> columns_;
  std::vector<Selector_Def> selectors_;
};

}  // namespace pw
