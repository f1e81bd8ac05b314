// The pixels of the scatter markers, as offsets from the point's pixel.
#pragma once

#include <cstddef>

namespace pw {

struct Marker_Offset {
  signed char dx, dy;
};

struct Marker_Shape {
  const Marker_Offset* offsets;
  int count;
};

namespace marker_detail {
// The boxes list the border pixels Draw_Box would draw.
inline constexpr Marker_Offset kPoint[] = {{0, 0}};
inline constexpr Marker_Offset kBox1[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0},
                                          {1, 0},   {-1, 1}, {0, 1},  {1, 1}};
inline constexpr Marker_Offset kBox2[] = {{-2, -2}, {-1, -2}, {0, -2}, {1, -2}, {2, -2}, {-2, -1},
                                          {2, -1},  {-2, 0},  {2, 0},  {-2, 1}, {2, 1},  {-2, 2},
                                          {-1, 2},  {0, 2},   {1, 2},  {2, 2}};
inline constexpr Marker_Offset kEx1[] = {{0, 0}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
inline constexpr Marker_Offset kEx2[] = {{0, 0},   {-1, -2}, {-1, 2}, {1, -2}, {1, 2},
                                         {-2, -2}, {-2, 2},  {2, -2}, {2, 2}};
inline constexpr Marker_Offset kPlus1[] = {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {0, -1}};
inline constexpr Marker_Offset kPlus2[] = {{0, 0}, {-1, 0}, {-2, 0}, {1, 0}, {2, 0},
                                           {0, 1}, {0, 2},  {0, -1}, {0, -2}};

template <std::size_t N>
constexpr Marker_Shape Shape(const Marker_Offset (&o)[N]) {
  return {o, static_cast<int>(N)};
}
inline constexpr Marker_Shape kMarkers[9] = {{nullptr, 0}, Shape(kPoint), {nullptr, 0},
                                             Shape(kBox1), Shape(kBox2),  Shape(kEx1),
                                             Shape(kEx2),  Shape(kPlus1), Shape(kPlus2)};
}  // namespace marker_detail

// The pixels of marker `kind`; no pixels for 0 (none), 2 (LINE) and kinds outside 0..8.
inline Marker_Shape Marker_Pixels(int kind) {
  if (kind < 0 || kind > 8) return {nullptr, 0};
  return marker_detail::kMarkers[kind];
}

}  // namespace pw
