// The vector back-end: the raster drawn as always, the same operations kept as vectors.
#include "draw/d_vector.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "draw/d_draw.h"

namespace pw {

namespace {

// The rectangles of each marker (left, top offsets from the point, width, height); together
// exactly the pixels of the marker table.
struct Marker_Rect {
  signed char dx, dy, w, h;
};
struct Marker_Rects {
  const Marker_Rect* rects;
  int count;
};
constexpr Marker_Rect kPointRects[] = {{0, 0, 1, 1}};
constexpr Marker_Rect kBox1Rects[] = {{-1, -1, 3, 1}, {-1, 1, 3, 1}, {-1, 0, 1, 1}, {1, 0, 1, 1}};
constexpr Marker_Rect kBox2Rects[] = {{-2, -2, 5, 1}, {-2, 2, 5, 1}, {-2, -1, 1, 3}, {2, -1, 1, 3}};
constexpr Marker_Rect kEx1Rects[] = {
    {0, 0, 1, 1}, {-1, -1, 1, 1}, {-1, 1, 1, 1}, {1, -1, 1, 1}, {1, 1, 1, 1}};
constexpr Marker_Rect kEx2Rects[] = {
    {0, 0, 1, 1}, {-2, -2, 2, 1}, {1, -2, 2, 1}, {-2, 2, 2, 1}, {1, 2, 2, 1}};
constexpr Marker_Rect kPlus1Rects[] = {{-1, 0, 3, 1}, {0, -1, 1, 1}, {0, 1, 1, 1}};
constexpr Marker_Rect kPlus2Rects[] = {{-2, 0, 5, 1}, {0, -2, 1, 2}, {0, 1, 1, 2}};

template <std::size_t N>
constexpr Marker_Rects Rects(const Marker_Rect (&r)[N]) {
  return {r, static_cast<int>(N)};
}
constexpr Marker_Rects kMarkerRects[9] = {
    {nullptr, 0},     Rects(kPointRects), {nullptr, 0},       Rects(kBox1Rects), Rects(kBox2Rects),
    Rects(kEx1Rects), Rects(kEx2Rects),   Rects(kPlus1Rects), Rects(kPlus2Rects)};

}  // namespace

TC_Vector_Backend::TC_Vector_Backend(TC_Bitmap& image, long long limit)
    : image_(image), raster_(image), limit_(std::max(limit, 0LL)) {
  page_.Width = image.Width();
  page_.Height = image.Height();
}

bool TC_Vector_Backend::Record() {
  if (layer_depth_ == 0) return true;
  if (dense_) return false;
  if (++count_ <= limit_) return true;
  // Too many for vectors: what the layer recorded goes, its picture comes at End_Layer.
  dense_ = true;
  page_.Items.erase(page_.Items.begin() + static_cast<std::ptrdiff_t>(layer_first_),
                    page_.Items.end());
  can_merge_ = false;
  return false;
}

Fill_Item& TC_Vector_Backend::Fill_Of(std::uint32_t pixel, bool boxes) {
  if (can_merge_ && !page_.Items.empty()) {
    auto* last = std::get_if<Fill_Item>(&page_.Items.back());
    if (last != nullptr && last->Pixel == pixel && last->Boxes == boxes) return *last;
  }
  Fill_Item& item = std::get<Fill_Item>(page_.Items.emplace_back(Fill_Item{pixel, boxes, {}}));
  can_merge_ = true;
  return item;
}

Stroke_Item& TC_Vector_Backend::Stroke_Of(std::uint32_t pixel) {
  if (can_merge_ && !page_.Items.empty()) {
    auto* last = std::get_if<Stroke_Item>(&page_.Items.back());
    if (last != nullptr && last->Pixel == pixel) return *last;
  }
  Stroke_Item& item = std::get<Stroke_Item>(page_.Items.emplace_back(Stroke_Item{pixel, {}, {}}));
  can_merge_ = true;
  open_tail_ = false;
  return item;
}

void TC_Vector_Backend::Add_Rect(std::uint32_t pixel, bool box, std::int64_t left, std::int64_t top,
                                 std::int64_t right, std::int64_t bottom) {
  left = std::max<std::int64_t>(left, -Vector_Margin);
  top = std::max<std::int64_t>(top, -Vector_Margin);
  right = std::min<std::int64_t>(right, std::int64_t{page_.Width} + Vector_Margin - 1);
  bottom = std::min<std::int64_t>(bottom, std::int64_t{page_.Height} + Vector_Margin - 1);
  if (left > right || top > bottom) return;
  Fill_Of(pixel, box)
      .Rects.push_back({static_cast<int>(left), static_cast<int>(top),
                        static_cast<int>(right - left + 1), static_cast<int>(bottom - top + 1)});
}

// The outline Draw_Box draws: nothing for a single pixel, the whole rectangle when it is one
// pixel thin, else the ring of pixels through both corners.
void TC_Vector_Backend::Add_Outline(std::uint32_t pixel, std::int64_t left, std::int64_t top,
                                    std::int64_t right, std::int64_t bottom) {
  if (left == right && top == bottom) return;
  if (left == right || top == bottom) {
    Add_Rect(pixel, true, left, top, right, bottom);
    return;
  }
  // Sides far outside the page move to its margin, where they are just as invisible.
  const auto clamp_x = [this](std::int64_t v) {
    return static_cast<int>(
        std::clamp<std::int64_t>(v, -Vector_Margin, page_.Width + Vector_Margin));
  };
  const auto clamp_y = [this](std::int64_t v) {
    return static_cast<int>(
        std::clamp<std::int64_t>(v, -Vector_Margin, page_.Height + Vector_Margin));
  };
  const int l = clamp_x(left), r = clamp_x(right), t = clamp_y(top), b = clamp_y(bottom);
  Stroke_Item& item = Stroke_Of(pixel);
  item.Starts.push_back(item.Points.size());
  item.Points.insert(item.Points.end(), {{l, t}, {l, b}, {r, b}, {r, t}, {l, t}});
  open_tail_ = false;
}

void TC_Vector_Backend::Clear(std::uint32_t pixel) {
  raster_.Clear(pixel);
  page_.Width = image_.Width();
  page_.Height = image_.Height();
  page_.Items.clear();
  layer_first_ = 0;
  layer_pictures_ = 0;
  can_merge_ = false;
  if (pixel != 0 && Record()) Add_Rect(pixel, true, 0, 0, page_.Width - 1, page_.Height - 1);
}

void TC_Vector_Backend::Pixel(int x, int y, std::uint32_t pixel) {
  raster_.Pixel(x, y, pixel);
  if (pixel == 0 || !Record()) return;
  Add_Rect(pixel, false, x, y, x, y);
}

void TC_Vector_Backend::Line(int x0, int y0, int x1, int y1, std::uint32_t pixel) {
  raster_.Line(x0, y0, x1, y1, pixel);
  if (pixel == 0 || (x0 == x1 && y0 == y1) || !Record()) return;
  Stroke_Item& item = Stroke_Of(pixel);
  // A line starting where the previous one of this colour ended continues its path: the
  // joint pixel is the new line's start pixel either way.
  if (open_tail_ && !item.Points.empty() && item.Points.back().X == x0 &&
      item.Points.back().Y == y0) {
    item.Points.push_back({x1, y1});
  } else {
    item.Starts.push_back(item.Points.size());
    item.Points.insert(item.Points.end(), {{x0, y0}, {x1, y1}});
  }
  open_tail_ = true;
}

void TC_Vector_Backend::Box(int x1, int y1, int x2, int y2, int fill, std::uint32_t fill_pixel,
                            std::uint32_t pen_pixel) {
  raster_.Box(x1, y1, x2, y2, fill, fill_pixel, pen_pixel);
  const bool solid = fill == 1 && fill_pixel != 0;
  const bool pattern = fill >= 2 && fill <= 7;
  if ((!solid && !pattern && pen_pixel == 0) || !Record()) return;
  const std::int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  const std::int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  if (right < -Vector_Margin || bottom < -Vector_Margin || left > page_.Width + Vector_Margin ||
      top > page_.Height + Vector_Margin) {
    return;
  }
  if (solid && fill_pixel == pen_pixel) {  // a bar in one colour: one rectangle
    if (left != right || top != bottom) Add_Rect(pen_pixel, true, left, top, right, bottom);
    return;
  }
  if (solid) Add_Rect(fill_pixel, true, left + 1, top + 1, right - 1, bottom - 1);
  if (pattern && right - left >= 2 && bottom - top >= 2) {
    Pattern_Item item;
    const Fill_Pattern& tile = Fill_Patterns[fill - 2];
    for (int i = 0; i < 64; ++i) item.Tile[i] = Color_To_Pixel(tile[i]);
    const std::int64_t l = std::max<std::int64_t>(left + 1, -Vector_Margin);
    const std::int64_t t = std::max<std::int64_t>(top + 1, -Vector_Margin);
    const std::int64_t r = std::min<std::int64_t>(right - 1, page_.Width + Vector_Margin - 1);
    const std::int64_t b = std::min<std::int64_t>(bottom - 1, page_.Height + Vector_Margin - 1);
    item.Rect = {static_cast<int>(l), static_cast<int>(t), static_cast<int>(r - l + 1),
                 static_cast<int>(b - t + 1)};
    page_.Items.emplace_back(std::move(item));
    can_merge_ = false;
  }
  if (pen_pixel != 0) Add_Outline(pen_pixel, left, top, right, bottom);
}

void TC_Vector_Backend::Marker(int x, int y, int kind, std::uint32_t pixel) {
  raster_.Marker(x, y, kind, pixel);
  if (pixel == 0 || kind < 0 || kind > 8 || kMarkerRects[kind].count == 0 || !Record()) return;
  if (x < -Vector_Margin || y < -Vector_Margin || x > page_.Width + Vector_Margin ||
      y > page_.Height + Vector_Margin) {
    return;
  }
  Fill_Item& item = Fill_Of(pixel, false);
  const Marker_Rects& shape = kMarkerRects[kind];
  for (int i = 0; i < shape.count; ++i) {
    const Marker_Rect& r = shape.rects[i];
    item.Rects.push_back({x + r.dx, y + r.dy, r.w, r.h});
  }
}

std::shared_ptr<const Font_Face_Info> TC_Vector_Backend::Face_Of(const Font_Spec& font) {
  auto key = std::make_tuple(font.Name, font.Height, font.Bold);
  auto it = faces_.find(key);
  if (it != faces_.end()) return it->second;
  auto info = std::make_shared<Font_Face_Info>();
  std::shared_ptr<const Font_Face_Info> face;
  if (Font_Describe(font, *info)) face = std::move(info);
  faces_.emplace(std::move(key), face);
  return face;
}

int TC_Vector_Backend::Text(int x, int y, const Font_Spec& font, std::string_view text,
                            std::uint32_t pixel) {
  const int advance = raster_.Text(x, y, font, text, pixel);
  if (pixel == 0 || text.empty() || !Record()) return advance;
  Text_Item item;
  item.Face = Face_Of(font);
  if (item.Face == nullptr) return advance;  // no font: the raster drew nothing either
  item.Pixel = pixel;
  item.X = x;
  item.Y = y;
  item.Angle = ((font.Angle % 360) + 360) % 360;
  // Only the glyphs that can reach the page: its corners taken into the text's own frame
  // (u along the text, v down its box) bound them; glyph ink may overhang its cell.
  const Text_Frame frame = Frame_Of(item);
  const double angle = item.Angle * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  double u_lo = 0, u_hi = 0, v_lo = 0, v_hi = 0;
  for (int corner = 0; corner < 4; ++corner) {
    const double dx = ((corner & 1) ? page_.Width : 0) - frame.Origin_X;
    const double dy = ((corner & 2) ? page_.Height : 0) - frame.Origin_Y;
    const double u = dx * c - dy * s, v = dx * s + dy * c;
    if (corner == 0) u_lo = u_hi = u, v_lo = v_hi = v;
    u_lo = std::min(u_lo, u), u_hi = std::max(u_hi, u);
    v_lo = std::min(v_lo, v), v_hi = std::max(v_hi, v);
  }
  const double spare = 2.0 * item.Face->Size + Vector_Margin;
  const double cell = item.Face->Ascent + item.Face->Descent;
  if (v_hi < -spare || v_lo > cell + spare) return advance;
  item.Glyphs = Font_Layout(font, text, static_cast<long long>(std::floor(u_lo - spare)),
                            static_cast<long long>(std::ceil(u_hi + spare)));
  if (item.Glyphs.empty()) return advance;
  page_.Items.emplace_back(std::move(item));
  can_merge_ = false;
  return advance;
}

void TC_Vector_Backend::Picture(int left, int top, const TC_Bitmap& picture) {
  raster_.Picture(left, top, picture);
  if (picture.Empty() || !Record()) return;
  // Only the part on the page is kept.
  const std::int64_t l = std::max<std::int64_t>(left, 0);
  const std::int64_t t = std::max<std::int64_t>(top, 0);
  const std::int64_t r = std::min<std::int64_t>(std::int64_t{left} + picture.Width(), page_.Width);
  const std::int64_t b = std::min<std::int64_t>(std::int64_t{top} + picture.Height(), page_.Height);
  if (l >= r || t >= b) return;
  Picture_Item item;
  item.Left = static_cast<int>(l);
  item.Top = static_cast<int>(t);
  item.Pixels.Set_Size(static_cast<int>(r - l), static_cast<int>(b - t));
  for (int y = 0; y < item.Pixels.Height(); ++y) {
    const std::uint32_t* src = picture.Row(static_cast<int>(t - top) + y) + (l - left);
    std::copy(src, src + item.Pixels.Width(), item.Pixels.Row(y));
  }
  page_.Items.emplace_back(std::move(item));
  can_merge_ = false;
}

void TC_Vector_Backend::Begin_Layer(int left, int top, int right, int bottom) {
  if (layer_depth_++ > 0) return;
  dense_ = false;
  count_ = 0;
  can_merge_ = false;
  // Room for the layer's picture now, so that End_Layer never needs memory.
  page_.Items.reserve(page_.Items.size() + 1);
  layer_first_ = page_.Items.size();
  // What a layer draws may reach two pixels beyond its area (markers, a bar cut above the
  // frame).
  const std::int64_t l = std::max<std::int64_t>(std::int64_t{left} - 2, 0);
  const std::int64_t t = std::max<std::int64_t>(std::int64_t{top} - 2, 0);
  const std::int64_t r = std::min<std::int64_t>(std::int64_t{right} + 2, image_.Width() - 1);
  const std::int64_t b = std::min<std::int64_t>(std::int64_t{bottom} + 2, image_.Height() - 1);
  area_left_ = static_cast<int>(l);
  area_top_ = static_cast<int>(t);
  before_ = TC_Bitmap();
  if (l > r || t > b) return;
  before_.Set_Size(static_cast<int>(r - l + 1), static_cast<int>(b - t + 1));
  for (int y = 0; y < before_.Height(); ++y) {
    const std::uint32_t* src = image_.Row(area_top_ + y) + area_left_;
    std::copy(src, src + before_.Width(), before_.Row(y));
  }
}

void TC_Vector_Backend::End_Layer() noexcept {
  if (layer_depth_ == 0 || --layer_depth_ > 0) return;
  can_merge_ = false;
  if (!dense_ || before_.Empty()) {
    before_ = TC_Bitmap();
    return;
  }
  // The snapshot becomes the picture in place: the pixels the layer changed, the rest clear.
  bool changed = false;
  for (int y = 0; y < before_.Height(); ++y) {
    const std::uint32_t* now = image_.Row(area_top_ + y) + area_left_;
    std::uint32_t* row = before_.Row(y);
    for (int x = 0; x < before_.Width(); ++x) {
      row[x] = now[x] != row[x] ? now[x] : 0;
      changed = changed || row[x] != 0;
    }
  }
  if (!changed) {
    before_ = TC_Bitmap();
    return;
  }
  try {
    // Within the room reserved by Begin_Layer: no allocation.
    page_.Items.emplace_back(Picture_Item{area_left_, area_top_, std::move(before_)});
    ++layer_pictures_;
  } catch (...) {
    // Cannot happen (the room was reserved); the raster keeps the layer's pixels anyway.
  }
  before_ = TC_Bitmap();
}

}  // namespace pw
