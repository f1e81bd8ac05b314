// Writing files from several threads at once.
#include "base/safe_file.h"

#include "base/D_Error.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

// A name that is no regular file is written through, not replaced: a named pipe (as a device
// such as /dev/null would be) stays a pipe and its reader gets the text; a symbolic link stays
// a link and the file it names gets the text.
TEST(SafeFile, PipesAndLinksAreWrittenThrough) {
  Temp_Dir dir;
  const std::string pipe = dir.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  Write_Text_File(pipe, "through the pipe");
  char buffer[64] = {};
  const ssize_t got = ::read(reader, buffer, sizeof buffer);
  ::close(reader);
  EXPECT_EQ(std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0), "through the pipe");
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
  // Nobody reads the pipe now: the write fails at once instead of waiting for ever.
  try {
    Write_Text_File(pipe, "unread");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot write file " + pipe + ": No such device or address");
  }

  const std::string target = dir.File("target");
  const std::string link = dir.File("link");
  Write_Text_File(target, "old");
  std::filesystem::create_symlink(target, link);
  Write_Text_File(link, "new");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "new");
  EXPECT_EQ(dir.Count(), 3u);  // no temporary file left behind
}

// The temporary name beside the file must fit the system's limit on a name as the file's own
// does: every name the system allows is written, and one byte more is refused with its reason.
TEST(SafeFile, NamesUpToTheSystemsLimitAreWritten) {
  Temp_Dir dir;
  const long limit = ::pathconf(dir.File("").c_str(), _PC_NAME_MAX);
  ASSERT_GT(limit, 8);
  for (const long length : {limit - 7, limit - 6, limit - 1, limit}) {
    const std::string file = dir.File(std::string(static_cast<std::size_t>(length - 4), 'n') +
                                      ".bmp");
    Write_Text_File(file, "x");
    EXPECT_TRUE(std::filesystem::is_regular_file(file)) << length;
    EXPECT_EQ(dir.Count(), 1u) << length;  // no temporary file left behind
    std::filesystem::remove(file);
  }
  const std::string too_long = dir.File(std::string(static_cast<std::size_t>(limit + 1), 'n'));
  try {
    Write_Text_File(too_long, "x");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot write file " + too_long + ": File name too long");
  }
  EXPECT_EQ(dir.Count(), 0u);
}

}  // namespace
}  // namespace pw
