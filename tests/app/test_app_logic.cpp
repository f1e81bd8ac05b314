// The window's rules that need no window.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_logic.h"
#include "base/utf8_chars.h"

namespace pw {
namespace {

std::string Repeat(char c, int n) { return std::string(static_cast<std::size_t>(n), c); }

struct Break_Case {
  const char* name;
  std::string text;
  std::string shown;
};

TEST(Error_Box_Text, BreaksAtTheLastBlankWithinTheFirst55Characters) {
  const std::vector<Break_Case> cases = {
      {"empty", "", ""},
      {"short", "File not found: /x", "File not found: /x"},
      {"exactly 54, one line", Repeat('a', 20) + " " + Repeat('b', 33),
       Repeat('a', 20) + " " + Repeat('b', 33)},
      {"55, blank at 55", Repeat('a', 54) + " ", Repeat('a', 54) + "\n"},
      {"56, blank at 55", Repeat('a', 54) + " b", Repeat('a', 54) + "\nb"},
      {"56, blank at 56 not used", Repeat('a', 55) + " ", Repeat('a', 55) + " "},
      {"last of two blanks", "aa bb" + Repeat('c', 40) + " " + Repeat('d', 20),
       "aa bb" + Repeat('c', 40) + "\n" + Repeat('d', 20)},
      {"70, only blank at 60", Repeat('a', 59) + " " + Repeat('b', 10),
       Repeat('a', 59) + " " + Repeat('b', 10)},
      {"only blank first", " " + Repeat('a', 60), " " + Repeat('a', 60)},
      {"blank at 2 is used", "a " + Repeat('b', 60), "a\n" + Repeat('b', 60)},
      {"one break only", Repeat('a', 50) + " " + Repeat('b', 60) + " " + Repeat('c', 40),
       Repeat('a', 50) + "\n" + Repeat('b', 60) + " " + Repeat('c', 40)},
      {"access violation", "Access violation at address 0040 in module x.exe",
       "System error: please send in a problem report."},
      {"access violation inside", "xx Access violation", System_Error_Text},
      {"case matters", "access violation", "access violation"},
      // Characters, not bytes: "ü" is two bytes, "€" three.
      {"54 characters in 60 bytes, one line", "File not found: /tmp/" + Repeat('x', 13) +
       " \u00fc\u00fc\u00fc\u00fc\u00fc\u00fc" + Repeat('y', 9) + ".ini",
       "File not found: /tmp/" + Repeat('x', 13) + " \u00fc\u00fc\u00fc\u00fc\u00fc\u00fc" +
       Repeat('y', 9) + ".ini"},
      {"blank at character 55 after letters beyond ASCII",
       "\u20ac\u20ac" + Repeat('a', 52) + " b", "\u20ac\u20ac" + Repeat('a', 52) + "\nb"},
      {"blank at character 56 not used", "\u00fc" + Repeat('a', 54) + " b",
       "\u00fc" + Repeat('a', 54) + " b"},
      {"last blank within 55 characters", "a " + Repeat('b', 20) + " \u00e9\u00e9" +
       Repeat('c', 29) + " " + Repeat('d', 10),
       "a " + Repeat('b', 20) + " \u00e9\u00e9" + Repeat('c', 29) + "\n" + Repeat('d', 10)},
  };
  for (const Break_Case& c : cases) {
    EXPECT_EQ(Error_Box_Text(c.text), c.shown) << c.name;
  }
}

TEST(Error_Box_Text, A200CharacterMessageBreaksOnceWithALongSecondLine) {
  std::string text;
  while (text.size() < 200) text += "word ";
  text.resize(200);
  const std::string shown = Error_Box_Text(text);
  ASSERT_EQ(std::count(shown.begin(), shown.end(), '\n'), 1);
  const std::size_t at = shown.find('\n');
  EXPECT_EQ(at, 54u);  // "word " repeated: the blank at position 55
  EXPECT_EQ(shown.size() - at - 1, 145u);
}

TEST(Wrap_To_Width, BreaksLinesWiderThanTheRoomAndKeepsEveryCharacter) {
  // Ten pixels a character, as in a monospace face; "\u00fc" is one character of two bytes.
  const auto width_of = [](std::string_view s) {
    return 10 * static_cast<int>(Character_Count(s));
  };
  const std::vector<Break_Case> cases = {
      {"empty", "", ""},
      {"fits", "abc def", "abc def"},
      {"exactly the room", Repeat('a', 10), Repeat('a', 10)},
      {"at the last blank that fits", "aaa bbb ccc", "aaa bbb\nccc"},
      {"blank right after the fitting part", Repeat('a', 10) + " b", Repeat('a', 10) + "\nb"},
      {"no blank: cut at the room", Repeat('a', 25), Repeat('a', 10) + "\n" +
       Repeat('a', 10) + "\n" + Repeat('a', 5)},
      {"only blank first: cut", " " + Repeat('a', 12), " " + Repeat('a', 9) + "\naaa"},
      {"each line on its own", "aaaa bbbb cc\n" + Repeat('d', 12),
       "aaaa bbbb\ncc\n" + Repeat('d', 10) + "\ndd"},
      {"a path cut, then a word", "File /" + Repeat('x', 12) + " end",
       "File\n/" + Repeat('x', 9) + "\nxxx end"},
      {"characters, not bytes", Repeat('a', 9) + "\u00fc\u00fc", Repeat('a', 9) + "\u00fc\n\u00fc"},
  };
  for (const Break_Case& c : cases) {
    const std::string shown = Wrap_To_Width(c.text, 100, width_of);
    EXPECT_EQ(shown, c.shown) << c.name;
  }
  EXPECT_EQ(Wrap_To_Width(Repeat('a', 30), 0, width_of), Repeat('a', 30));
  EXPECT_EQ(Wrap_To_Width("ab", 5, width_of), "a\nb");  // one character even when too wide
}

TEST(Keep_On_Screen, KeepsFourPixelsFromEveryEdge) {
  struct Case {
    Form_Rect in;
    int left, top;
  };
  const std::vector<Case> cases = {
      {{100, 100, 244, 57}, 100, 100},
      {{-50, -3, 244, 57}, 4, 4},
      {{3, 4, 244, 57}, 4, 4},
      {{4, 4, 244, 57}, 4, 4},
      {{1024 - 244 - 4, 768 - 57 - 4, 244, 57}, 776, 707},
      {{1024 - 244 - 3, 768 - 57 - 3, 244, 57}, 776, 707},
      {{2000, 2000, 244, 57}, 776, 707},
      // Wider than the screen: the left edge rule runs first, then the right one moves it.
      {{10, 10, 1100, 57}, 1024 - 1100 - 4, 10},
      {{0, 10, 1100, 57}, 4, 10},
  };
  for (const Case& c : cases) {
    const Form_Rect r = Keep_On_Screen(c.in, 1024, 768);
    EXPECT_EQ(r.Left, c.left) << c.in.Left;
    EXPECT_EQ(r.Top, c.top) << c.in.Top;
    EXPECT_EQ(r.Width, c.in.Width);
  }
}

TEST(Centre_Form, CentresOnTheActiveFormOrTheScreen) {
  const Form_Rect box{0, 0, 244, 88};
  const Form_Rect main{0, 0, 1024, 740};
  Form_Rect r = Centre_Form(box, &main, 1024, 768);
  EXPECT_EQ(r.Left, 512 - 122);
  EXPECT_EQ(r.Top, 370 - 44);
  r = Centre_Form(box, nullptr, 1025, 769);
  EXPECT_EQ(r.Left, 512 - 122);
  EXPECT_EQ(r.Top, 384 - 44);
  // Near the left edge the box keeps 4 pixels from it.
  const Form_Rect small{0, 0, 100, 30};
  r = Centre_Form({0, 0, 300, 57}, &small, 1024, 768);
  EXPECT_EQ(r.Left, 4);
  EXPECT_EQ(r.Top, 4);
}

TEST(Command_Line, DefaultsRelativeAndAbsoluteNames) {
  const std::string dir = "/opt/Plot Wright/";
  Command_Line c = Parse_Command_Line(dir, {}, false);
  EXPECT_EQ(c.Setup_File, "/opt/Plot Wright/plotwright.pwr.ini");
  EXPECT_EQ(c.Data_File, "/opt/Plot Wright/plotwright.dat");
  EXPECT_FALSE(c.Ignore_Limits);
  c = Parse_Command_Line(dir, {"/data/x.ini"}, false);
  EXPECT_EQ(c.Setup_File, "/data/x.ini");
  EXPECT_EQ(c.Data_File, "/opt/Plot Wright/plotwright.dat");
  c = Parse_Command_Line(dir, {"data/x.ini", "Run7.DAT"}, false);
  EXPECT_EQ(c.Setup_File, "/opt/Plot Wright/data/x.ini");
  EXPECT_EQ(c.Data_File, "/opt/Plot Wright/Run7.DAT");
  c = Parse_Command_Line(dir, {"\\\\server\\share\\x.ini", "C:\\w\\a.dat"}, false);
  EXPECT_EQ(c.Setup_File, "/opt/Plot Wright/\\\\server\\share\\x.ini");
  EXPECT_EQ(c.Data_File, "/opt/Plot Wright/C:\\w\\a.dat");
}

TEST(Command_Line, OnlyExactSlashIIgnoresLimits) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"/i", true}, {"/I", true}, {"-i", false}, {"/ignore", false}, {"/i ", false}, {"", false}};
  for (const auto& [arg, ignore] : cases) {
    EXPECT_EQ(Parse_Command_Line("/p/", {"a", "b", arg}, !ignore).Ignore_Limits, ignore) << arg;
  }
  // With fewer than three arguments the flag is left as it was.
  EXPECT_TRUE(Parse_Command_Line("/p/", {"a", "b"}, true).Ignore_Limits);
  EXPECT_TRUE(Parse_Command_Line("/p/", {"a", "b", "/i", "extra"}, false).Ignore_Limits);
}

// "/i" and "/f" after the two files, in either order; anything before them hides them.
TEST(Command_Line, FollowSwitchBesideIgnoreLimits) {
  struct Case {
    std::vector<std::string> args;
    bool ignore;
    bool follow;
  };
  const std::vector<Case> cases = {
      {{"a", "b", "/f"}, false, true},       {{"a", "b", "/F"}, false, true},
      {{"a", "b", "/i", "/f"}, true, true},  {{"a", "b", "/f", "/I"}, true, true},
      {{"a", "b", "/f", "/f"}, false, true}, {{"a", "b", "/i", "/i"}, true, false},
      {{"a", "b", "x", "/f"}, false, false}, {{"a", "b", "x", "/i"}, false, false},
      {{"a", "b", "-f"}, false, false},      {{"a", "b", "/follow"}, false, false},
      {{"a", "/f"}, true, false},            {{"a", "b", "/i", "/f", "/x"}, true, true},
  };
  for (const Case& c : cases) {
    const Command_Line line = Parse_Command_Line("/p/", c.args, true);
    EXPECT_EQ(line.Ignore_Limits, c.ignore) << c.args.size() << " " << c.args.back();
    EXPECT_EQ(line.Follow, c.follow) << c.args.size() << " " << c.args.back();
  }
}

TEST(Screen_Shot_Name, BaseFromTheDataFileAndTwoDigitPageNumbers) {
  const std::string dir = "/p/";
  struct Case {
    std::string data;
    int page;
    std::string name;
  };
  const std::vector<Case> cases = {
      {"/p/plotwright.dat", 3, "/p/scrn/plotwright.03.bmp"},
      {"/work/run7.dat", 1, "/p/scrn/run7.01.bmp"},
      {"/work/run7.dat", 5, "/p/scrn/run7.05.bmp"},
      {"/work/run7.dat", 9, "/p/scrn/run7.09.bmp"},
      {"/work/run7.dat", 10, "/p/scrn/run7.10.bmp"},
      {"/work/run7.dat", 16, "/p/scrn/run7.16.bmp"},
      {"/work/data", 1, "/p/scrn/01.bmp"},
      {"/work/a.b.c", 2, "/p/scrn/a.b.02.bmp"},
      {"C:\\work\\run7.dat", 12, "/p/scrn/run7.12.bmp"},
      {"/wo.rk/data", 4, "/p/scrn/04.bmp"},
      {"/work/.dat", 4, "/p/scrn/.04.bmp"},
  };
  for (const Case& c : cases) EXPECT_EQ(Screen_Shot_Name(dir, c.data, c.page), c.name) << c.data;
  EXPECT_EQ(Screen_Shot_Folder(dir), "/p/scrn/");
}

TEST(Tabs, SideFromTheFirstCharacter) {
  const std::vector<std::pair<std::string, Tab_Side>> cases = {
      {"Left", Tab_Side::Left},     {"l", Tab_Side::Left},      {"Right", Tab_Side::Right},
      {"r", Tab_Side::Right},       {"Top", Tab_Side::Top},     {"t", Tab_Side::Top},
      {"Bottom", Tab_Side::Bottom}, {"", Tab_Side::Bottom},     {"Side", Tab_Side::Bottom},
      {" left", Tab_Side::Bottom},  {"xyz", Tab_Side::Bottom}};
  for (const auto& [text, side] : cases) EXPECT_EQ(Tab_Side_From(text), side) << text;
}

TEST(Tabs, TabsPerRowRule) {
  const std::vector<std::tuple<int, int, int>> cases = {
      {0, 0, 4}, {0, 1, 4}, {0, 3, 4}, {0, 4, 4}, {0, 5, 5}, {0, 6, 6}, {0, 9, 6}, {0, 16, 6},
      {2, 9, 2}, {8, 3, 8}, {-1, 5, 5}};
  for (const auto& [setting, pages, per_row] : cases) {
    EXPECT_EQ(Tabs_Per_Row(setting, pages), per_row) << setting << " " << pages;
  }
  EXPECT_EQ(Tab_Rows(0, 4), 1);
  EXPECT_EQ(Tab_Rows(3, 4), 1);
  EXPECT_EQ(Tab_Rows(9, 6), 2);
  EXPECT_EQ(Tab_Rows(16, 6), 3);
  EXPECT_EQ(Tab_Rows(16, 0), 16);
}

}  // namespace
}  // namespace pw
