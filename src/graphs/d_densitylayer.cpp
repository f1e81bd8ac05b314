// A scatter layer drawn as counts per pixel.
#include "graphs/d_densitylayer.h"

#include <algorithm>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "draw/bitmap.h"
#include "draw/d_colormap.h"
#include "draw/d_draw.h"
#include "graphs/d_colorbar.h"
#include "graphs/d_densitycount.h"
#include "graphs/d_densityscale.h"
#include "graphs/d_pointmap.h"

namespace pw {

namespace {

// The picture of the counts: each pixel with a count in its colour, the others clear (top
// byte 0, so the canvas keeps them). One pixel's colour is independent of every other's, so
// pieces of pixels are coloured on several threads.
TC_Bitmap Density_Picture(const Density_Counts& counts, const Density_Levels& levels,
                          const Color_Table& table) {
  // The colours of the counts up to a few thousand (nearly every pixel), worked out once;
  // count 0 is clear.
  std::vector<std::uint32_t> colors(std::min<std::uint32_t>(levels.Largest(), 4095) + 1, 0);
  for (std::uint32_t c = 1; c < colors.size(); ++c) colors[c] = table[levels.Entry(c)];
  TC_Bitmap picture(counts.width, counts.height);
  std::uint32_t* out = picture.Bits();
  const std::uint32_t* in = counts.counts.data();
  Parallel_Chunks(counts.counts.size(), [&](std::size_t, std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
      const std::uint32_t c = in[i];
      out[i] = c < colors.size() ? colors[c] : table[levels.Entry(c)];
    }
  });
  return picture;
}

}  // namespace

void Draw_Density_Layer(const TC_Graph& g, TC_Scat_Layer& layer, const TC_Data_Buffer& buffer,
                        bool color_bar) {
  layer.Density_Drawn = {};
  if (g.Plot_Too_Small() || g.Plot_Right <= g.Plot_Left || g.Plot_Bottom <= g.Plot_Top) return;
  Density_Counts counts;
  {
    const Nearest_Rounding rounding;
    const Point_Mapper map(g);
    // Only the pixels of the canvas are kept one by one: a plot area reaching far beyond the
    // page (a huge title band) has the rest counted only where it has points.
    Density_Window window{g.Plot_Left, g.Plot_Top, g.Plot_Right, g.Plot_Bottom};
    if (Cur_Image != nullptr) {
      window = {0, 0, Cur_Image->Image.Width() - 1, Cur_Image->Image.Height() - 1};
    }
    counts = Count_Density(buffer, layer.X_Col, layer.Y_Col, map, g.Plot_Left, g.Plot_Top,
                           g.Plot_Right, g.Plot_Bottom, window);
  }
  const Density_Levels levels(layer.Density.Scale, counts.counts, counts.beyond);
  layer.Density_Drawn = {levels.Largest(), levels.Smallest()};
  if (levels.Largest() > 0) {
    const Color_Table table =
        Color_Map_Table(layer.Density.Map, Color_To_Pixel(layer.Color), Color_To_Pixel(g.BgColor));
    {
      const TC_Bitmap picture = Density_Picture(counts, levels, table);
      const Layer_Scope scope(g.Plot_Left, g.Plot_Top, g.Plot_Right, g.Plot_Bottom);
      Draw_Picture(counts.left, counts.top, picture);
    }
    if (color_bar) {
      Draw_Color_Bar(g.Plot_Left, g.Plot_Top, g.Plot_Right, g.Plot_Bottom, g.FrameColor,
                     g.BgColor, table, levels.Entry(levels.Smallest()), levels.Smallest(),
                     levels.Largest());
    }
  }
  if (counts.failed) throw Error("Errors occurred while draving points");
}

int Last_Density_Layer(TC_Graph& graph) {
  for (int i = graph.Layer_Count(); i >= 1; --i) {
    const auto* layer = dynamic_cast<const TC_Scat_Layer*>(&graph.Layer(i));
    if (layer != nullptr && layer->Density.On) return i;
  }
  return 0;
}

}  // namespace pw
