#include "pages/d_graphpage.h"

#include <gtest/gtest.h>

#include <string>

#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "graphs/d_scatgraph.h"
#include "page_fixture.h"
#include "setup/d_inifile.h"

namespace pw::test {
namespace {

const char* const Data_Def =
    "[DataFile]\n"
    "A=1 5.1 Alpha\n"
    "B=2 5.1 Beta\n"
    "@G=3\n";

class Graph_Page : public Page_Test {
 protected:
  // Reads page P1 of `setup` (with the data definition above) on a canvas of w x h.
  void Read(const std::string& setup, int w = 800, int h = 600) {
    canvas_.Image.Set_Size(w, h);
    ini_ = std::make_unique<TC_Ini_File>(Write("s.ini", std::string(Data_Def) + setup));
    def_ = std::make_unique<TC_File_Def>(*ini_);
    page_ = std::make_unique<TC_Graph_Page>(canvas_);
    page_->Section_Name = "P1";
    page_->Read_Setup(*ini_, {"Pages", "P1"}, *def_);
  }
  void Load(const std::string& data) {
    buffer_.Load_File(Write("d.dat", data), *def_);
  }
  struct Cell {
    int left, right, top, bottom;
  };
  Cell Cell_Of(int i) {
    const TC_Graph& g = page_->Graph(i);
    return {g.Cell_Left, g.Cell_Right, g.Cell_Top, g.Cell_Bottom};
  }

  TC_Canvas canvas_;
  std::unique_ptr<TC_Ini_File> ini_;
  std::unique_ptr<TC_File_Def> def_;
  std::unique_ptr<TC_Graph_Page> page_;
  TC_Data_Buffer buffer_;
};

std::string Hist_Graphs(int n) {
  std::string list = "Graphs=";
  for (int i = 1; i <= n; ++i) list += " G" + std::to_string(i);
  return list + "\n[Pages]\nKind=hist\nx=A\n";
}

TEST_F(Graph_Page, DefaultsWithoutKeys) {
  Read("[P1]\n");
  EXPECT_EQ(page_->Title, "");
  EXPECT_EQ(page_->Name, "");
  EXPECT_EQ(page_->Font, "Verdana");
  EXPECT_EQ(page_->Rows, 1);
  EXPECT_EQ(page_->Columns, 1);
  EXPECT_EQ(page_->FontSize, 10);
  EXPECT_EQ(page_->TitleFontSize, 18);
  EXPECT_EQ(page_->FontColor, 0xC0C0C0);
  EXPECT_EQ(Bg_Color, 0);
  EXPECT_EQ(page_->Graph_Count(), 0);
}

TEST_F(Graph_Page, KeysReadFromPageOverShared) {
  Read("[Pages]\nFont=DejaVu Sans\nFontSize=12\nFontColor=Red\n"
       "[P1]\nTitle=T\nName=N1\nFontSize=14\nTitleFontSize=20\nBgColor=000080\n");
  EXPECT_EQ(page_->Title, "T");
  EXPECT_EQ(page_->Name, "N1");
  EXPECT_EQ(page_->Font, "DejaVu Sans");
  EXPECT_EQ(canvas_.Font.Name, "DejaVu Sans");  // set on the canvas at once
  EXPECT_EQ(page_->FontSize, 14);
  EXPECT_EQ(page_->TitleFontSize, 20);
  EXPECT_EQ(page_->FontColor, 0x0000FF);
  EXPECT_EQ(Bg_Color, 0x800000);
}

TEST_F(Graph_Page, BadColourTextKeepsDefault) {
  Read("[P1]\nFontColor=nocolour\nBgColor=\n");
  EXPECT_EQ(page_->FontColor, 0xC0C0C0);
  EXPECT_EQ(Bg_Color, 0);
}

TEST_F(Graph_Page, LayoutOf800x600Example) {
  Read("[P1]\nTitle=Example\nRows=2\nColumns=2\n" + Hist_Graphs(4));
  ASSERT_EQ(page_->Graph_Count(), 4);
  const Cell want[4] = {{4, 396, 30, 309}, {404, 796, 30, 309}, {4, 396, 317, 596},
                        {404, 796, 317, 596}};
  for (int i = 1; i <= 4; ++i) {
    SCOPED_TRACE(i);
    const Cell c = Cell_Of(i);
    EXPECT_EQ(c.left, want[i - 1].left);
    EXPECT_EQ(c.right, want[i - 1].right);
    EXPECT_EQ(c.top, want[i - 1].top);
    EXPECT_EQ(c.bottom, want[i - 1].bottom);
  }
}

TEST_F(Graph_Page, TwoRowsThreeColumnsFourGraphs) {
  Read("[P1]\nRows=2\nColumns=3\n" + Hist_Graphs(4));
  ASSERT_EQ(page_->Graph_Count(), 4);
  // cw = 266, ch = 300, no title band.
  EXPECT_EQ(Cell_Of(1).left, 4);
  EXPECT_EQ(Cell_Of(2).left, 270);
  EXPECT_EQ(Cell_Of(3).left, 536);
  EXPECT_EQ(Cell_Of(3).right, 794);
  EXPECT_EQ(Cell_Of(3).top, 4);
  EXPECT_EQ(Cell_Of(4).left, 4);
  EXPECT_EQ(Cell_Of(4).top, 304);
  EXPECT_EQ(Cell_Of(4).bottom, 596);
}

TEST_F(Graph_Page, NoTitleStartsGridAtTop) {
  Read("[P1]\n" + Hist_Graphs(1));
  EXPECT_EQ(Cell_Of(1).top, 4);
  EXPECT_EQ(Cell_Of(1).bottom, 596);
}

// A title font size at either end of the whole numbers pushes the grid far off the page
// (or stretches it far above it) without overflowing; the page still draws.
TEST_F(Graph_Page, TitleFontSizeAtTheIntegerEnds) {
  struct Case {
    const char* size;
    Cell first, second;
  };
  const Case cases[] = {
      {"100000", {4, 796, 100012, 50300}, {4, 796, 50308, 596}},
      {"2147483647", {4, 796, 268435456, 268435456}, {4, 796, 268435456, 597}},
      {"-2147483648", {4, 796, -268435456, -268435456}, {4, 796, -268435456, 596}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    Read(std::string("[P1]\nTitle=T\nRows=2\nTitleFontSize=") + c.size + "\n" + Hist_Graphs(2));
    ASSERT_EQ(page_->Graph_Count(), 2);
    for (int i = 1; i <= 2; ++i) {
      const Cell want = i == 1 ? c.first : c.second;
      const Cell got = Cell_Of(i);
      EXPECT_EQ(got.left, want.left);
      EXPECT_EQ(got.right, want.right);
      EXPECT_EQ(got.top, want.top);
      EXPECT_EQ(got.bottom, want.bottom);
    }
    Load("1 2 a\n3 4 b\n");
    EXPECT_NO_THROW(page_->Draw_Page(buffer_));
  }
}

TEST_F(Graph_Page, SeventyNamesOnEightByNineGiveSixtyFour) {
  Read("[P1]\nRows=8\nColumns=9\n" + Hist_Graphs(70));
  EXPECT_EQ(page_->Graph_Count(), 64);
  EXPECT_EQ(page_->Graph(64).Section(), "P1/G64");
}

TEST_F(Graph_Page, GraphsBeyondRowsTimesColumnsIgnored) {
  Read("[P1]\nRows=1\nColumns=2\n" + Hist_Graphs(5));
  EXPECT_EQ(page_->Graph_Count(), 2);
}

TEST_F(Graph_Page, ZeroOrNegativeGridGivesNoGraphs) {
  for (const char* grid : {"Rows=0\n", "Columns=0\n", "Rows=-1\nColumns=-1\n"}) {
    SCOPED_TRACE(grid);
    Read(std::string("[P1]\n") + grid + Hist_Graphs(3));
    EXPECT_EQ(page_->Graph_Count(), 0);
  }
}

TEST_F(Graph_Page, KindChoosesClass) {
  struct Case {
    const char* kind;
    const char* name;
  };
  const Case cases[] = {{"hist", "histogram"}, {"Histogram", "histogram"}, {"H", "histogram"},
                        {"Scatter", "scatter"},  {"s", "scatter"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    Read(std::string("[P1]\nGraphs=G1\n[P1/G1]\nx=A\ny=B\nKind=") + c.kind + "\n");
    ASSERT_EQ(page_->Graph_Count(), 1);
    EXPECT_STREQ(page_->Graph(1).Kind_Name(), c.name);
  }
}

TEST_F(Graph_Page, WrongKindIsFatal) {
  struct Case {
    const char* setup;
    const char* message;
  };
  const Case cases[] = {
      {"[P1]\nGraphs=G1\n[P1/G1]\nKind=X\n", "Wrong graph kind in [P1/G1]: X"},
      {"[P1]\nGraphs=G1\n", "Wrong graph kind in [P1/G1]: N"},
      {"[P1]\nGraphs=G1\n[P1/G1]\nKind=\n", "Wrong graph kind in [P1/G1]: "},
      {"[P1]\nGraphs=G1\n[Pages]\nKind=Box\n", "Wrong graph kind in [P1/G1]: Box"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setup);
    Fatal_Error = false;
    try {
      Read(c.setup);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), c.message);
      EXPECT_TRUE(e.Fatal());
      EXPECT_TRUE(Fatal_Error);
    }
  }
}

TEST_F(Graph_Page, GraphsBeforeAnErrorStay) {
  try {
    Read("[P1]\nColumns=3\nGraphs=G1 G2 G3\n[Pages]\nKind=hist\nx=A\n[P1/G2]\nx=Nope\n");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Missing or wrong X definition in [P1/G2/]: Nope");
  }
  EXPECT_EQ(page_->Graph_Count(), 2);
}

TEST_F(Graph_Page, DrawPaintsBackgroundAndTitle) {
  Read("[P1]\nTitle=WWWWWW\nBgColor=000080\nFontColor=White\n");
  Load("1 2 a\n");
  int pumped = 0;
  page_->Draw_Page(buffer_, [&] { ++pumped; });
  EXPECT_EQ(pumped, 1);
  EXPECT_EQ(Cur_Image, &canvas_);
  const TC_Bitmap& img = canvas_.Image;
  EXPECT_EQ(img.Pixel(0, 0), 0xFF000080u);
  EXPECT_EQ(img.Pixel(799, 599), 0xFF000080u);
  // Some white title pixel in the band at the top centre, none below the band.
  int white_in_band = 0, white_below = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 300; x < 500; ++x) {
      if (img.Pixel(x, y) == 0xFFFFFFFFu) (y < 30 ? white_in_band : white_below)++;
    }
  }
  EXPECT_GT(white_in_band, 0);
  EXPECT_EQ(white_below, 0);
  EXPECT_EQ(canvas_.Font.Height, 10);  // back to FontSize, normal, for the graphs
  EXPECT_FALSE(canvas_.Font.Bold);
}

TEST_F(Graph_Page, PointInfoOnlyFromScatterGraphs) {
  Read("[P1]\nColumns=2\nGraphs=H S\n[P1/H]\nKind=hist\nx=A\n"
       "[P1/S]\nKind=scatter\nx=A\ny=B\nHint=@G\n");
  Load("1 1 first\n2 3 second\n3 2 third\n");
  page_->Draw_Page(buffer_);
  auto& scat = static_cast<TC_Scat_Graph&>(page_->Graph(2));
  const int px = static_cast<int>(scat.Pixel_X(2));
  const int py = static_cast<int>(scat.Pixel_Y(3));
  EXPECT_EQ(page_->Point_Info(px, py, buffer_), "  second");
  EXPECT_EQ(page_->Point_Info(px + 2, py + 2, buffer_), "  second");  // within PixOff
  // Inside the plot but on no point: the scatter graph answers with nothing.
  EXPECT_EQ(page_->Point_Info(scat.Plot_Left + 1, scat.Plot_Top + 1, buffer_), "");
  // Inside the histogram's plot area: histograms never answer.
  const TC_Graph& hist = page_->Graph(1);
  EXPECT_EQ(page_->Point_Info((hist.Plot_Left + hist.Plot_Right) / 2,
                              (hist.Plot_Top + hist.Plot_Bottom) / 2, buffer_),
            "");
}

}  // namespace
}  // namespace pw::test
