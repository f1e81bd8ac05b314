#include "base/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "base/D_Error.h"

namespace pw {

namespace {

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw Error("Cannot write file " + path + ": " + reason);
}

// The process's file mode mask. It can only be read by setting it, so two threads reading it
// at once could each get the other's 0 and leave 0 behind: one thread at a time.
mode_t Current_Umask() {
  static std::mutex lock;
  const std::lock_guard<std::mutex> hold(lock);
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Hands the open `fd` to `write` as a stream and closes it, whatever happens: true when
// `write` succeeded and every byte went out; else false, `reason` holding the writer's words
// or the system's. An exception from `write` is passed on after the close.
bool Write_And_Close(int fd, const std::function<bool(std::FILE*, std::string&)>& write,
                     std::string& reason) {
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    reason = std::strerror(errno);
    close(fd);
    return false;
  }
  errno = 0;
  bool ok = false;
  try {
    ok = write(file, reason);
  } catch (...) {
    std::fclose(file);
    throw;
  }
  if (ok && std::fflush(file) != 0) ok = false;
  if (ok && std::ferror(file)) ok = false;
  int error = errno;
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (!ok && reason.empty()) reason = std::strerror(error != 0 ? error : EIO);
  return ok;
}

// Hands `path`, which exists and is no regular file (a device such as /dev/null, a named
// pipe), to `write` as it is: a new file renamed over it would take its place. A pipe that
// nobody reads fails at once ("No such device or address") rather than waiting for a reader
// forever; once open, writes wait as usual.
void Write_Through(const std::string& path,
                   const std::function<bool(std::FILE*, std::string&)>& write) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) Fail(path, std::strerror(errno));
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    const int error = errno;
    close(fd);
    Fail(path, std::strerror(error));
  }
  std::string reason;
  if (!Write_And_Close(fd, write, reason)) Fail(path, reason);
}

// The file a symbolic link names (the link stays, and the file gets the text), else `path`.
std::string Link_Target(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;  // a dangling link is replaced, as before
  std::string target(real);
  std::free(real);
  return target;
}

// The mkstemp pattern of the temporary file beside `target`: its name plus ".XXXXXX", with the
// name cut short when that would pass the folder's limit on a name (so every name the system
// allows can be written; a name already too long is left for the system to refuse).
std::string Temp_Pattern(const std::string& target) {
  constexpr std::size_t Suffix = 7;  // ".XXXXXX"
  const std::size_t slash = target.rfind('/');
  const std::size_t name_at = slash == std::string::npos ? 0 : slash + 1;
  const std::size_t name_bytes = target.size() - name_at;
  const std::string folder =
      slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  const std::size_t max_name = limit > static_cast<long>(Suffix) ? static_cast<std::size_t>(limit)
                                                                   : 255;
  if (name_bytes + Suffix <= max_name || name_bytes > max_name) return target + ".XXXXXX";
  return target.substr(0, name_at + max_name - Suffix) + ".XXXXXX";
}

}  // namespace

void Write_File_Atomically(const std::string& path,
                           const std::function<bool(std::FILE*, std::string&)>& write) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode)) {
    Write_Through(path, write);
    return;
  }
  const std::string target = Link_Target(path);
  std::string temp = Temp_Pattern(target);
  const int fd = mkstemp(temp.data());
  if (fd < 0) Fail(path, std::strerror(errno));
  // mkstemp makes the file private; ours are as readable as any file the user makes.
  fchmod(fd, 0666 & ~Current_Umask());
  std::string reason;
  bool ok = false;
  try {
    ok = Write_And_Close(fd, write, reason);
  } catch (...) {  // an exception from `write` (out of memory) must not leak the temporary file
    unlink(temp.c_str());
    throw;
  }
  if (ok && std::rename(temp.c_str(), target.c_str()) != 0) {
    ok = false;
    if (reason.empty()) reason = std::strerror(errno);
  }
  if (!ok) {
    unlink(temp.c_str());
    Fail(path, reason);
  }
}

void Write_Text_File(const std::string& path, const std::string& text) {
  Write_File_Atomically(path, [&text](std::FILE* file, std::string&) {
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
  });
}

}  // namespace pw
