// Colour maps: the published tables as data, gray, and the one-colour map.
#include "draw/d_colormap.h"

#include <cmath>

#include "setup/D_Name_Table.h"

namespace pw {

namespace {

using Published_Table = double[Color_Map_Size][3];

// matplotlib's tables, included as they were published.
constexpr Published_Table kViridis = {
#include "draw/colormaps/viridis.inc"
};
constexpr Published_Table kMagma = {
#include "draw/colormaps/magma.inc"
};
constexpr Published_Table kInferno = {
#include "draw/colormaps/inferno.inc"
};
constexpr Published_Table kPlasma = {
#include "draw/colormaps/plasma.inc"
};
constexpr Published_Table kCividis = {
#include "draw/colormaps/cividis.inc"
};

constexpr Named_Value<Color_Map_Kind> kNames[] = {
    {"viridis", Color_Map_Kind::Viridis}, {"magma", Color_Map_Kind::Magma},
    {"inferno", Color_Map_Kind::Inferno}, {"plasma", Color_Map_Kind::Plasma},
    {"cividis", Color_Map_Kind::Cividis}, {"gray", Color_Map_Kind::Gray},
    {"mono", Color_Map_Kind::Mono}};

std::uint32_t Pixel_Of(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
  return 0xFF000000u | r << 16 | g << 8 | b;
}

Color_Table From_Published(const Published_Table& table) {
  Color_Table out{};
  auto channel = [](double v) { return static_cast<std::uint32_t>(std::floor(v * 255 + 0.5)); };
  for (int i = 0; i < Color_Map_Size; ++i) {
    out[i] = Pixel_Of(channel(table[i][0]), channel(table[i][1]), channel(table[i][2]));
  }
  return out;
}

Color_Table Mono(std::uint32_t color, std::uint32_t background) {
  Color_Table out{};
  for (std::uint32_t i = 0; i < Color_Map_Size; ++i) {
    const std::uint32_t w = 64 + (191 * i + 127) / 255;
    auto mix = [w, color, background](int shift) {
      const std::uint32_t c = (color >> shift) & 0xFF, b = (background >> shift) & 0xFF;
      return (b * (255 - w) + c * w + 127) / 255;
    };
    out[i] = Pixel_Of(mix(16), mix(8), mix(0));
  }
  return out;
}

}  // namespace

bool Color_Map_By_Name(std::string_view name, Color_Map_Kind& kind) {
  return Value_By_Name(kNames, name, kind);
}

const char* Color_Map_Name(Color_Map_Kind kind) { return Name_Of_Value(kNames, kind); }

Color_Table Color_Map_Table(Color_Map_Kind kind, std::uint32_t color, std::uint32_t background) {
  switch (kind) {
    case Color_Map_Kind::Viridis:
      return From_Published(kViridis);
    case Color_Map_Kind::Magma:
      return From_Published(kMagma);
    case Color_Map_Kind::Inferno:
      return From_Published(kInferno);
    case Color_Map_Kind::Plasma:
      return From_Published(kPlasma);
    case Color_Map_Kind::Cividis:
      return From_Published(kCividis);
    case Color_Map_Kind::Gray:
      break;
    case Color_Map_Kind::Mono:
      return Mono(color, background);
  }
  Color_Table gray{};
  for (std::uint32_t i = 0; i < Color_Map_Size; ++i) gray[i] = Pixel_Of(i, i, i);
  return gray;
}

}  // namespace pw
