#include "render/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "base/D_Error.h"
#include "base/link_chain.h"

namespace pw::render {

namespace {

// Everything that changes an entry's bytes, rights or place, and the folder's own end.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
                                        IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
// A file watched itself: its bytes, its rights and links (a rename over it drops a link),
// its end.
constexpr std::uint32_t kFileEvents =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;
// Notices that may change what a name leads to: the entry made, removed, moved, or its rights.
constexpr std::uint32_t kEntryEvents =
    IN_ATTRIB | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

bool Folder_Missing(const std::string& folder) {
  std::error_code error;
  return !std::filesystem::is_directory(folder, error) &&
         (!error || error == std::errc::no_such_file_or_directory ||
          error == std::errc::not_a_directory);
}

}  // namespace

TC_File_Watch::TC_File_Watch(const std::vector<std::string>& files) : files_(files) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) throw Error(std::string("Cannot watch files: ") + std::strerror(errno));
  Arm();
}

TC_File_Watch::~TC_File_Watch() {
  if (fd_ >= 0) ::close(fd_);
}

int TC_File_Watch::Add(const std::string& path, bool folder) {
  return ::inotify_add_watch(fd_, path.c_str(), folder ? kFolderEvents : kFileEvents);
}

int TC_File_Watch::Add_Above(const std::string& folder) {
  std::error_code error;
  std::filesystem::path at = std::filesystem::absolute(folder, error).lexically_normal();
  if (error) return -1;
  if (!at.has_filename()) at = at.parent_path();  // "/x/." normalizes to "/x/"
  while (at.has_relative_path()) {
    at = at.parent_path();
    const int wd = Add(at.string(), true);
    if (wd >= 0) return wd;
  }
  return -1;
}

bool TC_File_Watch::Arm() {
  names_.clear();
  for (const std::string& file : files_) {
    for (const std::string& hop : Link_Chain(file)) {
      const std::filesystem::path path(hop);
      const std::filesystem::path parent = path.parent_path();
      names_[parent.empty() ? std::string(".") : parent.string()].insert(
          path.filename().string());
    }
  }
  std::map<int, Watch_Use> now;
  int unseen = 0;
  for (const auto& [folder, names] : names_) {
    if (const int wd = Add(folder, true); wd >= 0) {
      now[wd].Folders.insert(folder);
      continue;
    }
    // Not there (it comes back in the folder above), or not ours to read (its files tell
    // of their own changes, but not of a file made anew in it).
    const bool missing = Folder_Missing(folder);
    const int above = Add_Above(folder);
    if (above >= 0) now[above].Above = true;
    for (const std::string& name : names) {
      if (const int wd = Add((std::filesystem::path(folder) / name).string(), false); wd >= 0) {
        now[wd].File = true;
      } else if (!missing || above < 0) {
        ++unseen;
      }
    }
  }
  bool added = false;
  for (const auto& [wd, use] : now) added = added || watches_.count(wd) == 0;
  for (const auto& [wd, use] : watches_) {
    if (now.count(wd) == 0) ::inotify_rm_watch(fd_, wd);
  }
  watches_ = std::move(now);
  unseen_ = unseen;
  return added;
}

bool TC_File_Watch::Take_Notices() {
  bool changed = false;
  bool moved = false;  // what the names lead to may differ now
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;  // nothing more now (EAGAIN)
    for (ssize_t at = 0; at < count;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        changed = moved = true;
        continue;
      }
      const auto watch = watches_.find(event->wd);
      if (watch == watches_.end()) continue;  // one dropped by Arm
      const Watch_Use& use = watch->second;
      if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
        changed = moved = true;  // the folder or file went away or moved
        continue;
      }
      if (use.File) {
        changed = true;
        moved = moved || (event->mask & IN_ATTRIB) != 0;
      }
      if (use.Above) moved = true;
      if (event->len == 0) continue;
      for (const std::string& folder : use.Folders) {
        if (names_[folder].count(event->name) == 0) continue;
        changed = true;
        moved = moved || (event->mask & kEntryEvents) != 0;
      }
    }
  }
  if (moved && Arm()) changed = true;
  return changed;
}

bool TC_File_Watch::Retry() { return unseen_ > 0 && Arm(); }

}  // namespace pw::render
