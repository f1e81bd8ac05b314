#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "draw/d_draw.h"
#include "draw/d_font.h"

namespace pw {
namespace {

using namespace std::literals;

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

struct Box {
  int left, top, right, bottom;  // inclusive
};

class Text_Test : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_.Image.Set_Size(400, 300);
    Cur_Image = &canvas_;
    Bg_Color = Parse_Color("White", -1);
    Clear_Image();
    Set_Color(0);
    Set_Font_Name("Verdana");
    Set_Font_Height(14);
    Set_Font_Bold(false);
    Set_Text_Angle(0);
  }
  void TearDown() override {
    Font_Force_No_Font(false);
    Cur_Image = nullptr;
  }

  // The smallest box holding every non-white pixel; empty when none (left > right).
  Box Ink_Box() const {
    Box box{1 << 30, 1 << 30, -1, -1};
    for (int y = 0; y < canvas_.Image.Height(); ++y)
      for (int x = 0; x < canvas_.Image.Width(); ++x)
        if (canvas_.Image.Pixel(x, y) != kWhite) {
          box.left = std::min(box.left, x), box.right = std::max(box.right, x);
          box.top = std::min(box.top, y), box.bottom = std::max(box.bottom, y);
        }
    return box;
  }

  TC_Canvas canvas_;
};

TEST_F(Text_Test, PlainTextInkStaysInItsBox) {
  const std::string text = "Sample gyph 123";
  const int width = Text_Width(text), height = Text_Height(text);
  ASSERT_GT(width, 30);
  EXPECT_GE(height, 14);
  EXPECT_LT(height, 30);
  Text_Out(100, 50, text);
  const Box ink = Ink_Box();
  ASSERT_LE(ink.left, ink.right) << "no ink";
  EXPECT_GE(ink.left, 100);
  EXPECT_LE(ink.right, 100 + width - 1);
  EXPECT_GE(ink.top, 50);
  EXPECT_LE(ink.bottom, 50 + height - 1);
  // Reaches across most of the box.
  EXPECT_LT(ink.left, 100 + 5);
  EXPECT_GT(ink.right, 100 + width - 8);
  EXPECT_EQ(canvas_.Pen_X, 100 + width);
  EXPECT_EQ(canvas_.Pen_Y, 50);
}

TEST_F(Text_Test, TurnedTextReadsUpwardsInItsBox) {
  const std::string text = "Axis title";
  const int width = Text_Width(text), height = Text_Height(text);
  Set_Text_Angle(90);
  EXPECT_EQ(Text_Width(text), width);
  Text_Out(40, 250, text);
  const Box ink = Ink_Box();
  ASSERT_LE(ink.left, ink.right) << "no ink";
  EXPECT_GE(ink.left, 40);
  EXPECT_LE(ink.right, 40 + height);
  EXPECT_GE(ink.top, 250 - width);
  EXPECT_LE(ink.bottom, 250);
  // Taller than wide: the text runs up the page.
  EXPECT_GT(ink.bottom - ink.top, 2 * (ink.right - ink.left));
  // The first letter (a capital A) is at the bottom end.
  Box first{1 << 30, 1 << 30, -1, -1};
  for (int y = 250 - Text_Width("A"); y <= 250; ++y)
    for (int x = 40; x <= 40 + height; ++x)
      if (canvas_.Image.Pixel(x, y) != kWhite) first.bottom = std::max(first.bottom, y);
  EXPECT_GT(first.bottom, 250 - 4);
}

TEST_F(Text_Test, OtherAnglesDoNotCrash) {
  for (int angle : {45, 180, 270, -90, 725}) {
    Set_Text_Angle(angle);
    Text_Out(200, 150, "turned");
  }
  Set_Text_Angle(33);
  Text_Out(-1000000, 2000000000, "far");
  EXPECT_LE(Ink_Box().left, Ink_Box().right);
}

TEST_F(Text_Test, TextFarOutsideIsClipped) {
  Text_Out(-5000, -5000, "outside");
  Text_Out(2147483000, 10, "outside");
  Set_Text_Angle(90);
  Text_Out(10, -20, "outside");
  EXPECT_GT(Ink_Box().left, Ink_Box().right);
}

TEST_F(Text_Test, TextIsDrawnInTheTextColour) {
  Set_Color(255);
  Text_Out(10, 10, "MMMM");
  bool red = false;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 80; ++x) red |= canvas_.Image.Pixel(x, y) == 0xFFFF0000u;
  EXPECT_TRUE(red);
}

TEST_F(Text_Test, BoldIsNoNarrowerAndHeightIsTheEmSize) {
  const int regular = Text_Width("Bold text");
  Set_Font_Bold(true);
  EXPECT_GE(Text_Width("Bold text"), regular);
  Set_Font_Height(28);
  EXPECT_GT(Text_Height("x"), 28 - 1);
  EXPECT_LT(Text_Height("x"), 28 * 3 / 2);
}

TEST_F(Text_Test, ConsoleFontIsMonospaced) {
  Set_Font_Name("Lucida Console");
  EXPECT_EQ(Text_Width("iiii"), Text_Width("MMMM"));
  EXPECT_GT(Text_Width("iiii"), 0);
}

TEST_F(Text_Test, InvalidUtf8BecomesReplacementGlyphs) {
  EXPECT_EQ(Decode_Utf8("a\xC3\xA9z"), U"a\u00E9z");
  EXPECT_EQ(Decode_Utf8("\xE2\x82\xAC"), U"\u20AC");
  EXPECT_EQ(Decode_Utf8("\xF0\x9F\x98\x80"), U"\U0001F600");
  EXPECT_EQ(Decode_Utf8("\xFF"), U"\uFFFD");
  EXPECT_EQ(Decode_Utf8("a\xC3"), U"a\uFFFD");                              // cut short
  EXPECT_EQ(Decode_Utf8("\xC0\xAF"), U"\uFFFD\uFFFD");                      // overlong
  EXPECT_EQ(Decode_Utf8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");            // surrogate
  EXPECT_EQ(Decode_Utf8("\xF4\x90\x80\x80"), U"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(Decode_Utf8(std::string_view("a\0b", 3)), U"a\0b"sv);
  EXPECT_EQ(Text_Width("\xFF"), Text_Width("\xEF\xBF\xBD"));
  EXPECT_GT(Text_Width("\xFF\xFE"), 0);
  Text_Out(10, 10, "\xFF\xC3\x28\xE2\x82");
}

TEST_F(Text_Test, NoFontAtAllDrawsNothingAndMeasuresZero) {
  Font_Force_No_Font(true);
  EXPECT_EQ(Text_Width("hello"), 0);
  EXPECT_EQ(Text_Height("hello"), 14);  // layouts still reserve a line
  EXPECT_EQ(Font_File(canvas_.Font), "");
  Text_Out(10, 10, "hello");
  EXPECT_GT(Ink_Box().left, Ink_Box().right);
  EXPECT_EQ(canvas_.Pen_X, 10);
  // Everything else still draws.
  Put_Pixel(5, 5);
  EXPECT_EQ(canvas_.Image.Pixel(5, 5), 0xFF000000u);
  Font_Force_No_Font(false);
  EXPECT_GT(Text_Width("hello"), 0);
  EXPECT_NE(Font_File(canvas_.Font), "");
}

// A colour emoji font holds bitmaps of one size only, in colours the single-colour text cannot
// take: asked for by name, it gives way to an ordinary face as a missing font does, rather
// than leaving every text of the page blank.
TEST_F(Text_Test, ColourFontGivesWayToAnOrdinaryFace) {
  FcInit();
  FcPattern* colour = FcNameParse(reinterpret_cast<const FcChar8*>(":color=true"));
  FcObjectSet* family = FcObjectSetBuild(FC_FAMILY, nullptr);
  FcFontSet* found = FcFontList(nullptr, colour, family);
  std::string name;
  FcChar8* text = nullptr;
  if (found != nullptr && found->nfont > 0 &&
      FcPatternGetString(found->fonts[0], FC_FAMILY, 0, &text) == FcResultMatch)
    name = reinterpret_cast<const char*>(text);
  if (found != nullptr) FcFontSetDestroy(found);
  FcObjectSetDestroy(family);
  FcPatternDestroy(colour);
  if (name.empty()) GTEST_SKIP() << "no colour font installed (fonts-noto-color-emoji)";
  SCOPED_TRACE(name);
  Set_Font_Name(name);
  EXPECT_GT(Text_Width("Hello"), 20);
  Text_Out(100, 50, "Hello");
  EXPECT_LE(Ink_Box().left, Ink_Box().right);
}

// The vector pages name a face by family, weight and width: a light or condensed face is
// described as such, the regular and bold ones as before.
TEST_F(Text_Test, FaceDescribedWithItsWeightAndWidth) {
  struct Case {
    const char* name;
    bool bold;
    const char* file;  // the face expected; the case is left out when another is installed
    int weight, width;
  };
  const Case cases[] = {
      {"DejaVu Sans", false, "DejaVuSans.ttf", 400, 100},
      {"DejaVu Sans", true, "DejaVuSans-Bold.ttf", 700, 100},
      {"DejaVu Sans Light", false, "DejaVuSans-ExtraLight.ttf", 200, 100},
      {"DejaVu Sans Condensed", false, "DejaVuSansCondensed.ttf", 400, 87},
      {"DejaVu Sans Condensed", true, "DejaVuSansCondensed-Bold.ttf", 700, 87},
  };
  for (const Case& c : cases) {
    const Font_Spec spec{c.name, 14, c.bold, 0};
    const std::string file = Font_File(spec);
    if (file.size() < std::strlen(c.file) ||
        file.compare(file.size() - std::strlen(c.file), std::string::npos, c.file) != 0)
      continue;
    Font_Face_Info info;
    ASSERT_TRUE(Font_Describe(spec, info));
    EXPECT_EQ(info.Weight, c.weight) << file;
    EXPECT_EQ(info.Width, c.width) << file;
  }
}

// A family without a bold face (only its light one here) draws bold text emboldened: the
// light face as it is would be no bold at all.
TEST_F(Text_Test, FamilyWithoutABoldFaceIsEmboldened) {
  const Font_Spec light{"DejaVu Sans Light", 14, false, 0}, bold{"DejaVu Sans Light", 14, true, 0};
  if (Font_File(bold).find("DejaVuSans-ExtraLight.ttf") == std::string::npos)
    GTEST_SKIP() << "no DejaVu Sans ExtraLight (fonts-dejavu-extra)";
  Font_Face_Info info;
  ASSERT_TRUE(Font_Describe(bold, info));
  EXPECT_TRUE(info.Bold);
  EXPECT_TRUE(info.Embolden);
  EXPECT_EQ(info.Weight, 200);
  EXPECT_GT(Font_Text_Width(bold, "Bold text"), Font_Text_Width(light, "Bold text"));
  Text_Mask thin, thick;
  ASSERT_TRUE(Font_Render(light, "H", thin));
  ASSERT_TRUE(Font_Render(bold, "H", thick));
  long long thin_ink = 0, thick_ink = 0;
  for (std::uint8_t a : thin.alpha) thin_ink += a;
  for (std::uint8_t a : thick.alpha) thick_ink += a;
  EXPECT_GT(thick_ink, thin_ink * 5 / 4);
}

// A symbol font (its characters coded from U+F020 on, with no Unicode table) is written
// with the plain characters 0x20 to 0xFF, as its makers mean it to be: each then draws its own
// glyph, not the missing-glyph box.
TEST_F(Text_Test, SymbolFontDrawsItsGlyphsForPlainCharacters) {
  const char* folder = "/usr/share/wine/fonts";
  if (!std::filesystem::exists(std::string(folder) + "/wingding.ttf"))
    GTEST_SKIP() << "no Wingdings (fonts-wine)";
  FcInit();
  FcConfigAppFontAddDir(nullptr, reinterpret_cast<const FcChar8*>(folder));
  Font_Force_No_Font(false);  // forget what was found before the folder came
  const Font_Spec spec{"Wingdings", 14, false, 0};
  ASSERT_NE(Font_File(spec).find("wingding.ttf"), std::string::npos) << Font_File(spec);
  const std::vector<Placed_Glyph> glyphs = Font_Layout(spec, "Gl\xEF\x81\x87");  // G l U+F047
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_NE(glyphs[0].Index, 0u);
  EXPECT_NE(glyphs[1].Index, 0u);
  EXPECT_NE(glyphs[0].Index, glyphs[1].Index);
  EXPECT_EQ(glyphs[2].Index, glyphs[0].Index);
  Text_Mask g, l;
  ASSERT_TRUE(Font_Render(spec, "G", g));
  ASSERT_TRUE(Font_Render(spec, "l", l));
  EXPECT_TRUE(g.alpha != l.alpha);
}

TEST_F(Text_Test, EmptyTextAndOddHeights) {
  EXPECT_EQ(Text_Width(""), 0);
  Text_Out(5, 5, "");
  EXPECT_EQ(canvas_.Pen_X, 5);
  for (int h : {0, -5, 1, 5000}) {
    Set_Font_Height(h);
    Text_Out(0, 0, "h");
    EXPECT_GE(Text_Width("h"), 0);
  }
}

// A page title of the longest setup value at the largest height on a small picture: only
// the glyphs that can show are rasterized and the mask is no bigger than the picture's part
// of the text box (once it was the whole 1.2 million x 1000 box).
TEST_F(Text_Test, HugeTitleOnSmallCanvasCostsOnlyItsVisiblePart) {
  canvas_.Image.Set_Size(200, 100);
  Clear_Image();
  std::string title;
  while (title.size() < 2047) title += "Page title WAVE fj 0123456789 ";
  title.resize(2047);
  Set_Font_Height(1000);
  const long long before = Font_Rasterized_Glyphs();
  const int width = Text_Width(title);
  EXPECT_GT(width, 2047 * 100);
  EXPECT_EQ(Font_Rasterized_Glyphs(), before);  // measuring rasterizes nothing
  struct Case {
    int angle, x, y;
  };
  for (const Case& c : {Case{0, 10, -300}, Case{90, 10, 95}, Case{45, 0, 0}, Case{33, -50, 300},
                        Case{180, 190, 900}, Case{270, 100, -400}}) {
    Set_Text_Angle(c.angle);
    Clear_Image();
    Set_Color(0);  // clearing leaves the background colour current
    const long long start = Font_Rasterized_Glyphs();
    Text_Out(c.x, c.y, title);
    EXPECT_LE(Font_Rasterized_Glyphs() - start, 4) << c.angle;
    EXPECT_EQ(canvas_.Pen_X, c.x + width) << c.angle;
  }
  Set_Text_Angle(0);
  Clear_Image();
  Set_Color(0);
  Text_Out(10, -300, title);  // the upper part of "P" crosses the picture
  EXPECT_LE(Ink_Box().left, Ink_Box().right) << "no ink";

  // The renderer itself, through windows of the text box.
  struct Window_Case {
    Text_Window window;
    int width, height, max_glyphs;
  };
  const int cell = Text_Height(title);
  const std::vector<Window_Case> windows = {
      {{-12, 192, 290, 404}, 192, 114, 2},
      {{width - 150, width + 50, 0, 1 << 20}, 150, cell, 2},
      {{600000, 600300, -50, 50}, 300, 50, 3},
      {{-500, -10, 0, 100}, 0, 100, 0},             // left of the box
      {{0, 300, cell + 5, cell + 90}, 300, 0, 0},  // below it
  };
  for (const auto& w : windows) {
    Text_Mask mask;
    ASSERT_TRUE(Font_Render(canvas_.Font, title, mask, w.window));
    EXPECT_EQ(mask.width, w.width);
    EXPECT_EQ(mask.height, w.height);
    EXPECT_EQ(mask.alpha.size(), static_cast<std::size_t>(w.width) * w.height);
    EXPECT_LE(mask.glyphs, w.max_glyphs);
    EXPECT_EQ(mask.advance, width);
  }
}

// Drawing only the visible part changes nothing: a text cut by a small picture's edges shows
// exactly the pixels it shows in the same place of a large picture.
TEST_F(Text_Test, ClippedTextMatchesTheSameTextOnALargerPicture) {
  const std::string text = "Window fj WAVy \xC3\xA9t\xC3\xA9 1234567890";
  for (int height : {9, 14, 33, 120}) {
    for (bool bold : {false, true}) {
      for (int angle : {0, 90, 180, 270, 33, 45, 300}) {
        Set_Font_Height(height);
        Set_Font_Bold(bold);
        Set_Text_Angle(angle);
        canvas_.Image.Set_Size(400, 300);
        Clear_Image();
        Set_Color(0);
        Text_Out(150, 120, text);
        ASSERT_LE(Ink_Box().left, Ink_Box().right) << "no ink";
        TC_Canvas small;
        small.Font = canvas_.Font;
        small.Text_Color = canvas_.Text_Color;
        small.Image.Set_Size(120, 90);
        for (int y = 0; y < 90; ++y)
          for (int x = 0; x < 120; ++x) small.Image.Row(y)[x] = kWhite;
        Cur_Image = &small;
        Text_Out(150 - 140, 120 - 100, text);
        Cur_Image = &canvas_;
        int differences = 0;
        for (int y = 0; y < 90; ++y)
          for (int x = 0; x < 120; ++x)
            differences += small.Image.Pixel(x, y) != canvas_.Image.Pixel(x + 140, y + 100);
        EXPECT_EQ(differences, 0) << height << " " << bold << " " << angle;
      }
    }
  }
}

}  // namespace
}  // namespace pw
