#include "draw/d_font_match.h"

#include <algorithm>
#include <cctype>

namespace pw {

namespace {

// Typefaces that are fixed-pitch on other systems: when they are missing, a monospace face
// replaces them rather than the default sans.
bool Is_Monospace_Name(const std::string& name) {
  static const char* const kNames[] = {
      "lucida console",         "courier new", "courier", "consolas",
      "lucida sans typewriter", "fixedsys",    "terminal"};
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::find(std::begin(kNames), std::end(kNames), lower) != std::end(kNames);
}

FcBool Bool_Of(FcPattern* font, const char* object, FcBool otherwise) {
  FcBool value = otherwise;
  if (FcPatternGetBool(font, object, 0, &value) != FcResultMatch) return otherwise;
  return value;
}

// A sorted candidate that can draw `code` as single-colour outlines.
bool Draws(FcPattern* font, char32_t code) {
  if (Bool_Of(font, FC_COLOR, FcFalse) || !Bool_Of(font, FC_SCALABLE, FcTrue)) return false;
  FcCharSet* chars = nullptr;
  return FcPatternGetCharSet(font, FC_CHARSET, 0, &chars) == FcResultMatch &&
         FcCharSetHasChar(chars, code);
}

}  // namespace

FcPattern* Font_Pattern(const std::string& name, int height, bool bold) {
  FcPattern* pattern = FcPatternCreate();
  if (pattern == nullptr) return nullptr;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
  if (Is_Monospace_Name(name))
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>("monospace"));
  FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddDouble(pattern, FC_PIXEL_SIZE, height);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  // Colour fonts (emoji) hold bitmaps of one size only, which a face of another size cannot
  // load, and colours that single-colour text cannot show: named, they give way like a
  // missing font. Ordinary faces all match this equally, so their choice stays the same.
  FcPatternAddBool(pattern, FC_COLOR, FcFalse);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

FcFontSet* Fallback_Faces(const std::string& name, int height, bool bold) {
  if (!FcInit()) return nullptr;
  FcPattern* pattern = Font_Pattern(name, height, bold);
  if (pattern == nullptr) return nullptr;
  FcResult result = FcResultNoMatch;
  FcFontSet* sorted = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  FcPatternDestroy(pattern);
  return sorted;
}

bool Fallback_Face_File(const FcFontSet& sorted, char32_t code, std::string& file, int& index) {
  for (int i = 0; i < sorted.nfont; ++i) {
    FcPattern* font = sorted.fonts[i];
    FcChar8* path = nullptr;
    if (!Draws(font, code) || FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch ||
        path == nullptr) {
      continue;
    }
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    return true;
  }
  return false;
}

bool Fallback_Face_File(const std::string& name, int height, bool bold, char32_t code,
                        std::string& file, int& index) {
  FcFontSet* sorted = Fallback_Faces(name, height, bold);
  if (sorted == nullptr) return false;
  const bool found = Fallback_Face_File(*sorted, code, file, index);
  FcFontSetDestroy(sorted);
  return found;
}

bool May_Fall_Back(char32_t code) {
  return code >= 0x20 && !(code >= 0x7F && code <= 0x9F);
}

}  // namespace pw
