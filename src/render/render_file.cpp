#include "render/render_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/D_Error.h"

namespace pw::render {

namespace {

[[noreturn]] void Fail(const std::string& path, int error) {
  throw Error("Cannot write file " + path + ": " + std::strerror(error != 0 ? error : EIO));
}

}  // namespace

void Write_Text_File(const std::string& path, const std::string& text) {
  std::string temp = path + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) Fail(path, errno);
  // mkstemp makes the file private; the report is as readable as any file the user makes.
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    unlink(temp.c_str());
    Fail(path, error);
  }
  errno = 0;
  bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (ok && std::fflush(file) != 0) ok = false;
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    unlink(temp.c_str());
    Fail(path, error);
  }
}

}  // namespace pw::render
