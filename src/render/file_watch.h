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
  // happens to an entry of one of those names. A file named through symbolic links is watched
  // in the folder of every link on the way and of the file at its end, as the links stand
  // after the latest notice. A folder that is not there is waited for through the nearest
  // folder above it that can be watched; one that cannot be watched (no right to read it) has
  // its files watched themselves, and a file that can be watched neither way is looked at by
  // Retry. Raises "Cannot watch files: " + the system's reason when the kernel gives no
  // notices at all.
  explicit TC_File_Watch(const std::vector<std::string>& files);
  ~TC_File_Watch();
  TC_File_Watch(const TC_File_Watch&) = delete;
  TC_File_Watch& operator=(const TC_File_Watch&) = delete;

  // To wait on (readable when notices came).
  int Descriptor() const { return fd_; }
  // Reads the notices that came, without waiting, and watches anew what they moved (a link
  // pointed elsewhere, a folder gone or back); true when one concerns a watched file, or
  // notices were lost (too many at once), or something is watched now that was not (its
  // files may have changed meanwhile).
  bool Take_Notices();
  // Tries again to watch what is not watched; true when something is watched now that was not.
  bool Retry();
  // Nothing needs Retry: every file is seen through notices.
  bool All_Watched() const { return unseen_ == 0; }
  // Watches held now (tests: none may leak).
  std::size_t Watch_Count() const { return watches_.size(); }

 private:
  // What one watch is for (a folder holds one watch however many names lead to it).
  struct Watch_Use {
    std::set<std::string> Folders;  // as named: "." and its full name may share a watch
    bool File = false;              // a file watched itself: every notice concerns it
    bool Above = false;             // a folder above a missing or unwatchable one
  };

  // Watches what the files need as they stand now and drops the watches no longer needed;
  // true when a watch was added.
  bool Arm();
  // Adds (or keeps) a watch; -1 when the system refuses it.
  int Add(const std::string& path, bool folder);
  // The nearest folder above `folder` that can be watched, or -1.
  int Add_Above(const std::string& folder);

  std::vector<std::string> files_;
  int fd_ = -1;
  std::map<std::string, std::set<std::string>> names_;  // folder -> names of watched files
  std::map<int, Watch_Use> watches_;
  int unseen_ = 0;  // files seen through no watch at the latest Arm
};

}  // namespace pw::render
