// Colour maps: 256 colours from the weakest to the strongest, for pictures that colour each
// pixel by a level (the density layers of scatter graphs).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pw {

enum class Color_Map_Kind { Viridis, Magma, Inferno, Plasma, Cividis, Gray, Mono };

inline constexpr int Color_Map_Size = 256;

// Pixels (0xFFRRGGBB), entry 0 the weakest, entry 255 the strongest.
using Color_Table = std::array<std::uint32_t, Color_Map_Size>;

// The map named `name` ("viridis", "magma", "inferno", "plasma", "cividis", "gray", "mono"),
// letters in any case. False, `kind` untouched, for any other text (the empty one among them).
bool Color_Map_By_Name(std::string_view name, Color_Map_Kind& kind);
// The name of a map in lower case, as Color_Map_By_Name takes it.
const char* Color_Map_Name(Color_Map_Kind kind);

// The 256 colours of a map.
// - viridis, magma, inferno, plasma, cividis: matplotlib's published tables (the data files in
//   colormaps/); each channel v (0..1) becomes floor(v * 255 + 1/2).
// - gray: entry i is (i, i, i), from black to white.
// - mono: `color` (a pixel) from faint to full, over `background` (a pixel): entry i mixes
//   w = 64 + floor((191 i + 127) / 255) parts of the colour with 255 - w parts of the
//   background, each channel floor((b (255 - w) + c w + 127) / 255). So "faint", entry 0, is a
//   quarter of the way (64 / 255) from the background to the colour, and entry 255 is the
//   colour itself. `color` and `background` are ignored by the other maps.
Color_Table Color_Map_Table(Color_Map_Kind kind, std::uint32_t color = 0,
                            std::uint32_t background = 0);

}  // namespace pw
