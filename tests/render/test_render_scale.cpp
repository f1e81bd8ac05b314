// plotwright-render at the edges of size: memory running out, a very large canvas, the most
// pages, graphs and layers a setup can hold, and picture files that cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

// AddressSanitizer reserves terabytes of address space, so a limit on it cannot be used there.
#ifdef PW_RENDER_SANITIZED
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

constexpr rlim_t Megabyte = 1024 * 1024;

struct Limits {
  rlim_t Address_Space = 0;  // bytes; 0: none
  rlim_t File_Size = 0;      // bytes; 0: none (past it, writes fail with "File too large")
  bool As_Nobody = false;    // when run as root, drop to an unprivileged user
};

class Render_Scale : public Render_Test {
 protected:
  // Runs the program from the test's folder with `args`, under `limits` set in the child just
  // before it starts the program.
  Run_Result Run_Limited(const std::vector<std::string>& args, const Limits& limits) {
    std::vector<std::string> words{PW_RENDER_BIN};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    // Under the sanitizers the leak checker's suppression summary must not reach stderr.
    const char* lsan = std::getenv("LSAN_OPTIONS");
    std::string lsan_options = std::string("LSAN_OPTIONS=") + (lsan ? lsan : "") +
                               (lsan && *lsan ? ":" : "") + "print_suppressions=0";
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::string(*e).rfind("LSAN_OPTIONS=", 0) != 0) env.push_back(*e);
    }
    env.push_back(lsan_options.data());
    env.push_back(nullptr);
    const std::string dir = dir_.string();

    const pid_t pid = fork();
    if (pid == 0) {
      const int out = open((dir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int in = open("/dev/null", O_RDONLY);
      if (out < 0 || err < 0 || in < 0 || chdir(dir.c_str()) != 0) _exit(126);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      if (limits.Address_Space != 0) {
        const rlimit r{limits.Address_Space, limits.Address_Space};
        if (setrlimit(RLIMIT_AS, &r) != 0) _exit(126);
      }
      if (limits.File_Size != 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // stays ignored in the program: writes fail instead
        const rlimit r{limits.File_Size, limits.File_Size};
        if (setrlimit(RLIMIT_FSIZE, &r) != 0) _exit(126);
      }
      if (limits.As_Nobody && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
        _exit(126);
      }
      execve(argv[0], argv.data(), env.data());
      _exit(127);
    }
    Run_Result r;
    int raw = 0;
    if (pid > 0 && waitpid(pid, &raw, 0) == pid) {
      r.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
    }
    r.Out = Read("stdout.txt");
    r.Err = Read("stderr.txt");
    return r;
  }

  std::vector<std::string> Files_In(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / folder)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

// One histogram of column A on one page; `main` goes into section [Plotwright].
std::string Small_Setup(const std::string& main) {
  return "[Plotwright]\n" + main +
         "[DataFile]\n"
         "A=1 5.2 Alpha\n"
         "[Pages]\n"
         "Pages=P1\n"
         "[P1]\n"
         "Graphs=H\n"
         "[P1/H]\n"
         "Kind=hist\n"
         "x=A\n";
}

TEST_F(Render_Scale, AbsurdGrowthStepEndsTheLoadWithAMessage) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  Write("s.ini", Small_Setup("NPts=2000000000\n"));
  Write("d.dat", "1\n2\n3\n");
  const Run_Result r =
      Run_Limited({"-o", "out", "-r", "report.json", "s.ini", "d.dat"}, {300 * Megabyte});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Not enough memory to load d.dat after 0 points\n");
  EXPECT_FALSE(Exists("out"));  // nothing was drawn, so no picture
  const Json j = Json::parse(Read("report.json"));
  EXPECT_EQ(j["points"], 0);
  EXPECT_EQ(j["pages"][0]["drawn"], false);
}

// 128 columns of 10 bytes a point: 400 000 points need 512 MB, more than the limit allows.
TEST_F(Render_Scale, FileTooLargeForMemoryKeepsTheEarlierPoints) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  constexpr int Step = 20000;
  constexpr int Lines = 400000;
  std::string setup = "[Plotwright]\nNPts=" + std::to_string(Step) + "\n[DataFile]\n";
  for (int c = 1; c <= 128; ++c) {
    setup += 'C';
    setup += std::to_string(c);
    setup += "=1 5.2 C\n";
  }
  setup += "[Pages]\nPages=P1\n[P1]\nGraphs=H\n[P1/H]\nKind=hist\nx=C1\n";
  Write("s.ini", setup);
  std::string data;
  for (int i = 1; i <= Lines; ++i) data += std::to_string(i % 1000) + "\n";
  Write("big.dat", data);

  // The same message and points on any number of threads.
  std::string first_err;
  for (const char* threads : {"1", "2", "3", "8"}) {
    SCOPED_TRACE(threads);
    const Run_Result r = Run_Limited(
        {"-j", threads, "-o", "out", "-r", "report.json", "s.ini", "big.dat"}, {300 * Megabyte});
    EXPECT_EQ(r.Status, 1);
    const std::string head = "error: Not enough memory to load big.dat after ";
    ASSERT_EQ(r.Err.substr(0, head.size()), head) << r.Err;
    const long points = std::strtol(r.Err.c_str() + head.size(), nullptr, 10);
    std::string expected = head;
    expected += std::to_string(points);
    expected += " points\n";
    EXPECT_EQ(r.Err, expected);
    if (first_err.empty()) first_err = r.Err;
    EXPECT_EQ(r.Err, first_err);
    // The storage grows in whole steps, and the points before the failure stay loaded.
    EXPECT_GT(points, 0);
    EXPECT_LT(points, Lines);
    EXPECT_EQ(points % Step, 0);
    const Json j = Json::parse(Read("report.json"));
    EXPECT_EQ(j["points"], points);
    EXPECT_FALSE(Exists("out"));
  }
}

TEST_F(Render_Scale, LimitedMemoryStillRendersASmallFile) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  Write("s.ini", Small_Setup(""));
  Write("d.dat", "1\n2\n3\n");
  const Run_Result r = Run_Limited({"-o", "out", "s.ini", "d.dat"}, {300 * Megabyte});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_TRUE(Exists("out/d.01.png"));
}

TEST_F(Render_Scale, CanvasLargerThanMemoryGivesAMessage) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  Write("s.ini", Small_Setup(""));
  Write("d.dat", "1\n2\n3\n");
  const Run_Result r =
      Run_Limited({"-s", "8192x8192", "-o", "out", "s.ini", "d.dat"}, {200 * Megabyte});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Not enough memory for a picture of 8192 x 8192 pixels\n");
  EXPECT_FALSE(Exists("out"));
}

// Four pages whose pictures fit in memory one at a time but not side by side: every thread
// count writes them, as one thread does. The limit is found on one thread (a few runs, in steps
// of 16 MB) and given a little room, less than three more pictures being encoded would need.
TEST_F(Render_Scale, PicturesThatFitOneAtATimeAreWrittenOnAnyThreadCount) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  Write("s.ini",
        "[DataFile]\nA=1 5.2 Alpha\n[Pages]\nPages=P1 P2 P3 P4\n"
        "[P1]\nGraphs=H\n[P1/H]\nKind=hist\nx=A\n[P2]\nGraphs=H\n[P2/H]\nKind=hist\nx=A\n"
        "[P3]\nGraphs=H\n[P3/H]\nKind=hist\nx=A\n[P4]\nGraphs=H\n[P4/H]\nKind=hist\nx=A\n");
  Write("d.dat", "1\n2\n3\n");
  auto run = [&](const std::string& threads, rlim_t megabytes) {
    return Run_Limited({"-j", threads, "-s", "3000x3000", "-o", "out" + threads, "s.ini", "d.dat"},
                       {megabytes * Megabyte});
  };
  rlim_t low = 64, high = 1024;  // one thread fails at `low` and succeeds at `high`
  ASSERT_EQ(run("1", high).Status, 0);
  while (high - low > 16) {
    const rlim_t middle = (low + high) / 2;
    (run("1", middle).Status == 0 ? high : low) = middle;
  }
  ASSERT_EQ(run("1", high).Status, 0);
  const Run_Result r = run("4", high + 48);
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "");
  for (const char* page : {"/d.01.png", "/d.02.png", "/d.03.png", "/d.04.png"}) {
    EXPECT_TRUE(Exists(std::string("out1") + page));
    EXPECT_TRUE(Read(std::string("out4") + page) == Read(std::string("out1") + page)) << page;
  }
}

// Sixteen pages of 2000 x 2000 pixels need 256 MB side by side, more than the limit; a few at
// a time fit. Each page is written once drawn and gives its pixels back, so every thread count
// writes all sixteen, the same bytes as one thread.
TEST_F(Render_Scale, SixteenPagesLargerThanMemoryTogetherAreWrittenAsTheyAreDrawn) {
  if (Sanitized) GTEST_SKIP() << "no address space limit under AddressSanitizer";
  std::string setup = "[DataFile]\nA=1 5.2 Alpha\n[Pages]\nPages=";
  for (int k = 1; k <= 16; ++k) setup += "P" + std::to_string(k) + " ";
  setup += "\n";
  for (int k = 1; k <= 16; ++k) {
    const std::string page = "P" + std::to_string(k);
    setup += "[" + page + "]\nTitle=Page " + std::to_string(k) + "\nGraphs=H\n[" + page +
             "/H]\nKind=hist\nx=A\n";
  }
  Write("s.ini", setup);
  Write("d.dat", "1\n2\n3\n5\n8\n");
  struct Case {
    std::string Format, Threads;
  };
  for (const Case& c : std::vector<Case>{{"bmp", "1"}, {"bmp", "3"}, {"svg", "1"}, {"svg", "2"}}) {
    SCOPED_TRACE(c.Format + " on " + c.Threads);
    const std::string out = "out_" + c.Format + "_" + c.Threads;
    const Run_Result r = Run_Limited({"-j", c.Threads, "-f", c.Format, "-s", "2000x2000", "-o",
                                      out, "-r", out + ".json", "s.ini", "d.dat"},
                                     {200 * Megabyte});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Err, "");
    std::vector<std::string> expected;
    for (int k = 1; k <= 16; ++k) {
      expected.push_back((k < 10 ? "d.0" : "d.") + std::to_string(k) + "." + c.Format);
    }
    ASSERT_EQ(Files_In(out), expected);
    const Json j = Json::parse(Read(out + ".json"));
    EXPECT_EQ(j["pages"].size(), 16u);
    EXPECT_EQ(j["pages"][15]["drawn"], true);
    const std::string first = "out_" + c.Format + "_1/";
    for (const std::string& name : expected) {
      EXPECT_TRUE(Read(out + "/" + name) == Read(first + name)) << name;
    }
  }
}

// Reads 24-bit BMP pixels one at a time, without holding the whole picture.
class Bmp_Pixels {
 public:
  explicit Bmp_Pixels(const std::filesystem::path& path) : in_(path, std::ios::binary) {
    unsigned char h[54] = {};
    in_.read(reinterpret_cast<char*>(h), sizeof h);
    auto u32 = [&](int at) {
      return static_cast<std::uint32_t>(h[at] | h[at + 1] << 8 | h[at + 2] << 16 |
                                        static_cast<std::uint32_t>(h[at + 3]) << 24);
    };
    offset_ = u32(10);
    width_ = static_cast<int>(u32(18));
    height_ = static_cast<int>(u32(22));
    stride_ = (static_cast<std::uint64_t>(width_) * 3 + 3) / 4 * 4;
  }
  int Width() const { return width_; }
  int Height() const { return height_; }
  // 0xRRGGBB of pixel (x, y), y counted from the top.
  std::uint32_t At(int x, int y) {
    unsigned char p[3] = {};
    in_.seekg(static_cast<std::streamoff>(offset_ + stride_ * (height_ - 1 - y) + 3ull * x));
    in_.read(reinterpret_cast<char*>(p), 3);
    return static_cast<std::uint32_t>(p[2] << 16 | p[1] << 8 | p[0]);
  }

 private:
  std::ifstream in_;
  std::uint64_t offset_ = 0;
  std::uint64_t stride_ = 0;
  int width_ = 0;
  int height_ = 0;
};

TEST_F(Render_Scale, CanvasOf8000By8000) {
  if (Sanitized) GTEST_SKIP() << "a 256 MB picture is too slow under the sanitizers";
  Write("s.ini",
        "[DataFile]\n"
        "A=1 5.2 A\n"
        "B=2 5.2 B\n"
        "[Pages]\n"
        "Pages=P1\n"
        "BgColor=Navy\n"
        "[P1]\n"
        "Graphs=S\n"
        "[P1/S]\n"
        "Kind=scatter\n"
        "x=A\n"
        "y=B\n"
        "xlo=0\n"
        "xhi=10\n"
        "ylo=0\n"
        "yhi=10\n"
        "BgColor=Maroon\n"
        "Grid=0\n"
        "Color=Yellow\n");
  Write("d.dat", "5 5\n");
  const Run_Result r = Run_Limited(
      {"-s", "8000x8000", "-f", "bmp", "-o", "out", "-r", "report.json", "s.ini", "d.dat"}, {});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(std::filesystem::file_size(dir_ / "out/d.01.bmp"), 54u + 24000u * 8000u);
  const Json j = Json::parse(Read("report.json"));
  const Json& plot = j["pages"][0]["graphs"][0]["plot"];
  const int left = plot["left"], right = plot["right"], top = plot["top"], bottom = plot["bottom"];
  EXPECT_GT(right - left, 7000);
  EXPECT_GT(bottom - top, 7000);

  Bmp_Pixels bmp(dir_ / "out/d.01.bmp");
  ASSERT_EQ(bmp.Width(), 8000);
  ASSERT_EQ(bmp.Height(), 8000);
  // The page's margin, all four corners.
  EXPECT_EQ(bmp.At(0, 0), 0x000080u);
  EXPECT_EQ(bmp.At(7999, 0), 0x000080u);
  EXPECT_EQ(bmp.At(0, 7999), 0x000080u);
  EXPECT_EQ(bmp.At(7999, 7999), 0x000080u);
  // Inside the plot area, away from the point in its middle.
  EXPECT_EQ(bmp.At(left + 100, top + 100), 0x800000u);
  EXPECT_EQ(bmp.At(right - 100, bottom - 100), 0x800000u);
  // The point (5, 5) is drawn in the middle of the plot.
  const int cx = (left + right) / 2, cy = (top + bottom) / 2;
  int yellow = 0;
  for (int y = cy - 6; y <= cy + 6; ++y) {
    for (int x = cx - 6; x <= cx + 6; ++x) yellow += bmp.At(x, y) == 0xFFFF00u;
  }
  EXPECT_GT(yellow, 0);
}

// A title of 100 000 characters at the largest font is millions of pixels wide; only the part
// that lands on the canvas is rendered, so it costs no more memory than a short one.
TEST_F(Render_Scale, HugeTitleRendersWithinLittleMemory) {
  Write("s.ini", "[DataFile]\nA=1 5.2 Alpha\n[Pages]\nPages=P1\n[P1]\nTitleFontSize=1000\nTitle=" +
                     std::string(100000, 'W') + "\nGraphs=H\n[P1/H]\nKind=hist\nx=A\n");
  Write("d.dat", "1\n2\n3\n");
  Limits limits;
  if (!Sanitized) limits.Address_Space = 300 * Megabyte;
  const Run_Result r = Run_Limited({"-f", "bmp", "-o", "out", "s.ini", "d.dat"}, limits);
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const Bmp bmp = Read_Bmp("out/d.01.bmp");
  ASSERT_EQ(bmp.Width, 1024);
  // The middle of the title band is covered by the letters' ink (silver on black).
  int lit = 0;
  for (int x = 0; x < bmp.Width; ++x) lit += bmp.At(x, 500) != 0;
  EXPECT_GT(lit, 100);
}

// A density layer on a plot area sixteen million rows tall (a huge negative title size) needs
// counts only for the page's pixels. The three points far above the page still set the scale:
// the two on the page's part are drawn in the middle grey of a linear scale up to 3.
TEST_F(Render_Scale, DensityOnAPlotAreaFarBeyondThePage) {
  Write("s.ini",
        "[DataFile]\nA=1 5.2 Alpha\nB=2 5.2 Beta\n[Pages]\nPages=P\n[P]\nTitle=T\n"
        "TitleFontSize=-16000000\nGraphs=D\n[P/D]\nKind=scatter\nx=A\nxlo=0\nxhi=10\ny=B\n"
        "ylo=0\nyhi=10\nDensity=yes\nColorMap=gray\nDensityScale=linear\n");
  Write("d.dat", "5 0\n5 0\n5 10\n5 10\n5 10\n");
  Limits limits;
  if (!Sanitized) limits.Address_Space = 300 * Megabyte;
  const Run_Result r = Run_Limited(
      {"-f", "bmp", "-s", "400x300", "-o", "out", "-r", "report.json", "s.ini", "d.dat"}, limits);
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const Json j = Json::parse(Read("report.json"));
  const Json& graph = j["pages"][0]["graphs"][0];
  EXPECT_EQ(graph["plot"]["top"], -15999982);
  EXPECT_EQ(graph["layers"][0]["max_count"], 3);
  const int x = (graph["plot"]["left"].get<int>() + graph["plot"]["right"].get<int>()) / 2;
  const Bmp bmp = Read_Bmp("out/d.01.bmp");
  EXPECT_EQ(bmp.At(x, graph["plot"]["bottom"]), 0x808080u);
}

// 16 pages of 64 graphs of 32 layers, every graph and layer from the shared section.
std::string Full_Setup() {
  std::string pages, graphs, layers;
  for (int i = 1; i <= 16; ++i) pages += " P" + std::to_string(i);
  for (int i = 1; i <= 64; ++i) graphs += " G" + std::to_string(i);
  for (int i = 1; i <= 32; ++i) layers += " L" + std::to_string(i);
  std::string setup =
      "[DataFile]\nA=1 5.2 A\nB=2 5.2 B\n"
      "[Pages]\nPages=" +
      pages + "\nRows=8\nColumns=8\nGraphs=" + graphs +
      "\nKind=scatter\nx=A\ny=B\nLayers=" + layers + "\n";
  // Odd pages are histograms, with fixed X limits so that they may have several layers.
  for (int i = 1; i <= 16; i += 2)
    setup += "[P" + std::to_string(i) + "]\nKind=hist\nxlo=0\nxhi=20\n";
  return setup;
}

TEST_F(Render_Scale, SixteenPagesOf64GraphsOf32Layers) {
  Write("s.ini", Full_Setup());
  std::string data;
  for (int i = 0; i < 200; ++i) {
    data += std::to_string(i % 17) + " " + std::to_string(i % 23) + "\n";
  }
  Write("d.dat", data);
  const Run_Result r = Run_Limited({"-o", "out", "-r", "report.json", "s.ini", "d.dat"}, {});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  const Json j = Json::parse(Read("report.json"));
  ASSERT_EQ(j["pages"].size(), 16u);
  for (int p = 0; p < 16; ++p) {
    const Json& page = j["pages"][p];
    EXPECT_EQ(page["drawn"], true);
    ASSERT_EQ(page["graphs"].size(), 64u);
    for (const Json& graph : page["graphs"]) {
      EXPECT_EQ(graph["kind"], p % 2 == 0 ? "histogram" : "scatter");
      ASSERT_EQ(graph["layers"].size(), 32u);
    }
    EXPECT_TRUE(Exists("out/d." + std::string(p < 9 ? "0" : "") + std::to_string(p + 1) + ".png"));
  }
}

TEST_F(Render_Scale, FolderThatCannotBeMadeKeepsTheReport) {
  Write("s.ini", Small_Setup(""));
  Write("d.dat", "1\n2\n3\n");
  Write("plain", "a file where the folder should go");
  const Run_Result r = Run_Limited({"-o", "plain/out", "-r", "-", "s.ini", "d.dat"}, {});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot create folder plain/out: Not a directory\n");
  const Json j = Json::parse(r.Out);
  EXPECT_EQ(j["points"], 3);
  EXPECT_EQ(j["pages"][0]["drawn"], true);
}

TEST_F(Render_Scale, FolderThatCannotBeWrittenGivesTheSystemsReason) {
  const bool root = geteuid() == 0;
  Write("s.ini", Small_Setup(""));
  Write("d.dat", "1\n2\n3\n");
  std::filesystem::create_directories(dir_ / "locked");
  // As root the program runs as nobody, for whom the folder is read-only.
  if (!root) {
    std::filesystem::permissions(
        dir_ / "locked", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }
  Limits limits;
  limits.As_Nobody = true;
  const Run_Result r = Run_Limited({"-o", "locked", "-r", "-", "s.ini", "d.dat"}, limits);
  std::filesystem::permissions(dir_ / "locked", std::filesystem::perms::owner_all);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file locked/d.01.png: Permission denied\n");
  EXPECT_TRUE(Files_In("locked").empty());
  EXPECT_EQ(Json::parse(r.Out)["points"], 3);
}

// A target that is a folder: the picture is written out, the rename fails, and the
// temporary file goes; the other page is written all the same.
TEST_F(Render_Scale, FailedRenameLeavesNoTemporaryFile) {
  Write("s.ini", "[DataFile]\nA=1 5.2 A\n[Pages]\nPages=P1 P1\nGraphs=H\nKind=hist\nx=A\n");
  Write("d.dat", "1\n2\n3\n");
  std::filesystem::create_directories(dir_ / "out/d.01.png");
  const Run_Result r = Run_Limited({"-o", "out", "s.ini", "d.dat"}, {});
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.png: Is a directory\n");
  EXPECT_EQ(Files_In("out"), (std::vector<std::string>{"d.01.png", "d.02.png"}));
  EXPECT_TRUE(std::filesystem::is_directory(dir_ / "out/d.01.png"));
}

// A disk that fills up mid-picture: the write fails with the system's reason and no partial
// picture nor temporary file stays.
TEST_F(Render_Scale, WriteCutShortLeavesNoPartialFile) {
  Write("s.ini", Small_Setup(""));
  Write("d.dat", "1\n2\n3\n");
  std::filesystem::create_directories(dir_ / "out");
  Limits limits;
  limits.File_Size = 100 * 1024;  // a 400 x 300 BMP needs 360 054 bytes
  const Run_Result r =
      Run_Limited({"-s", "400x300", "-f", "bmp", "-o", "out", "s.ini", "d.dat"}, limits);
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.bmp: File too large\n");
  EXPECT_TRUE(Files_In("out").empty());
}

}  // namespace
}  // namespace pw::test
