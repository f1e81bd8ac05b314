// Fontconfig's side of the fonts: the pattern a font spec asks for, and the face that draws a
// character the chosen face lacks.
#pragma once

#include <fontconfig/fontconfig.h>

#include <string>

namespace pw {

// The pattern for a family at a weight and pixel size, upright, scalable and never a colour
// face, with fontconfig's configuration and defaults applied; nullptr when out of memory.
// The caller destroys it.
FcPattern* Font_Pattern(const std::string& name, int height, bool bold);

// The faces fontconfig sorts for the request, best first, as it falls back from one to the
// next; nullptr when out of memory. The caller destroys the set.
FcFontSet* Fallback_Faces(const std::string& name, int height, bool bold);

// The file and face index of the first face of `sorted` that has `code` and is neither a
// colour nor a bitmap-only face. False when none has it.
bool Fallback_Face_File(const FcFontSet& sorted, char32_t code, std::string& file, int& index);

// Both at once, for a single character.
bool Fallback_Face_File(const std::string& name, int height, bool bold, char32_t code,
                        std::string& file, int& index);

// Whether a missing glyph may be looked for elsewhere: control characters draw the face's own
// missing-glyph box, as they always have.
bool May_Fall_Back(char32_t code);

}  // namespace pw
