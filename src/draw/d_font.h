// Fonts for the drawing primitives: typefaces found through fontconfig, glyphs rendered by
// FreeType into anti-aliased coverage masks, both cached for the whole run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "draw/d_draw.h"

namespace pw {

// A text rendered unturned: `width` x `height` coverage values (0..255), row after row. The
// text's box is its advance width by the font's cell height, baseline at the font's ascent;
// ink reaching beyond the box (overhanging glyph parts) is cut off. A mask holds a window of
// that box: its column 0 is column `left` and its row 0 row `top` of the box. `glyphs`
// counts the glyphs whose ink was composed into the window.
struct Text_Mask {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  int advance = 0;
  int glyphs = 0;
  std::vector<std::uint8_t> alpha;
};

// The part of a text's box [left, right) x [top, bottom) to render (box coordinates); the
// default is the whole box.
struct Text_Window {
  long long left = 0;
  long long right = INT64_MAX;
  long long top = 0;
  long long bottom = INT64_MAX;
};

// The code points of UTF-8 text; every byte that does not start a valid, shortest-form
// sequence of a scalar value becomes one U+FFFD.
std::u32string Decode_Utf8(std::string_view text);

// Every function here may be called from any thread: the caches they share are locked.
//
// Advance width of `text` in pixels (at most INT32_MAX); 0 for empty text or when no font can
// be found. Only glyph outlines are loaded: measuring rasterizes nothing. Characters the face
// lacks count with the advance of their fallback face (see Placed_Glyph).
int Font_Text_Width(const Font_Spec& font, std::string_view text);
// Full cell height (ascent + descent) in pixels; with no font at all, the requested height.
int Font_Cell_Height(const Font_Spec& font);
// Renders the `window` of `text`'s box into `mask`; false (and an empty mask) when there is
// nothing to draw. Memory and work follow the window, not the text: glyphs whose ink misses
// the window are only measured, so a very long or very tall text on a small picture costs
// what its visible part costs. A window outside the box gives a true result with an empty
// mask (0 columns or rows) that still carries the advance.
bool Font_Render(const Font_Spec& font, std::string_view text, Text_Mask& mask,
                 const Text_Window& window = {});
// How many glyph images have been rasterized in this run (each once per font and size):
// lets tests see that measuring and clipped drawing leave the invisible glyphs alone.
long long Font_Rasterized_Glyphs();
// The font file a spec resolves to ("" when none), for diagnostics and tests.
std::string Font_File(const Font_Spec& font);

// The face a spec resolves to, as the vector pages name and embed it.
struct Font_Face_Info {
  std::string File;  // font file and face index within it
  int Index = 0;
  std::string Family;  // the face's family name ("DejaVu Sans")
  bool Bold = false;   // a bold face, or a regular one made bold (Embolden)
  bool Embolden = false;
  int Weight = 400;  // the face's own weight, 100 (thin) to 900 (black) in steps of 100
  int Width = 100;   // the face's width in percent of normal (condensed 75, expanded 125)
  int Size = 0;    // em size in pixels
  int Ascent = 0;  // baseline below the top of the text box, in pixels
  int Descent = 0;
};
// False (and `info` untouched) when no font can be found.
bool Font_Describe(const Font_Spec& font, Font_Face_Info& info);

// One glyph of a text as Font_Render places it: its code point, the glyph's index in the face
// and its pen position in pixels from the start of the text. A character the text's face
// lacks is drawn from the face fontconfig gives for it (same family request, weight and
// size), on the text's baseline: `Fallback` names that face, and `Index` is its glyph; null
// for the text's own face. A character no installed face has is the face's missing glyph.
struct Placed_Glyph {
  char32_t Code = 0;
  unsigned Index = 0;
  long long X = 0;
  std::shared_ptr<const Font_Face_Info> Fallback;
};
// The glyphs of `text` whose pen position lies in [from, to) (all of them by default), in
// order; empty when no font can be found.
std::vector<Placed_Glyph> Font_Layout(const Font_Spec& font, std::string_view text,
                                      long long from = INT64_MIN, long long to = INT64_MAX);

// Test hook: while on, no font exists (as on a machine without fonts). Clears the caches.
void Font_Force_No_Font(bool on);

}  // namespace pw
