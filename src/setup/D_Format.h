// Number notation of the whole program: text to numbers and numbers to text.
//
// Every conversion uses "." as the decimal point and no thousands separator, whatever the
// process locale (nothing here consults the C or C++ locale). Bad text raises a non-fatal
// Error with the program's conversion messages:
//   "'%s' is not a valid integer value", "'%s' is not a valid floating point value",
//   "'%s' is not a valid date".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

// Fixes the notation at program start. Conversions here never depend on the locale, so this
// only has to make sure library formatting that might be used elsewhere is in the "C" form.
void Set_Notation();

// Surrounding spaces are trimmed by every conversion; anything else outside the grammar (a
// tab included), and an empty text, fails. Error messages quote the text as given.
//
// Integer: optional sign and decimal digits in the 32-bit signed range, or "$" and up to
// 32 bits of hexadecimal digits taken as a two's complement pattern ($FFFFFFFF is -1); no
// sign before "$". Try_ leaves `value` unchanged on failure.
std::int32_t Str_To_Int(std::string_view text);
bool Try_Str_To_Int(std::string_view text, std::int32_t& value);

// Number: optional sign, digits with an optional "." part, optional exponent "E"/"e" with
// optional sign and at least one digit (".5" and "5." are numbers; "inf", "nan", hex and a
// comma are not). Correctly rounded to long double. Overflow to infinity fails; underflow to
// zero or a denormal is accepted. Try_ leaves `value` unchanged on failure.
long double Str_To_Float(std::string_view text);
bool Try_Str_To_Float(std::string_view text, long double& value);

// True when x converts to a finite double: its magnitude is below DBL_MAX plus half its last
// place (from there on the conversion, undefined for such values, would give an infinity).
// An infinity or NaN gives false.
bool Fits_Double(long double x);

// Date written year/month/day (1-4, 1-2 and 1-2 digits, year 1..9999 taken literally, a real
// calendar date: 2024/02/30 fails); returns the day number (days since 1899-12-30).
double Str_To_Date(std::string_view text);

// Time of day "h:m:s" with an optional day prefix "#" +48 h, "+" +24 h, "-" -24 h, "=" -48 h.
// Returns false and value 0 when the text has no ":"; raises the conversion error of the
// failing part otherwise (hours and minutes integers, seconds a number; "12:30" fails on the
// empty seconds). Fields are split like Split_Fields with ":", at most three.
bool Parse_Time(std::string_view text, long double& value);

// The leading digit of x stands for 10^n; -1 for zero, 0 for a non-finite x.
int Decimal_Exponent(long double x);

// Fits x into `width` characters (statistics line). Missing gives "?".
std::string Format_Number(int width, int max_decimals, bool force_exponent, long double x,
                          bool strip_zeros, bool no_fill);

// Compact form (tick labels); precision 0 means Significant_Digits. Missing gives "?".
std::string Format_Short(int precision, long double x);

// The platform's three float text forms (precision limited to 2..18):
// fixed with `decimals` decimals (exponent form when x has more integer digits than the
// precision), exponent with at least `exponent_digits` exponent digits and a signed exponent,
// and general (shortest text of at most `precision` significant digits). The fixed form keeps
// at most `precision` significant digits (zeros after them) and drops the "-" of a value
// that rounds to zero; its exponent fallback has 2 exponent digits. Missing gives "?".
std::string Fixed_Form(long double x, int precision, int decimals);
std::string Exponent_Form(long double x, int precision, int exponent_digits);
std::string General_Form(long double x, int precision);

}  // namespace pw
