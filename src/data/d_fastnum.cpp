#include "data/d_fastnum.h"

#include "setup/D_Format.h"

namespace pw {

long double Field_To_Float(std::string_view text) {
  long double value;
  if (Fast_Str_To_Float(text, value)) return value;
  return Str_To_Float(text);
}

}  // namespace pw
