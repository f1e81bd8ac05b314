// The renderer's file watch: a link pointed at a file in another folder, a target replaced
// there, a folder removed and made again, all seen through notices (no looking again by
// time), with no watch or descriptor left behind.
#include "render/file_watch.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace pw::test {
namespace {

namespace fs = std::filesystem;
using render::TC_File_Watch;

class File_Watch : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("pw_watch_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& text) {
    fs::create_directories((dir_ / name).parent_path());
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  void Append(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary | std::ios::app) << text;
  }
  void Point_Link(const std::string& link, const std::string& target) {
    fs::create_symlink(Path(target), Path(link + ".new"));
    fs::rename(Path(link + ".new"), Path(link));
  }
  // Whether a notice about a watched file comes within half a second.
  static bool Noticed(TC_File_Watch& watch) {
    pollfd wait{watch.Descriptor(), POLLIN, 0};
    bool changed = false;
    while (!changed && ::poll(&wait, 1, 500) > 0) changed = watch.Take_Notices();
    return changed;
  }
  static std::size_t Open_Descriptors() {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
  }

  fs::path dir_;
};

TEST_F(File_Watch, LinkPointedAtAFileInAnotherFolder) {
  Write("a/d.dat", "1\n");
  Write("b/d.dat", "2\n");
  fs::create_symlink(Path("a/d.dat"), Path("d.dat"));
  TC_File_Watch watch({Path("d.dat")});
  EXPECT_TRUE(watch.All_Watched());
  Append("a/d.dat", "3\n");
  EXPECT_TRUE(Noticed(watch));
  Point_Link("d.dat", "b/d.dat");
  EXPECT_TRUE(Noticed(watch));
  Append("b/d.dat", "4\n");
  EXPECT_TRUE(Noticed(watch));
  Append("a/d.dat", "5\n");  // no longer what the name leads to
  EXPECT_FALSE(Noticed(watch));
  Write("b/d.new", "6\n");
  fs::rename(Path("b/d.new"), Path("b/d.dat"));
  EXPECT_TRUE(Noticed(watch));
  EXPECT_EQ(watch.Watch_Count(), 2u);  // the test's folder and b
  EXPECT_TRUE(watch.All_Watched());
}

// A chain of links: a change of the link in the middle is seen, and the file at the new end.
TEST_F(File_Watch, ChainOfLinks) {
  Write("a/d.dat", "1\n");
  Write("c/d.dat", "2\n");
  fs::create_directories(dir_ / "b");
  fs::create_symlink("../a/d.dat", Path("b/mid"));
  fs::create_symlink("b/mid", Path("d.dat"));
  TC_File_Watch watch({Path("d.dat")});
  Point_Link("b/mid", "c/d.dat");
  EXPECT_TRUE(Noticed(watch));
  Append("c/d.dat", "3\n");
  EXPECT_TRUE(Noticed(watch));
  EXPECT_EQ(watch.Watch_Count(), 3u);
}

// The data file's folder removed and made again, over and over: each time the new folder is
// watched, with no looking again by time and nothing left behind.
TEST_F(File_Watch, FolderRemovedAndMadeAgain) {
  Write("data/sub/d.dat", "1\n");
  const std::size_t descriptors = Open_Descriptors();
  TC_File_Watch watch({Path("data/sub/d.dat")});
  for (int round = 0; round < 30; ++round) {
    fs::remove_all(dir_ / "data");
    EXPECT_TRUE(Noticed(watch)) << round;
    EXPECT_TRUE(watch.All_Watched()) << round;
    EXPECT_EQ(watch.Watch_Count(), 1u) << round;  // the test's folder
    fs::create_directories(dir_ / "data/sub");
    Noticed(watch);
    Write("data/sub/d.dat", "2\n");
    EXPECT_TRUE(Noticed(watch)) << round;
    Append("data/sub/d.dat", "3\n");
    EXPECT_TRUE(Noticed(watch)) << round;
    EXPECT_EQ(watch.Watch_Count(), 1u) << round;  // data/sub
  }
  EXPECT_EQ(Open_Descriptors(), descriptors + 1);
}

}  // namespace
}  // namespace pw::test
