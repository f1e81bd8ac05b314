// Where the window finds its files when installed, on real folders: start folder first, then
// the program's folder; defaults beside the program, then the shared files; screen shots in
// the user's data folder when the program's folder cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "app/app_logic.h"
#include "app/app_paths.h"
#include "app/start_detached.h"

namespace pw {
namespace {

namespace fs = std::filesystem;

// start/, bin/ (the program), share/plotwright/ (installed files) and home/ in a fresh
// temporary folder; `Make` puts a file into one of them.
class Places_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "pw-places-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    root_ = tmpl + "/";
    for (const char* d : {"start", "bin", "share/plotwright/doc", "home"}) {
      fs::create_directories(root_ + d);
    }
    places_ = {root_ + "bin/", root_ + "start/", root_ + "share/plotwright/",
               root_ + "home/plotwright/"};
  }
  void TearDown() override {
    std::error_code ec;
    fs::permissions(root_ + "bin", fs::perms::owner_all, ec);
    fs::remove_all(root_, ec);
  }
  void Make(const std::string& path) {
    fs::create_directories(fs::path(root_ + path).parent_path());
    std::ofstream(root_ + path) << "x\n";
  }

  std::string root_;
  Program_Places places_;
};

TEST_F(Places_Test, NamedFilesStartFolderFirstThenTheProgramsFolder) {
  Make("start/both.ini");
  Make("bin/both.ini");
  Make("start/sub/only-start.dat");
  Make("bin/only-bin.dat");
  struct Case {
    std::string name, found;
  };
  const std::vector<Case> cases = {
      {"both.ini", "start/both.ini"},
      {"sub/only-start.dat", "start/sub/only-start.dat"},
      {"only-bin.dat", "bin/only-bin.dat"},
      {"nowhere.ini", "bin/nowhere.ini"},  // "File not found" names the program's folder
      {"sub", "bin/sub"},                  // a folder is not a file
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Find_Named_File(places_, c.name), root_ + c.found) << c.name;
  }
  EXPECT_EQ(Find_Named_File(places_, "/abs/x.ini"), "/abs/x.ini");
  // Without a start folder (a program run from its build folder): the program's folder only.
  Program_Places only_bin = places_;
  only_bin.Start_Dir.clear();
  EXPECT_EQ(Find_Named_File(only_bin, "both.ini"), root_ + "bin/both.ini");
  EXPECT_EQ(Find_Named_File(only_bin, "sub/only-start.dat"), root_ + "bin/sub/only-start.dat");
}

TEST_F(Places_Test, DefaultsBesideTheProgramThenTheSharedFiles) {
  Make("start/plotwright.pwr.ini");  // never taken from the start folder
  Make("share/plotwright/plotwright.pwr.ini");
  Make("share/plotwright/plotwright.dat");
  Command_Line c = Parse_Command_Line(places_, {}, false);
  EXPECT_EQ(c.Setup_File, root_ + "share/plotwright/plotwright.pwr.ini");
  EXPECT_EQ(c.Data_File, root_ + "share/plotwright/plotwright.dat");
  Make("bin/plotwright.dat");
  c = Parse_Command_Line(places_, {}, false);
  EXPECT_EQ(c.Setup_File, root_ + "share/plotwright/plotwright.pwr.ini");
  EXPECT_EQ(c.Data_File, root_ + "bin/plotwright.dat");
  // A named setup file and the default data file; the third argument as always.
  c = Parse_Command_Line(places_, {"plotwright.pwr.ini"}, false);
  EXPECT_EQ(c.Setup_File, root_ + "start/plotwright.pwr.ini");
  EXPECT_EQ(c.Data_File, root_ + "bin/plotwright.dat");
  EXPECT_TRUE(Parse_Command_Line(places_, {"a", "b", "/I"}, false).Ignore_Limits);
  // Found nowhere: the program's folder, so the message names it as before.
  Program_Places bare{root_ + "nothing/", {}, root_ + "none/", {}};
  c = Parse_Command_Line(bare, {}, false);
  EXPECT_EQ(c.Setup_File, root_ + "nothing/plotwright.pwr.ini");
  EXPECT_EQ(c.Data_File, root_ + "nothing/plotwright.dat");
}

TEST_F(Places_Test, HelpBesideTheProgramElseTheInstalledManual) {
  EXPECT_EQ(Find_Help_Page(places_, "doc/plotwright-manual.html"), "");
  Make("share/plotwright/doc/plotwright-manual.html");
  EXPECT_EQ(Find_Help_Page(places_, "doc/plotwright-manual.html"),
            root_ + "share/plotwright/doc/plotwright-manual.html");
  Make("bin/doc/plotwright-manual.html");
  EXPECT_EQ(Find_Help_Page(places_, "doc/plotwright-manual.html"),
            root_ + "bin/doc/plotwright-manual.html");
  Program_Places no_share = places_;
  no_share.Data_Dir.clear();
  EXPECT_EQ(Find_Help_Page(no_share, "_doc/plotwright-manual.html"), "");
}

TEST_F(Places_Test, ScreenShotsBesideTheProgramWhenItsFolderCanBeWritten) {
  EXPECT_EQ(Screen_Shot_Home(places_, true), root_ + "bin/");
  EXPECT_EQ(Screen_Shot_Home(places_, false), root_ + "home/plotwright/");
  EXPECT_EQ(Screen_Shot_Folder(Screen_Shot_Home(places_, false)),
            root_ + "home/plotwright/scrn/");
  EXPECT_EQ(Screen_Shot_Name(Screen_Shot_Home(places_, false), "/w/run7.dat", 3),
            root_ + "home/plotwright/scrn/run7.03.bmp");
  Program_Places no_home = places_;
  no_home.User_Dir.clear();
  EXPECT_EQ(Screen_Shot_Home(no_home, false), root_ + "bin/");

  EXPECT_TRUE(Shots_Writable_Beside(root_ + "bin/"));
  EXPECT_FALSE(Shots_Writable_Beside(root_ + "missing/"));
  Make("bin/scrn");  // a file where the folder should be
  EXPECT_FALSE(Shots_Writable_Beside(root_ + "bin/"));
  fs::remove(root_ + "bin/scrn");
  if (::geteuid() != 0) {  // the superuser may write anywhere
    fs::permissions(root_ + "bin", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_FALSE(Shots_Writable_Beside(root_ + "bin/"));
    fs::permissions(root_ + "bin", fs::perms::owner_all);
    fs::create_directories(root_ + "bin/scrn");
    fs::permissions(root_ + "bin", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_TRUE(Shots_Writable_Beside(root_ + "bin/"));  // scrn/ itself can be written
  }
}

// The editor gets each file name byte for byte, a name in an 8-bit code page (no valid UTF-8)
// included; a program that cannot be run is reported as not started.
TEST_F(Places_Test, StartDetachedPassesArgumentsByteForByte) {
  const std::string editor = root_ + "bin/my editor.sh";
  {
    std::ofstream out(editor);
    out << "#!/bin/sh\nprintf '%s\\0' \"$#\" \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n";
  }
  fs::permissions(editor, fs::perms::owner_all);
  const std::string latin1 = root_ + "start/d\xe4t \xfc; $(x).dat";  // "dät ü" in ISO 8859-1
  ASSERT_TRUE(Start_Detached(editor, {latin1}));
  for (int i = 0; i < 1000 && !fs::exists(editor + ".args"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::ifstream in(editor + ".args", std::ios::binary);
  const std::string got{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(got, std::string("1") + '\0' + latin1 + '\0');
  for (const std::string& program : {std::string(), root_ + "bin/none", root_ + "bin",
                                     std::string("pw-no-such-program-anywhere")}) {
    EXPECT_FALSE(Start_Detached(program, {latin1})) << program;
  }
}

TEST(User_Data_Dir, XdgDataHomeWhenAbsoluteElseHome) {
  struct Case {
    const char* xdg;
    const char* home;
    const char* dir;
  };
  const std::vector<Case> cases = {
      {"/x/data", "/home/u", "/x/data/plotwright/"},
      {"/x/data/", "/home/u", "/x/data/plotwright/"},
      {nullptr, "/home/u", "/home/u/.local/share/plotwright/"},
      {"", "/home/u/", "/home/u/.local/share/plotwright/"},
      {"rel/data", "/home/u", "/home/u/.local/share/plotwright/"},
      {nullptr, nullptr, ""},
      {"", "", ""},
      {"/x", nullptr, "/x/plotwright/"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(User_Data_Dir(c.xdg, c.home), c.dir)
        << (c.xdg ? c.xdg : "(null)") << " " << (c.home ? c.home : "(null)");
  }
}

TEST(Data_Dir_Of, SharedFilesRelativeToTheProgram) {
  EXPECT_EQ(Data_Dir_Of("/usr/bin/", "../share/plotwright"), "/usr/share/plotwright/");
  EXPECT_EQ(Data_Dir_Of("/opt/pw/bin", "../share/plotwright/"), "/opt/pw/share/plotwright/");
  EXPECT_EQ(Data_Dir_Of("/p/build/bin/", "../share/plotwright"), "/p/build/share/plotwright/");
  EXPECT_EQ(Data_Dir_Of("", "../share/plotwright"), "");
  EXPECT_EQ(Data_Dir_Of("/usr/bin/", ""), "");
}

TEST(Early_Answer, VersionAndHelpOnlyAsTheFirstArgument) {
  EXPECT_EQ(Early_Answer_Of({}), Early_Answer::None);
  EXPECT_EQ(Early_Answer_Of({"--version"}), Early_Answer::Version);
  EXPECT_EQ(Early_Answer_Of({"--version", "x.ini"}), Early_Answer::Version);
  EXPECT_EQ(Early_Answer_Of({"--help"}), Early_Answer::Help);
  EXPECT_EQ(Early_Answer_Of({"x.ini", "--version"}), Early_Answer::None);
  EXPECT_EQ(Early_Answer_Of({"-version"}), Early_Answer::None);
  EXPECT_EQ(Early_Answer_Of({"--Version"}), Early_Answer::None);
  EXPECT_EQ(Window_Usage_Text().rfind("usage: plotwright [SETUP_FILE [DATA_FILE [/i] [/f]]]\n", 0),
            0u);
  EXPECT_NE(Window_Usage_Text().find("\nA data file compressed with gzip or zstd is decompressed"),
            std::string::npos);
}

// Started where there is no display (over ssh without X forwarding, say), the window says so
// and names the program that needs none, instead of Qt's abort that asks for a reinstall.
TEST(No_Display_Text, OnlyWhenNoPlatformCanBeReached) {
  struct Row {
    std::map<std::string, std::string> env;
    std::vector<std::string> args;
    bool refused;
  };
  const Row rows[] = {
      {{}, {}, true},
      {{}, {"s.ini", "d.dat"}, true},
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, {}, true},
      {{{"DISPLAY", ":0"}}, {}, false},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}, false},
      {{{"QT_QPA_PLATFORM", "offscreen"}}, {}, false},
      {{{"XDG_SESSION_TYPE", "wayland"}}, {}, false},
      {{{"XDG_SESSION_TYPE", "tty"}}, {}, true},
      {{{"QT_QPA_PLATFORM", ""}}, {}, true},
      {{}, {"-platform", "offscreen"}, false},
      {{}, {"s.ini", "-platform"}, false},
  };
  for (const Row& row : rows) {
    const auto env = [&](const char* name) -> const char* {
      const auto it = row.env.find(name);
      return it == row.env.end() ? nullptr : it->second.c_str();
    };
    const std::string text = No_Display_Text(env, row.args);
    if (row.refused) {
      EXPECT_EQ(text,
                "no display to open the window on (DISPLAY is not set); plotwright-render "
                "draws the pages to image files without one\n");
    } else {
      EXPECT_EQ(text, "");
    }
  }
}

}  // namespace
}  // namespace pw
