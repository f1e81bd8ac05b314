// A zoomed graph is drawn as if the setup gave its limits, alone in its slot; a reset brings
// back the first picture; later page drawings keep the zoom.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "base/parallel.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "graphs/d_histgraph.h"
#include "page_fixture.h"
#include "pages/d_graphpage.h"
#include "setup/d_inifile.h"

namespace pw::test {
namespace {

const char* const Data_Def = "[DataFile]\nA=1 5.1 Alpha\nB=2 5.3 Beta\n@G=3\n";

// A title, a scatter graph (POINT markers and a LINE layer) and a histogram with automatic
// limits; `given` is added to the end (limits of the comparison page).
std::string Page_Setup(const std::string& given = "") {
  return std::string(Data_Def) +
         "[P1]\nTitle=Zoom\nRows=2\nColumns=2\nGraphs=S H\n"
         "[P1/S]\nKind=scatter\nx=A\ny=B\nLayers=P L\nHint=@G\n"
         "[P1/S/P]\nMarker=POINT\nColor=Yellow\n[P1/S/L]\nMarker=LINE\nColor=Red\nKey1=@G g1\n"
         "[P1/H]\nKind=hist\nx=A\nColor=Lime\nFill=3\n" +
         given;
}

std::string Data_Lines(int points) {
  std::string text;
  char line[80];
  for (int i = 1; i <= points; ++i) {
    std::snprintf(line, sizeof line, "%.1f %.3f g%d\n", (i % 400) / 10.0, std::sin(i * 0.37),
                  i % 3);
    text += line;
  }
  return text;
}

class Zoom_Page : public Page_Test {
 protected:
  struct Loaded {
    TC_Canvas canvas;
    std::unique_ptr<TC_Ini_File> ini;
    std::unique_ptr<TC_File_Def> def;
    std::unique_ptr<TC_Graph_Page> page;
    TC_Data_Buffer buffer;
  };
  // Page P1 of `setup` on a canvas of 800 x 600 with `points` points, drawn once.
  std::unique_ptr<Loaded> Load(const std::string& setup, int points = 400) {
    auto l = std::make_unique<Loaded>();
    l->canvas.Image.Set_Size(800, 600);
    l->ini = std::make_unique<TC_Ini_File>(Write("s" + std::to_string(++files_) + ".ini", setup));
    l->def = std::make_unique<TC_File_Def>(*l->ini);
    l->page = std::make_unique<TC_Graph_Page>(l->canvas);
    l->page->Read_Setup(*l->ini, {"Pages", "P1"}, *l->def);
    if (data_points_ != points) {
      data_ = Write("d.dat", Data_Lines(points));
      data_points_ = points;
    }
    l->buffer.Load_File(data_, *l->def);
    l->page->Draw_Page(l->buffer);
    return l;
  }
  static bool Same(const TC_Bitmap& a, const TC_Bitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y) {
      for (int x = 0; x < a.Width(); ++x) {
        if (a.Pixel(x, y) != b.Pixel(x, y)) {
          ADD_FAILURE() << "first difference at " << x << "," << y;
          return false;
        }
      }
    }
    return true;
  }

  // Limits written exactly as the setup reads them.
  const Graph_Limits Scatter_Zoom{5, 15.5L, -0.25L, 0.75L};
  const Graph_Limits Hist_Zoom{10, 20, 0, 20};
  const std::string Given =
      "[P1/S]\nxlo=5\nxhi=15.5\nylo=-0.25\nyhi=0.75\n[P1/H]\nxlo=10\nxhi=20\nylo=0\nyhi=20\n";

 private:
  int files_ = 0;
  int data_points_ = 0;
  std::string data_;
};

TEST_F(Zoom_Page, ZoomedGraphsDrawAsGivenLimitsAloneInTheirSlots) {
  auto zoomed = Load(Page_Setup());
  const std::string stat_line = zoomed->page->Graph(2).Stat_Line;
  const int bins = static_cast<const TC_Hist_Graph&>(zoomed->page->Graph(2)).Bins;
  zoomed->page->Set_Zoom(1, Scatter_Zoom);
  zoomed->page->Set_Zoom(2, Hist_Zoom);
  EXPECT_TRUE(zoomed->page->Zoomed(1));
  EXPECT_EQ(zoomed->page->View_Limits(2), Hist_Zoom);
  EXPECT_NE(Limits_Of(zoomed->page->Graph(2)), Hist_Zoom);  // not drawn yet
  zoomed->page->Draw_Graph(1, zoomed->buffer);
  zoomed->page->Draw_Graph(2, zoomed->buffer);
  EXPECT_EQ(Limits_Of(zoomed->page->Graph(1)), Scatter_Zoom);
  EXPECT_EQ(Limits_Of(zoomed->page->Graph(2)), Hist_Zoom);

  auto given = Load(Page_Setup(Given));
  EXPECT_TRUE(Same(zoomed->canvas.Image, given->canvas.Image));
  // Same bin count, bars counted anew; the statistics line does not follow the zoom.
  EXPECT_EQ(static_cast<const TC_Hist_Graph&>(zoomed->page->Graph(2)).Bins, bins);
  EXPECT_EQ(zoomed->page->Graph(2).Stat_Line, stat_line);
  EXPECT_EQ(given->page->Graph(2).Stat_Line, stat_line);
  EXPECT_FALSE(stat_line.empty());
}

// The under- and overflow that Flow adds to the statistics line count what lies outside the
// bars shown: under a zoom those of the zoomed range, as if the setup gave its limits.
TEST_F(Zoom_Page, FlowCountsFollowTheZoomedBars) {
  const std::string flow = "[P1/H]\nFlow=yes\n";
  auto l = Load(Page_Setup(flow));
  const std::string unzoomed = l->page->Graph(2).Stat_Line;
  l->page->Set_Zoom(2, Hist_Zoom);
  l->page->Draw_Graph(2, l->buffer);
  const std::string zoomed = l->page->Graph(2).Stat_Line;
  EXPECT_EQ(zoomed, Load(Page_Setup(Given + flow))->page->Graph(2).Stat_Line);
  EXPECT_EQ(zoomed, unzoomed + "  u=100  o=199");
  l->page->Reset_Zoom(2);
  l->page->Draw_Graph(2, l->buffer);
  EXPECT_EQ(l->page->Graph(2).Stat_Line, unzoomed);
}

TEST_F(Zoom_Page, OnlyTheSlotChanges) {
  auto l = Load(Page_Setup());
  TC_Bitmap before = l->canvas.Image;
  l->page->Set_Zoom(2, Hist_Zoom);
  l->page->Draw_Graph(2, l->buffer);
  // Slot of the right graph of the top row: from the middle column to the canvas edge, from
  // the title band (2 x 4 + 18) down to the next row.
  const TC_Graph_Page::Slot slot = l->page->Graph_Slot(2);
  EXPECT_EQ(slot.Left, 400);
  EXPECT_EQ(slot.Right, 799);
  EXPECT_EQ(slot.Top, 26);
  EXPECT_EQ(slot.Bottom, 312);
  int changed_inside = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) {
      const bool inside = x >= slot.Left && x <= slot.Right && y >= slot.Top && y <= slot.Bottom;
      const bool changed = before.Pixel(x, y) != l->canvas.Image.Pixel(x, y);
      if (!inside) {
        ASSERT_FALSE(changed) << x << "," << y;
      }
      changed_inside += changed;
    }
  }
  EXPECT_GT(changed_inside, 1000);
}

TEST_F(Zoom_Page, ResetBringsBackTheFirstPicture) {
  auto l = Load(Page_Setup());
  const TC_Bitmap first = l->canvas.Image;
  const Graph_Limits home = Limits_Of(l->page->Graph(1));
  l->page->Set_Zoom(1, Scatter_Zoom);
  l->page->Set_Zoom(2, Hist_Zoom);
  l->page->Draw_Graph(1, l->buffer);
  l->page->Draw_Graph(2, l->buffer);
  EXPECT_TRUE(l->page->Any_Zoomed());
  l->page->Reset_Zoom(1);
  l->page->Reset_Zoom(2);
  EXPECT_FALSE(l->page->Any_Zoomed());
  EXPECT_EQ(Limits_Of(l->page->Graph(1)), home);
  l->page->Draw_Graph(1, l->buffer);
  l->page->Draw_Graph(2, l->buffer);
  EXPECT_TRUE(Same(l->canvas.Image, first));
}

TEST_F(Zoom_Page, PageDrawingsKeepTheZoom) {
  auto l = Load(Page_Setup());
  l->page->Set_Zoom(1, Scatter_Zoom);
  l->page->Set_Zoom(2, Hist_Zoom);
  l->page->Draw_Page(l->buffer);  // as after new data
  EXPECT_TRUE(l->page->Zoomed(1));
  auto given = Load(Page_Setup(Given));
  EXPECT_TRUE(Same(l->canvas.Image, given->canvas.Image));
}

TEST_F(Zoom_Page, ForgetHomeFindsTheLimitsAnew) {
  auto l = Load(Page_Setup());
  TC_Graph& scatter = l->page->Graph(1);
  const Graph_Limits found = Limits_Of(scatter);
  l->page->Forget_Home(1);
  EXPECT_EQ(Limits_Of(scatter), Graph_Limits{});  // the setup gave none
  l->page->Draw_Page(l->buffer);
  EXPECT_EQ(Limits_Of(scatter), found);
  l->page->Set_Zoom(1, Scatter_Zoom);
  l->page->Draw_Graph(1, l->buffer);
  l->page->Forget_Home(1);
  EXPECT_TRUE(l->page->Zoomed(1));
  l->page->Reset_Zoom(1);
  l->page->Draw_Graph(1, l->buffer);
  EXPECT_EQ(Limits_Of(scatter), found);
}

TEST_F(Zoom_Page, GraphAtFindsDrawnPlotAreasOfAnyKind) {
  auto l = Load(Page_Setup());
  TC_Graph_Page& page = *l->page;
  for (int i = 1; i <= 2; ++i) {
    const TC_Graph& g = page.Graph(i);
    EXPECT_EQ(page.Graph_At(g.Plot_Left, g.Plot_Top), i);
    EXPECT_EQ(page.Graph_At(g.Plot_Right, g.Plot_Bottom), i);
    EXPECT_EQ(page.Graph_At(g.Plot_Left - 1, g.Plot_Top), 0);
    EXPECT_EQ(page.Graph_At(g.Plot_Right, g.Plot_Bottom + 1), 0);
  }
  EXPECT_EQ(page.Graph_At(0, 0), 0);
  // A page not drawn yet has nothing to zoom.
  TC_Canvas canvas;
  canvas.Image.Set_Size(800, 600);
  TC_Graph_Page fresh(canvas);
  fresh.Read_Setup(*l->ini, {"Pages", "P1"}, *l->def);
  EXPECT_FALSE(fresh.Drawn(1));
  const TC_Graph& g = page.Graph(1);
  EXPECT_EQ(fresh.Graph_At(g.Plot_Left + 5, g.Plot_Top + 5), 0);
}

// A page that takes over the zooms of the page before (lines were added to the data) draws a
// zoomed histogram first with its zoom: it shows the zoomed range with the bins its own limits
// give, as the page before did, and once reset what a page never zoomed shows.
TEST_F(Zoom_Page, HistogramFirstDrawnZoomedKeepsItsRangeAndBins) {
  struct Case {
    std::string keys;
    Graph_Limits zoom;
  };
  const Case cases[] = {
      {"dx=0.5\n", {10, 10.3L, 0, 50}},
      {"dx=0.5\n", {12.5L, 30, 0, 20}},
      {"dx=0.25\nxlo=5\nxhi=35\n", {6, 6.1L, 0, 5}},
      {"dx=7\n", {1, 2, 0, 40}},
      {"Bins=40\n", {10, 10.3L, 0, 50}},
      {"", {10, 10.3L, 0, 50}},
  };
  for (const Case& c : cases) {
    const std::string setup = Page_Setup("[P1/H]\n" + c.keys);
    auto before = Load(setup);
    before->page->Set_Zoom(2, c.zoom);
    before->page->Draw_Graph(2, before->buffer);
    auto after = Load(setup);  // the next page: its graphs not drawn yet
    after->page = std::make_unique<TC_Graph_Page>(after->canvas);
    after->page->Read_Setup(*after->ini, {"Pages", "P1"}, *after->def);
    after->page->Set_Zoom(2, c.zoom);
    after->page->Draw_Page(after->buffer);
    const auto& old_graph = static_cast<const TC_Hist_Graph&>(before->page->Graph(2));
    const auto& new_graph = static_cast<const TC_Hist_Graph&>(after->page->Graph(2));
    EXPECT_EQ(Limits_Of(new_graph), c.zoom) << c.keys;
    EXPECT_EQ(new_graph.Bins, old_graph.Bins) << c.keys;
    EXPECT_TRUE(Same(after->canvas.Image, before->canvas.Image)) << c.keys;
    before->page->Reset_Zoom(2);
    before->page->Draw_Graph(2, before->buffer);
    after->page->Reset_Zoom(2);
    after->page->Draw_Graph(2, after->buffer);
    EXPECT_EQ(new_graph.Bins, old_graph.Bins) << c.keys;
    EXPECT_TRUE(Same(after->canvas.Image, Load(setup)->canvas.Image)) << c.keys;
  }
}

TEST_F(Zoom_Page, SamePicturesOnOneThreadAndOnSeveral) {
  struct Restore {
    ~Restore() { Set_Thread_Count(0); }
  } restore;
  // The scatter's first layer also as a density layer, with enough points for every thread to
  // count (a few per pixel of the plot area).
  std::string density = Page_Setup();
  density.replace(density.find("Marker=POINT"), 12, "Density=yes");
  const std::pair<std::string, int> cases[] = {{Page_Setup(), 150000}, {density, 300000}};
  for (const auto& [setup, points] : cases) {
    TC_Bitmap pictures[2];
    int k = 0;
    for (int threads : {1, 3}) {
      Set_Thread_Count(threads);
      auto l = Load(setup, points);
      l->page->Set_Zoom(1, Scatter_Zoom);
      l->page->Set_Zoom(2, Hist_Zoom);
      l->page->Draw_Graph(1, l->buffer);
      l->page->Draw_Graph(2, l->buffer);
      pictures[k++] = l->canvas.Image;
    }
    EXPECT_TRUE(Same(pictures[0], pictures[1])) << points;
  }
}

}  // namespace
}  // namespace pw::test
