// The colour vocabulary: names and hex digits of the setup file, the desktop colours, the fill
// patterns, and the pixel each colour is drawn with.
#include <cctype>
#include <cstdint>
#include <string_view>

#include "draw/d_draw.h"

namespace pw {

namespace {

struct Named_Color {
  std::string_view name;  // without the "cl" prefix
  Color value;
};

constexpr Color Rgb(std::uint32_t rrggbb) {
  return static_cast<Color>(((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16));
}
constexpr Color Sys(int index) {
  return static_cast<Color>(0x80000000u + index);
}

// The 52 colour identifiers, in the order of the program's colour table.
constexpr Named_Color kNamedColors[] = {
    {"Black", Rgb(0x000000)},
    {"Maroon", Rgb(0x800000)},
    {"Green", Rgb(0x008000)},
    {"Olive", Rgb(0x808000)},
    {"Navy", Rgb(0x000080)},
    {"Purple", Rgb(0x800080)},
    {"Teal", Rgb(0x008080)},
    {"Gray", Rgb(0x808080)},
    {"Silver", Rgb(0xC0C0C0)},
    {"Red", Rgb(0xFF0000)},
    {"Lime", Rgb(0x00FF00)},
    {"Yellow", Rgb(0xFFFF00)},
    {"Blue", Rgb(0x0000FF)},
    {"Fuchsia", Rgb(0xFF00FF)},
    {"Aqua", Rgb(0x00FFFF)},
    {"White", Rgb(0xFFFFFF)},
    {"MoneyGreen", Rgb(0xC0DCC0)},
    {"SkyBlue", Rgb(0xA6CAF0)},
    {"Cream", Rgb(0xFFFBF0)},
    {"MedGray", Rgb(0xA0A0A4)},
    {"ActiveBorder", Sys(10)},
    {"ActiveCaption", Sys(2)},
    {"AppWorkSpace", Sys(12)},
    {"Background", Sys(1)},
    {"BtnFace", Sys(15)},
    {"BtnHighlight", Sys(20)},
    {"BtnShadow", Sys(16)},
    {"BtnText", Sys(18)},
    {"CaptionText", Sys(9)},
    {"Default", Color_Default},
    {"GradientActiveCaption", Sys(27)},
    {"GradientInactiveCaption", Sys(28)},
    {"GrayText", Sys(17)},
    {"Highlight", Sys(13)},
    {"HighlightText", Sys(14)},
    {"HotLight", Sys(26)},
    {"InactiveBorder", Sys(11)},
    {"InactiveCaption", Sys(3)},
    {"InactiveCaptionText", Sys(19)},
    {"InfoBk", Sys(24)},
    {"InfoText", Sys(23)},
    {"Menu", Sys(4)},
    {"MenuBar", Sys(30)},
    {"MenuHighlight", Sys(29)},
    {"MenuText", Sys(7)},
    {"None", Color_None},
    {"ScrollBar", Sys(0)},
    {"3DDkShadow", Sys(21)},
    {"3DLight", Sys(22)},
    {"Window", Sys(5)},
    {"WindowFrame", Sys(6)},
    {"WindowText", Sys(8)},
};
static_assert(std::size(kNamedColors) == 52);

// How the desktop colours look: the usual light desktop theme (the Windows 10 defaults), as
// 0xRRGGBB by system colour index. Indexes beyond the table are drawn black.
constexpr std::uint32_t kDesktopRgb[] = {
    0xC8C8C8,  //  0 ScrollBar
    0x000000,  //  1 Background (the desktop)
    0x99B4D1,  //  2 ActiveCaption
    0xBFCDDB,  //  3 InactiveCaption
    0xF0F0F0,  //  4 Menu
    0xFFFFFF,  //  5 Window
    0x646464,  //  6 WindowFrame
    0x000000,  //  7 MenuText
    0x000000,  //  8 WindowText
    0x000000,  //  9 CaptionText
    0xB4B4B4,  // 10 ActiveBorder
    0xF4F7FC,  // 11 InactiveBorder
    0xABABAB,  // 12 AppWorkSpace
    0x0078D7,  // 13 Highlight
    0xFFFFFF,  // 14 HighlightText
    0xF0F0F0,  // 15 BtnFace
    0xA0A0A0,  // 16 BtnShadow
    0x6D6D6D,  // 17 GrayText
    0x000000,  // 18 BtnText
    0x000000,  // 19 InactiveCaptionText
    0xFFFFFF,  // 20 BtnHighlight
    0x696969,  // 21 3DDkShadow
    0xE3E3E3,  // 22 3DLight
    0x000000,  // 23 InfoText
    0xFFFFE1,  // 24 InfoBk
    0x000000,  // 25 (no desktop colour)
    0x0066CC,  // 26 HotLight
    0xB9D1EA,  // 27 GradientActiveCaption
    0xD7E4F2,  // 28 GradientInactiveCaption
    0x3399FF,  // 29 MenuHighlight
    0xF0F0F0,  // 30 MenuBar
};

bool Equal_No_Case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

int Hex_Digit(char c) {
  const int u = std::toupper(static_cast<unsigned char>(c));
  if (u >= '0' && u <= '9') return u - '0';
  if (u >= 'A' && u <= 'F') return u - 'A' + 10;
  return -1;
}

// One 8 x 8 tile from the four distinct rows of a pattern (rows 5-8 repeat rows 1-4).
Fill_Pattern Make_Pattern(std::uint32_t a, std::uint32_t b, const char* const rows[4]) {
  Fill_Pattern tile{};
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) tile[y * 8 + x] = Rgb(rows[y % 4][x] == 'A' ? a : b);
  return tile;
}

}  // namespace

std::uint32_t Color_To_Pixel(Color c) {
  const auto u = static_cast<std::uint32_t>(c);
  // No colour at all: callers that draw with it get black; the drawing operations themselves
  // skip it (see Visible in d_draw.cpp).
  if (c == No_Color) return 0xFF000000u;
  if ((u & 0x80000000u) != 0) {
    const std::uint32_t index = u & 0xFF;
    return 0xFF000000u | (index < std::size(kDesktopRgb) ? kDesktopRgb[index] : 0);
  }
  // Fixed colours by their low three bytes (blue highest); None is drawn white, the colour
  // those bytes spell; Default is drawn black (the default text and pen colour).
  return 0xFF000000u | ((u & 0xFF) << 16) | (u & 0xFF00) | ((u >> 16) & 0xFF);
}

Color Parse_Color(std::string_view text, Color default_color) {
  if (text.empty()) return default_color;
  // "cl" + text equals "cl" + name exactly when text equals name, whatever the case.
  for (const Named_Color& named : kNamedColors) {
    if (Equal_No_Case(text, named.name)) return named.value;
  }
  if (text.size() != 6) return default_color;
  int digits[6];
  for (int i = 0; i < 6; ++i) {
    digits[i] = Hex_Digit(text[i]);
    if (digits[i] < 0) return default_color;
  }
  const int red = digits[0] * 16 + digits[1];
  const int green = digits[2] * 16 + digits[3];
  const int blue = digits[4] * 16 + digits[5];
  return red + 256 * green + 65536 * blue;
}

const std::array<Fill_Pattern, 6>& Default_Fill_Patterns() {
  static const char* const kChecker[4] = {"ABABABAB", "BABABABA", "ABABABAB", "BABABABA"};
  static const char* const kDiagonal[4] = {"ABBBABBB", "BBBABBBA", "BBABBBAB", "BABBBABB"};
  static const char* const kMixed[4] = {"ABBBABBB", "BABABABA", "BBABBBAB", "BABABABA"};
  static const std::array<Fill_Pattern, 6> patterns = {
      Make_Pattern(0x868686, 0x1A1A1A, kChecker),  Make_Pattern(0xCACACA, 0x444444, kDiagonal),
      Make_Pattern(0x868686, 0x1A1A1A, kMixed),    Make_Pattern(0x797979, 0xE5E5E5, kChecker),
      Make_Pattern(0x707070, 0xE0E0E0, kDiagonal), Make_Pattern(0x797979, 0xE5E5E5, kMixed),
  };
  return patterns;
}

void Set_Fill_Patterns(const std::array<Fill_Pattern, 6>& patterns) {
  Fill_Patterns = patterns;
}

}  // namespace pw
