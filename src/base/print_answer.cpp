#include "base/print_answer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/D_Error.h"

namespace pw {

void Write_Standard_Output(const std::string& text) {
  errno = 0;
  const bool written =
      std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
  if (written) return;
  const int reason = errno != 0 ? errno : EIO;
  throw Error(std::string("Cannot write file -: ") + std::strerror(reason));
}

int Print_Answer(const char* lead, const std::string& text) {
  try {
    Write_Standard_Output(text);
    return 0;
  } catch (const Error& e) {
    std::fprintf(stderr, "%s%s\n", lead, e.what());
    return 1;
  }
}

}  // namespace pw
