// A scatter layer drawn as counts per pixel, coloured through a colour map (key "Density").
#pragma once

#include "data/d_databuffer.h"
#include "graphs/d_graph.h"
#include "graphs/d_graphlayer.h"

namespace pw {

// Draws `layer` of `graph` (a drawn frame; the layer's selection is the buffer's) as a
// density layer: every pixel of the plot area gets the number of the layer's points that map
// to it (the mapping of the markers, Point_Mapper; marker kind and size do not apply), and
// each pixel with a count takes the colour of its entry (Density_Levels of the layer's scale)
// in the layer's colour map (mono: the layer's Color over the graph's BgColor). Pixels without
// a count keep what is under them. The colours go on the canvas as one picture of the plot
// area, between Begin_Layer and End_Layer. With `color_bar` and some count, the colour bar
// follows (d_colorbar.h, in the graph's FrameColor and BgColor). Sets layer.Density_Drawn.
// Nothing is drawn (and Density_Drawn is 0) when the cell left no plot area. A point whose
// logarithm or mapping fails is not counted; after the drawing that raises "Errors occurred
// while draving points", as for markers.
void Draw_Density_Layer(const TC_Graph& graph, TC_Scat_Layer& layer, const TC_Data_Buffer& buffer,
                        bool color_bar);

// The number (from 1) of the last layer of `graph` with "Density" on; 0 when there is none.
// Its "ColorBar" decides whether the graph shows a colour bar.
int Last_Density_Layer(TC_Graph& graph);

}  // namespace pw
