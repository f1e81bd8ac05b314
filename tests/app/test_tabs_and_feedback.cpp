// The tab layout, the paging keys' tab and the load feedback's timing, without a window.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "app/load_feedback_rules.h"
#include "app/tab_layout.h"

namespace pw {
namespace {

struct Span_Case {
  const char* name;
  int bar, per_row, in_row, preferred, slot;
  int start, length;
};

TEST(Row_Tab_Span, FillsTheRowAndWidensOnlyWhenTabsAreFewerThanTheRowHolds) {
  const std::vector<Span_Case> cases = {
      // name                                 bar per_row in_row pref slot  start length
      {"four a row fill the bar",             800,     4,     3,  60,   0,     0, 200},
      {"remainders spread",                   801,     4,     4,  60,   1,   200, 200},
      {"remainders spread, last",             801,     4,     4,  60,   3,   600, 201},
      {"full rows never widen",               300,    16,    16,  90,  15,   281,  19},
      {"60 a row on 1920: share 32 < pref",  1920,    60,    16,  40,  15,   600,  40},
      {"60 a row, short captions",           1920,    60,    16,  32,  15,   480,  32},
      {"120 a row",                          1920,   120,    16,  90,   2,   180,  90},
      {"-1 reads 65535: not 0 wide",         1920, 65535,    16,  90,  15,  1350,  90},
      {"-1, crowded: the bar is shared",      800, 65535,    16,  90,  15,   750,  50},
      {"-1, crowded, last tab ends in bar",   805, 65535,    16,  90,  15,   750,  50},
      {"share wins when wider",              1920,     8,     3,  90,   2,   480, 240},
      {"no bar yet",                            0,    60,    16,  90,   3,     0,   0},
      {"bar narrower than the tabs",           10, 65535,    16,  90,   3,     0,   0},
      {"per_row 0 counts as 1",               500,     0,     1,  90,   0,     0, 500},
      {"32767 wide, large slot, no overflow",32767, 65535, 65535,  1, 65534, 32766, 1},
  };
  for (const Span_Case& c : cases) {
    const Tab_Span s = Row_Tab_Span(c.bar, c.per_row, c.in_row, c.preferred, c.slot);
    EXPECT_EQ(s.Start, c.start) << c.name;
    EXPECT_EQ(s.Length, c.length) << c.name;
  }
}

TEST(Folded_Tabs_Per_Row, RowsTakeAtMostHalfTheRoomAcross) {
  struct Case {
    const char* name;
    int visible, per_row, room, per_row_shown;
  };
  const std::vector<Case> cases = {
      // name                                visible per_row room shown
      {"16 rows in 1000 pixels: as set",          16,      1, 1000,    1},
      {"16 rows need 352: 704 is enough",         16,      1,  704,    1},
      {"703 holds 15 rows: two a row",            16,      1,  703,    2},
      {"361 holds 8 rows: two a row",             16,      1,  361,    2},
      {"300 holds 6 rows: three a row",           16,      1,  300,    3},
      {"under one row's room: one row",           16,      1,   30,   16},
      {"not laid out yet: as set",                16,      1,    0,    1},
      {"rows that fit stay",                       9,      4,  200,    4},
      {"4 a row, 16 tabs, 150 pixels: 3 rows",    16,      4,  150,    6},
      {"no tab shown",                             0,      1,   50,    1},
      {"per_row 0 counts as 1",                    3,      0, 1000,    1},
  };
  for (const Case& c : cases) {
    const int shown = Folded_Tabs_Per_Row(c.visible, c.per_row, c.room, 22);
    EXPECT_EQ(shown, c.per_row_shown) << c.name;
  }
}

TEST(Row_Tab_Span, TheFullestRowNeverPassesTheBar) {
  for (int per_row : {1, 4, 6, 16, 33, 60, 120, 65535}) {
    for (int visible = 1; visible <= 16; ++visible) {
      for (int bar : {0, 100, 799, 1920}) {
        const int in_row = Tabs_In_Row(visible, per_row);
        const Tab_Span last = Row_Tab_Span(bar, per_row, in_row, 150, in_row - 1);
        EXPECT_LE(last.Start + last.Length, bar) << per_row << " " << visible << " " << bar;
        EXPECT_GE(last.Length, 0);
      }
    }
  }
}

TEST(Column_Tab_Length, PreferredShortenedToFitTheColumn) {
  EXPECT_EQ(Column_Tab_Length(1000, 5, 180), 180);   // room for the bold caption
  EXPECT_EQ(Column_Tab_Length(1000, 16, 180), 62);   // 16 tabs share the column
  EXPECT_EQ(Column_Tab_Length(1056, 16, 32), 32);    // 33 a row: 16 tabs, not 33 x 32
  EXPECT_EQ(Column_Tab_Length(0, 16, 180), 180);     // not laid out yet
  EXPECT_EQ(Column_Tab_Length(-5, 16, 180), 180);
  EXPECT_EQ(Column_Tab_Length(300, 0, 180), 180);    // in_row 0 counts as 1
}

TEST(Tabs_In_Row, TheFullestRow) {
  EXPECT_EQ(Tabs_In_Row(3, 4), 3);
  EXPECT_EQ(Tabs_In_Row(9, 6), 6);
  EXPECT_EQ(Tabs_In_Row(16, 65535), 16);
  EXPECT_EQ(Tabs_In_Row(16, 0), 1);
  EXPECT_EQ(Tabs_In_Row(0, 4), 0);
}

TEST(Step_Visible_Tab, NextAndPreviousVisibleWrappingAround) {
  const std::vector<bool> five = {true, true, true, true, true, false, false, false};
  const std::vector<bool> gaps = {false, true, false, true, false};
  const std::vector<bool> one = {false, false, true, false};
  struct Case {
    const std::vector<bool>* visible;
    int current, step, expected;
  };
  const std::vector<Case> cases = {
      {&five, 0, 1, 1},  {&five, 3, 1, 4},  {&five, 4, 1, 0},   // wraps past the last visible
      {&five, 0, -1, 4}, {&five, 2, -1, 1}, {&five, 4, -1, 3},  // and before the first
      {&gaps, 1, 1, 3},  {&gaps, 3, 1, 1},  {&gaps, 1, -1, 3},  // hidden tabs are skipped
      {&one, 2, 1, 2},   {&one, 2, -1, 2},                      // nothing else to go to
      {&five, 2, 0, 2},                                         // no step
      {&gaps, 0, 1, 1},  {&gaps, 0, -1, 3},                     // from a hidden tab
      {&five, -1, 1, 0}, {&five, 9, -1, 4}, {&five, 9, 1, 0},   // from out of range
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Step_Visible_Tab(*c.visible, c.current, c.step), c.expected)
        << "from " << c.current << " step " << c.step;
  }
  EXPECT_EQ(Step_Visible_Tab({}, 0, 1), 0);
  EXPECT_EQ(Step_Visible_Tab({false, false}, 1, 1), 1);
}

TEST(Progress_Text, StageAndWholePercentAsTheRendererPrintsThem) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::tuple<std::string, double, std::string>> cases = {
      {"Loading", 0.0, "Loading 0%"},
      {"Loading", 0.425, "Loading 42%"},
      {"Loading", 0.999, "Loading 99%"},
      {"Loading", 1.0, "Loading 100%"},
      {"Loading", 1.7, "Loading 100%"},
      {"Loading", -0.2, "Loading 0%"},
      {"Loading", nan, "Loading 0%"},
      {"Drawing page 3", 0.4, "Drawing page 3 40%"},
      {"Drawing page 16", 15.0 / 16, "Drawing page 16 93%"},
  };
  for (const auto& [what, fraction, text] : cases) {
    EXPECT_EQ(Progress_Text(what, fraction), text) << what << " " << fraction;
  }
}

// One step of a load: a report (what, fraction) or a tick (what empty) at a time, and what
// the rules answer.
struct Step {
  std::int64_t at;
  const char* what;  // nullptr: a tick
  double fraction;
  bool redraw;
  const char* text;  // Text() after the step
};

void Run_Load(Load_Feedback_Rules& rules, const std::vector<Step>& steps) {
  rules.Start(1000);
  for (const Step& s : steps) {
    const bool redraw = s.what != nullptr ? rules.Progress(s.what, s.fraction, 1000 + s.at)
                                          : rules.Tick(1000 + s.at);
    EXPECT_EQ(redraw, s.redraw) << "at " << s.at;
    EXPECT_EQ(rules.Text(), s.text) << "at " << s.at;
    EXPECT_EQ(rules.Shown(), *s.text != '\0') << "at " << s.at;
  }
}

TEST(Load_Feedback_Rules, QuietForHalfASecondThenThrottledUnlessTheStageChanges) {
  Load_Feedback_Rules rules;
  Run_Load(rules, {
                 {0, nullptr, 0, false, ""},             // nothing reported yet
                 {100, "Loading", 0.1, false, ""},       // within the delay
                 {499, "Loading", 0.4, false, ""},
                 {499, nullptr, 0, false, ""},
                 {500, nullptr, 0, true, "Loading 40%"},  // the delay passed: latest report
                 {550, "Loading", 0.5, false, "Loading 40%"},  // throttled
                 {599, nullptr, 0, false, "Loading 40%"},
                 {600, nullptr, 0, true, "Loading 50%"},  // the held-back report
                 {650, "Loading", 1.0, false, "Loading 50%"},
                 {655, "Drawing page 1", 0, true, "Drawing page 1 0%"},  // a new stage at once
                 {656, "Drawing page 2", 0.5, true, "Drawing page 2 50%"},
                 {900, "Drawing page 2", 0.5, false, "Drawing page 2 50%"},  // same text
                 {901, "Drawing page 2", 0.501, false, "Drawing page 2 50%"},
             });
  rules.Finish();
  EXPECT_FALSE(rules.Shown());
  EXPECT_FALSE(rules.Running());
  EXPECT_EQ(rules.Text(), "");
  EXPECT_FALSE(rules.Progress("Loading", 0.5, 5000));  // no load running
  EXPECT_FALSE(rules.Tick(5000));
}

TEST(Load_Feedback_Rules, AQuickLoadShowsNothingAndANewLoadStartsQuiet) {
  Load_Feedback_Rules rules;
  Run_Load(rules, {{10, "Loading", 1.0, false, ""}, {300, "Drawing page 1", 0, false, ""}});
  rules.Finish();
  Run_Load(rules, {{700, "Drawing page 2", 0.5, true, "Drawing page 2 50%"}});
  // A new load forgets the old one's text and its time.
  Run_Load(rules, {{100, nullptr, 0, false, ""}, {200, "Loading", 0.2, false, ""}});
  EXPECT_DOUBLE_EQ(rules.Fraction(), 0.0);
}

TEST(Load_Feedback_Rules, NoDelayShowsTheFirstReport) {
  Load_Feedback_Rules rules(0);
  Run_Load(rules, {{0, "Loading", 0.25, true, "Loading 25%"},
                   {1, "Loading", 2.0, false, "Loading 25%"}});
  EXPECT_DOUBLE_EQ(rules.Fraction(), 0.25);
  EXPECT_TRUE(rules.Tick(1000 + 101));
  EXPECT_EQ(rules.Text(), "Loading 100%");
  EXPECT_DOUBLE_EQ(rules.Fraction(), 1.0);
}

}  // namespace
}  // namespace pw
