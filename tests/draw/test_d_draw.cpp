#include "draw/d_draw.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>
#include <vector>

namespace pw {
namespace {

using Pixels = std::set<std::pair<int, int>>;

constexpr std::uint32_t kBlack = 0xFF000000u;

class Draw_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_.Image.Set_Size(200, 150);
    Cur_Image = &canvas_;
    Bg_Color = 0;
    Set_Color(0);
    Set_Fill_Patterns(Default_Fill_Patterns());
  }
  void TearDown() override { Cur_Image = nullptr; }

  // The pixels that are not black.
  Pixels Ink() const {
    Pixels ink;
    for (int y = 0; y < canvas_.Image.Height(); ++y)
      for (int x = 0; x < canvas_.Image.Width(); ++x)
        if (canvas_.Image.Pixel(x, y) != kBlack) ink.insert({x, y});
    return ink;
  }

  TC_Canvas canvas_;
};

// The integer line walked step by step over its whole length, plotting what lands inside.
Pixels Reference_Line(int w, int h, long long x0, long long y0, long long x1, long long y1) {
  Pixels out;
  const long long adx = std::llabs(x1 - x0), ady = std::llabs(y1 - y0);
  const int sx = x1 >= x0 ? 1 : -1, sy = y1 >= y0 ? 1 : -1;
  const bool x_major = adx >= ady;
  const long long dmaj = x_major ? adx : ady, dmin = x_major ? ady : adx;
  long long x = x0, y = y0, err = dmaj;  // err / (2 dmaj) is the fraction, starting at 1/2
  for (long long i = 0; i < dmaj; ++i) {
    if (x >= 0 && y >= 0 && x < w && y < h) out.insert({static_cast<int>(x), static_cast<int>(y)});
    if (x_major)
      x += sx;
    else
      y += sy;
    err += 2 * dmin;
    if (err >= 2 * dmaj) {
      err -= 2 * dmaj;
      if (x_major)
        y += sy;
      else
        x += sx;
    }
  }
  return out;
}

TEST_F(Draw_Test, LineLeavesOutItsEndPixel) {
  Set_Color(255);
  Move_To(10, 5);
  Line_To(15, 5);
  EXPECT_EQ(Ink(), (Pixels{{10, 5}, {11, 5}, {12, 5}, {13, 5}, {14, 5}}));
  EXPECT_EQ(canvas_.Pen_X, 15);
  EXPECT_EQ(canvas_.Pen_Y, 5);
}

TEST_F(Draw_Test, LineInEveryDirectionDrawsStartNotEnd) {
  Set_Color(255);
  const int ends[][2] = {{20, 0},   {20, 7},  {20, 20},  {7, 20},   {0, 20},    {-7, 20},
                         {-20, 20}, {-20, 7}, {-20, 0},  {-20, -7}, {-20, -20}, {-7, -20},
                         {0, -20},  {7, -20}, {20, -20}, {20, -7}};
  for (const auto& end : ends) {
    canvas_.Image.Set_Size(200, 150);
    Move_To(100, 70);
    Line_To(100 + end[0], 70 + end[1]);
    const Pixels ink = Ink();
    SCOPED_TRACE(testing::Message() << end[0] << "," << end[1]);
    EXPECT_EQ(ink, Reference_Line(200, 150, 100, 70, 100 + end[0], 70 + end[1]));
    EXPECT_EQ(ink.size(), static_cast<size_t>(std::max(std::abs(end[0]), std::abs(end[1]))));
    EXPECT_TRUE(ink.count({100, 70}));
    EXPECT_FALSE(ink.count({100 + end[0], 70 + end[1]}));
  }
}

TEST_F(Draw_Test, LineOfLengthZeroDrawsNothing) {
  Set_Color(255);
  Move_To(30, 30);
  Line_To(30, 30);
  EXPECT_TRUE(Ink().empty());
}

TEST_F(Draw_Test, ClippedLinesKeepThePixelsOfTheWholeLine) {
  Set_Color(255);
  unsigned seed = 12345;
  auto next = [&seed](int lo, int hi) {
    seed = seed * 1103515245u + 12345u;
    return lo + static_cast<int>((seed >> 8) % static_cast<unsigned>(hi - lo + 1));
  };
  for (int n = 0; n < 400; ++n) {
    canvas_.Image.Set_Size(200, 150);
    const int x0 = next(-400, 600), y0 = next(-300, 450), x1 = next(-400, 600),
              y1 = next(-300, 450);
    Move_To(x0, y0);
    Line_To(x1, y1);
    ASSERT_EQ(Ink(), Reference_Line(200, 150, x0, y0, x1, y1))
        << x0 << "," << y0 << " -> " << x1 << "," << y1;
  }
}

TEST_F(Draw_Test, LineFromFarOutsideIsClipped) {
  Set_Color(255);
  Move_To(-5000, -5000);
  Line_To(70000, 3);
  EXPECT_EQ(Ink(), Reference_Line(200, 150, -5000, -5000, 70000, 3));
  canvas_.Image.Set_Size(200, 150);
  Move_To(INT_MIN, INT_MIN);
  Line_To(INT_MAX, INT_MAX);
  const Pixels ink = Ink();
  EXPECT_EQ(ink.size(), 150u);  // the diagonal through (0, 0)
  EXPECT_TRUE(ink.count({149, 149}));
  canvas_.Image.Set_Size(200, 150);
  Move_To(INT_MAX, INT_MIN);
  Line_To(INT_MIN, INT_MAX);
  Move_To(-10, 500);
  Line_To(300, 400);  // entirely below the image
  EXPECT_TRUE(Ink().empty() || Ink().size() < 200);
}

TEST_F(Draw_Test, DrawBoxDrawsAllFourCornersAndReturnsToTheFirst) {
  Set_Color(255);
  Draw_Box(20, 10, 23, 12);
  EXPECT_EQ(Ink(), (Pixels{{20, 10},
                           {21, 10},
                           {22, 10},
                           {23, 10},
                           {20, 11},
                           {23, 11},
                           {20, 12},
                           {21, 12},
                           {22, 12},
                           {23, 12}}));
  EXPECT_EQ(canvas_.Pen_X, 20);
  EXPECT_EQ(canvas_.Pen_Y, 10);
}

// Columns 11..19 of rows 31..49 filled, outline through rows 30, 50 and columns 10, 20.
void Expect_Box_10_30_20_50(const TC_Bitmap& image, std::uint32_t fill, std::uint32_t line) {
  for (int y = 25; y <= 55; ++y) {
    for (int x = 5; x <= 25; ++x) {
      const bool outline = (x == 10 || x == 20) && y >= 30 && y <= 50;
      const bool edge = (y == 30 || y == 50) && x >= 10 && x <= 20;
      const bool inside = x > 10 && x < 20 && y > 30 && y < 50;
      const std::uint32_t want = outline || edge ? line : inside ? fill : kBlack;
      ASSERT_EQ(image.Pixel(x, y), want) << x << "," << y;
    }
  }
}

TEST_F(Draw_Test, FillBoxCornersInEitherOrder) {
  Set_Color(255);
  Fill_Box(10, 50, 20, 30, 1);
  const TC_Bitmap first = canvas_.Image;
  Expect_Box_10_30_20_50(first, 0xFFFF0000u, 0xFFFF0000u);
  canvas_.Image.Set_Size(200, 150);
  Set_Color(255);
  Fill_Box(10, 30, 20, 50, 1);
  EXPECT_EQ(std::vector<std::uint32_t>(first.Bits(), first.Bits() + 200 * 150),
            std::vector<std::uint32_t>(canvas_.Image.Bits(), canvas_.Image.Bits() + 200 * 150));
  canvas_.Image.Set_Size(200, 150);
  Fill_Box(20, 50, 10, 30, 1);
  Expect_Box_10_30_20_50(canvas_.Image, 0xFFFF0000u, 0xFFFF0000u);
}

TEST_F(Draw_Test, PatternFillIsAlignedToTheImageOrigin) {
  Set_Color(65280);  // lime outline
  Fill_Box(13, 21, 40, 50, 3);
  const Fill_Pattern& tile = Fill_Patterns[1];  // xFill2
  for (int y = 22; y < 50; ++y)
    for (int x = 14; x < 40; ++x)
      ASSERT_EQ(canvas_.Image.Pixel(x, y), Color_To_Pixel(tile[(y % 8) * 8 + x % 8]));
  EXPECT_EQ(canvas_.Image.Pixel(13, 30), 0xFF00FF00u);
  EXPECT_EQ(canvas_.Image.Pixel(25, 50), 0xFF00FF00u);
  // xFill2 row 1 is ABBBABBB with A = CACACA, B = 444444.
  EXPECT_EQ(canvas_.Image.Pixel(16, 24), 0xFFCACACAu);
  EXPECT_EQ(canvas_.Image.Pixel(17, 24), 0xFF444444u);
  // A solid fill right after it is plain.
  Set_Color(255);
  Fill_Box(13, 21, 40, 50, 1);
  for (int y = 21; y <= 50; ++y)
    for (int x = 13; x <= 40; ++x) ASSERT_EQ(canvas_.Image.Pixel(x, y), 0xFFFF0000u);
}

TEST_F(Draw_Test, ClearImageAfterPatternFillIsPlainBackground) {
  Fill_Box(0, 0, 199, 149, 2);
  Bg_Color = Parse_Color("Silver", -1);
  Set_Color(255);
  Clear_Image();
  EXPECT_EQ(Cur_Color, Bg_Color);
  EXPECT_EQ(canvas_.Pen_Color, Bg_Color);
  EXPECT_EQ(canvas_.Text_Color, Bg_Color);
  EXPECT_EQ(canvas_.Brush_Color, Bg_Color);
  for (int y = 0; y < 150; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(canvas_.Image.Pixel(x, y), 0xFFC0C0C0u);
}

TEST_F(Draw_Test, FillKindsWithoutFillDrawOnlyTheOutline) {
  Set_Color(255);
  for (int kind : {0, 8, 9, -1, 1000}) {
    canvas_.Image.Set_Size(200, 150);
    Fill_Box(10, 30, 20, 50, kind);
    Expect_Box_10_30_20_50(canvas_.Image, kBlack, 0xFFFF0000u);
  }
}

TEST_F(Draw_Test, FillLargerThanTheCanvasIsClipped) {
  Set_Color(255);
  Fill_Box(-100000, -100000, 100000, 100000, 1);
  Fill_Box(INT_MIN, INT_MIN, INT_MAX, INT_MAX, 5);
  Fill_Box(INT_MAX, INT_MAX, INT_MAX, INT_MAX, 1);
  EXPECT_EQ(canvas_.Image.Pixel(0, 0), Color_To_Pixel(Fill_Patterns[3][0]));
}

TEST_F(Draw_Test, FillPatternsHaveTheirGreys) {
  struct Row {
    int pattern;
    std::uint32_t a, b;
    const char* rows[4];
  };
  const Row table[] = {
      {0, 0x868686, 0x1A1A1A, {"ABABABAB", "BABABABA", "ABABABAB", "BABABABA"}},
      {1, 0xCACACA, 0x444444, {"ABBBABBB", "BBBABBBA", "BBABBBAB", "BABBBABB"}},
      {2, 0x868686, 0x1A1A1A, {"ABBBABBB", "BABABABA", "BBABBBAB", "BABABABA"}},
      {3, 0x797979, 0xE5E5E5, {"ABABABAB", "BABABABA", "ABABABAB", "BABABABA"}},
      {4, 0x707070, 0xE0E0E0, {"ABBBABBB", "BBBABBBA", "BBABBBAB", "BABBBABB"}},
      {5, 0x797979, 0xE5E5E5, {"ABBBABBB", "BABABABA", "BBABBBAB", "BABABABA"}},
  };
  for (const Row& row : table) {
    const Fill_Pattern& tile = Default_Fill_Patterns()[row.pattern];
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        ASSERT_EQ(Color_To_Pixel(tile[y * 8 + x]),
                  0xFF000000u | (row.rows[y % 4][x] == 'A' ? row.a : row.b))
            << row.pattern << " " << x << "," << y;
  }
}

TEST_F(Draw_Test, EachMarkerDrawsItsPixels) {
  struct Row {
    int kind;
    Pixels offsets;
  };
  const Row table[] = {
      {0, {}},
      {1, {{0, 0}}},
      {2, {}},
      {3, {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}}},
      {4,
       {{-2, -2},
        {-1, -2},
        {0, -2},
        {1, -2},
        {2, -2},
        {-2, -1},
        {2, -1},
        {-2, 0},
        {2, 0},
        {-2, 1},
        {2, 1},
        {-2, 2},
        {-1, 2},
        {0, 2},
        {1, 2},
        {2, 2}}},
      {5, {{0, 0}, {-1, -1}, {-1, 1}, {1, -1}, {1, 1}}},
      {6, {{0, 0}, {-1, -2}, {-1, 2}, {1, -2}, {1, 2}, {-2, -2}, {-2, 2}, {2, -2}, {2, 2}}},
      {7, {{0, 0}, {-1, 0}, {1, 0}, {0, 1}, {0, -1}}},
      {8, {{0, 0}, {-1, 0}, {-2, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}, {0, -1}, {0, -2}}},
      {9, {}},
      {-1, {}},
  };
  Set_Color(255);
  for (const Row& row : table) {
    for (auto [cx, cy] : {std::pair{50, 40}, std::pair{0, 0}, std::pair{199, 149}}) {
      canvas_.Image.Set_Size(200, 150);
      Draw_Marker(cx, cy, row.kind);
      Pixels want;
      for (auto [dx, dy] : row.offsets)
        if (canvas_.Image.Contains(cx + dx, cy + dy)) want.insert({cx + dx, cy + dy});
      EXPECT_EQ(Ink(), want) << "kind " << row.kind << " at " << cx << "," << cy;
    }
  }
}

TEST_F(Draw_Test, BoxMarkerEqualsDrawBox) {
  Set_Color(255);
  Draw_Marker(60, 60, Marker_Box2);
  const Pixels marker = Ink();
  const int pen_x = canvas_.Pen_X, pen_y = canvas_.Pen_Y;
  canvas_.Image.Set_Size(200, 150);
  Draw_Box(58, 58, 62, 62);
  EXPECT_EQ(Ink(), marker);
  EXPECT_EQ(pen_x, canvas_.Pen_X);
  EXPECT_EQ(pen_y, canvas_.Pen_Y);
}

TEST_F(Draw_Test, MarkersFarOutsideDrawNothing) {
  Set_Color(255);
  for (int kind = 0; kind <= 8; ++kind) {
    Draw_Marker(INT_MIN, INT_MAX, kind);
    Draw_Marker(INT_MAX, -3, kind);
    Draw_Marker(-3, 70, kind);
  }
  EXPECT_TRUE(Ink().empty());
}

TEST(Parse_Color_Test, NamesHexAndBadText) {
  struct Row {
    const char* text;
    Color def;
    Color want;
  };
  const Row table[] = {
      {"Lime", -1, 65280},
      {"lime", -1, 65280},
      {"LIME", -1, 65280},
      {"00ff00", -1, 65280},
      {"00FF00", -1, 65280},
      {"FF0000", -1, 255},
      {"0000FF", -1, 0xFF0000},
      {"123456", -1, 0x12 + 256 * 0x34 + 65536 * 0x56},
      {"", 77, 77},
      {"#00FF00", -1, -1},
      {"ABCD", -1, -1},
      {"00GG00", -1, -1},
      {"clLime", -1, -1},
      {" Lime", -1, -1},
      {"Default", -1, 0x20000000},
      {"None", -1, 0x1FFFFFFF},
      {"Black", -1, 0},
      {"MoneyGreen", -1, 0xC0 + 256 * 0xDC + 65536 * 0xC0},
      {"Cream", -1, 0xF0FBFF},
      {"MedGray", -1, 0xA4A0A0},
      {"window", -1, static_cast<Color>(0x80000005u)},
      {"3DDKSHADOW", -1, static_cast<Color>(0x80000015u)},
      {"ScrollBar", -1, static_cast<Color>(0x80000000u)},
      {"MenuBar", -1, static_cast<Color>(0x8000001Eu)},
      {"Lime2", 5, 5},
  };
  for (const Row& row : table) EXPECT_EQ(Parse_Color(row.text, row.def), row.want) << row.text;
}

TEST(Marker_By_Name_Test, CapitalisesAndFinds) {
  struct Row {
    const char* in;
    int want;
    const char* after;
  };
  const Row table[] = {{"plus1", 7, "PLUS1"}, {"Point", 1, "POINT"},  {"line", 2, "LINE"},
                       {"box1", 3, "BOX1"},   {"BOX2", 4, "BOX2"},    {"ex1", 5, "EX1"},
                       {"Ex2", 6, "EX2"},     {"plus2", 8, "PLUS2"},  {"", 0, ""},
                       {"star", 0, "STAR"},   {"plus 1", 0, "PLUS 1"}};
  for (const Row& row : table) {
    std::string name = row.in;
    EXPECT_EQ(Marker_By_Name(name), row.want) << row.in;
    EXPECT_EQ(name, row.after);
  }
}

TEST(Color_To_Pixel_Test, FixedDesktopAndSpecialColours) {
  EXPECT_EQ(Color_To_Pixel(255), 0xFFFF0000u);
  EXPECT_EQ(Color_To_Pixel(0x123456), 0xFF563412u);
  EXPECT_EQ(Color_To_Pixel(Parse_Color("Window", -1)), 0xFFFFFFFFu);
  EXPECT_EQ(Color_To_Pixel(Parse_Color("WindowText", -1)), 0xFF000000u);
  EXPECT_EQ(Color_To_Pixel(Parse_Color("BtnFace", -1)), 0xFFF0F0F0u);
  EXPECT_EQ(Color_To_Pixel(Parse_Color("Highlight", -1)), 0xFF0078D7u);
  EXPECT_EQ(Color_To_Pixel(static_cast<Color>(0x800000FFu)), 0xFF000000u);
  EXPECT_EQ(Color_To_Pixel(Color_None), 0xFFFFFFFFu);
  EXPECT_EQ(Color_To_Pixel(Color_Default), 0xFF000000u);
}

TEST_F(Draw_Test, NoColourDrawsNothing) {
  Set_Color(No_Color);
  Put_Pixel(5, 5);
  Draw_Marker(20, 20, Marker_Plus2);
  Move_To(0, 0);
  Line_To(100, 100);
  Fill_Box(30, 30, 60, 60, 1);
  EXPECT_TRUE(Ink().empty());
}

TEST_F(Draw_Test, PutPixelClipsAndFollowsCurColor) {
  Set_Color(255);
  Put_Pixel(3, 4);
  Put_Pixel(-1, 0);
  Put_Pixel(200, 0);
  Put_Pixel(0, 150);
  Cur_Color = 65280;  // assigned directly: still honoured
  Put_Pixel(4, 4);
  EXPECT_EQ(Ink(), (Pixels{{3, 4}, {4, 4}}));
  EXPECT_EQ(canvas_.Image.Pixel(3, 4), 0xFFFF0000u);
  EXPECT_EQ(canvas_.Image.Pixel(4, 4), 0xFF00FF00u);
}

TEST_F(Draw_Test, EachCanvasKeepsItsOwnState) {
  TC_Canvas other;
  other.Image.Set_Size(10, 10);
  Move_To(7, 8);
  Set_Pen_Style(0);
  Set_Color(255);
  Cur_Image = &other;
  Move_To(1, 2);
  EXPECT_EQ(other.Pen_Color, 0);
  Cur_Image = &canvas_;
  EXPECT_EQ(canvas_.Pen_X, 7);
  EXPECT_EQ(canvas_.Pen_Y, 8);
  EXPECT_EQ(canvas_.Pen_Color, 255);
  EXPECT_EQ(other.Pen_X, 1);
}

TEST(No_Image_Test, EverythingIsANoOp) {
  Cur_Image = nullptr;
  Set_Color(255);
  Clear_Image();
  Put_Pixel(1, 1);
  Move_To(1, 1);
  Line_To(5, 5);
  Draw_Box(1, 1, 5, 5);
  Fill_Box(1, 1, 5, 5, 3);
  Draw_Marker(3, 3, Marker_Box2);
  Set_Pen_Style(0);
  Set_Text_Angle(90);
  Set_Font_Name("Verdana");
  Text_Out(1, 1, "text");
  EXPECT_EQ(Text_Width("text"), 0);
  EXPECT_EQ(Text_Height("text"), 0);
}

TEST(Empty_Image_Test, ZeroSizedCanvasIsSafe) {
  TC_Canvas canvas;
  Cur_Image = &canvas;
  Clear_Image();
  Put_Pixel(0, 0);
  Move_To(0, 0);
  Line_To(10, 10);
  Fill_Box(-5, -5, 5, 5, 2);
  Draw_Marker(0, 0, Marker_Box2);
  Text_Out(0, 0, "x");
  canvas.Image.Set_Size(-3, 4);
  EXPECT_TRUE(canvas.Image.Empty());
  Clear_Image();
  Cur_Image = nullptr;
}

// A canvas may know its size before it has pixels, and give them back after its page.
TEST(Bitmap, SizeWithoutPixelsUntilAllocated) {
  TC_Bitmap image;
  image.Set_Size_Only(30, 20);
  EXPECT_EQ(image.Width(), 30);
  EXPECT_EQ(image.Height(), 20);
  EXPECT_FALSE(image.Has_Pixels());
  image.Allocate_Pixels();
  ASSERT_TRUE(image.Has_Pixels());
  EXPECT_EQ(image.Pixel(29, 19), 0xFF000000u);
  image.Set_Pixel(3, 4, 0xFF123456u);
  image.Release_Pixels();
  EXPECT_FALSE(image.Has_Pixels());
  EXPECT_EQ(image.Width(), 30);
  EXPECT_EQ(image.Height(), 20);
  image.Allocate_Pixels();  // fresh black pixels, nothing of the old drawing
  EXPECT_EQ(image.Pixel(3, 4), 0xFF000000u);
  image.Set_Size_Only(-5, 7);
  EXPECT_EQ(image.Width(), 0);
  EXPECT_TRUE(image.Has_Pixels());  // nothing to hold
}

}  // namespace
}  // namespace pw
