// The vector back-end: the same raster as ever, and the operations kept as exact vectors.
#include "draw/d_vector.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "draw/d_draw.h"
#include "draw/d_font.h"
#include "draw/d_marker.h"

namespace pw {
namespace {

using Cells = std::set<std::pair<int, int>>;

class Vector_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_.Image.Set_Size(120, 90);
    vector_ = std::make_unique<TC_Vector_Backend>(canvas_.Image, 3);
    canvas_.Backend = vector_.get();
    Cur_Image = &canvas_;
    Bg_Color = 0x202020;
    Set_Fill_Patterns(Default_Fill_Patterns());
    Clear_Image();
  }
  void TearDown() override { Cur_Image = nullptr; }

  const std::vector<Vector_Item>& Items() const { return vector_->Page().Items; }
  template <typename T>
  const T& Item(std::size_t i) const {
    return std::get<T>(Items().at(i));
  }

  TC_Canvas canvas_;
  std::unique_ptr<TC_Vector_Backend> vector_;
};

// Everything the graphs do, on a raster canvas and on a vector one: the pixels are the same.
void Draw_Everything() {
  Clear_Image();
  Set_Color(0x00FF00);
  Put_Pixel(3, 4);
  Move_To(10, 5);
  Line_To(60, 40);
  Line_To(-500, 70000);
  Draw_Box(5, 5, 40, 30);
  Fill_Box(50, 60, 70, 20, 1);
  Set_Color(0x0000FF);
  Fill_Box(80, 10, 110, 50, 4);
  for (int kind = 0; kind <= 9; ++kind) Draw_Marker(10 + kind * 10, 80, kind);
  Set_Font_Height(12);
  Text_Out(20, 20, "Tick 0.5");
  Set_Text_Angle(90);
  Text_Out(2, 80, "Title");
  Set_Text_Angle(0);
  TC_Bitmap picture(3, 2);
  picture.Row(0)[1] = 0;  // transparent
  Draw_Picture(100, 70, picture);
}

TEST_F(Vector_Test, DrawsTheRasterExactlyAsTheRasterBackEnd) {
  Begin_Layer(0, 0, 119, 89);
  Draw_Everything();
  End_Layer();
  TC_Canvas plain;
  plain.Image.Set_Size(120, 90);
  Cur_Image = &plain;
  Draw_Everything();
  for (int y = 0; y < 90; ++y)
    for (int x = 0; x < 120; ++x)
      ASSERT_EQ(canvas_.Image.Pixel(x, y), plain.Image.Pixel(x, y)) << x << "," << y;
}

// The rectangles of each marker cover exactly its pixels, none twice.
TEST_F(Vector_Test, MarkerRectanglesAreTheMarkerPixels) {
  Set_Color(0xFFFFFF);
  for (int kind = 0; kind <= 8; ++kind) {
    Clear_Image();
    Draw_Marker(50, 40, kind);
    const Marker_Shape shape = Marker_Pixels(kind);
    Cells expected, covered;
    for (int i = 0; i < shape.count; ++i)
      expected.insert({50 + shape.offsets[i].dx, 40 + shape.offsets[i].dy});
    int area = 0;
    for (std::size_t i = 1; i < Items().size(); ++i) {
      for (const Vector_Rect& r : Item<Fill_Item>(i).Rects) {
        area += r.Width * r.Height;
        for (int y = r.Top; y < r.Top + r.Height; ++y)
          for (int x = r.Left; x < r.Left + r.Width; ++x) covered.insert({x, y});
      }
    }
    EXPECT_EQ(covered, expected) << "kind " << kind;
    EXPECT_EQ(area, shape.count) << "kind " << kind;
  }
}

// Boxes as the raster draws them: nothing for one pixel, a filled rectangle when one pixel
// thin or solid in the pen's colour, else inside and outline apart.
TEST_F(Vector_Test, BoxesKeepTheRasterGeometry) {
  Set_Color(0xFF0000);
  Fill_Box(7, 7, 7, 7, 1);      // one pixel: nothing at all
  Fill_Box(30, 50, 10, 50, 1);  // flat bar: a row of pixels
  Fill_Box(10, 50, 20, 30, 1);  // bar: one rectangle, outline included
  ASSERT_EQ(Items().size(), 2u);
  const Fill_Item& bars = Item<Fill_Item>(1);
  EXPECT_TRUE(bars.Boxes);
  ASSERT_EQ(bars.Rects.size(), 2u);
  EXPECT_EQ(std::make_tuple(bars.Rects[0].Left, bars.Rects[0].Top, bars.Rects[0].Width,
                            bars.Rects[0].Height),
            std::make_tuple(10, 50, 21, 1));
  EXPECT_EQ(std::make_tuple(bars.Rects[1].Left, bars.Rects[1].Top, bars.Rects[1].Width,
                            bars.Rects[1].Height),
            std::make_tuple(10, 30, 11, 21));
  Fill_Box(40, 10, 60, 30, 3);  // pattern inside, then the outline through the pixel centres
  ASSERT_EQ(Items().size(), 4u);
  const Pattern_Item& pattern = Item<Pattern_Item>(2);
  EXPECT_EQ(
      std::make_tuple(pattern.Rect.Left, pattern.Rect.Top, pattern.Rect.Width, pattern.Rect.Height),
      std::make_tuple(41, 11, 19, 19));
  EXPECT_EQ(pattern.Tile[1], Color_To_Pixel(Default_Fill_Patterns()[1][1]));
  const auto pieces = Stroke_Pieces(Item<Stroke_Item>(3), 120, 90);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_TRUE(pieces[0].Closed);
  EXPECT_EQ(pieces[0].Points.front().X, 40.5);
  EXPECT_EQ(pieces[0].Points[2].X, 60.5);
  EXPECT_EQ(pieces[0].Points[2].Y, 30.5);
}

// Lines run along pixel centres, covering the first pixel and stopping short of the last;
// joined lines make one path; far ends are cut at the page's margin.
TEST_F(Vector_Test, LinesCoverTheirPixels) {
  struct Case {
    int x0, y0, x1, y1;
    double sx, sy, ex, ey;
  };
  const Case cases[] = {
      {10, 5, 15, 5, 10, 5.5, 15, 5.5},  // rightwards: pixels 10..14
      {15, 5, 10, 5, 16, 5.5, 11, 5.5},  // leftwards: pixels 15..11
      {3, 9, 3, 2, 3.5, 10, 3.5, 3},     // upwards
      {0, 0, 4, 4, 0, 0, 4, 4},          // diagonal, corner to corner
      {0, 0, 10, 5, 0, 0.25, 10, 5.25},  // half a step along the longer axis
  };
  for (const Case& c : cases) {
    Stroke_Item item{0xFFFFFFFF, {{c.x0, c.y0}, {c.x1, c.y1}}, {0}};
    const auto pieces = Stroke_Pieces(item, 120, 90);
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].Points.front().X, c.sx) << c.x0 << "," << c.y0;
    EXPECT_EQ(pieces[0].Points.front().Y, c.sy);
    EXPECT_EQ(pieces[0].Points.back().X, c.ex);
    EXPECT_EQ(pieces[0].Points.back().Y, c.ey);
  }
  Set_Color(0xFFFFFF);
  Move_To(10, 10);
  Line_To(20, 10);
  Line_To(20, 30);
  Line_To(-100000, 30);
  const auto pieces = Stroke_Pieces(Item<Stroke_Item>(1), 120, 90);
  ASSERT_EQ(pieces.size(), 1u);
  ASSERT_EQ(pieces[0].Points.size(), 4u);
  EXPECT_EQ(pieces[0].Points[1].X, 20.5);
  EXPECT_NEAR(pieces[0].Points[3].X, -Vector_Margin, 1e-9);
}

// A layer of more than the limit's elements is a picture of exactly the pixels it changed.
TEST_F(Vector_Test, DenseLayerBecomesAPictureOfItsPixels) {
  Set_Color(0xFF0000);
  Begin_Layer(20, 20, 60, 60);  // three markers: within the limit of 3
  for (int i = 0; i < 3; ++i) Draw_Marker(30 + i * 10, 30, Marker_Plus1);
  End_Layer();
  ASSERT_EQ(Items().size(), 2u);
  EXPECT_EQ(Item<Fill_Item>(1).Rects.size(), 9u);

  Set_Color(0x00FFFF);  // yellow
  Begin_Layer(20, 20, 60, 60);
  for (int i = 0; i < 4; ++i) Draw_Marker(20 + i * 10, 40, Marker_Box2);  // one on the edge
  Begin_Layer(0, 0, 5, 5);  // an inner bracket belongs to the outer layer
  End_Layer();
  Draw_Marker(55, 55, Marker_Point);
  End_Layer();
  ASSERT_EQ(Items().size(), 3u);
  EXPECT_EQ(vector_->Layer_Pictures(), 1);
  const Picture_Item& picture = Item<Picture_Item>(2);
  EXPECT_EQ(
      std::make_tuple(picture.Left, picture.Top, picture.Pixels.Width(), picture.Pixels.Height()),
      std::make_tuple(18, 18, 45, 45));
  int opaque = 0;
  for (int y = 0; y < picture.Pixels.Height(); ++y) {
    for (int x = 0; x < picture.Pixels.Width(); ++x) {
      const std::uint32_t p = picture.Pixels.Row(y)[x];
      const bool yellow = canvas_.Image.Pixel(18 + x, 18 + y) == 0xFFFFFF00u;
      EXPECT_EQ(p != 0, yellow) << x << "," << y;
      if (p != 0) {
        ++opaque;
        EXPECT_EQ(p, 0xFFFFFF00u);
      }
    }
  }
  EXPECT_EQ(opaque, 4 * 16 + 1);

  // Limit 0: any layer that draws is a picture; one that draws nothing leaves nothing.
  TC_Vector_Backend always(canvas_.Image, 0);
  canvas_.Backend = &always;
  Clear_Image();
  Begin_Layer(20, 20, 60, 60);
  End_Layer();
  EXPECT_EQ(always.Page().Items.size(), 1u);
  Begin_Layer(20, 20, 60, 60);
  Set_Color(0xFFFFFF);
  Put_Pixel(40, 40);
  End_Layer();
  ASSERT_EQ(always.Page().Items.size(), 2u);
  EXPECT_TRUE(std::holds_alternative<Picture_Item>(always.Page().Items[1]));
  canvas_.Backend = vector_.get();
}

// Texts keep the raster's glyph positions; a quarter turn moves the origin as the raster's
// pixel turn does; a text wholly off the page is left out.
TEST_F(Vector_Test, TextsKeepTheRasterPositions) {
  Set_Color(0xFFFFFF);
  Set_Font_Height(12);
  Text_Out(10, 20, "N=12  m=3");
  Set_Text_Angle(90);
  Text_Out(2, 80, "Y");
  Set_Text_Angle(0);
  Text_Out(5000, 20, "far");
  ASSERT_EQ(Items().size(), 3u);
  const Text_Item& text = Item<Text_Item>(1);
  const std::vector<Placed_Glyph> layout = Font_Layout(canvas_.Font, "N=12  m=3");
  ASSERT_EQ(text.Glyphs.size(), layout.size());
  for (std::size_t i = 0; i < layout.size(); ++i) EXPECT_EQ(text.Glyphs[i].X, layout[i].X);
  EXPECT_EQ(text.Glyphs.back().X + Text_Width("3"), Text_Width("N=12  m=3"));
  const Text_Frame turned = Frame_Of(Item<Text_Item>(2));
  EXPECT_EQ(std::make_tuple(turned.Origin_X, turned.Origin_Y, turned.Degrees),
            std::make_tuple(2.0, 81.0, 90));
  Text_Item item;
  for (auto [angle, x, y] :
       {std::tuple{0, 5.0, 7.0}, {180, 6.0, 8.0}, {270, 6.0, 7.0}, {45, 5.0, 7.0}}) {
    item.X = 5, item.Y = 7, item.Angle = angle;
    const Text_Frame f = Frame_Of(item);
    EXPECT_EQ(std::make_pair(f.Origin_X, f.Origin_Y), std::make_pair(x, y)) << angle;
  }
}

}  // namespace
}  // namespace pw
