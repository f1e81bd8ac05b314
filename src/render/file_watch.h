// Kernel notices (inotify) of changes to a few files, watched through their folders: a file
// replaced by rename, or removed and made again, is still seen, which a watch on the file
// itself would lose.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace pw::render {

class TC_File_Watch {
 public:
  // Watches the folders of `files` (relative names: from the current folder) for anything that
  // happens to an entry of one of those names. A folder that cannot be watched (it does not
  // exist yet, say) is tried again by Retry. A file named through a symbolic link is watched
  // in the folder of the file the link names as well (as it stands now). Raises "Cannot watch
  // files: " + the system's reason when the kernel gives no notices at all.
  explicit TC_File_Watch(const std::vector<std::string>& files);
  ~TC_File_Watch();
  TC_File_Watch(const TC_File_Watch&) = delete;
  TC_File_Watch& operator=(const TC_File_Watch&) = delete;

  // To wait on (readable when notices came).
  int Descriptor() const { return fd_; }
  // Reads the notices that came, without waiting; true when one concerns a watched file, or
  // notices were lost (too many at once), or a folder's watch ended (the folder went away or
  // moved: it is tried again by Retry).
  bool Take_Notices();
  // Tries again to watch the folders not watched; true when one is watched now (its files
  // may have changed meanwhile).
  bool Retry();
  // Every folder is watched.
  bool All_Watched() const { return unwatched_.empty(); }

 private:
  bool Watch(const std::string& folder);
  // Watches the name of `file` in its folder.
  void Add_Name(const std::string& file);

  int fd_ = -1;
  std::map<std::string, std::set<std::string>> names_;  // folder -> names of watched files
  // Watch -> its folders (two names of one folder, "." and its full name, share a watch).
  std::map<int, std::vector<std::string>> folders_;
  std::set<std::string> unwatched_;
};

}  // namespace pw::render
