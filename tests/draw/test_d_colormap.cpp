// Colour maps: names, the published tables' ends and middles, gray and the one-colour map.
#include "draw/d_colormap.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

TEST(ColorMap, PublishedTables) {
  struct Case {
    Color_Map_Kind kind;
    std::uint32_t first, middle, last;  // entries 0, 128 and 255
  } cases[] = {
      {Color_Map_Kind::Viridis, 0xFF440154, 0xFF21918C, 0xFFFDE725},
      {Color_Map_Kind::Magma, 0xFF000004, 0xFFB73779, 0xFFFCFDBF},
      {Color_Map_Kind::Inferno, 0xFF000004, 0xFFBC3754, 0xFFFCFFA4},
      {Color_Map_Kind::Plasma, 0xFF0D0887, 0xFFCC4778, 0xFFF0F921},
      {Color_Map_Kind::Cividis, 0xFF00224E, 0xFF7D7C78, 0xFFFEE838},
      {Color_Map_Kind::Gray, 0xFF000000, 0xFF808080, 0xFFFFFFFF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Color_Map_Name(c.kind));
    const Color_Table t = Color_Map_Table(c.kind);
    EXPECT_EQ(t[0], c.first);
    EXPECT_EQ(t[128], c.middle);
    EXPECT_EQ(t[255], c.last);
  }
}

// Entry i mixes w = 64 + floor((191 i + 127) / 255) parts of 255 of the colour in.
TEST(ColorMap, MonoFromFaintToFull) {
  const Color_Table t = Color_Map_Table(Color_Map_Kind::Mono, 0xFFFF8000, 0xFF0000FF);
  EXPECT_EQ(t[0], 0xFF4020BFu);    // w = 64
  EXPECT_EQ(t[128], 0xFFA0505Fu);  // w = 160
  EXPECT_EQ(t[255], 0xFFFF8000u);  // w = 255: the colour itself
  // Over a background of the same colour every entry is that colour.
  const Color_Table same = Color_Map_Table(Color_Map_Kind::Mono, 0xFF123456, 0xFF123456);
  for (std::uint32_t p : same) ASSERT_EQ(p, 0xFF123456u);
}

TEST(ColorMap, Names) {
  Color_Map_Kind k = Color_Map_Kind::Gray;
  EXPECT_TRUE(Color_Map_By_Name("Viridis", k));
  EXPECT_EQ(k, Color_Map_Kind::Viridis);
  EXPECT_TRUE(Color_Map_By_Name("MONO", k));
  EXPECT_EQ(k, Color_Map_Kind::Mono);
  for (const char* bad : {"", "jet", "grey", "viridis "}) EXPECT_FALSE(Color_Map_By_Name(bad, k));
  EXPECT_EQ(k, Color_Map_Kind::Mono);
  EXPECT_STREQ(Color_Map_Name(Color_Map_Kind::Cividis), "cividis");
}

}  // namespace
}  // namespace pw
