// Density layers: the scales' entries, the keys, counts per pixel drawn in colour, the colour
// bar, and picking.
#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_colormap.h"
#include "graph_test_util.h"
#include "graphs/d_colorbar.h"
#include "graphs/d_densityscale.h"
#include "graphs/d_scatgraph.h"

namespace pw {
namespace {

// --- Scales ----------------------------------------------------------------------------------

struct Levels_Case {
  const char* name;
  Density_Scale scale;
  std::vector<std::uint32_t> counts;  // per pixel, 0 for none
  std::vector<std::pair<std::uint32_t, int>> entries;  // count, expected entry
};

TEST(DensityScale, EntriesOfEachScale) {
  const std::vector<std::uint32_t> doubling = {0, 1, 0, 2, 4, 8, 0};
  const Levels_Case cases[] = {
      // floor(255 (c - 1) / 7 + 1/2)
      {"linear", Density_Scale::Linear, doubling, {{1, 0}, {2, 36}, {4, 109}, {8, 255}}},
      {"linear half up", Density_Scale::Linear, {1, 3}, {{2, 128}}},  // 127.5
      // floor(255 ln c / ln 8 + 1/2)
      {"log", Density_Scale::Log, doubling, {{1, 0}, {2, 85}, {3, 135}, {4, 170}, {8, 255}}},
      // F: 1 -> 1, 2 -> 2, 3 -> 2 (absent), 4 -> 3, 8 -> 4 of P = 4
      {"eq", Density_Scale::Eq, doubling, {{1, 0}, {2, 85}, {3, 85}, {4, 170}, {8, 255}}},
      // F(1) = 4 of 6: the many single pixels take entry 0, the rest share what is left
      {"eq crowded", Density_Scale::Eq, {1, 1, 1, 1, 2, 3}, {{1, 0}, {2, 128}, {3, 255}}},
      {"eq smallest 5", Density_Scale::Eq, {5, 6, 7}, {{5, 0}, {6, 128}, {7, 255}}},
      {"eq one count", Density_Scale::Eq, {5, 0, 5}, {{5, 255}}},
      // Every pixel with one point: the top of the map on every scale.
      {"linear ones", Density_Scale::Linear, {1, 0, 1}, {{1, 255}}},
      {"log ones", Density_Scale::Log, {1}, {{1, 255}}},
      {"eq ones", Density_Scale::Eq, {1, 1}, {{1, 255}}},
      // Counts beyond the table worked out beforehand.
      {"linear large", Density_Scale::Linear, {1, 100000}, {{50000, 127}, {100000, 255}}},
      {"eq large", Density_Scale::Eq, {1, 70000, 70000, 100000}, {{70000, 170}, {100000, 255}}},
  };
  for (const Levels_Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Density_Levels levels(c.scale, c.counts);
    for (const auto& [count, entry] : c.entries) EXPECT_EQ(levels.Entry(count), entry) << count;
    // The same counts in two lists (the pixels on the page and those beyond it), cut anywhere.
    const std::span<const std::uint32_t> all(c.counts);
    for (std::size_t cut = 0; cut <= all.size(); ++cut) {
      const Density_Levels two(c.scale, all.first(cut), all.subspan(cut));
      for (const auto& [count, entry] : c.entries) {
        EXPECT_EQ(two.Entry(count), entry) << count << " cut at " << cut;
      }
    }
  }
}

TEST(DensityScale, LargestAndSmallest) {
  const Density_Levels some(Density_Scale::Log, std::vector<std::uint32_t>{0, 7, 3, 0, 12});
  EXPECT_EQ(some.Largest(), 12u);
  EXPECT_EQ(some.Smallest(), 3u);
  const Density_Levels none(Density_Scale::Eq, std::vector<std::uint32_t>{0, 0});
  EXPECT_EQ(none.Largest(), 0u);
  EXPECT_EQ(none.Smallest(), 0u);
}

TEST(DensityScale, Names) {
  Density_Scale s = Density_Scale::Linear;
  EXPECT_TRUE(Density_Scale_By_Name("EQ", s));
  EXPECT_EQ(s, Density_Scale::Eq);
  EXPECT_TRUE(Density_Scale_By_Name("Log", s));
  EXPECT_EQ(s, Density_Scale::Log);
  for (const char* bad : {"", "logarithmic", "lin", " log"}) {
    EXPECT_FALSE(Density_Scale_By_Name(bad, s)) << bad;
  }
  EXPECT_EQ(s, Density_Scale::Log);
  EXPECT_STREQ(Density_Scale_Name(Density_Scale::Linear), "linear");
}

// --- Drawn layers ----------------------------------------------------------------------------

const char* const Data_File_Def = "[DataFile]\nX=1 1.1 across\nY=2 1.1 up\n@A=3\n";
const char* const Limits = "xlo=0\nxhi=10\nylo=0\nyhi=10\nGrid=no\n";

class Density_Fixture : public graph_test::Loaded_Graph<TC_Scat_Graph> {
 public:
  Density_Fixture(const std::string& keys, const std::string& data, int width = 220,
                  int height = 170)
      : Loaded_Graph(Data_File_Def, std::string("x=X\ny=Y\n") + Limits + keys, data, width,
                     height, false) {}

  std::uint32_t At(long double vx, long double vy) const {
    return canvas_.Image.Pixel(static_cast<int>(graph_.Pixel_X(vx)),
                               static_cast<int>(graph_.Pixel_Y(vy)));
  }
  std::uint32_t Pixel(int x, int y) const { return canvas_.Image.Pixel(x, y); }
  std::vector<std::uint32_t> Pixels() const {
    const TC_Bitmap& b = canvas_.Image;
    return {b.Bits(), b.Bits() + static_cast<std::size_t>(b.Width()) * b.Height()};
  }
  std::string Info(int x, int y) {
    std::string text;
    graph_.Point_Info(x, y, text, buffer_);
    return text;
  }
};

// 1 point at (2, 2), 2 at (4, 4), 4 at (6, 6), 8 at (8, 8).
std::string Doubling_Points() {
  std::string data;
  for (int k = 0, n = 1; k < 4; ++k, n *= 2) {
    const std::string v = std::to_string(2 + 2 * k);
    for (int i = 0; i < n; ++i) data += v + " " + v + " p\n";
  }
  return data;
}

TEST(DensityLayer, ColoursOfEachScaleAndMap) {
  struct Case {
    const char* keys;
    Color_Map_Kind map;
    int entries[4];  // of the counts 1, 2, 4, 8
  } cases[] = {
      {"", Color_Map_Kind::Viridis, {0, 85, 170, 255}},  // log and viridis by default
      {"DensityScale=linear\nColorMap=MAGMA\n", Color_Map_Kind::Magma, {0, 36, 109, 255}},
      {"DensityScale=eq\nColorMap=inferno\n", Color_Map_Kind::Inferno, {0, 85, 170, 255}},
      {"DensityScale=Linear\nColorMap=plasma\n", Color_Map_Kind::Plasma, {0, 36, 109, 255}},
      {"ColorMap=cividis\n", Color_Map_Kind::Cividis, {0, 85, 170, 255}},
      {"ColorMap=gray\nDensityScale=linear\n", Color_Map_Kind::Gray, {0, 36, 109, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    Density_Fixture f(std::string("Density=yes\nColorBar=no\n") + c.keys, Doubling_Points());
    f.Draw();
    const Color_Table table = Color_Map_Table(c.map);
    for (int k = 0; k < 4; ++k) {
      const int v = 2 + 2 * k;
      EXPECT_EQ(f.At(v, v), table[c.entries[k]]) << "count " << (1 << k);
    }
    EXPECT_EQ(f.Graph().Scat_Layer(1).Density_Drawn.Largest, 8u);
    EXPECT_EQ(f.Graph().Scat_Layer(1).Density_Drawn.Smallest, 1u);
  }
  // The ends of viridis and of gray, as published.
  Density_Fixture f("Density=yes\nColorBar=no\n", Doubling_Points());
  f.Draw();
  EXPECT_EQ(f.At(2, 2), 0xFF440154u);
  EXPECT_EQ(f.At(8, 8), 0xFFFDE725u);
}

TEST(DensityLayer, MonoIsTheLayerColourOverTheBackground) {
  Density_Fixture f("Density=yes\nColorBar=no\nColorMap=mono\nColor=FF0000\nDensityScale=linear\n"
                    "BgColor=000080\n",
                    "2 2 p\n3 3 p\n3 3 p\n3 3 p\n");
  f.Draw();
  // Blue 128 under red: entry 0 mixes 64 of 255 parts of red, entry 255 is red itself.
  EXPECT_EQ(f.At(2, 2), 0xFF400060u);
  EXPECT_EQ(f.At(3, 3), 0xFFFF0000u);
}

TEST(DensityLayer, OnlyPointsInsideTheLimitsCount) {
  Density_Fixture f("Density=yes\nColorBar=no\nDensityScale=linear\n",
                    "5 5 p\n5 5 p\n11 5 p\n5 -1 p\n? 5 p\n10 10 p\n");
  f.Draw();
  TC_Scat_Graph& g = f.Graph();
  EXPECT_EQ(g.Scat_Layer(1).Density_Drawn.Largest, 2u);
  EXPECT_EQ(f.At(5, 5), Color_Map_Table(Color_Map_Kind::Viridis)[255]);
  // A point on the limits is counted on the frame's corner, as its marker would be drawn.
  EXPECT_EQ(f.Pixel(g.Plot_Right, g.Plot_Top), Color_Map_Table(Color_Map_Kind::Viridis)[0]);
  // Nothing beyond the plot area, and the background where no point is.
  EXPECT_EQ(f.Pixel(g.Plot_Right + 1, static_cast<int>(g.Pixel_Y(5))), 0xFF000000u);
  EXPECT_EQ(f.At(6, 5), 0xFF000000u);
}

TEST(DensityLayer, UnderAndOverAnOrdinaryLayer) {
  const std::string data = "5 5 p\n";
  const std::string layers = "[G/dens]\nDensity=yes\nColorBar=no\n[G/box]\nMarker=PLUS1\nColor=FF0000\n";
  const std::uint32_t red = 0xFFFF0000u, top = Color_Map_Table(Color_Map_Kind::Viridis)[255];
  // PLUS1 takes the point's pixel and its four neighbours.
  Density_Fixture under("Layers=dens box\n" + layers, data);
  under.Draw();
  EXPECT_EQ(under.At(5, 5), red);
  Density_Fixture over("Layers=box dens\n" + layers, data);
  over.Draw();
  EXPECT_EQ(over.At(5, 5), top);
  const TC_Scat_Graph& g = over.Graph();
  EXPECT_EQ(over.Pixel(static_cast<int>(g.Pixel_X(5)) + 1, static_cast<int>(g.Pixel_Y(5))), red);
}

TEST(DensityLayer, OnePointAndNone) {
  Density_Fixture one("Density=yes\nColorBar=no\nColorMap=gray\n", "7 3 p\n");
  one.Draw();
  EXPECT_EQ(one.At(7, 3), 0xFFFFFFFFu);  // a largest count of 1 takes the top of the map
  EXPECT_EQ(one.Graph().Scat_Layer(1).Density_Drawn.Largest, 1u);
  // No point: the same picture as without the layer, colour bar and all left out.
  Density_Fixture none("Density=yes\n", "? 3 p\n");
  none.Draw();
  Density_Fixture plain("", "? 3 p\n");
  plain.Draw();
  EXPECT_TRUE(none.Pixels() == plain.Pixels());
  EXPECT_EQ(none.Graph().Scat_Layer(1).Density_Drawn.Largest, 0u);
}

TEST(DensityLayer, FailedPointsAreLeftOutAndReported) {
  Density_Fixture f("Density=yes\nColorBar=no\nlogx=1\nxlo=0\nxhi=1\n", "-3 5 p\n5 5 p\n5 5 p\n");
  try {
    f.Draw();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "Errors occurred while draving points");
  }
  EXPECT_EQ(f.Graph().Scat_Layer(1).Density_Drawn.Largest, 2u);
}

TEST(DensityLayer, PickingFindsTheFirstPointAtThePixel) {
  const int old = PixOff;
  PixOff = 0;
  Density_Fixture f("Density=yes\nHint=@A\n", "4 4 first\n4 4 second\n6 6 third\n");
  f.Draw();
  const TC_Scat_Graph& g = f.Graph();
  EXPECT_EQ(f.Info(static_cast<int>(g.Pixel_X(4)), static_cast<int>(g.Pixel_Y(4))), "  first");
  EXPECT_EQ(f.Info(static_cast<int>(g.Pixel_X(6)), static_cast<int>(g.Pixel_Y(6))), "  third");
  EXPECT_EQ(f.Info(static_cast<int>(g.Pixel_X(5)), static_cast<int>(g.Pixel_Y(5))), "");
  PixOff = old;
}

// --- Keys ------------------------------------------------------------------------------------

TEST(DensityKeys, DefaultsInheritanceAndErrors) {
  Density_Fixture plain("ColorMap=magma\n", "1 1 p\n");
  const Density_Keys& off = plain.Graph().Scat_Layer(1).Density;
  EXPECT_FALSE(off.On);
  EXPECT_EQ(off.Map, Color_Map_Kind::Viridis);  // read only for density layers
  // Keys of the graph's section reach its layers; a layer's own key wins.
  Density_Fixture inherited("DENSITY=Yes\ncolormap=Gray\nDensityScale=EQ\nLayers=a b\n[G/a]\n"
                            "[G/b]\nColorBar=no\nDensityScale=linear\n",
                            "1 1 p\n");
  const Density_Keys& a = inherited.Graph().Scat_Layer(1).Density;
  const Density_Keys& b = inherited.Graph().Scat_Layer(2).Density;
  EXPECT_TRUE(a.On && b.On);
  EXPECT_EQ(a.Map, Color_Map_Kind::Gray);
  EXPECT_EQ(a.Scale, Density_Scale::Eq);
  EXPECT_TRUE(a.Color_Bar);
  EXPECT_EQ(b.Scale, Density_Scale::Linear);
  EXPECT_FALSE(b.Color_Bar);
  struct Bad {
    const char* keys;
    const char* message;
  } bad[] = {
      {"Density=1\nColorMap=jet\n", "Wrong ColorMap definition in [G/]: jet"},
      {"Density=1\nDensityScale=sqrt\n", "Wrong DensityScale definition in [G/]: sqrt"},
  };
  for (const Bad& c : bad) {
    try {
      Density_Fixture f(c.keys, "1 1 p\n");
      ADD_FAILURE() << c.keys;
    } catch (const Error& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
}

// --- Colour bar ------------------------------------------------------------------------------

TEST(ColorBar, Layout) {
  struct Case {
    int left, top, right, bottom, th, tw, high_w, low_w;
    bool fits;
    Color_Bar_Layout l;
  } cases[] = {
      // strip 6 wide ending 3 left of the frame; labels 12 high above and below it
      {20, 10, 200, 150, 12, 6, 18, 6, true, {192, 27, 197, 133, 180, 13, 192, 136}},
      {20, 10, 200, 150, 12, 2, 18, 6, true, {194, 27, 197, 133, 180, 13, 192, 136}},  // 4 wide
      {20, 10, 200, 45, 12, 6, 6, 6, true, {192, 27, 197, 28, 192, 13, 192, 31}},  // 2 rows
  };
  for (const Case& c : cases) {
    Color_Bar_Layout l;
    ASSERT_EQ(Lay_Out_Color_Bar(c.left, c.top, c.right, c.bottom, c.th, c.tw, c.high_w, c.low_w,
                                l),
              c.fits);
    EXPECT_EQ(l.strip_left, c.l.strip_left);
    EXPECT_EQ(l.strip_top, c.l.strip_top);
    EXPECT_EQ(l.strip_right, c.l.strip_right);
    EXPECT_EQ(l.strip_bottom, c.l.strip_bottom);
    EXPECT_EQ(l.high_x, c.l.high_x);
    EXPECT_EQ(l.high_y, c.l.high_y);
    EXPECT_EQ(l.low_x, c.l.low_x);
    EXPECT_EQ(l.low_y, c.l.low_y);
  }
  Color_Bar_Layout l;
  EXPECT_FALSE(Lay_Out_Color_Bar(20, 10, 200, 44, 12, 6, 6, 6, l));    // one row of strip
  EXPECT_FALSE(Lay_Out_Color_Bar(20, 10, 200, 150, 12, 6, 180, 6, l));  // label to the frame
}

// A plot area reaching five million rows above the page (a huge negative title font size):
// the rows of the strip on the page, near its bottom, all take the smallest count's entry.
TEST(ColorBar, StripMillionsOfRowsTall) {
  graph_test::Test_Canvas canvas(60, 80);
  const Color_Table gray = Color_Map_Table(Color_Map_Kind::Gray);
  Draw_Color_Bar(5, -5'000'000, 55, 70, 0x00FF00, 0, gray, 10, 1, 9);
  const int x = 55 - 3;
  int y = 0;
  while (y < 80 && canvas.Pixel(x, y) == 0xFF0A0A0Au) ++y;
  EXPECT_GT(y, 30);
  EXPECT_EQ(canvas.Pixel(x, y), 0xFF00FF00u);  // the outline under the strip
}

TEST(ColorBar, DrawnByTheLastDensityLayerAtTheRightEdge) {
  const std::string data = "2 2 p\n4 4 p\n4 4 p\n";
  Density_Fixture f("Density=yes\nColorMap=gray\nDensityScale=linear\nFrameColor=00FF00\n",
                    data);
  f.Draw();
  const TC_Scat_Graph& g = f.Graph();
  // The strip's right column is 3 pixels left of the right frame line; its top row is entry
  // 255 (white) and its bottom row the smallest count's entry (0, black); outlined in the
  // frame colour.
  const int x = g.Plot_Right - 3;
  int top = g.Plot_Top;
  while (top < g.Plot_Bottom && f.Pixel(x, top) != 0xFFFFFFFFu) ++top;
  ASSERT_LT(top, g.Plot_Bottom);
  EXPECT_EQ(f.Pixel(x, top - 1), 0xFF00FF00u);
  EXPECT_EQ(f.Pixel(x + 1, top), 0xFF00FF00u);
  EXPECT_EQ(f.Pixel(x + 2, top), 0xFF000000u);  // a pixel of background before the frame
  int bottom = top;
  while (f.Pixel(x, bottom + 1) != 0xFF00FF00u) ++bottom;
  EXPECT_EQ(f.Pixel(x, bottom), 0xFF000000u);
  EXPECT_GT(bottom - top, 50);
  // Only the last density layer decides: with its ColorBar off there is none.
  Density_Fixture off("Density=yes\nColorMap=gray\nFrameColor=00FF00\nLayers=a b\n[G/a]\n"
                      "[G/b]\nColorBar=no\n",
                      data);
  off.Draw();
  for (int y = off.Graph().Plot_Top + 1; y < off.Graph().Plot_Bottom; ++y) {
    EXPECT_NE(off.Pixel(x, y), 0xFFFFFFFFu) << y;
  }
}

}  // namespace
}  // namespace pw
