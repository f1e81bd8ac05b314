#include "render/file_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/D_Error.h"

namespace pw::render {

namespace {

// Everything that changes an entry's bytes, rights or place, and the folder's own end.
constexpr std::uint32_t kFolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_CREATE |
                                        IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                        IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

TC_File_Watch::TC_File_Watch(const std::vector<std::string>& files) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) throw Error(std::string("Cannot watch files: ") + std::strerror(errno));
  for (const std::string& file : files) {
    Add_Name(file);
    // A file named through a symbolic link changes in the folder of the file the link names.
    std::error_code error;
    if (std::filesystem::is_symlink(file, error)) {
      const std::filesystem::path target = std::filesystem::canonical(file, error);
      if (!error) Add_Name(target.string());
    }
  }
  for (const auto& [folder, names] : names_) {
    if (!Watch(folder)) unwatched_.insert(folder);
  }
}

void TC_File_Watch::Add_Name(const std::string& file) {
  const std::filesystem::path path(file);
  const std::filesystem::path parent = path.parent_path();
  names_[parent.empty() ? std::string(".") : parent.string()].insert(path.filename().string());
}

TC_File_Watch::~TC_File_Watch() {
  if (fd_ >= 0) ::close(fd_);
}

bool TC_File_Watch::Watch(const std::string& folder) {
  const int wd = ::inotify_add_watch(fd_, folder.c_str(), kFolderEvents);
  if (wd < 0) return false;
  folders_[wd].push_back(folder);
  return true;
}

bool TC_File_Watch::Take_Notices() {
  bool changed = false;
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(fd_, buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;  // nothing more now (EAGAIN)
    for (ssize_t at = 0; at < count;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        changed = true;
        continue;
      }
      const auto folder = folders_.find(event->wd);
      if (folder == folders_.end()) continue;
      if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
        // The folder went away or moved: its name is watched again once it is back.
        if (!(event->mask & IN_IGNORED)) ::inotify_rm_watch(fd_, event->wd);
        unwatched_.insert(folder->second.begin(), folder->second.end());
        folders_.erase(folder);
        changed = true;
        continue;
      }
      if (event->len == 0) continue;
      for (const std::string& name : folder->second) {
        if (names_[name].count(event->name) > 0) changed = true;
      }
    }
  }
  return changed;
}

bool TC_File_Watch::Retry() {
  bool watched = false;
  for (auto it = unwatched_.begin(); it != unwatched_.end();) {
    if (Watch(*it)) {
      it = unwatched_.erase(it);
      watched = true;
    } else {
      ++it;
    }
  }
  return watched;
}

}  // namespace pw::render
