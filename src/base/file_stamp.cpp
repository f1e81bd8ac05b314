#include "base/file_stamp.h"

namespace pw {

namespace {

std::int64_t Nanoseconds(const struct timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

File_Stamp Stamp_Of(const struct stat& info) {
  File_Stamp stamp;
  if (!S_ISREG(info.st_mode)) return stamp;
  stamp.Exists = true;
  stamp.Device = static_cast<std::uint64_t>(info.st_dev);
  stamp.Inode = static_cast<std::uint64_t>(info.st_ino);
  stamp.Size = static_cast<std::uint64_t>(info.st_size);
  stamp.Modified_Ns = Nanoseconds(info.st_mtim);
  stamp.Changed_Ns = Nanoseconds(info.st_ctim);
  return stamp;
}

File_Stamp Stamp_Of(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return Stamp_Of(info);
}

}  // namespace pw
