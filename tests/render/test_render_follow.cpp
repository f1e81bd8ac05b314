// plotwright-render --follow, the program itself: lines appended, a half-written line, the file
// cut short, replaced by rename, removed and made again, the setup edited, errors reported
// once, a burst of writes, and SIGTERM and SIGINT ending it with 0 and whole files.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/quiet_time.h"
#include "render_fixture.h"

extern char** environ;

namespace pw::test {
namespace {

using namespace std::chrono_literals;

// A histogram and a scatter graph with automatic limits on each page listed.
std::string Follow_Setup(const std::string& pages = "P1") {
  return "[DataFile]\n"
         "A=1 5.2 Alpha\n"
         "B=2 5.2 Beta\n"
         "[Pages]\n"
         "Pages=" + pages + "\n"
         "[P1]\n"
         "Columns=2\n"
         "Graphs=H S\n"
         "[P1/H]\n"
         "Kind=hist\n"
         "x=A\n"
         "Color=Red\n"
         "Fill=1\n"
         "[P1/S]\n"
         "Kind=scatter\n"
         "x=A\n"
         "y=B\n"
         "Color=Yellow\n";
}

std::string Points(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) {
    text += std::to_string(i % 97) + " " + std::to_string(i * 3 % 101) + "\n";
  }
  return text;
}

// Each write of a burst: the time before it began and after it ended.
using Write_Times = std::vector<std::pair<TC_Quiet_Time::Time, TC_Quiet_Time::Time>>;

// The most renders a burst written at `writes` can give, the first render included: one after
// each pause in the writes that may have reached the quiet time, one for every full Longest the
// burst lasted, and the last. A loaded machine that stalls the writer makes more.
std::size_t Renders_Allowed(const Write_Times& writes) {
  std::size_t pauses = 0;
  for (std::size_t i = 1; i < writes.size(); ++i) {
    if (writes[i].second - writes[i - 1].first >= TC_Quiet_Time::Quiet) ++pauses;
  }
  const auto lasted = writes.back().second - writes.front().first;
  return 2 + pauses + static_cast<std::size_t>(lasted / TC_Quiet_Time::Longest);
}

class Render_Follow : public Render_Test {
 protected:
  void TearDown() override {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    Render_Test::TearDown();
  }

  // Starts the program with `args` in the test's folder, its standard error to follow.err.
  // With `as_nobody` and the tests running as root, the program runs as "nobody", for whom
  // file rights bind.
  void Start(const std::string& args, bool as_nobody = false) {
    const std::string user = as_nobody && ::geteuid() == 0
                                 ? "setpriv --reuid=65534 --regid=65534 --clear-groups "
                                 : "";
    const std::string command = "cd '" + dir_.string() + "' && exec " + user + "'" PW_RENDER_BIN
                                "' " + args + " >follow.out 2>follow.err </dev/null";
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    ASSERT_EQ(::posix_spawn(&pid_, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ),
              0);
  }
  // Sends `signal` and returns the exit status (-1 when it did not exit by itself).
  int Stop(int signal) {
    ::kill(pid_, signal);
    int raw = 0;
    ::waitpid(pid_, &raw, 0);
    pid_ = -1;
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  std::vector<std::string> Err_Lines() const {
    std::vector<std::string> lines;
    std::istringstream in(Read("follow.err"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Waits until standard error has `count` lines; true when it has.
  bool Wait_Lines(std::size_t count, std::chrono::milliseconds limit = 60s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Err_Lines().size() < count) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(20ms);
    }
    return true;
  }
  // Waits for the next line of standard error and returns it.
  std::string Next_Line() {
    const std::size_t seen = lines_seen_;
    if (!Wait_Lines(seen + 1)) return "(no line after: " + Read("follow.err") + ")";
    lines_seen_ = seen + 1;
    return Err_Lines()[seen];
  }
  // No new line on standard error for a while (longer than the quiet time and a render).
  void Expect_Quiet() {
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(Err_Lines().size(), lines_seen_) << Read("follow.err");
  }
  void Append(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary | std::ios::app) << text;
  }
  // The followed run's report and page picture are those of a plain run on the files as
  // they are now.
  void Expect_As_A_Plain_Run() {
    const Run_Result plain = Run("-f bmp -s 400x300 -o plain -r plain.json s.ini d.dat");
    ASSERT_EQ(plain.Status, 0) << plain.Err;
    EXPECT_EQ(Read("report.json"), Read("plain.json"));
    EXPECT_EQ(Read("out/d.01.bmp"), Read("plain/d.01.bmp"));
  }

  pid_t pid_ = -1;
  std::size_t lines_seen_ = 0;
};

TEST_F(Render_Follow, EveryKindOfChange) {
  Write("s.ini", Follow_Setup());
  Write("d.dat", Points(1, 100));
  Start("--follow -f bmp -s 400x300 -o out -r report.json s.ini d.dat");
  EXPECT_EQ(Next_Line(), "rendered 100 points, 1 pages");
  Expect_As_A_Plain_Run();

  Append("d.dat", Points(101, 150) + "250 7");  // the last line is not finished
  EXPECT_EQ(Next_Line(), "rendered 150 points, 1 pages");
  Append("d.dat", "5");
  Expect_Quiet();
  Append("d.dat", "\n");
  EXPECT_EQ(Next_Line(), "rendered 151 points, 1 pages");
  Expect_As_A_Plain_Run();

  Write("d.dat", Points(1, 30));  // cut short in place
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  Write("d.new", Points(1, 60));
  std::filesystem::rename(dir_ / "d.new", dir_ / "d.dat");
  EXPECT_EQ(Next_Line(), "rendered 60 points, 1 pages");
  Expect_As_A_Plain_Run();

  // An editor's save: a new file renamed over the setup.
  Write("s.new", Follow_Setup("P1 P1"));
  std::filesystem::rename(dir_ / "s.new", dir_ / "s.ini");
  EXPECT_EQ(Next_Line(), "rendered 60 points, 2 pages");

  // A bad line: reported once; lines after it change nothing, as a full load would stop there.
  Append("d.dat", "x 1\n");
  EXPECT_EQ(Next_Line(), "error: 'x' is not a valid floating point value");
  Append("d.dat", Points(1, 5));
  Expect_Quiet();

  std::filesystem::remove(dir_ / "d.dat");
  EXPECT_EQ(Next_Line(), "fatal error: Missing file: d.dat");
  Append("s.ini", "; touched\n");
  Expect_Quiet();
  Write("d.dat", Points(1, 10));
  EXPECT_EQ(Next_Line(), "rendered 10 points, 2 pages");
  Expect_As_A_Plain_Run();

  EXPECT_EQ(Stop(SIGTERM), 0);
  // Every file written whole under its own name: no temporary file is left.
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "out")) {
    EXPECT_EQ(entry.path().extension(), ".bmp") << entry.path();
  }
  EXPECT_EQ(Read_Bmp("out/d.02.bmp").Width, 400);
}

// 100 appends in a row (each its own write, a few milliseconds apart) give a few renders, not
// 100; SIGINT ends the program with 0.
TEST_F(Render_Follow, ABurstOfAppendsGivesFewRenders) {
  Write("s.ini", Follow_Setup());
  Write("d.dat", Points(1, 100));
  Start("--follow -s 200x150 -o out s.ini d.dat");
  EXPECT_EQ(Next_Line(), "rendered 100 points, 1 pages");
  Write_Times writes;
  for (int i = 101; i <= 200; ++i) {
    const auto before = TC_Quiet_Time::Clock::now();
    Append("d.dat", Points(i, i));
    writes.emplace_back(before, TC_Quiet_Time::Clock::now());
    std::this_thread::sleep_for(2ms);
  }
  for (;;) {
    const std::string line = Next_Line();
    if (line == "rendered 200 points, 1 pages") break;
    ASSERT_EQ(line.rfind("rendered ", 0), 0u) << line;
  }
  EXPECT_LE(lines_seen_, std::max<std::size_t>(4, Renders_Allowed(writes))) << Read("follow.err");
  Expect_Quiet();
  EXPECT_EQ(Stop(SIGINT), 0);
}

// A render that fails at the start (no data file yet) is reported, and the file is picked up
// when it comes.
TEST_F(Render_Follow, DataFileThatComesLater) {
  Write("s.ini", Follow_Setup());
  std::filesystem::create_directories(dir_ / "later");
  Start("--follow -s 200x150 -o out s.ini later/d.dat");
  EXPECT_EQ(Next_Line(), "fatal error: Missing file: later/d.dat");
  Write("later/d.dat", Points(1, 20));
  EXPECT_EQ(Next_Line(), "rendered 20 points, 1 pages");
  EXPECT_TRUE(Exists("out/d.01.png"));
  EXPECT_EQ(Stop(SIGTERM), 0);
}

// Files named through symbolic links into other folders: lines added to the data file and an
// edit of the setup are seen where the files are.
TEST_F(Render_Follow, FilesThroughSymbolicLinks) {
  std::filesystem::create_directories(dir_ / "real");
  Write("real/s.ini", Follow_Setup());
  Write("real/d.dat", Points(1, 20));
  std::filesystem::create_symlink("real/s.ini", dir_ / "s.ini");
  std::filesystem::create_symlink(dir_ / "real/d.dat", dir_ / "d.dat");
  Start("--follow -s 200x150 -o out s.ini d.dat");
  EXPECT_EQ(Next_Line(), "rendered 20 points, 1 pages");
  Append("real/d.dat", Points(21, 30));
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  Append("real/s.ini", "[P1]\nGraphs=H\n");
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  EXPECT_EQ(Stop(SIGTERM), 0);
}

// The data file through a link pointed at a file in another folder: lines added there, and a
// file renamed over it there, are seen, as is the link's own change.
TEST_F(Render_Follow, LinkPointedElsewhere) {
  Write("s.ini", Follow_Setup());
  std::filesystem::create_directories(dir_ / "a");
  std::filesystem::create_directories(dir_ / "b");
  Write("a/d.dat", Points(1, 20));
  Write("b/d.dat", Points(1, 30));
  std::filesystem::create_symlink(dir_ / "a/d.dat", dir_ / "d.dat");
  Start("--follow -f bmp -s 400x300 -o out -r report.json s.ini d.dat");
  EXPECT_EQ(Next_Line(), "rendered 20 points, 1 pages");
  std::filesystem::create_symlink(dir_ / "b/d.dat", dir_ / "d.new");
  std::filesystem::rename(dir_ / "d.new", dir_ / "d.dat");
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  Append("b/d.dat", Points(31, 40));
  EXPECT_EQ(Next_Line(), "rendered 40 points, 1 pages");
  Write("b/d.new", Points(1, 50));
  std::filesystem::rename(dir_ / "b/d.new", dir_ / "b/d.dat");
  EXPECT_EQ(Next_Line(), "rendered 50 points, 1 pages");
  Expect_As_A_Plain_Run();
  EXPECT_EQ(Stop(SIGTERM), 0);
}

// A data folder we may not read cannot be watched: its file is watched itself (lines added, a
// file renamed over it), and one made anew there after it was removed is looked for now and
// then.
TEST_F(Render_Follow, DataFolderWeMayNotRead) {
  namespace fs = std::filesystem;
  Write("s.ini", Follow_Setup());
  fs::create_directories(dir_ / "data");
  fs::create_directories(dir_ / "out");
  fs::permissions(dir_ / "out", fs::perms::all);
  Write("data/d.dat", Points(1, 20));
  // Search but no read: as ourselves, or for "nobody" when the tests run as root.
  fs::permissions(dir_ / "data", ::geteuid() == 0 ? fs::perms(0711) : fs::perms(0300));
  Start("--follow -s 200x150 -o out s.ini data/d.dat", true);
  EXPECT_EQ(Next_Line(), "rendered 20 points, 1 pages");
  Append("data/d.dat", Points(21, 30));
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  Write("data/d.new", Points(1, 40));
  fs::rename(dir_ / "data/d.new", dir_ / "data/d.dat");
  EXPECT_EQ(Next_Line(), "rendered 40 points, 1 pages");
  Append("data/d.dat", Points(41, 45));
  EXPECT_EQ(Next_Line(), "rendered 45 points, 1 pages");
  fs::remove(dir_ / "data/d.dat");
  EXPECT_EQ(Next_Line(), "fatal error: Missing file: data/d.dat");
  Write("data/d.dat", Points(1, 7));
  EXPECT_EQ(Next_Line(), "rendered 7 points, 1 pages");
  EXPECT_EQ(Stop(SIGTERM), 0);
  fs::permissions(dir_ / "data", fs::perms::owner_all);
}

// The data file's folder removed and made again: the new folder is watched.
TEST_F(Render_Follow, DataFolderRemovedAndMadeAgain) {
  Write("s.ini", Follow_Setup());
  std::filesystem::create_directories(dir_ / "data");
  Write("data/d.dat", Points(1, 20));
  Start("--follow -s 200x150 -o out s.ini data/d.dat");
  EXPECT_EQ(Next_Line(), "rendered 20 points, 1 pages");
  std::filesystem::remove_all(dir_ / "data");
  EXPECT_EQ(Next_Line(), "fatal error: Missing file: data/d.dat");
  std::filesystem::create_directories(dir_ / "data");
  Write("data/d.dat", Points(1, 30));
  EXPECT_EQ(Next_Line(), "rendered 30 points, 1 pages");
  Append("data/d.dat", Points(31, 35));
  EXPECT_EQ(Next_Line(), "rendered 35 points, 1 pages");
  EXPECT_EQ(Stop(SIGTERM), 0);
}

// A named pipe as the data file is never opened for reading, while following too: one with no
// writer would hold the program for ever, deaf to SIGTERM.
TEST_F(Render_Follow, NamedPipeAsTheDataFile) {
  Write("s.ini", Follow_Setup());
  ASSERT_EQ(::mkfifo((dir_ / "d.dat").c_str(), 0600), 0);
  Start("--follow -s 200x150 -o out s.ini d.dat");
  EXPECT_EQ(Next_Line(), "fatal error: Missing file: d.dat");
  std::string pie = Follow_Setup();
  pie.replace(pie.find("Kind=hist"), 9, "Kind=pie");
  Write("s.ini", pie);
  ASSERT_EQ(Next_Line(), "fatal error: Wrong graph kind in [P1/H]: pie");
  EXPECT_EQ(Stop(SIGTERM), 0);
}

}  // namespace
}  // namespace pw::test
