#include "base/D_Error.h"

#include <utility>

namespace pw {

Error::Error(std::string message, bool fatal) : message_(std::move(message)), fatal_(fatal) {
  if (fatal_) Fatal_Error = true;
}

}  // namespace pw
