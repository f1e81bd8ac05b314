// What the file system says of a file, to tell whether it changed since it was last looked at.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace pw {

struct File_Stamp {
  bool Exists = false;  // a regular file (or a link to one) of that name is there
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;  // with Device: which file it is (a file replaced by rename is another)
  std::uint64_t Size = 0;
  std::int64_t Modified_Ns = 0;  // last change of its bytes
  std::int64_t Changed_Ns = 0;   // last change of its bytes or of its entry (rename, rights)

  bool operator==(const File_Stamp&) const = default;
  // The same file (device and inode), both existing.
  bool Same_File(const File_Stamp& other) const {
    return Exists && other.Exists && Device == other.Device && Inode == other.Inode;
  }
};

// The stamp of the file `path`; Exists is false when there is no regular file of that name
// (a folder, a device or nothing at all), and every other field is then 0.
File_Stamp Stamp_Of(const std::string& path);
// The stamp of an open file.
File_Stamp Stamp_Of(const struct stat& info);

}  // namespace pw
