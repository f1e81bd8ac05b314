// Hostile and huge inputs through the real plotwright-render: every case ends with its own
// message and exit status, never a crash or a hang, and nothing that was made before the
// failure is lost (pictures already drawn, the report, no half-written files left behind).
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <ostream>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

extern char** environ;

namespace pw::test {
namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// A run that takes longer than this has hung: it is killed and the test fails.
constexpr auto Watchdog = std::chrono::seconds(60);

const std::string Data_Def =
    "[DataFile]\n"
    "A=1 5.1 Alpha\n"
    "B=2 5.1 Beta\n"
    "@G=3\n";

// Page 1: a scatter graph of B against A; page 2: a histogram of A.
const std::string Pages =
    "[Pages]\nPages=P1 P2\n"
    "[P1]\nGraphs=G1\n[P1/G1]\nKind=scatter\nx=A\ny=B\n"
    "[P2]\nGraphs=H\n[P2/H]\nKind=hist\nx=A\n";

const std::string Good_Setup = Data_Def + Pages;
const std::string Good_Data = "1 2 a\n2 3 b\n3 1 a\n";

// Inserts `text` right after the header line `header` (which must be in `setup`).
std::string Insert_After(std::string setup, const std::string& header, const std::string& text) {
  const std::size_t at = setup.find(header + "\n");
  if (at == std::string::npos) {
    ADD_FAILURE() << "no " << header;
    return setup;
  }
  return setup.insert(at + header.size() + 1, text);
}

std::string Repeat(const std::string& piece, int n) {
  std::string s;
  s.reserve(piece.size() * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) s += piece;
  return s;
}

// The user a run drops to when the tests run as root ("nobody" on Debian).
constexpr uid_t Unprivileged_Id = 65534;

class Render_Stress : public Render_Test {
 protected:
  // Runs the program with exactly these arguments (no shell) in the test's folder, standard
  // output and error to files; a run that outlives the watchdog is killed and fails the test.
  // With `unprivileged` and the tests running as root, the program runs as an ordinary user
  // (see Hand_Folder_To_User), for whom file permissions bind as they do for every user.
  Run_Result Spawn(const std::vector<std::string>& args, bool unprivileged = false) {
    std::vector<std::string> env_text;
    std::string lsan = "LSAN_OPTIONS=print_suppressions=0";
    for (char** e = environ; *e != nullptr; ++e) {
      const std::string entry = *e;
      if (entry.rfind("LSAN_OPTIONS=", 0) == 0) {
        lsan = entry + ":print_suppressions=0";
      } else {
        env_text.push_back(entry);
      }
    }
    env_text.push_back(lsan);
    std::vector<char*> envp;
    for (std::string& s : env_text) envp.push_back(s.data());
    envp.push_back(nullptr);

    std::vector<std::string> argv_text{PW_RENDER_BIN};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argv_text) argv.push_back(s.data());
    argv.push_back(nullptr);

    pid_t pid = 0;
    int spawned = 0;
    if (unprivileged && ::geteuid() == 0) {
      Hand_Folder_To_User();
      spawned = Fork_Unprivileged(argv, envp, pid);
    } else {
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
      posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
      posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC,
                                       0644);
      spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
      posix_spawn_file_actions_destroy(&actions);
    }
    Run_Result r;
    if (spawned != 0) {
      ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(spawned);
      return r;
    }
    const auto deadline = std::chrono::steady_clock::now() + Watchdog;
    int status = 0;
    for (;;) {
      const pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) break;
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        ADD_FAILURE() << "plotwright-render hung and was killed";
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (WIFEXITED(status)) {
      r.Status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
      r.Status = 128 + WTERMSIG(status);
    }
    r.Out = Read("stdout.txt");
    r.Err = Read("stderr.txt");
    return r;
  }

  // The usual run: s.ini and d.dat, pictures into "out", the report into rep.json.
  Run_Result Run_Std(const std::string& data = "d.dat", bool unprivileged = false) {
    return Spawn({"-s", "64x48", "-o", "out", "-r", "rep.json", "s.ini", data}, unprivileged);
  }

  // Gives the test's folder and everything in it to the unprivileged user, keeping the
  // permissions: that user then owns the files as the tester does when not root.
  void Hand_Folder_To_User() const {
    auto hand = [](const fs::path& path) {
      if (::lchown(path.c_str(), Unprivileged_Id, Unprivileged_Id) != 0) {
        ADD_FAILURE() << "cannot hand " << path << " over: " << std::strerror(errno);
      }
    };
    hand(dir_);
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) hand(entry.path());
  }

  // fork and exec as the unprivileged user, with the file actions of Spawn. Returns 0 or the
  // error of fork; a child that cannot drop its privileges exits with 126.
  int Fork_Unprivileged(std::vector<char*>& argv, std::vector<char*>& envp, pid_t& pid) const {
    const std::string dir = dir_.string();
    pid = ::fork();
    if (pid < 0) return errno;
    if (pid > 0) return 0;
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open((dir + "/stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open((dir + "/stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::chdir(dir.c_str()) != 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (::setgroups(0, nullptr) != 0 || ::setgid(Unprivileged_Id) != 0 ||
        ::setuid(Unprivileged_Id) != 0) {
      ::_exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }

  Json Report() {
    const std::string text = Read("rep.json");
    if (text.empty()) {
      ADD_FAILURE() << "no report";
      return Json::object();
    }
    return Json::parse(text);
  }

  // Every file in the folder `sub`, sorted; a half-written or temporary file shows here.
  std::vector<std::string> Files_In(const std::string& sub) const {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir_ / sub, ec)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

std::vector<std::string> Pictures(int n) {
  std::vector<std::string> names;
  for (int k = 1; k <= n; ++k) names.push_back("d.0" + std::to_string(k) + ".png");
  return names;
}

// ---- Whole-file cases: one setup, one data file, one message ----

struct Stress_Case {
  const char* name;
  std::string setup;
  std::string data;
  std::string err;  // standard error, to the character
  int status;
  int points;    // the report's "points"
  int pictures;  // pages written into "out"
};

std::string Nul_Bytes(std::size_t n) {
  return std::string(n, '\0');
}

// Random bytes of a fixed generator and seed: the same file on every machine.
std::string Random_Bytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

// A data line of exactly `length` characters: point (1, 2, a) and then 7s up to the length.
std::string Line_Of(std::size_t length) {
  std::string line = "1 2 a";
  while (line.size() + 2 <= length) line += " 7";
  if (line.size() < length) line += "7";
  return line;
}

std::vector<Stress_Case> Whole_File_Cases() {
  const std::string setup = Good_Setup;
  const std::string fields_200 = [] {
    std::string line;
    for (int k = 1; k <= 200; ++k) line += (k > 1 ? " " : "") + std::to_string(k);
    return line + "\n";
  }();
  const std::string setup_128 = "[DataFile]\nA=1 5.1\nB=128 5.1\n" + Pages;
  return {
      {"EmptySetup", "", Good_Data, "fatal error: Zero columns in file definition\n", 1, 0, 0},
      {"EmptyData", setup, "", "fatal error: No points in data buffer loaded from d.dat\n", 1, 0,
       0},
      {"NulSetup", Nul_Bytes(4096), Good_Data, "fatal error: Zero columns in file definition\n", 1,
       0, 0},
      // One 200 000-byte line with nothing but control characters: stripped, it is empty.
      {"NulData", setup, Nul_Bytes(200000),
       "fatal error: No points in data buffer loaded from d.dat\n", 1, 0, 0},
      {"BinarySetup", Random_Bytes(65536, 7), Good_Data,
       "fatal error: Zero columns in file definition\n", 1, 0, 0},
      {"LineOf70000", setup, "1 2 a\n2 3 b\n" + Repeat("1 ", 35000) + "\n4 5 a\n",
       "error: Range check error\n", 1, 2, 0},
      {"LineOf65535", setup, "1 2 a\n" + Line_Of(65535) + "\n4 5 a\n", "", 0, 3, 2},
      {"LineOf65536", setup, "1 2 a\n" + Line_Of(65536) + "\n4 5 a\n", "error: Range check error\n",
       1, 1, 0},
      // Blanks around a line do not count towards its length.
      {"LongBlankEnds", setup,
       "1 2 a\n" + std::string(70000, ' ') + "5 6 a" + std::string(70000, '\t') + "\n", "", 0, 2,
       2},
      // Beyond the reader's 2 MiB block: blanks still do not count, anything else does.
      {"MegabytesOfLeadingBlanks", setup, "1 2 a\n" + std::string(3 << 20, ' ') + "5 6 a\n", "", 0,
       2, 2},
      {"MegabytesOfTrailingBlanks", setup,
       "1 2 a\n5 6 a" + std::string(3 << 20, '\r') + "\n7 8 b\n", "", 0, 3, 2},
      {"MegabytesBetweenFields", setup, "1 2 a\n5 6 a" + std::string(3 << 20, ' ') + "x\n7 8 b\n",
       "error: Range check error\n", 1, 1, 0},
      {"MegabytesOfFields", setup, "1 2 a\n" + Repeat("1 ", 3 << 19) + "\n7 8 b\n",
       "error: Range check error\n", 1, 1, 0},
      {"LongComment", setup, "1 2 a\n;" + std::string(70000, 'x') + "\n3 4 b\n", "", 0, 2, 2},
      {"TwoHundredFields", setup_128, fields_200 + fields_200, "", 0, 2, 2},
      {"EndsMidLine", setup, "1 2 a\n2 3 b\n3 4", "", 0, 3, 2},
      {"EndsMidNumberAfterCR", setup, "1 2 a\r\n2 3 b\r\n3.", "", 0, 3, 2},
      {"EndOfFileCharacter", setup,
       "1 2 a\n2 3\x1A"
       "4 5 a\n",
       "", 0, 2, 2},
  };
}

void PrintTo(const Stress_Case& c, std::ostream* os) {
  *os << c.name;
}

class Whole_Files : public Render_Stress, public ::testing::WithParamInterface<Stress_Case> {};

TEST_P(Whole_Files, MessageStatusAndWhatIsKept) {
  const Stress_Case& c = GetParam();
  Write("s.ini", c.setup);
  Write("d.dat", c.data);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, c.err);
  EXPECT_EQ(r.Status, c.status);
  EXPECT_EQ(Report()["points"], c.points);
  EXPECT_EQ(Files_In("out"), Pictures(c.pictures));
}

INSTANTIATE_TEST_SUITE_P(All, Whole_Files, ::testing::ValuesIn(Whole_File_Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Random bytes as data ----

bool Is_Missing_Marker(const std::string& f) {
  return !f.empty() && (f[0] == '?' || f[0] == 'N' || f[0] == 'n');
}

// Texts that might be numbers or times; the model below does not judge those.
bool Number_Like(const std::string& f) {
  return f.find_first_not_of("0123456789+-.eE:") == std::string::npos;
}

// What the loader must make of `bytes` read through Data_Def: the points before the first
// line whose A or B field fails, and that field. An empty field means no line failed.
struct Expected_Load {
  int points = 0;
  std::string bad_field;
  bool judged = true;  // false: a field the model cannot judge
};

Expected_Load Model_Load(std::string bytes) {
  Expected_Load e;
  bytes = bytes.substr(0, bytes.find('\x1A'));
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!line.empty() && blank(line.back())) line.pop_back();
    std::size_t lead = 0;
    while (lead < line.size() && blank(line[lead])) ++lead;
    line.erase(0, lead);
    if (line.empty() || line[0] == '/' || line[0] == ':' || line[0] == ';') continue;
    if (line.size() > 65535) {
      e.judged = false;
      return e;
    }
    std::vector<std::string> fields;
    std::size_t p = 0;
    while (fields.size() < 2) {
      while (p < line.size() && line[p] == ' ') ++p;
      if (p == line.size()) break;
      const std::size_t q = std::min(line.find(' ', p), line.size());
      fields.push_back(line.substr(p, q - p));
      p = q;
    }
    for (const std::string& f : fields) {
      if (Is_Missing_Marker(f)) continue;
      if (Number_Like(f)) {
        e.judged = false;
        return e;
      }
      e.bad_field = f;
      return e;
    }
    ++e.points;
  }
  return e;
}

TEST_F(Render_Stress, BinaryData) {
  const std::string bytes = Random_Bytes(65536, 20240229);
  const Expected_Load e = Model_Load(bytes);
  ASSERT_TRUE(e.judged) << "pick another seed";
  ASSERT_FALSE(e.bad_field.empty());
  std::string shown = e.bad_field;
  std::replace(shown.begin(), shown.end(), '\r', ' ');  // messages are printed on one line
  Write("s.ini", Good_Setup);
  Write("d.dat", bytes);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: '" + shown + "' is not a valid floating point value\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Report()["points"], e.points);
  EXPECT_EQ(Files_In("out"), Pictures(0));
}

// ---- Numbers written in every form ----

struct Number_Case {
  const char* name;
  const char* field;
  bool accepted;  // false: "'<field>' is not a valid floating point value"
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Number_Case& c, std::ostream* os) { *os << c.name; }

class Number_Forms : public Render_Stress, public ::testing::WithParamInterface<Number_Case> {};

TEST_P(Number_Forms, MissingOrRefused) {
  const Number_Case& c = GetParam();
  Write("s.ini", Good_Setup);
  Write("d.dat", std::string("1 1 a\n") + c.field + " 2 b\n3 3 a\n");
  const Run_Result r = Run_Std();
  if (c.accepted) {
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(Report()["points"], 3);
    EXPECT_EQ(Files_In("out"), Pictures(2));
  } else {
    EXPECT_EQ(r.Err, std::string("error: '") + c.field + "' is not a valid floating point value\n");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(Report()["points"], 1);
    EXPECT_EQ(Files_In("out"), Pictures(0));
  }
}

// A field beginning with n or N is missing; no other spelling of NaN or infinity is a number,
// and a number beyond the extended range does not convert.
INSTANTIATE_TEST_SUITE_P(
    All, Number_Forms,
    ::testing::Values(
        Number_Case{"nan", "nan", true}, Number_Case{"NaN", "NaN", true},
        Number_Case{"NAN", "NAN", true}, Number_Case{"MinusNan", "-nan", false},
        Number_Case{"PlusNan", "+NaN", false}, Number_Case{"inf", "inf", false},
        Number_Case{"INF", "INF", false}, Number_Case{"MinusInf", "-inf", false},
        Number_Case{"PlusInf", "+inf", false}, Number_Case{"Infinity", "Infinity", false},
        Number_Case{"MinusInfinity", "-Infinity", false}, Number_Case{"Overflow", "1e5000", false},
        Number_Case{"MinusOverflow", "-1e5000", false}, Number_Case{"Underflow", "1e-5000", true},
        Number_Case{"BeyondDouble", "1e400", true}, Number_Case{"Hex", "0x10", false},
        Number_Case{"Comma", "1,5", false}, Number_Case{"DashAlone", "-", false}),
    [](const auto& info) { return std::string(info.param.name); });

// An underflowing number is 0: the histogram's statistics are those of a plain 0.
TEST_F(Render_Stress, UnderflowReadsAsZero) {
  Write("s.ini", Good_Setup);
  Write("d.dat", "1 1 a\n1e-5000 2 b\n3 3 a\n");
  ASSERT_EQ(Run_Std().Status, 0);
  const Json tiny = Report()["pages"][1]["graphs"][0];
  Write("d.dat", "1 1 a\n0 2 b\n3 3 a\n");
  ASSERT_EQ(Run_Std().Status, 0);
  const Json zero = Report()["pages"][1]["graphs"][0];
  EXPECT_EQ(tiny["stat_line"], zero["stat_line"]);
  EXPECT_EQ(tiny["x"], zero["x"]);
}

// Setup numbers that do not convert fall back to the defaults, silently.
TEST_F(Render_Stress, NanAndInfinityInTheSetup) {
  Write("d.dat", Good_Data);
  Write("s.ini", Good_Setup);
  ASSERT_EQ(Run_Std().Status, 0);
  const Json plain = Report()["pages"][0]["graphs"][0];
  Write("s.ini",
        Insert_After(Good_Setup, "[P1/G1]", "xlo=nan\nxhi=inf\nylo=-Infinity\nyhi=1e5000\n"));
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "");
  ASSERT_EQ(r.Status, 0);
  const Json odd = Report()["pages"][0]["graphs"][0];
  EXPECT_EQ(odd["x"], plain["x"]);
  EXPECT_EQ(odd["y"], plain["y"]);
}

// ---- Dates ----

struct Date_Case {
  const char* name;
  const char* date;
  bool accepted;  // false: "'<date>' is not a valid date"
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Date_Case& c, std::ostream* os) { *os << c.name; }

class Dates : public Render_Stress, public ::testing::WithParamInterface<Date_Case> {};

TEST_P(Dates, ValidOrRefused) {
  const Date_Case& c = GetParam();
  Write("s.ini", "[Plotwright]\nDateCol=4\n" + Good_Setup);
  Write("d.dat", std::string("1 2 a 2024/01/01\n2 3 b ") + c.date + "\n3 4 a 2024/01/02\n");
  const Run_Result r = Run_Std();
  if (c.accepted) {
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(Report()["points"], 3);
  } else {
    EXPECT_EQ(r.Err, std::string("error: '") + c.date + "' is not a valid date\n");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(Report()["points"], 1);
    EXPECT_EQ(Files_In("out"), Pictures(0));
  }
}

INSTANTIATE_TEST_SUITE_P(
    All, Dates,
    ::testing::Values(
        Date_Case{"LeapDay", "2024/02/29", true}, Date_Case{"Feb30", "2024/02/30", false},
        Date_Case{"NoLeapDay", "2023/02/29", false}, Date_Case{"YearZero", "0000/01/01", false},
        Date_Case{"YearOne", "0001/01/01", true}, Date_Case{"Month13", "2024/13/01", false},
        Date_Case{"Month0", "2024/00/10", false}, Date_Case{"Day32", "2024/01/32", false},
        Date_Case{"ShortParts", "2024/1/5", true}, Date_Case{"LastDay", "9999/12/31", true},
        Date_Case{"Year10000", "10000/01/01", false}, Date_Case{"Dashes", "2024-01-01", false},
        Date_Case{"TrailingSlash", "2024/01/01/", false}, Date_Case{"NoMonth", "2024//01", false},
        Date_Case{"Missing", "?", true}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Huge setups ----

TEST_F(Render_Stress, TenThousandSections) {
  std::string extra;
  for (int i = 1; i <= 10000; ++i) extra += "[S" + std::to_string(i) + "]\nk=v\n";
  Write("s.ini", Good_Setup + extra);
  Write("d.dat", Good_Data);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Files_In("out"), Pictures(2));
}

// Ten thousand keys before the graph's own: every key of a section is seen, however many
// stand before it.
TEST_F(Render_Stress, TenThousandKeys) {
  std::string keys;
  for (int i = 1; i <= 10000; ++i)
    keys += "Key" + std::to_string(i) + "x=" + std::to_string(i) + "\n";
  Write("s.ini", Insert_After(Good_Setup, "[P1/G1]", keys + "Title=Last\n"));
  Write("d.dat", Good_Data);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Report()["pages"][0]["graphs"][0]["kind"], "scatter");
  EXPECT_EQ(Files_In("out"), Pictures(2));
}

TEST_F(Render_Stress, ValueOf100000Characters) {
  Write("s.ini", Insert_After(Good_Setup, "[P1]", "Title=" + std::string(100000, 'T') + "\n"));
  Write("d.dat", Good_Data);
  Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Report()["pages"][0]["title"], std::string(2047, 'T'));  // cut to 2047
  EXPECT_EQ(Files_In("out"), Pictures(2));

  Write("s.ini", Insert_After(Good_Setup, "[P1/G1]", "Color=" + std::string(100000, 'x') + "\n"));
  r = Run_Std();
  EXPECT_EQ(r.Err, "error: Wrong Color definition in [P1/G1/]: " + std::string(2047, 'x') + "\n");
  EXPECT_EQ(r.Status, 1);
}

std::string Nested(int levels) {
  std::string name = "L1";
  for (int i = 2; i <= levels; ++i) name += "/L" + std::to_string(i);
  return name;
}

TEST_F(Render_Stress, DeeplyNestedSectionNames) {
  // 300 levels fit in one value: the layer's own section is found.
  const std::string deep = Nested(300);
  ASSERT_LT(deep.size(), 2047u);
  Write("s.ini", Insert_After(Good_Setup, "[P1/G1]", "Layers=" + deep + "\n") + "[P1/G1/" + deep +
                     "]\nColor=Qq\n");
  Write("d.dat", Good_Data);
  Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: Wrong Color definition in [P1/G1/" + deep + "]: Qq\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Files_In("out"), Pictures(0));

  // 1000 levels do not: the list value is cut to 2047 characters, and so is the layer name,
  // whose section then does not exist.
  const std::string deeper = Nested(1000);
  Write("s.ini", Insert_After(Good_Setup, "[P1/G1]", "Layers=" + deeper + "\n") + "[P1/G1/" +
                     deeper + "]\nColor=Qq\n");
  r = Run_Std();
  EXPECT_EQ(r.Err, "");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(Report()["pages"][0]["graphs"][0]["layers"][0]["section"],
            "P1/G1/" + deeper.substr(0, 2047));
  EXPECT_EQ(Files_In("out"), Pictures(2));

  // Deep page and graph names.
  const std::string page = "P" + Nested(200), graph = "G" + Nested(200);
  Write("s.ini", Data_Def + "[Pages]\nPages=" + page + "\n[" + page + "]\nGraphs=" + graph + "\n[" +
                     page + "/" + graph + "]\nKind=Pie\n");
  r = Run_Std();
  EXPECT_EQ(r.Err, "fatal error: Wrong graph kind in [" + page + "/" + graph + "]: Pie\n");
  EXPECT_EQ(r.Status, 1);
}

// ---- Odd bytes in colours and markers ----

struct Odd_Value {
  const char* name;
  std::string value;  // as written after "="
  std::string shown;  // the value in the message; empty: accepted
};
// Test names show the case name, not the bytes of the case.
void PrintTo(const Odd_Value& c, std::ostream* os) { *os << c.name; }

std::vector<Odd_Value> Odd_Colors() {
  return {
      {"Utf8",
       "R\xC3\xAB"
       "d",
       "R\xC3\xAB"
       "d"},
      {"ControlChar",
       "Re\x01"
       "d",
       "Re\x01"
       "d"},
      {"Escape", "\x1B[31m", "\x1B[31m"},
      {"Delete", "Red\x7F", "Red\x7F"},
      {"Bytes0xFF", "\xFF\xFF\xFF", "\xFF\xFF\xFF"},
      {"HexWithHash", "#FF0000", "#FF0000"},
      {"HexTooLong", "FFFFFFF", "FFFFFFF"},
      {"HexWithLetter", "FF00ZZ", "FF00ZZ"},
      {"WithPrefix", "clRed", "clRed"},
      {"Negative", "-1", "-1"},
      {"LoneQuote", "'Red", "'Red"},
      {"Quoted", "\"Red\"", ""},
      {"Tabs", "\tRed\t", ""},
      {"LowerHex", "ff0000", ""},
  };
}

class Odd_Colors_Test : public Render_Stress, public ::testing::WithParamInterface<Odd_Value> {};

TEST_P(Odd_Colors_Test, Color) {
  const Odd_Value& c = GetParam();
  Write("s.ini",
        Insert_After(Good_Setup, "[P1/G1]", "Layers=L\n") + "[P1/G1/L]\nColor=" + c.value + "\n");
  Write("d.dat", Good_Data);
  const Run_Result r = Run_Std();
  if (c.shown.empty()) {
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(Report()["pages"][0]["graphs"][0]["layers"][0]["color"], 255);  // red
  } else {
    EXPECT_EQ(r.Err, "error: Wrong Color definition in [P1/G1/L]: " + c.shown + "\n");
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(Files_In("out"), Pictures(0));
  }
}

INSTANTIATE_TEST_SUITE_P(All, Odd_Colors_Test, ::testing::ValuesIn(Odd_Colors()),
                         [](const auto& info) { return std::string(info.param.name); });

std::vector<Odd_Value> Odd_Markers() {
  // The message shows the marker in capitals: only ASCII letters change.
  return {
      {"Utf8", "\xC3\xA9toile", "\xC3\xA9TOILE"},
      {"ControlChar", "do\x02t", "DO\x02T"},
      {"Bytes0xFF", "\xFF", "\xFF"},
      {"Escape", "\x1B]0;x\x07", "\x1B]0;X\x07"},
      {"Empty", "", ""},
  };
}

class Odd_Markers_Test : public Render_Stress, public ::testing::WithParamInterface<Odd_Value> {};

TEST_P(Odd_Markers_Test, Marker) {
  const Odd_Value& c = GetParam();
  Write("s.ini", Insert_After(Good_Setup, "[P1/G1]", "Marker=" + c.value + "\n"));
  Write("d.dat", Good_Data);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: Wrong Marker definition in [P1/G1/]: " + c.shown + "\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Files_In("out"), Pictures(0));
}

INSTANTIATE_TEST_SUITE_P(All, Odd_Markers_Test, ::testing::ValuesIn(Odd_Markers()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Files that are not files ----

TEST_F(Render_Stress, DataFileIsAFolder) {
  Write("s.ini", Good_Setup);
  fs::create_directories(dir_ / "d.dat");
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "fatal error: Missing file: d.dat\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Report()["pages"].size(), 2u);  // the pages read stay in the report
  EXPECT_EQ(Files_In("out"), Pictures(0));
}

TEST_F(Render_Stress, SetupFileIsAFolder) {
  fs::create_directories(dir_ / "s.ini");
  Write("d.dat", Good_Data);
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: File not found: s.ini\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Report()["pages"].size(), 0u);
}

// A named pipe would block a reader forever: neither file is opened.
TEST_F(Render_Stress, PipesAreNotRead) {
  ASSERT_EQ(mkfifo((dir_ / "d.dat").c_str(), 0644), 0);
  Write("s.ini", Good_Setup);
  Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "fatal error: Missing file: d.dat\n");
  EXPECT_EQ(r.Status, 1);
  ASSERT_EQ(mkfifo((dir_ / "p.ini").c_str(), 0644), 0);
  r = Spawn({"-o", "out", "p.ini", "d.dat"});
  EXPECT_EQ(r.Err, "error: File not found: p.ini\n");
  EXPECT_EQ(r.Status, 1);
}

// The permission cases run the program as an ordinary user, also when the tests run as root.
TEST_F(Render_Stress, UnreadableDataFile) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  fs::permissions(dir_ / "d.dat", fs::perms::none);
  const Run_Result r = Run_Std("d.dat", true);
  EXPECT_EQ(r.Err, "error: Cannot open data file d.dat: Permission denied\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Report()["points"], 0);
  EXPECT_EQ(Files_In("out"), Pictures(0));
}

TEST_F(Render_Stress, UnreadableSetupFile) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  fs::permissions(dir_ / "s.ini", fs::perms::none);
  const Run_Result r = Run_Std("d.dat", true);
  EXPECT_EQ(r.Err, "error: Cannot read file s.ini: Permission denied\n");
  EXPECT_EQ(r.Status, 1);
}

// ---- Writing the results ----

TEST_F(Render_Stress, OutputFolderCannotBeCreated) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  Write("block", "a plain file");
  const Run_Result r =
      Spawn({"-s", "64x48", "-o", "block/out", "-r", "rep.json", "s.ini", "d.dat"});
  EXPECT_EQ(r.Err, "error: Cannot create folder block/out: Not a directory\n");
  EXPECT_EQ(r.Status, 1);
  // The report is not lost with the pictures.
  const Json j = Report();
  EXPECT_EQ(j["points"], 3);
  EXPECT_EQ(j["pages"][1]["drawn"], true);
}

TEST_F(Render_Stress, OutputFolderNotWritable) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  fs::create_directories(dir_ / "out");
  fs::permissions(dir_ / "out", fs::perms::owner_read | fs::perms::owner_exec);
  const Run_Result r = Run_Std("d.dat", true);
  fs::permissions(dir_ / "out", fs::perms::owner_all);
  // The first failure is the one printed.
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.png: Permission denied\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Report()["points"], 3);
  EXPECT_EQ(Files_In("out"), Pictures(0));
}

// One picture that cannot be written costs that picture only.
TEST_F(Render_Stress, OnePictureCannotBeWritten) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  fs::create_directories(dir_ / "out" / "d.01.png");
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: Cannot write file out/d.01.png: Is a directory\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Files_In("out"), Pictures(2));  // the folder d.01.png and the picture d.02.png
  EXPECT_TRUE(fs::is_directory(dir_ / "out" / "d.01.png"));
  EXPECT_EQ(Report()["points"], 3);
}

TEST_F(Render_Stress, ReportCannotBeWritten) {
  Write("s.ini", Good_Setup);
  Write("d.dat", Good_Data);
  const Run_Result r = Spawn({"-s", "64x48", "-o", "out", "-r", "none/rep.json", "s.ini", "d.dat"});
  EXPECT_EQ(r.Err, "error: Cannot write file none/rep.json: No such file or directory\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Files_In("out"), Pictures(2));
  EXPECT_FALSE(fs::exists(dir_ / "none"));
}

// An error while drawing keeps the pages drawn before it and the page it interrupted.
TEST_F(Render_Stress, ErrorWhileDrawingKeepsEarlierPages) {
  Write("s.ini", Data_Def +
                     "[Pages]\nPages=P1 P2 P3\n"
                     "[P1]\nGraphs=G\n[P1/G]\nKind=s\nx=A\ny=B\n"
                     "[P2]\nGraphs=G\n[P2/G]\nKind=s\nx=A\ny=B\nlogx=1\nxlo=-1\nxhi=1\n"
                     "[P3]\nGraphs=G\n[P3/G]\nKind=s\nx=A\ny=B\n");
  Write("d.dat", "0 2 a\n1 3 b\n");
  const Run_Result r = Run_Std();
  EXPECT_EQ(r.Err, "error: Errors occurred while draving points\n");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(Files_In("out"), Pictures(2));
  const Json j = Report();
  EXPECT_EQ(j["pages"][0]["drawn"], true);
  EXPECT_EQ(j["pages"][2]["drawn"], false);
}

}  // namespace
}  // namespace pw::test
