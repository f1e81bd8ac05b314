// The vector back-end: records every drawing operation of a canvas as a Vector_Page (for SVG
// and PDF files) while drawing its raster exactly as the raster back-end does.
//
// Dense layers: a layer (Begin_Layer .. End_Layer) that draws more than `limit` elements
// (markers, line segments, boxes, pixels, pictures, texts) is not kept as vectors: its
// elements are dropped and a picture of exactly the raster pixels it changed, over its area
// grown by two pixels, takes their place (the other pixels of the picture are transparent).
// So a page of millions of points stays small while frames, ticks and texts stay vectors.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "draw/d_backend.h"
#include "draw/d_raster.h"
#include "draw/d_vector_page.h"

namespace pw {

// Layers with more elements than this become pictures unless told otherwise.
inline constexpr long long Default_Vector_Limit = 5000;

class TC_Vector_Backend final : public TC_Draw_Backend {
 public:
  // Records a page the size `image` has now, and draws `image` (kept by reference). A
  // negative limit counts as 0: every layer that draws anything becomes a picture.
  TC_Vector_Backend(TC_Bitmap& image, long long limit = Default_Vector_Limit);

  const Vector_Page& Page() const { return page_; }
  // Layers turned into pictures since the latest Clear.
  int Layer_Pictures() const { return layer_pictures_; }

  void Clear(std::uint32_t pixel) override;
  void Pixel(int x, int y, std::uint32_t pixel) override;
  void Line(int x0, int y0, int x1, int y1, std::uint32_t pixel) override;
  void Box(int x1, int y1, int x2, int y2, int fill, std::uint32_t fill_pixel,
           std::uint32_t pen_pixel) override;
  void Marker(int x, int y, int kind, std::uint32_t pixel) override;
  int Text(int x, int y, const Font_Spec& font, std::string_view text,
           std::uint32_t pixel) override;
  void Picture(int left, int top, const TC_Bitmap& picture) override;
  void Begin_Layer(int left, int top, int right, int bottom) override;
  void End_Layer() noexcept override;

 private:
  // Counts one element; false when it is not to be recorded (its layer is a picture).
  bool Record();
  Fill_Item& Fill_Of(std::uint32_t pixel, bool boxes);
  Stroke_Item& Stroke_Of(std::uint32_t pixel);
  // Fills [left, right] x [top, bottom] (inclusive) in `pixel`, clipped to the page.
  void Add_Rect(std::uint32_t pixel, bool box, std::int64_t left, std::int64_t top,
                std::int64_t right, std::int64_t bottom);
  void Add_Outline(std::uint32_t pixel, std::int64_t left, std::int64_t top, std::int64_t right,
                   std::int64_t bottom);
  std::shared_ptr<const Font_Face_Info> Face_Of(const Font_Spec& font);

  TC_Bitmap& image_;
  TC_Raster_Backend raster_;
  long long limit_;
  Vector_Page page_;
  // The latest item may take the next operation of its kind and colour.
  bool can_merge_ = false;
  // The latest stroke subpath came from Line and may be continued.
  bool open_tail_ = false;

  // The layer being drawn.
  int layer_depth_ = 0;
  bool dense_ = false;
  long long count_ = 0;
  std::size_t layer_first_ = 0;
  int area_left_ = 0, area_top_ = 0;
  TC_Bitmap before_;  // the area's pixels when the layer began
  int layer_pictures_ = 0;

  std::map<std::tuple<std::string, int, bool>, std::shared_ptr<const Font_Face_Info>> faces_;
};

}  // namespace pw
