#include "draw/d_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <fontconfig/fontconfig.h>
// After fontconfig.h, which it builds on.
#include <fontconfig/fcfreetype.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "draw/d_font_match.h"

namespace pw {

namespace {

// Heights beyond this are drawn at this size: enough for any page, small enough that one
// glyph cannot eat the memory.
constexpr int kMaxHeight = 1000;

struct Glyph_Image {
  int left = 0;  // from the pen to the first column
  int top = 0;   // from the baseline up to the first row
  int width = 0;
  int rows = 0;
  int advance = 0;  // whole pixels
  std::vector<std::uint8_t> alpha;
};

struct Face_Instance;

// What measuring and clipping need, without rasterizing: the advance and a box that holds
// all of the glyph's ink (relative to the pen and the baseline, y up), with a margin.
struct Glyph_Metrics {
  Face_Instance* face = nullptr;  // the fallback face that draws it; nullptr: the face's own
  int advance = 0;
  bool ink = false;  // false: the glyph draws nothing wherever it is
  int ink_left = 0, ink_right = 0, ink_bottom = 0, ink_top = 0;
};

// Number of glyph images rasterized so far (test hook).
long long rasterized_glyphs = 0;

// One typeface at one pixel size.
struct Face_Instance {
  FT_Face face = nullptr;
  std::string name;  // what it was asked for as: a fallback face is asked for the same way
  int height = 0;
  bool bold = false;
  // As the vector pages name a fallback face (made on first use).
  std::shared_ptr<const Font_Face_Info> info;
  bool embolden = false;  // bold asked for, but only a regular face was found
  bool symbol = false;    // a symbol font: characters 0x20..0xFF stand for U+F020..U+F0FF
  int weight = FC_WEIGHT_REGULAR;  // the face's own weight and width, on fontconfig's scales
  int width = FC_WIDTH_NORMAL;
  FT_Pos embolden_strength = 0;
  int ascent = 0;
  int descent = 0;
  std::unordered_map<char32_t, Glyph_Image> glyphs;
  std::unordered_map<char32_t, Glyph_Metrics> metrics;

  ~Face_Instance() {
    if (face != nullptr) FT_Done_Face(face);
  }
  // The glyph a character draws with; 0 is the font's missing-glyph box.
  FT_UInt Index(char32_t code) const;
  // Loads the glyph's outline into the face's slot, emboldened when needed; false when the
  // font cannot load it. `advance` is the glyph's advance in whole pixels.
  bool Load(char32_t code, int& advance);
  const Glyph_Image& Glyph(char32_t code);
  // A character the face lacks is measured (and drawn) in the fallback face that has it.
  const Glyph_Metrics& Metrics(char32_t code);
  // The face that draws `code`: this one or its fallback.
  Face_Instance& Drawer(char32_t code) {
    Face_Instance* other = Metrics(code).face;
    return other != nullptr ? *other : *this;
  }
};

class Font_Cache {
 public:
  ~Font_Cache() {
    instances_.clear();  // faces go before their library
    fallbacks_.clear();
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }

  // Every entry point holds this while it uses the cache: glyphs, metrics and fallback faces
  // are made on first use, whichever thread draws the text.
  std::mutex Lock;

  // The instance for a spec, or nullptr when no font can be had.
  Face_Instance* Find(const Font_Spec& spec) {
    const int height = std::clamp(spec.Height, 1, kMaxHeight);
    if (last_ != nullptr && last_name_ == spec.Name && last_height_ == height &&
        last_bold_ == spec.Bold)
      return last_instance_;
    auto key = std::make_tuple(spec.Name, height, spec.Bold);
    auto it = instances_.find(key);
    if (it == instances_.end())
      it = instances_.emplace(key, Open(spec.Name, height, spec.Bold)).first;
    last_ = &it->second;
    last_name_ = spec.Name;
    last_height_ = height;
    last_bold_ = spec.Bold;
    last_instance_ = it->second.get();
    return last_instance_;
  }

  // The face that draws `code` for an instance that lacks it, or nullptr when no installed
  // face has it. Fontconfig sorts the faces once per family and weight, and the first that
  // has the character is taken (once per character); the face is opened once per size.
  Face_Instance* Fallback(const Face_Instance& primary, char32_t code);

  bool Bold_Face_Of(const Face_Instance* instance) const {
    auto it = bold_faces_.find(instance);
    return it != bold_faces_.end() && it->second;
  }

  std::string File_Of(const Face_Instance* instance) const {
    auto it = files_.find(instance);
    return it == files_.end() ? std::string() : it->second;
  }

  void Set_No_Font(bool on) {
    no_font_ = on;
    last_ = nullptr;
    instances_.clear();
    fallbacks_.clear();
    fallback_files_.clear();
    sorted_.clear();
    files_.clear();
    indexes_.clear();
    bold_faces_.clear();
  }

  int Index_Of(const Face_Instance* instance) const {
    auto it = indexes_.find(instance);
    return it == indexes_.end() ? 0 : it->second;
  }

 private:
  std::unique_ptr<Face_Instance> Open(const std::string& name, int height, bool bold);
  std::unique_ptr<Face_Instance> Open_File(const std::string& file, int index, int height,
                                           bool bold);
  bool Match(const std::string& name, int height, bool bold, std::string& file, int& index);

  FT_Library library_ = nullptr;
  bool library_failed_ = false;
  bool no_font_ = false;
  std::map<std::tuple<std::string, int, bool>, std::unique_ptr<Face_Instance>> instances_;
  struct Set_Release {
    void operator()(FcFontSet* set) const { FcFontSetDestroy(set); }
  };
  // The faces fontconfig falls back through, by family and boldness (null: none to be had).
  std::map<std::pair<std::string, bool>, std::unique_ptr<FcFontSet, Set_Release>> sorted_;
  // Fallback faces by file, face index, size and boldness asked for.
  std::map<std::tuple<std::string, int, int, bool>, std::unique_ptr<Face_Instance>> fallbacks_;
  // The fallback face's file and index by family, boldness and character (none: no face).
  std::map<std::tuple<std::string, bool, char32_t>, std::optional<std::pair<std::string, int>>>
      fallback_files_;
  std::map<const Face_Instance*, std::string> files_;
  std::map<const Face_Instance*, int> indexes_;
  std::map<const Face_Instance*, bool> bold_faces_;
  // The spec of the latest lookup: labels come in long runs with one font.
  const std::unique_ptr<Face_Instance>* last_ = nullptr;
  std::string last_name_;
  int last_height_ = 0;
  bool last_bold_ = false;
  Face_Instance* last_instance_ = nullptr;
};

// The weight and width of the face itself. Those of the match will not do: for a family
// without a bold face, fontconfig's usual configuration marks the regular face it found as
// bold (leaving the emboldening to whoever draws it).
void Face_Weight_And_Width(FT_Face face, const std::string& file, int index, int& weight,
                           int& width) {
  FcPattern* own = FcFreeTypeQueryFace(face, reinterpret_cast<const FcChar8*>(file.c_str()),
                                       static_cast<unsigned>(index), nullptr);
  if (own == nullptr) return;
  if (FcPatternGetInteger(own, FC_WEIGHT, 0, &weight) != FcResultMatch) weight = FC_WEIGHT_REGULAR;
  if (FcPatternGetInteger(own, FC_WIDTH, 0, &width) != FcResultMatch) width = FC_WIDTH_NORMAL;
  FcPatternDestroy(own);
}

Font_Cache& Cache() {
  static Font_Cache cache;
  return cache;
}

bool Font_Cache::Match(const std::string& name, int height, bool bold, std::string& file,
                       int& index) {
  if (!FcInit()) return false;
  FcPattern* pattern = Font_Pattern(name, height, bold);
  if (pattern == nullptr) return false;
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (match == nullptr) return false;
  FcChar8* path = nullptr;
  bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr;
  if (found) {
    file = reinterpret_cast<const char*>(path);
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
  }
  FcPatternDestroy(match);
  return found;
}

std::unique_ptr<Face_Instance> Font_Cache::Open(const std::string& name, int height, bool bold) {
  if (no_font_ || library_failed_) return nullptr;
  if (library_ == nullptr && FT_Init_FreeType(&library_) != 0) {
    library_ = nullptr;
    library_failed_ = true;
    return nullptr;
  }
  std::string file;
  int index = 0;
  if (!Match(name, height, bold, file, index)) return nullptr;
  auto instance = Open_File(file, index, height, bold);
  if (instance != nullptr) instance->name = name;
  return instance;
}

std::unique_ptr<Face_Instance> Font_Cache::Open_File(const std::string& file, int index,
                                                     int height, bool bold) {
  auto instance = std::make_unique<Face_Instance>();
  if (FT_New_Face(library_, file.c_str(), index, &instance->face) != 0) {
    instance->face = nullptr;
    return nullptr;
  }
  instance->height = height;
  instance->bold = bold;
  // A symbol font has no Unicode table, only one of U+F020..U+F0FF, which its makers address
  // with the plain characters 0x20..0xFF.
  if (instance->face->charmap == nullptr &&
      FT_Select_Charmap(instance->face, FT_ENCODING_MS_SYMBOL) == 0)
    instance->symbol = true;
  // Before the size is set: the query reads the face through its own loads.
  int weight = FC_WEIGHT_REGULAR, width = FC_WIDTH_NORMAL;
  Face_Weight_And_Width(instance->face, file, index, weight, width);
  // The height asked for is the em size: the characters without internal leading.
  if (FT_Set_Pixel_Sizes(instance->face, 0, height) != 0) return nullptr;
  const FT_Size_Metrics& metrics = instance->face->size->metrics;
  instance->ascent = static_cast<int>((metrics.ascender + 32) >> 6);
  instance->descent = static_cast<int>((-metrics.descender + 32) >> 6);
  instance->embolden = bold && weight < FC_WEIGHT_DEMIBOLD;
  instance->weight = weight;
  instance->width = width;
  // The stroke FreeType's own synthetic bold uses: 1/24 of the em.
  instance->embolden_strength = FT_MulFix(instance->face->units_per_EM, metrics.y_scale) / 24;
  files_[instance.get()] = file;
  indexes_[instance.get()] = index;
  bold_faces_[instance.get()] = weight >= FC_WEIGHT_DEMIBOLD;
  return instance;
}

Face_Instance* Font_Cache::Fallback(const Face_Instance& primary, char32_t code) {
  if (!May_Fall_Back(code)) return nullptr;
  auto where = std::make_tuple(primary.name, primary.bold, code);
  auto found = fallback_files_.find(where);
  if (found == fallback_files_.end()) {
    auto sorted = sorted_.find({primary.name, primary.bold});
    if (sorted == sorted_.end()) {
      sorted = sorted_.emplace(std::make_pair(primary.name, primary.bold), nullptr).first;
      sorted->second.reset(Fallback_Faces(primary.name, primary.height, primary.bold));
    }
    std::optional<std::pair<std::string, int>> face;
    std::string file;
    int index = 0;
    if (sorted->second != nullptr && Fallback_Face_File(*sorted->second, code, file, index))
      face.emplace(std::move(file), index);
    found = fallback_files_.emplace(std::move(where), std::move(face)).first;
  }
  if (!found->second) return nullptr;
  const auto& [file, index] = *found->second;
  // The primary face itself, by another name: it has no glyph either.
  if (file == File_Of(&primary) && index == Index_Of(&primary)) return nullptr;
  auto key = std::make_tuple(file, index, primary.height, primary.bold);
  auto it = fallbacks_.find(key);
  if (it == fallbacks_.end())
    it = fallbacks_.emplace(key, Open_File(file, index, primary.height, primary.bold)).first;
  Face_Instance* fallback = it->second.get();
  if (fallback == nullptr || fallback->Index(code) == 0) return nullptr;
  return fallback;
}

FT_UInt Face_Instance::Index(char32_t code) const {
  const FT_UInt index = FT_Get_Char_Index(face, code);
  if (index != 0 || !symbol || code > 0xFF) return index;
  return FT_Get_Char_Index(face, 0xF000 + code);
}

bool Face_Instance::Load(char32_t code, int& advance) {
  advance = 0;
  const FT_UInt index = Index(code);
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  FT_Pos advance_26_6 = slot->advance.x;
  if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    FT_Outline_Embolden(&slot->outline, embolden_strength);
    advance_26_6 += embolden_strength;
  }
  advance = static_cast<int>((advance_26_6 + 32) >> 6);
  return true;
}

const Glyph_Metrics& Face_Instance::Metrics(char32_t code) {
  auto it = metrics.find(code);
  if (it != metrics.end()) return it->second;
  Glyph_Metrics& m = metrics[code];
  if (Index(code) == 0) {
    if (Face_Instance* other = Cache().Fallback(*this, code)) {
      m = other->Metrics(code);
      m.face = other;
      return m;
    }
  }
  if (!Load(code, m.advance)) return m;
  const FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    // The rasterizer's bitmap covers the outline's control box rounded outwards; two pixels
    // spare absorb its adjustments for very thin shapes.
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    if (slot->outline.n_points == 0) return m;
    m.ink = true;
    m.ink_left = static_cast<int>(box.xMin >> 6) - 2;
    m.ink_right = static_cast<int>((box.xMax + 63) >> 6) + 2;
    m.ink_bottom = static_cast<int>(box.yMin >> 6) - 2;
    m.ink_top = static_cast<int>((box.yMax + 63) >> 6) + 2;
  } else {
    // A bitmap glyph: its image is already there.
    m.ink = slot->bitmap.width > 0 && slot->bitmap.rows > 0;
    m.ink_left = slot->bitmap_left;
    m.ink_right = slot->bitmap_left + static_cast<int>(slot->bitmap.width);
    m.ink_top = slot->bitmap_top;
    m.ink_bottom = slot->bitmap_top - static_cast<int>(slot->bitmap.rows);
  }
  return m;
}

const Glyph_Image& Face_Instance::Glyph(char32_t code) {
  auto it = glyphs.find(code);
  if (it != glyphs.end()) return it->second;
  Glyph_Image& glyph = glyphs[code];
  ++rasterized_glyphs;
  if (!Load(code, glyph.advance)) return glyph;
  FT_GlyphSlot slot = face->glyph;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return glyph;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)
    return glyph;
  glyph.left = slot->bitmap_left;
  glyph.top = slot->bitmap_top;
  glyph.width = static_cast<int>(bitmap.width);
  glyph.rows = static_cast<int>(bitmap.rows);
  glyph.alpha.resize(static_cast<std::size_t>(glyph.width) * glyph.rows);
  for (int y = 0; y < glyph.rows; ++y) {
    const unsigned char* src = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
    std::uint8_t* dst = glyph.alpha.data() + static_cast<std::size_t>(y) * glyph.width;
    for (int x = 0; x < glyph.width; ++x) {
      dst[x] = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY
                   ? src[x]
                   : (((src[x >> 3] >> (7 - (x & 7))) & 1) ? 255 : 0);
    }
  }
  return glyph;
}

// Length of the UTF-8 sequence a lead byte starts, and the smallest value it may carry.
int Sequence_Length(unsigned char lead, char32_t& value, char32_t& minimum) {
  if (lead < 0x80) {
    value = lead;
    minimum = 0;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    value = lead & 0x1F;
    minimum = 0x80;
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF) {
    value = lead & 0x0F;
    minimum = 0x800;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    value = lead & 0x07;
    minimum = 0x10000;
    return 4;
  }
  return 0;
}

}  // namespace

std::u32string Decode_Utf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    char32_t value = 0, minimum = 0;
    const int length = Sequence_Length(static_cast<unsigned char>(text[i]), value, minimum);
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      if ((byte & 0xC0) != 0x80) valid = false;
      value = (value << 6) | (byte & 0x3F);
    }
    if (valid && (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)))
      valid = false;
    if (valid) {
      out += value;
      i += length;
    } else {
      out += U'\uFFFD';
      ++i;
    }
  }
  return out;
}

int Font_Text_Width(const Font_Spec& font, std::string_view text) {
  if (text.empty()) return 0;
  std::lock_guard lock(Cache().Lock);
  Face_Instance* instance = Cache().Find(font);
  if (instance == nullptr) return 0;
  long long width = 0;
  for (char32_t code : Decode_Utf8(text)) width += instance->Metrics(code).advance;
  return static_cast<int>(std::min<long long>(width, INT32_MAX));
}

int Font_Cell_Height(const Font_Spec& font) {
  std::lock_guard lock(Cache().Lock);
  Face_Instance* instance = Cache().Find(font);
  if (instance == nullptr) return std::clamp(font.Height, 0, kMaxHeight);
  return instance->ascent + instance->descent;
}

bool Font_Render(const Font_Spec& font, std::string_view text, Text_Mask& mask,
                 const Text_Window& window) {
  mask = Text_Mask{};
  if (text.empty()) return false;
  std::lock_guard lock(Cache().Lock);
  Face_Instance* instance = Cache().Find(font);
  if (instance == nullptr) return false;
  const std::u32string codes = Decode_Utf8(text);
  long long advance = 0;
  for (char32_t code : codes) advance += instance->Metrics(code).advance;
  advance = std::min<long long>(advance, INT32_MAX);
  const int height = instance->ascent + instance->descent;
  if (advance <= 0 || height <= 0) return false;
  const int left = static_cast<int>(std::clamp<long long>(window.left, 0, advance));
  const int right = static_cast<int>(std::clamp<long long>(window.right, left, advance));
  const int top = static_cast<int>(std::clamp<long long>(window.top, 0, height));
  const int bottom = static_cast<int>(std::clamp<long long>(window.bottom, top, height));
  const int width = right - left, rows = bottom - top;
  mask.width = width;
  mask.height = rows;
  mask.left = left;
  mask.top = top;
  mask.advance = static_cast<int>(advance);
  if (width == 0 || rows == 0) return true;
  mask.alpha.assign(static_cast<std::size_t>(width) * rows, 0);
  // Glyph by glyph, each clipped to the window; a glyph whose ink box misses the window is
  // never rasterized. Overlapping glyphs keep the larger coverage, as one mask of the whole
  // text would. A fallback face's glyph sits on the text's own baseline.
  long long pen = 0;
  for (char32_t code : codes) {
    const Glyph_Metrics& m = instance->Metrics(code);
    const long long box_left = pen + m.ink_left, box_right = pen + m.ink_right;
    const int box_top = instance->ascent - m.ink_top, box_bottom = instance->ascent - m.ink_bottom;
    const long long at = pen;
    pen += m.advance;
    if (!m.ink || box_right <= left || box_left >= right || box_bottom <= top ||
        box_top >= bottom) {
      continue;
    }
    const Glyph_Image& glyph = instance->Drawer(code).Glyph(code);
    ++mask.glyphs;
    // Glyph column x lands on window column x0 + x, glyph row y on window row y0 + y.
    const long long x0 = at + glyph.left - left;
    const int y0 = instance->ascent - glyph.top - top;
    for (int y = std::max(0, -y0); y < glyph.rows && y0 + y < rows; ++y) {
      const std::uint8_t* src = glyph.alpha.data() + static_cast<std::size_t>(y) * glyph.width;
      std::uint8_t* dst = mask.alpha.data() + static_cast<std::size_t>(y0 + y) * width;
      const long long first = std::max<long long>(0, -x0);
      const long long last = std::min<long long>(glyph.width, width - x0);
      for (long long x = first; x < last; ++x) dst[x0 + x] = std::max(dst[x0 + x], src[x]);
    }
  }
  return true;
}

namespace {

void Describe(const Font_Cache& cache, const Face_Instance& instance, Font_Face_Info& info) {
  info.File = cache.File_Of(&instance);
  info.Index = cache.Index_Of(&instance);
  info.Family = instance.face->family_name != nullptr ? instance.face->family_name : "";
  info.Embolden = instance.embolden;
  info.Bold = instance.embolden || cache.Bold_Face_Of(&instance);
  // fontconfig's scale taken to the usual one (its regular 80 is 400, its bold 200 is 700).
  const double weight = FcWeightToOpenTypeDouble(instance.weight);
  info.Weight = std::clamp(static_cast<int>(std::lround(weight / 100.0)) * 100, 100, 900);
  info.Width = instance.width;
  info.Size = instance.height;
  info.Ascent = instance.ascent;
  info.Descent = instance.descent;
}

// How the vector pages name a fallback face, made once per face and size.
std::shared_ptr<const Font_Face_Info> Fallback_Info(const Font_Cache& cache,
                                                    Face_Instance& fallback) {
  if (fallback.info == nullptr) {
    auto info = std::make_shared<Font_Face_Info>();
    Describe(cache, fallback, *info);
    fallback.info = std::move(info);
  }
  return fallback.info;
}

}  // namespace

bool Font_Describe(const Font_Spec& font, Font_Face_Info& info) {
  Font_Cache& cache = Cache();
  std::lock_guard lock(cache.Lock);
  Face_Instance* instance = cache.Find(font);
  if (instance == nullptr) return false;
  Describe(cache, *instance, info);
  return true;
}

std::vector<Placed_Glyph> Font_Layout(const Font_Spec& font, std::string_view text, long long from,
                                      long long to) {
  std::vector<Placed_Glyph> glyphs;
  if (text.empty()) return glyphs;
  Font_Cache& cache = Cache();
  std::lock_guard lock(cache.Lock);
  Face_Instance* instance = cache.Find(font);
  if (instance == nullptr) return glyphs;
  long long pen = 0;
  for (char32_t code : Decode_Utf8(text)) {
    if (pen >= to) break;
    if (pen >= from) {
      Face_Instance& drawer = instance->Drawer(code);
      Placed_Glyph glyph{code, drawer.Index(code), pen, nullptr};
      if (&drawer != instance) glyph.Fallback = Fallback_Info(cache, drawer);
      glyphs.push_back(std::move(glyph));
    }
    pen += instance->Metrics(code).advance;
  }
  return glyphs;
}

long long Font_Rasterized_Glyphs() {
  std::lock_guard lock(Cache().Lock);
  return rasterized_glyphs;
}

std::string Font_File(const Font_Spec& font) {
  Font_Cache& cache = Cache();
  std::lock_guard lock(cache.Lock);
  return cache.File_Of(cache.Find(font));
}

void Font_Force_No_Font(bool on) {
  std::lock_guard lock(Cache().Lock);
  Cache().Set_No_Font(on);
}

}  // namespace pw

// gcc and clang announce AddressSanitizer differently.
#if defined(__SANITIZE_ADDRESS__)
#define PW_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PW_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(PW_ADDRESS_SANITIZER)
// Fontconfig loses a few bytes for good while it parses its configuration files, the same on
// every run; that is its own affair, so the leak checker is told to look past it. (Our own
// patterns and faces are all released.)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
#endif
