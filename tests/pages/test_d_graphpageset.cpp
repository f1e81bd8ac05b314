#include "pages/d_graphpageset.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "page_fixture.h"
#include "setup/d_inifile.h"

namespace pw::test {
namespace {

const char* const Data_Def =
    "[DataFile]\n"
    "A=1 5.1 Alpha\n"
    "B=2 5.1 Beta\n"
    "@G=3\n";

class Page_Set : public Page_Test {
 protected:
  void SetUp() override {
    Page_Test::SetUp();
    for (TC_Canvas& c : *canvases_) c.Image.Set_Size(320, 240);
    data_ = Write("d.dat", "1 2 a\n2 3 b\n3 1 a\n");
  }
  // A new page set reading `setup` (after the data definition).
  void Read(const std::string& setup) {
    ini_ = std::make_unique<TC_Ini_File>(Write("s.ini", std::string(Data_Def) + setup));
    set_ = std::make_unique<TC_Graph_Page_Set>(*canvases_);
    set_->Read_Setup(*ini_, "Pages");
  }

  std::unique_ptr<Canvas_Array> canvases_ = std::make_unique<Canvas_Array>();
  std::unique_ptr<TC_Ini_File> ini_;
  std::unique_ptr<TC_Graph_Page_Set> set_;
  std::string data_;
};

TEST_F(Page_Set, CreatedEmpty) {
  TC_Graph_Page_Set set(*canvases_);
  EXPECT_EQ(set.Page_Count(), 0);
  EXPECT_EQ(set.Buffer().Point_Count(), 0);
  EXPECT_EQ(set.File_Def(), nullptr);
  EXPECT_EQ(set.Page_Name(1), "");
}

TEST_F(Page_Set, TwoListedPagesOnTheirCanvases) {
  Read("[Pages]\nPages=P1 P2\n[P1]\nName=First\n[P2]\nName=Second\n");
  ASSERT_EQ(set_->Page_Count(), 2);
  EXPECT_EQ(set_->Page(1).Section_Name, "P1");
  EXPECT_EQ(set_->Page(2).Section_Name, "P2");
  EXPECT_EQ(&set_->Page(1).Canvas(), &(*canvases_)[0]);
  EXPECT_EQ(&set_->Page(2).Canvas(), &(*canvases_)[1]);
  EXPECT_EQ(set_->Page_Name(1), "First");
  EXPECT_EQ(set_->Page_Name(2), "Second");
  EXPECT_EQ(set_->Page_Name(0), "");
  EXPECT_EQ(set_->Page_Name(3), "");
}

TEST_F(Page_Set, SharedKeysOnlyInPagesSection) {
  Read("[Pages]\nPages=P1 P2\nRows=3\n[P2]\nRows=2\n");
  EXPECT_EQ(set_->Page(1).Rows, 3);
  EXPECT_EQ(set_->Page(2).Rows, 2);
}

TEST_F(Page_Set, SameSectionTwice) {
  Read("[Pages]\nPages=P1 P1\n[P1]\nTitle=Twice\nColumns=2\nGraphs=G\n"
       "[P1/G]\nKind=hist\nx=A\n");
  ASSERT_EQ(set_->Page_Count(), 2);
  for (int i = 1; i <= 2; ++i) {
    EXPECT_EQ(set_->Page(i).Title, "Twice");
    EXPECT_EQ(set_->Page(i).Columns, 2);
    EXPECT_EQ(set_->Page(i).Graph_Count(), 1);
  }
}

TEST_F(Page_Set, AtMostSixteenPages) {
  std::string list = "[Pages]\nPages=";
  for (int i = 1; i <= 20; ++i) list += " P" + std::to_string(i);
  Read(list + "\n");
  EXPECT_EQ(set_->Page_Count(), 16);
  EXPECT_EQ(set_->Page(16).Section_Name, "P16");
}

TEST_F(Page_Set, NoPagesKeyStillLoadsData) {
  Read("[Pages]\nRows=2\n");
  EXPECT_EQ(set_->Page_Count(), 0);
  set_->Load_Data(data_);
  EXPECT_EQ(set_->Buffer().Point_Count(), 3);
  set_->Draw_Pages();
  EXPECT_EQ(set_->Pages_Drawn(), 0);
}

TEST_F(Page_Set, MainSectionSettings) {
  Read("[Plotwright]\nNPts=77\nDateCol=4\n[Pages]\n");
  EXPECT_EQ(NPts, 77);
  ASSERT_NE(set_->File_Def(), nullptr);
  EXPECT_EQ(set_->File_Def()->DateCol, 4);
  // A later setup without the key keeps the last value read; DateCol falls back to 0.
  Read("[Pages]\n");
  EXPECT_EQ(NPts, 77);
  EXPECT_EQ(set_->File_Def()->DateCol, 0);
}

TEST_F(Page_Set, NPtsBelowOneKeepsValue) {
  Read("[Plotwright]\nNPts=0\n");
  EXPECT_EQ(NPts, 1024);
  Read("[Plotwright]\nNPts=-5\n");
  EXPECT_EQ(NPts, 1024);
}

TEST_F(Page_Set, MissingDataFileIsFatal) {
  Read("[Pages]\nPages=P1\n");
  const std::string missing = (dir_ / "nothing.dat").string();
  try {
    set_->Load_Data(missing);
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Missing file: " + missing);
    EXPECT_TRUE(e.Fatal());
  }
  EXPECT_TRUE(Fatal_Error);
  EXPECT_EQ(set_->Page_Count(), 1);  // what was read stays
}

TEST_F(Page_Set, ErrorKeepsPagesReadSoFar) {
  try {
    Read("[Pages]\nPages=P1 P2 P3\n[P2]\nGraphs=G\n[P2/G]\nKind=Q\n");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Wrong graph kind in [P2/G]: Q");
  }
  EXPECT_EQ(set_->Page_Count(), 2);
}

TEST_F(Page_Set, BackgroundOfLastPageRulesAll) {
  Read("[Pages]\nPages=P1 P2 P3\n[P3]\nBgColor=Teal\n");
  set_->Load_Data(data_);
  set_->Draw_Pages();
  EXPECT_EQ(set_->Pages_Drawn(), 3);
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ((*canvases_)[i].Image.Pixel(5, 5), 0xFF008080u);
  }
}

TEST_F(Page_Set, DrawPumpsAndReportsProgress) {
  Read("[Pages]\nPages=P1 P2\n");
  set_->Load_Data(data_);
  int pumps = 0;
  std::vector<std::string> steps;
  set_->Pump_Events = [&] { ++pumps; };
  set_->Progress = [&](const std::string& what, double) { steps.push_back(what); };
  set_->Draw_Pages();
  EXPECT_EQ(pumps, 4);  // before and after each page
  ASSERT_GE(steps.size(), 2u);
  EXPECT_EQ(steps[steps.size() - 2], "Drawing page 1");
  EXPECT_EQ(steps.back(), "Drawing page 2");
}

// The load pumps events on the calling thread, many threads or not, and a mouse press that
// arrives meanwhile finds no point in the half-loaded buffer.
TEST_F(Page_Set, LoadPumpsEventsOnTheCallingThread) {
  Read("[Pages]\nPages=P1\n[P1]\nGraphs=S\n[P1/S]\nKind=s\nx=A\ny=B\nHint=@G\nRoundX=0\n");
  set_->Load_Data(data_);
  set_->Draw_Pages();
  const TC_Graph& g = set_->Page(1).Graph(1);
  const int x = static_cast<int>(g.Pixel_X(2));
  const int y = static_cast<int>(g.Pixel_Y(3));
  ASSERT_EQ(set_->Point_Info(1, x, y), "  b");
  std::string lines;
  for (int i = 0; i < 300000; ++i) lines += "2 3 b\n";
  const std::string big = Write("big.dat", lines);
  std::vector<std::string> seen;
  std::vector<std::string> steps;
  const std::thread::id caller = std::this_thread::get_id();
  bool same_thread = true;
  set_->Pump_Events = [&] {
    same_thread = same_thread && std::this_thread::get_id() == caller;
    seen.push_back(set_->Point_Info(1, x, y));
  };
  set_->Progress = [&](const std::string& what, double) {
    same_thread = same_thread && std::this_thread::get_id() == caller;
    steps.push_back(what);
  };
  set_->Load_Data(big);
  EXPECT_TRUE(same_thread);
  ASSERT_FALSE(seen.empty());
  for (const std::string& text : seen) EXPECT_EQ(text, "");
  EXPECT_EQ(steps.back(), "Loading");
  EXPECT_EQ(set_->Buffer().Point_Count(), 300000);
}

TEST_F(Page_Set, DrawingErrorCountsFinishedPages) {
  Read("[Pages]\nPages=P1 P2 P3\n[P2]\nGraphs=G\n[P2/G]\nKind=hist\nLayers=L1 L2\nx=A\n");
  set_->Load_Data(data_);
  try {
    set_->Draw_Pages();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "More than 1 Hist layer");
  }
  EXPECT_EQ(set_->Pages_Drawn(), 1);
}

// Each page is announced before it is drawn and once it counts as drawn; a page whose drawing
// fails is announced but never finished, and the hooks see the pages drawn so far.
TEST_F(Page_Set, PageHooksAroundEachPage) {
  struct Case {
    std::string Setup;
    std::vector<std::string> Calls;
  };
  const std::vector<Case> cases{
      {"[Pages]\nPages=P1 P2 P3\n", {"start 1/0", "end 1/1", "start 2/1", "end 2/2", "start 3/2",
                                     "end 3/3"}},
      {"[Pages]\nPages=P1 P2 P3\n[P2]\nGraphs=G\n[P2/G]\nKind=hist\nLayers=L1 L2\nx=A\n",
       {"start 1/0", "end 1/1", "start 2/1"}},
  };
  for (const Case& c : cases) {
    Read(c.Setup);
    set_->Load_Data(data_);
    std::vector<std::string> calls;
    auto note = [&](const char* what, int page) {
      calls.push_back(what + std::to_string(page) + "/" + std::to_string(set_->Pages_Drawn()));
    };
    set_->Page_Starting = [&](int page) { note("start ", page); };
    set_->Page_Finished = [&](int page) { note("end ", page); };
    try {
      set_->Draw_Pages();
    } catch (const Error&) {
    }
    EXPECT_EQ(calls, c.Calls);
  }
}

// An error raised as a page starts stops the drawing before that page.
TEST_F(Page_Set, PageStartingErrorStopsBeforeThePage) {
  Read("[Pages]\nPages=P1 P2 P3\n");
  set_->Load_Data(data_);
  set_->Page_Starting = [](int page) {
    if (page == 2) throw Error("no room");
  };
  EXPECT_THROW(set_->Draw_Pages(), Error);
  EXPECT_EQ(set_->Pages_Drawn(), 1);
}

TEST_F(Page_Set, PointInfoForMissingPageIsEmpty) {
  Read("[Pages]\nPages=P1\n[P1]\nGraphs=S\n[P1/S]\nKind=s\nx=A\ny=B\nHint=@G\nRoundX=0\n");
  set_->Load_Data(data_);
  set_->Draw_Pages();
  const TC_Graph& g = set_->Page(1).Graph(1);
  const int x = static_cast<int>(g.Pixel_X(2));
  const int y = static_cast<int>(g.Pixel_Y(3));
  EXPECT_EQ(set_->Point_Info(1, x, y), "  b");
  EXPECT_EQ(set_->Point_Info(0, x, y), "");
  EXPECT_EQ(set_->Point_Info(2, x, y), "");
}

}  // namespace
}  // namespace pw::test
