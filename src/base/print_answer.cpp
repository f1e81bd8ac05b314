#include "base/print_answer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pw {

int Print_Answer(const char* lead, const std::string& text) {
  errno = 0;
  const bool written =
      std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
  if (written) return 0;
  const int reason = errno != 0 ? errno : EIO;
  std::fprintf(stderr, "%sCannot write file -: %s\n", lead, std::strerror(reason));
  return 1;
}

}  // namespace pw
