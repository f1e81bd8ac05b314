#include "data/d_bytesource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/D_Error.h"

namespace pw {

TC_File_Source::TC_File_Source(const std::string& file_name, std::uint64_t offset)
    : file_name_(file_name) {
  fd_ = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) Fail("Cannot open data file ");
  struct stat info {};
  int error = ::fstat(fd_, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
  if (error == 0 && offset > 0 &&
      ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) != static_cast<off_t>(offset)) {
    error = errno;
  }
  if (error != 0) {
    // A throwing constructor runs no destructor: the file is closed here.
    ::close(fd_);
    fd_ = -1;
    errno = error;
    Fail("Cannot read data file ");
  }
  size_ = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
  position_ = offset;
}

std::unique_ptr<TC_File_Source> TC_File_Source::Standard_Input(const std::string& name) {
  std::unique_ptr<TC_File_Source> source(new TC_File_Source());
  source->file_name_ = name;
  source->owned_ = false;
  struct stat info {};
  if (::fstat(STDIN_FILENO, &info) != 0) source->Fail("Cannot read data file ");
  source->fd_ = STDIN_FILENO;
  if (S_ISREG(info.st_mode)) {
    // A file given with "<" may have been read in part already: what is left is the size.
    const off_t at = ::lseek(STDIN_FILENO, 0, SEEK_CUR);
    const auto size = static_cast<std::uint64_t>(info.st_size);
    source->size_ = size;
    source->position_ = at > 0 ? std::min(static_cast<std::uint64_t>(at), size) : 0;
  }
  return source;
}

TC_File_Source::~TC_File_Source() {
  if (fd_ >= 0 && owned_) ::close(fd_);
}

void TC_File_Source::Fail(const char* what) const {
  const int reason = errno;
  throw Error(what + file_name_ + ": " + std::strerror(reason));
}

struct stat TC_File_Source::Status() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) Fail("Cannot read data file ");
  return info;
}

std::string TC_File_Source::Read_At(std::uint64_t offset, std::size_t size) const {
  std::string bytes(size, '\0');
  std::size_t have = 0;
  while (have < size) {
    const ssize_t count =
        ::pread(fd_, bytes.data() + have, size - have, static_cast<off_t>(offset + have));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) Fail("Cannot read data file ");
    if (count == 0) break;
    have += static_cast<std::size_t>(count);
  }
  bytes.resize(have);
  return bytes;
}

std::size_t TC_File_Source::Read(char* into, std::size_t size) {
  ssize_t count;
  do {
    count = ::read(fd_, into, size);
  } while (count < 0 && errno == EINTR);
  if (count < 0) Fail("Cannot read data file ");
  position_ += static_cast<std::uint64_t>(count);
  return static_cast<std::size_t>(count);
}

}  // namespace pw
