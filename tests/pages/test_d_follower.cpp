// Follow mode between loads: which load a change calls for, pages drawn after lines were added
// exactly as after a full load of the longer file, errors shown once while following goes on.
#include "pages/d_follower.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "graphs/d_histgraph.h"
#include "page_fixture.h"
#include "pages/d_graphpageset.h"
#include "pages/d_pagezooms.h"
#include "setup/d_inifile.h"

namespace pw::test {
namespace {

// A histogram and a scatter graph, both with automatic limits (and automatic bins).
const char* const Follow_Setup =
    "[DataFile]\n"
    "A=1 5.2 Alpha\n"
    "B=2 1 Beta\n"
    "@G=3\n"
    "[Pages]\n"
    "Pages=P1\n"
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

std::string Points(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) {
    text += std::to_string(i % 97) + " " + std::to_string(i * 3 % 101) + (i % 2 ? " a\n" : " b\n");
  }
  return text;
}

void Touch_Later(const std::string& path) {
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  struct timespec times[2] = {info.st_atim, info.st_mtim};
  times[1].tv_sec += 1;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class Follower : public Page_Test {
 protected:
  void SetUp() override {
    Page_Test::SetUp();
    for (TC_Canvas& c : *canvases_) c.Image.Set_Size(400, 300);
    setup_ = Write("s.ini", Follow_Setup);
    data_ = Write("d.dat", Points(1, 40));
    follower_ = std::make_unique<TC_Follower>(setup_, data_);
  }
  void TearDown() override {
    set_.reset();
    Set_Thread_Count(0);
    Page_Test::TearDown();
  }

  // One load as the programs make it while following: a new page set read from the setup, its
  // data through the follower, every page drawn.
  void Load(Follow_Action action) {
    follower_->Begin_Load(action, set_.get());
    set_ = std::make_unique<TC_Graph_Page_Set>(*canvases_);
    const TC_Ini_File ini(setup_);
    set_->Read_Setup(ini, "Pages");
    follower_->Load_Data(*set_);
    set_->Draw_Pages();
    follower_->Drawn();
  }
  // Load(Check()) when the check calls for a load; the message of its error, if any.
  std::string Follow() {
    const Follow_Action action = follower_->Check();
    if (action == Follow_Action::None) return "none";
    try {
      Load(action);
    } catch (const Error& e) {
      return e.Message();
    }
    return action == Follow_Action::Full ? "full" : "append";
  }
  void Append(const std::string& text) {
    std::ofstream(data_, std::ios::binary | std::ios::app) << text;
  }

  std::unique_ptr<Canvas_Array> canvases_ = std::make_unique<Canvas_Array>();
  std::unique_ptr<TC_Graph_Page_Set> set_;
  std::unique_ptr<TC_Follower> follower_;
  std::string setup_;
  std::string data_;
};

TEST(Follow_Action, ForEveryChange) {
  struct Case {
    bool setup_changed;
    Data_Change data;
    Follow_Action action;
  };
  const Case cases[] = {
      {false, Data_Change::Unchanged, Follow_Action::None},
      {false, Data_Change::Lines_Added, Follow_Action::Append},
      {false, Data_Change::Other, Follow_Action::Full},
      {false, Data_Change::Missing, Follow_Action::Full},
      {true, Data_Change::Unchanged, Follow_Action::Full},
      {true, Data_Change::Lines_Added, Follow_Action::Full},
      {true, Data_Change::Other, Follow_Action::Full},
      {true, Data_Change::Missing, Follow_Action::Full},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Follow_Action_For(c.setup_changed, c.data), c.action)
        << c.setup_changed << " " << static_cast<int>(c.data);
  }
}

// Lines added: the pages read again and drawn around the longer buffer, their automatic limits
// and bins worked out anew, pixel for pixel as after a full load of the longer file.
TEST_F(Follower, AddedLinesDrawAsAFullLoad) {
  for (int threads : {1, 3}) {
    Set_Thread_Count(threads);
    set_.reset();
    std::filesystem::remove(data_);
    data_ = Write("d.dat", Points(1, 40));
    follower_ = std::make_unique<TC_Follower>(setup_, data_);
    EXPECT_EQ(Follow(), "full");
    EXPECT_EQ(Follow(), "none");
    Append(Points(41, 3000) + "250 7");  // the unfinished line waits
    EXPECT_EQ(Follow(), "append");
    EXPECT_TRUE(follower_->Appended());
    ASSERT_EQ(set_->Buffer().Point_Count(), 3000);
    auto& hist = static_cast<TC_Hist_Graph&>(set_->Page(1).Graph(1));
    EXPECT_EQ(hist.XHi, 100);
    EXPECT_EQ(hist.Stat_Line, "N=3000  m=47.92  s=27.95  mn=0  mx=96");
    const TC_Bitmap appended = set_->Page(1).Canvas().Image;
    const int bins = hist.Bins;

    Canvas_Array fresh_canvases;
    for (TC_Canvas& c : fresh_canvases) c.Image.Set_Size(400, 300);
    std::ofstream(data_, std::ios::binary | std::ios::app) << "\n";
    TC_Graph_Page_Set fresh(fresh_canvases);
    fresh.Read_Setup(TC_Ini_File(setup_), "Pages");
    fresh.Load_Data(data_);
    fresh.Draw_Pages();
    ASSERT_EQ(fresh.Buffer().Point_Count(), 3001);
    // The fresh load read the line finished above; the followed pages get it at the next check.
    EXPECT_EQ(Follow(), "append");
    EXPECT_EQ(static_cast<TC_Hist_Graph&>(set_->Page(1).Graph(1)).Bins,
              static_cast<TC_Hist_Graph&>(fresh.Page(1).Graph(1)).Bins);
    EXPECT_NE(bins, 0);
    const TC_Bitmap& a = set_->Page(1).Canvas().Image;
    const TC_Bitmap& b = fresh.Page(1).Canvas().Image;
    ASSERT_EQ(a.Width(), b.Width());
    for (int y = 0; y < a.Height(); ++y) {
      ASSERT_EQ(std::memcmp(a.Row(y), b.Row(y), static_cast<std::size_t>(a.Width()) * 4), 0)
          << "row " << y << " on " << threads << " threads";
    }
    EXPECT_NE(std::memcmp(appended.Row(150), a.Row(150), static_cast<std::size_t>(a.Width()) * 4),
              0);
    Cur_Image = nullptr;
  }
}

// A changed setup, a data file cut short or replaced: full loads. A change that touched
// neither file: nothing.
TEST_F(Follower, WhatEachChangeCallsFor) {
  EXPECT_EQ(Follow(), "full");  // nothing known before the first load
  EXPECT_EQ(Follow(), "none");
  Touch_Later(setup_);
  EXPECT_EQ(Follow(), "full");
  std::ofstream(setup_, std::ios::binary | std::ios::app) << "Grid=0\n";
  EXPECT_EQ(Follow(), "full");
  Write("d.dat", Points(1, 20));
  EXPECT_EQ(Follow(), "full");
  EXPECT_EQ(set_->Buffer().Point_Count(), 20);
  Write("d.new", Points(1, 30));
  std::filesystem::rename(dir_ / "d.new", data_);
  EXPECT_EQ(Follow(), "full");
  EXPECT_EQ(set_->Buffer().Point_Count(), 30);
  Write("other.dat", "1 2 3\n");
  EXPECT_EQ(Follow(), "none");
}

// An error while following: the same message again is not shown again, a good load shows the
// next one; a data file that goes away is loaded again when it returns.
TEST_F(Follower, ErrorsAreShownOnceAndFollowingGoesOn) {
  EXPECT_EQ(Follow(), "full");
  Append("41 x a\n");
  const std::string bad = "'x' is not a valid floating point value";
  EXPECT_EQ(Follow(), bad);
  EXPECT_TRUE(follower_->Report(bad));
  EXPECT_EQ(set_->Buffer().Point_Count(), 40);  // as a full load keeps them
  Append(Points(42, 50));
  EXPECT_EQ(Follow(), bad);  // read again from where the failed addition started
  EXPECT_FALSE(follower_->Report(bad));
  EXPECT_EQ(Follow(), "none");

  std::filesystem::remove(data_);
  const std::string missing = "Missing file: " + data_;
  EXPECT_EQ(Follow(), missing);
  EXPECT_TRUE(follower_->Report(missing));
  Touch_Later(setup_);
  EXPECT_EQ(Follow(), missing);
  EXPECT_FALSE(follower_->Report(missing));
  Fatal_Error = false;  // the programs keep following (Run_While_Following)
  Write("d.dat", Points(1, 45));
  EXPECT_EQ(Follow(), "full");
  EXPECT_EQ(set_->Buffer().Point_Count(), 45);
  EXPECT_TRUE(follower_->Report(missing));  // a load drew in between
}

// A load that stopped before its data step (the setup failed to read, say) has no points to
// add to: the next change reads the whole file.
TEST_F(Follower, NoAdditionAfterALoadWithoutData) {
  EXPECT_EQ(Follow(), "full");
  Append(Points(41, 42));
  ASSERT_EQ(follower_->Check(), Follow_Action::Append);
  follower_->Begin_Load(Follow_Action::Append, set_.get());
  set_ = std::make_unique<TC_Graph_Page_Set>(*canvases_);  // the setup failed: no data step
  Append(Points(43, 44));
  EXPECT_EQ(Follow(), "full");
  EXPECT_EQ(set_->Buffer().Point_Count(), 44);
}

// A setup saved after the check found lines added, before the load began: the load reads the
// new setup, so it reads the points whole.
TEST_F(Follower, SetupSavedAfterTheCheckReadsTheDataWhole) {
  EXPECT_EQ(Follow(), "full");
  Append(Points(41, 42));
  ASSERT_EQ(follower_->Check(), Follow_Action::Append);
  Touch_Later(setup_);
  Load(Follow_Action::Append);
  EXPECT_FALSE(follower_->Appended());
  EXPECT_EQ(set_->Buffer().Point_Count(), 42);
  EXPECT_EQ(Follow(), "none");
}

// The zooms of the page set an addition replaces, given to the new one: the zoomed graph is
// drawn with its zoom over the longer data, the others find their limits anew; its zoom
// reset, it shows the limits a full load of the longer file finds.
TEST_F(Follower, ZoomsStayWhenLinesAreAdded) {
  EXPECT_EQ(Follow(), "full");
  const Graph_Limits zoom{10, 40, 20, 60};
  EXPECT_TRUE(Zooms_Of(set_.get()).empty());
  EXPECT_TRUE(Zooms_Of(nullptr).empty());
  set_->Page(1).Set_Zoom(2, zoom);
  set_->Draw_Pages();
  const Graph_Limits hist_before = Limits_Of(set_->Page(1).Graph(1));
  Append(Points(41, 400));
  ASSERT_EQ(follower_->Check(), Follow_Action::Append);
  const Page_Zooms zooms = Zooms_Of(set_.get());
  ASSERT_EQ(zooms.size(), 1u);
  EXPECT_EQ(zooms[0].Page, 1);
  EXPECT_EQ(zooms[0].Graph, 2);
  follower_->Begin_Load(Follow_Action::Append, set_.get());
  set_ = std::make_unique<TC_Graph_Page_Set>(*canvases_);
  set_->Read_Setup(TC_Ini_File(setup_), "Pages");
  follower_->Load_Data(*set_);
  ASSERT_TRUE(follower_->Appended());
  // Pages and graphs the set does not have are passed over.
  Apply_Zooms(*set_, {{0, 1, zoom}, {2, 1, zoom}, {1, 0, zoom}, {1, 3, zoom}});
  EXPECT_TRUE(Zooms_Of(set_.get()).empty());
  Apply_Zooms(*set_, zooms);
  set_->Draw_Pages();
  EXPECT_TRUE(set_->Page(1).Zoomed(2));
  EXPECT_EQ(Limits_Of(set_->Page(1).Graph(2)), zoom);
  EXPECT_FALSE(set_->Page(1).Zoomed(1));
  EXPECT_NE(Limits_Of(set_->Page(1).Graph(1)), hist_before);  // 360 more points

  set_->Page(1).Reset_Zoom(2);
  set_->Draw_Pages();
  const Graph_Limits reset = Limits_Of(set_->Page(1).Graph(2));
  Load(Follow_Action::Full);
  EXPECT_EQ(Limits_Of(set_->Page(1).Graph(2)), reset);
  EXPECT_NE(reset, zoom);
}

TEST(Run_While_Following, NoErrorEndsTheProgramWhileFollowing) {
  struct Case {
    bool following;
    bool fatal;
    bool raised_fatal;
    bool flag_after;
  };
  const Case cases[] = {
      {true, true, false, false},
      {false, true, true, true},
      {true, false, false, false},
  };
  for (const Case& c : cases) {
    Fatal_Error = false;
    try {
      Run_While_Following([&] { throw Error("Missing file: x", c.fatal); },
                          [&] { return c.following; });
      ADD_FAILURE() << "nothing raised";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "Missing file: x");
      EXPECT_EQ(e.Fatal(), c.raised_fatal) << c.following << c.fatal;
    }
    EXPECT_EQ(Fatal_Error, c.flag_after) << c.following << c.fatal;
  }
  Fatal_Error = false;
}

}  // namespace
}  // namespace pw::test
