// Graphs over several hundred thousand points drawn on 1, 2, 3 and 8 threads: the same pixels,
// limits, bins, statistics lines, failures and hits; and the polylines and markers of the
// pieces, merged, equal to one walk over all points as the drawing rules describe it.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "draw/D_Math.h"
#include "draw/d_backend.h"
#include "draw/d_draw.h"
#include "graph_test_util.h"
#include "graphs/d_histgraph.h"
#include "graphs/d_scatgraph.h"
#include "setup/d_inifile.h"

namespace pw {
namespace {

struct Thread_Setting {  // restores the default whatever a test set
  ~Thread_Setting() { Set_Thread_Count(0); }
};

// Five pieces of Chunk_Points points and a short sixth; what makes a polyline break or go on
// (missing values, points left out by the Key, points outside the fixed limits, values the
// logarithm fails on) sits on both sides of every piece boundary too.
constexpr int Points = 5 * static_cast<int>(Chunk_Points) + 1234;

std::string Data_Lines() {
  std::string data;
  unsigned long long state = 99;
  auto roll = [&state](unsigned sides) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>((state >> 33) % sides);
  };
  for (int i = 0; i < Points; ++i) {
    const int to_boundary = std::abs(static_cast<int>((i + 3) % Chunk_Points) - 3);
    const bool edge = to_boundary <= 3;  // the last and first points of a piece
    const unsigned pick = edge ? roll(6) : 6 + roll(100);
    std::string x =
        std::to_string(static_cast<int>(roll(2000)) - 200) + "." + std::to_string(roll(100));
    std::string y = std::to_string(roll(1000)) + "." + std::to_string(roll(10));
    std::string key = roll(3) == 0 ? "b" : "a";
    if (pick == 0 || pick == 6) x = "?";
    if (pick == 1 || pick == 7) key = "b";   // left out by Key1=@K a
    if (pick == 2 || pick == 8) y = "2000";  // above the fixed limits
    if (pick == 3 || pick == 9) x = "-5";    // the logarithm fails
    if (pick == 4) x = y = "50";             // the same pixel again
    data += x + " " + y + " " + key + "\n";
  }
  return data;
}

const char* const Setup_Text =
    "[DataFile]\nX=1 5.2 across\nY=2 5.1 up\n@K=3\n"
    // Automatic limits; a marker layer of every point, boxes and a polyline by Key.
    "[auto]\nKind=S\nx=X\ny=Y\nLayers=all a b\n[auto/all]\nMarker=POINT\n"
    "[auto/a]\nKey1=@K a\nMarker=BOX1\nColor=Yellow\n[auto/b]\nKey1=@K b\nMarker=LINE\n"
    "Color=Aqua\n"
    // Fixed limits with points beyond them; polylines of the Key and of every point.
    "[fixed]\nKind=S\nx=X\ny=Y\nHint=@K\nxlo=-100\nxhi=1500\nylo=0\nyhi=900\nLayers=a all\n"
    "[fixed/a]\nKey1=@K a\nMarker=LINE\n[fixed/all]\nMarker=PLUS2\nColor=Red\n"
    // Logarithmic axes: the negative values fail after the first layer has been drawn.
    "[log]\nKind=S\nx=X\ny=Y\nlogx=1\nlogy=1\nLayers=a rest\n[log/a]\nKey1=@K a\n"
    "Marker=LINE\n[log/rest]\nMarker=EX2\n"
    // Histograms: automatic with a Key and LeftIn; given limits with two layers.
    "[hist]\nKind=H\nx=X\nKey1=@K a\nLeftIn=1\nFill=3\n"
    "[hist2]\nKind=H\nx=Y\nxlo=100\nxhi=800\nBins=37\nFlow=1\nLayers=a b\n[hist2/a]\nKey1=@K a\n"
    "[hist2/b]\nKey1=@K b\nFill=1\nColor=Blue\n"
    // Density layers: automatic limits under markers; logarithmic X over boxes (fails).
    "[dens]\nKind=S\nx=X\ny=Y\nLayers=all a\n[dens/all]\nDensity=1\nDensityScale=eq\n"
    "[dens/a]\nKey1=@K a\nColor=Red\n"
    "[dens2]\nKind=S\nx=X\ny=Y\nlogx=1\nxlo=1\nxhi=1500\nylo=0\nyhi=900\nLayers=a all\n"
    "[dens2/a]\nMarker=BOX1\n[dens2/all]\nDensity=1\nColorMap=mono\nDensityScale=linear\n"
    // A density layer by Key alone, with its colour bar.
    "[dens3]\nKind=S\nx=X\ny=Y\nxlo=0\nxhi=1500\nylo=0\nyhi=900\nDensity=1\nKey1=@K a\n";

const char* const Graph_Names[] = {"auto", "fixed", "log", "hist", "hist2", "dens", "dens2"};

// The data loaded once for every test of this file.
class Graph_Threads : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setup_ = std::make_unique<graph_test::Temp_Setup>(Setup_Text);
    data_path_ = std::filesystem::temp_directory_path() /
                 ("pw_graph_threads_" + std::to_string(::getpid()) + ".dat");
    std::ofstream(data_path_) << Data_Lines();
    ini_ = std::make_unique<TC_Ini_File>(setup_->Path());
    def_ = std::make_unique<TC_File_Def>(*ini_);
    buffer_ = std::make_unique<TC_Data_Buffer>();
    buffer_->Load_File(data_path_.string(), *def_);
  }
  static void TearDownTestSuite() {
    buffer_.reset();
    def_.reset();
    ini_.reset();
    setup_.reset();
    std::error_code ec;
    std::filesystem::remove(data_path_, ec);
  }

  // A graph of section `name` in a cell of its own canvas.
  template <typename G>
  static std::unique_ptr<TC_Graph> Make(const std::string& name) {
    auto g = std::make_unique<G>(0, 0, 0, 0);
    g->Read_Setup(*ini_, {name}, *def_);
    g->Set_Cell(0, 399, 0, 299);
    return g;
  }
  static std::unique_ptr<TC_Graph> Make_Any(const std::string& name) {
    return name.rfind("hist", 0) == 0 ? Make<TC_Hist_Graph>(name) : Make<TC_Scat_Graph>(name);
  }

  static std::unique_ptr<graph_test::Temp_Setup> setup_;
  static std::filesystem::path data_path_;
  static std::unique_ptr<TC_Ini_File> ini_;
  static std::unique_ptr<TC_File_Def> def_;
  static std::unique_ptr<TC_Data_Buffer> buffer_;
};

std::unique_ptr<graph_test::Temp_Setup> Graph_Threads::setup_;
std::filesystem::path Graph_Threads::data_path_;
std::unique_ptr<TC_Ini_File> Graph_Threads::ini_;
std::unique_ptr<TC_File_Def> Graph_Threads::def_;
std::unique_ptr<TC_Data_Buffer> Graph_Threads::buffer_;

// What a drawing leaves behind, in one text, and its pixels.
struct Drawn {
  std::string facts;
  std::vector<std::uint32_t> pixels;
};

Drawn Draw_Graph(TC_Graph& g, TC_Data_Buffer& buffer, int width = 400, int height = 300) {
  graph_test::Test_Canvas canvas(width, height);
  Drawn d;
  try {
    g.Draw_All(buffer);
  } catch (const Error& e) {
    d.facts += "error " + e.Message() + "\n";
  }
  char limits[200];
  std::snprintf(limits, sizeof limits, "%La %La %La %La %d %d\n", g.XLo, g.XHi, g.YLo, g.YHi,
                g.Plot_Left, g.Plot_Bottom);
  d.facts += limits + g.Stat_Line + "\n";
  if (auto* h = dynamic_cast<TC_Hist_Graph*>(&g)) d.facts += std::to_string(h->Bins) + " bins\n";
  if (auto* s = dynamic_cast<TC_Scat_Graph*>(&g)) {
    for (int i = 1; i <= s->Layer_Count(); ++i) {
      d.facts += std::to_string(s->Scat_Layer(i).Density_Drawn.Largest) + " most\n";
    }
  }
  const TC_Bitmap& image = canvas.Canvas().Image;
  d.pixels.assign(image.Bits(), image.Bits() + image.Width() * image.Height());
  return d;
}

TEST_F(Graph_Threads, SamePicturesLimitsAndLinesOnAnyThreadCount) {
  Thread_Setting restore;
  for (const char* name : Graph_Names) {
    SCOPED_TRACE(name);
    Drawn first;
    for (int threads : {1, 2, 3, 8}) {
      SCOPED_TRACE(threads);
      Set_Thread_Count(threads);
      const std::unique_ptr<TC_Graph> g = Make_Any(name);
      const Drawn d = Draw_Graph(*g, *buffer_);
      if (threads == 1) {
        first = d;
        continue;
      }
      EXPECT_EQ(d.facts, first.facts);
      EXPECT_TRUE(d.pixels == first.pixels);
    }
    // The log graphs fail after their first layer; the others draw everything.
    const bool fails = std::string(name) == "log" || std::string(name) == "dens2";
    EXPECT_EQ(first.facts.rfind("error ", 0) == 0, fails) << first.facts;
    if (std::string(name) == "hist2") {
      EXPECT_NE(first.facts.find("  u="), std::string::npos);
    }
  }
}

// A cell reaching 900 rows above the canvas: its density layers draw the canvas's part of
// what a canvas holding the whole cell shows, with the same largest count, on any thread count.
TEST_F(Graph_Threads, DensityBeyondTheCanvasDrawsItsPartOfTheWhole) {
  Thread_Setting restore;
  for (const char* name : {"dens", "dens3"}) {
    SCOPED_TRACE(name);
    Set_Thread_Count(1);
    const std::unique_ptr<TC_Graph> whole = Make<TC_Scat_Graph>(name);
    whole->Set_Cell(0, 399, 0, 1199);
    const Drawn all = Draw_Graph(*whole, *buffer_, 400, 1200);
    for (int threads : {1, 3, 8}) {
      SCOPED_TRACE(threads);
      Set_Thread_Count(threads);
      const std::unique_ptr<TC_Graph> g = Make<TC_Scat_Graph>(name);
      g->Set_Cell(0, 399, -900, 299);
      const Drawn part = Draw_Graph(*g, *buffer_);
      std::string facts = all.facts;
      facts.replace(facts.find(" 1169\n"), 6, " 269\n");  // the plot's bottom row
      EXPECT_EQ(part.facts, facts);
      EXPECT_TRUE(std::equal(part.pixels.begin(), part.pixels.end(),
                             all.pixels.begin() + 900 * 400));
    }
  }
}

TEST_F(Graph_Threads, SameHitsOnAnyThreadCount) {
  Thread_Setting restore;
  std::vector<std::string> first;
  for (int threads : {1, 2, 3, 8}) {
    Set_Thread_Count(threads);
    const std::unique_ptr<TC_Graph> g = Make<TC_Scat_Graph>("fixed");
    Draw_Graph(*g, *buffer_);
    std::vector<std::string> hits;
    for (int y = g->Plot_Top; y <= g->Plot_Bottom; y += 47) {
      for (int x = g->Plot_Left; x <= g->Plot_Right; x += 61) {
        std::string text;
        g->Point_Info(x, y, text, *buffer_);
        hits.push_back(text);
        buffer_->Set_Selection(static_cast<TC_Scat_Graph&>(*g).Scat_Layer(2).Sel);
        hits.push_back(
            std::to_string(static_cast<TC_Scat_Graph&>(*g).Find_Point(x, y, *buffer_, 1, 2)));
      }
    }
    if (threads == 1) {
      first = hits;
    } else {
      EXPECT_EQ(hits, first) << threads;
    }
  }
}

// The rules of a layer's drawing, one point after the other through Pixel_X and Pixel_Y:
// what the pieces merged must give. Returns whether some point failed.
bool Reference_Points(const TC_Scat_Graph& g, const TC_Data_Buffer& buffer, int marker) {
  bool failed = false, pen_up = true;
  std::vector<bool> taken(static_cast<std::size_t>(g.Plot_Right + 1) * (g.Plot_Bottom + 1));
  for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
    long double vx = buffer.Get_Value(p, 1), vy = buffer.Get_Value(p, 2);
    if (Is_Missing(vx) || Is_Missing(vy)) {
      pen_up = true;
      continue;
    }
    if ((g.LogX && !(vx > 0)) || (g.LogY && !(vy > 0))) {
      failed = pen_up = true;
      continue;
    }
    if (g.LogX) vx = std::log10(vx);
    if (g.LogY) vy = std::log10(vy);
    if (!(g.XLo <= vx && vx <= g.XHi && g.YLo <= vy && vy <= g.YHi)) continue;
    const int px = static_cast<int>(g.Pixel_X(vx)), py = static_cast<int>(g.Pixel_Y(vy));
    if (marker == Marker_Line) {
      pen_up ? Move_To(px, py) : Line_To(px, py);
    } else if (!taken[static_cast<std::size_t>(py) * (g.Plot_Right + 1) + px]) {
      taken[static_cast<std::size_t>(py) * (g.Plot_Right + 1) + px] = true;
      Draw_Marker(px, py, marker);
    }
    pen_up = false;
  }
  return failed;
}

// The marker and line operations a canvas is given, in order.
class Recorder final : public TC_Draw_Backend {
 public:
  void Clear(std::uint32_t) override {}
  void Pixel(int x, int y, std::uint32_t) override { ops.push_back({'p', x, y, 0, 0}); }
  void Line(int x0, int y0, int x1, int y1, std::uint32_t) override {
    ops.push_back({'l', x0, y0, x1, y1});
  }
  void Box(int x1, int y1, int x2, int y2, int, std::uint32_t, std::uint32_t) override {
    ops.push_back({'b', x1, y1, x2, y2});
  }
  void Marker(int x, int y, int kind, std::uint32_t) override {
    ops.push_back({'m', x, y, kind, 0});
  }
  int Text(int, int, const Font_Spec&, std::string_view, std::uint32_t) override { return 0; }
  void Picture(int, int, const TC_Bitmap&) override {}
  void Begin_Layer(int, int, int, int) override {}
  void End_Layer() noexcept override {}

  std::vector<std::array<int, 5>> ops;
};

TEST_F(Graph_Threads, MergedPiecesDrawWhatOneWalkDraws) {
  Thread_Setting restore;
  struct Case {
    const char* graph;
    int layer;
  };
  const Case cases[] = {{"auto", 1},  {"auto", 2}, {"auto", 3}, {"fixed", 1},
                        {"fixed", 2}, {"log", 1},  {"log", 2}};
  // On several threads; one thread draws the same (SamePicturesLimitsAndLinesOnAnyThreadCount).
  Set_Thread_Count(3);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.graph) + " " + std::to_string(c.layer));
    const std::unique_ptr<TC_Graph> made = Make<TC_Scat_Graph>(c.graph);
    auto& g = static_cast<TC_Scat_Graph&>(*made);
    Draw_Graph(g, *buffer_);  // limits, plot area and scales
    TC_Scat_Layer& layer = g.Scat_Layer(c.layer);
    buffer_->Set_Selection(layer.Sel);
    graph_test::Test_Canvas drawn(400, 300);
    Recorder drawn_ops;
    drawn.Canvas().Backend = &drawn_ops;
    bool failed = false;
    try {
      g.Plot_Points(*buffer_, 1, 2, 0xFFFFFF, layer.Marker_Kind);
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), "Errors occurred while draving points");
      failed = true;
    }
    graph_test::Test_Canvas expected(400, 300);
    Recorder expected_ops;
    expected.Canvas().Backend = &expected_ops;
    Set_Color(0xFFFFFF);
    EXPECT_EQ(Reference_Points(g, *buffer_, layer.Marker_Kind), failed);
    EXPECT_GT(expected_ops.ops.size(), 1000u);
    EXPECT_TRUE(drawn_ops.ops == expected_ops.ops);
  }
}

}  // namespace
}  // namespace pw
