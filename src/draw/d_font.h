// Fonts for the drawing primitives: typefaces found through fontconfig, glyphs rendered by
// FreeType into anti-aliased coverage masks, both cached for the whole run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "draw/d_draw.h"

namespace pw {

// A text rendered unturned: `width` x `height` coverage values (0..255), row after row; the
// box is the text's advance width by the font's cell height, baseline at the font's ascent.
// Ink reaching beyond the box (overhanging glyph parts) is cut off. A mask may hold only a
// window of the text: its column 0 is column `left` of the whole text, `advance` wide.
struct Text_Mask {
  int width = 0;
  int height = 0;
  int left = 0;
  int advance = 0;
  std::vector<std::uint8_t> alpha;
};

// The code points of UTF-8 text; every byte that does not start a valid, shortest-form
// sequence of a scalar value becomes one U+FFFD.
std::u32string Decode_Utf8(std::string_view text);

// Advance width of `text` in pixels; 0 for empty text or when no font can be found.
int Font_Text_Width(const Font_Spec& font, std::string_view text);
// Full cell height (ascent + descent) in pixels; with no font at all, the requested height.
int Font_Cell_Height(const Font_Spec& font);
// Renders `text` into `mask`; false (and an empty mask) when there is nothing to draw. Only
// the columns [from, to) of the text's advance box are kept (the whole box by default), so
// that a very long text on a small picture costs memory for the visible part alone; a window
// outside the box gives a true result with a mask 0 columns wide.
bool Font_Render(const Font_Spec& font, std::string_view text, Text_Mask& mask,
                 long long from = 0, long long to = INT64_MAX);
// The font file a spec resolves to ("" when none), for diagnostics and tests.
std::string Font_File(const Font_Spec& font);

// Test hook: while on, no font exists (as on a machine without fonts). Clears the caches.
void Font_Force_No_Font(bool on);

}  // namespace pw
