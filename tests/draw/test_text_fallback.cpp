// Characters the chosen face lacks: drawn and measured in the face fontconfig gives for them.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "draw/d_font.h"
#include "draw/d_font_match.h"

namespace pw {
namespace {

const Font_Spec kSans{"DejaVu Sans", 20, false, 0};
const std::string kZhong = "\xE4\xB8\xAD";  // U+4E2D, a CJK ideograph DejaVu lacks

class Text_Fallback : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!Font_Describe(kSans, sans_) || sans_.Family != "DejaVu Sans")
      GTEST_SKIP() << "no DejaVu Sans (fonts-dejavu-core)";
    if (!Fallback_Face_File(kSans.Name, kSans.Height, false, U'\u4E2D', file_, index_))
      GTEST_SKIP() << "no face with CJK ideographs (fonts-wqy-microhei)";
  }
  void TearDown() override { Font_Force_No_Font(false); }

  Font_Face_Info sans_;
  std::string file_;
  int index_ = 0;
};

// The ideograph is that face's own glyph, at its own advance, on the text's baseline: the
// mask is the one the fallback face draws when asked by name, moved by the two ascents.
TEST_F(Text_Fallback, MissingCharacterDrawsTheFallbackFacesGlyph) {
  const std::vector<Placed_Glyph> glyphs = Font_Layout(kSans, "a" + kZhong + "b");
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0].Fallback, nullptr);
  EXPECT_EQ(glyphs[2].Fallback, nullptr);
  ASSERT_NE(glyphs[1].Fallback, nullptr);
  const Font_Face_Info& face = *glyphs[1].Fallback;
  EXPECT_EQ(face.File, file_);
  EXPECT_EQ(face.Index, index_);
  EXPECT_EQ(face.Size, kSans.Height);
  EXPECT_NE(glyphs[1].Index, 0u);

  const Font_Spec direct{face.Family, kSans.Height, false, 0};
  Font_Face_Info own;
  ASSERT_TRUE(Font_Describe(direct, own));
  ASSERT_EQ(own.File, file_);
  const int zhong = Font_Text_Width(direct, kZhong);
  EXPECT_EQ(Font_Text_Width(kSans, "a" + kZhong + "b"),
            Font_Text_Width(kSans, "a") + zhong + Font_Text_Width(kSans, "b"));
  EXPECT_EQ(glyphs[2].X, glyphs[1].X + zhong);

  Text_Mask fallback, mask;
  ASSERT_TRUE(Font_Render(direct, kZhong, fallback));
  ASSERT_TRUE(Font_Render(kSans, kZhong, mask));
  ASSERT_EQ(mask.width, fallback.width);
  const int shift = sans_.Ascent - own.Ascent;
  int ink = 0, differences = 0;
  for (int y = 0; y < mask.height; ++y) {
    for (int x = 0; x < mask.width; ++x) {
      const int from = y - shift;
      const int expected = from >= 0 && from < fallback.height
                               ? fallback.alpha[static_cast<std::size_t>(from) * fallback.width + x]
                               : 0;
      const int got = mask.alpha[static_cast<std::size_t>(y) * mask.width + x];
      ink += got != 0;
      differences += got != expected;
    }
  }
  EXPECT_GT(ink, 20);
  EXPECT_EQ(differences, 0);
}

// What no ordinary face has keeps the face's own missing glyph: a private-use character, one
// only a colour emoji face has (never a fallback for single-colour text), control characters.
TEST_F(Text_Fallback, NoOrdinaryFaceKeepsTheMissingGlyph) {
  const Font_Spec spec{"DejaVu Sans", 14, false, 0};
  for (const std::string text : {"\xF4\x8F\xBF\xBD", "\xF0\x9F\xA7\x80", "\t", "\x7F",
                                 "\xC2\x85"}) {
    const std::vector<Placed_Glyph> glyphs = Font_Layout(spec, text);
    ASSERT_EQ(glyphs.size(), 1u) << text;
    EXPECT_EQ(glyphs[0].Fallback, nullptr) << text;
    EXPECT_EQ(glyphs[0].Index, 0u) << text;
    EXPECT_EQ(Font_Text_Width(spec, text), Font_Text_Width(spec, "\xF4\x8F\xBF\xBD")) << text;
  }
}

// Bold text asks for a bold fallback; a family with a regular face only is emboldened, as the
// text's own face would be.
TEST_F(Text_Fallback, BoldTextGetsABoldOrEmboldenedFallback) {
  const Font_Spec bold{"DejaVu Sans", 20, true, 0};
  const std::vector<Placed_Glyph> glyphs = Font_Layout(bold, kZhong);
  ASSERT_EQ(glyphs.size(), 1u);
  ASSERT_NE(glyphs[0].Fallback, nullptr);
  EXPECT_TRUE(glyphs[0].Fallback->Bold);
  EXPECT_GE(Font_Text_Width(bold, kZhong), Font_Text_Width(kSans, kZhong));
}

// Fallback faces are found and opened while texts are drawn on several threads at once: every
// thread gets the pixels one thread gets.
TEST_F(Text_Fallback, SameMasksOnAnyNumberOfThreads) {
  const std::string text = "Temp " + kZhong + "\xE6\x96\x87 \xE5\xA4\xA9\xE6\xB0\x94 end";
  Font_Force_No_Font(false);  // empty caches
  Text_Mask one;
  ASSERT_TRUE(Font_Render(kSans, text, one));
  for (int threads : {2, 8}) {
    Font_Force_No_Font(false);
    std::vector<Text_Mask> masks(static_cast<std::size_t>(threads));
    std::vector<int> widths(masks.size());
    {
      std::vector<std::jthread> workers;
      for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
          const Font_Spec spec{"DejaVu Sans", 20, t % 2 == 1, 0};
          widths[t] = Font_Text_Width(spec, text);
          Font_Render(kSans, text, masks[t]);
        });
      }
    }
    for (const Text_Mask& mask : masks) {
      EXPECT_EQ(mask.width, one.width) << threads;
      EXPECT_EQ(mask.alpha, one.alpha) << threads;
    }
    for (int t = 0; t < threads; ++t)
      EXPECT_EQ(widths[t], Font_Text_Width({"DejaVu Sans", 20, t % 2 == 1, 0}, text));
  }
}

}  // namespace
}  // namespace pw
