// Writing files from several threads at once.
#include "base/safe_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace pw {
namespace {

class Temp_Dir {
 public:
  Temp_Dir()
      : path_(std::filesystem::temp_directory_path() /
              ("pw_safe_file_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~Temp_Dir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::size_t Count() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(path_)) ++n;
    return n;
  }

 private:
  std::filesystem::path path_;
};

// Threads writing at once: every file gets the mode the user's mask allows, and the mask
// itself is left as it was (reading it means setting it for a moment).
TEST(SafeFile, ThreadsWritingAtOnceKeepTheMask) {
  Temp_Dir dir;
  const mode_t old_mask = umask(027);
  std::vector<std::jthread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&dir, t] {
      for (int i = 0; i < 40; ++i) {
        Write_Text_File(dir.File(std::to_string(t) + "_" + std::to_string(i)), "x");
      }
    });
  }
  threads.clear();  // joins
  const mode_t mask = umask(old_mask);
  EXPECT_EQ(mask, 027u);
  EXPECT_EQ(dir.Count(), 8u * 40u);
  for (int t = 0; t < 8; ++t) {
    for (int i = 0; i < 40; ++i) {
      struct stat st {};
      ASSERT_EQ(::stat(dir.File(std::to_string(t) + "_" + std::to_string(i)).c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0640u) << t << " " << i;
    }
  }
}

}  // namespace
}  // namespace pw
