// Exact, allocation-free conversion of data fields to long double.
//
// The data loader converts millions of fields; the library conversions (strtold and
// from_chars to long double) are several times slower than splitting the file. Most data
// fields carry few significant digits, so their value is an integer mantissa of at most 19
// digits times or divided by a power of ten that long double holds exactly (10^0..10^27):
// one multiplication or division, hence one rounding, gives the correctly rounded result.
// Everything else goes to Str_To_Float, which is exact on every input and owns the grammar
// and the error message.
#pragma once

#include <string_view>

namespace pw {

// Converts the plain forms [+-]digits[.digits][(e|E)[+-]digits] when the exact fast path
// applies; returns false (value untouched) for every other text, valid or not.
bool Fast_Str_To_Float(std::string_view text, long double& value);

// The field as a number: the fast path, else Str_To_Float (which raises the conversion error
// "'%s' is not a valid floating point value" on bad text, the empty text included).
long double Field_To_Float(std::string_view text);

}  // namespace pw
