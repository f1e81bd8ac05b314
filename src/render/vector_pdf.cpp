#include "render/vector_pdf.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <map>
#include <memory>
#include <new>
#include <numbers>
#include <tuple>

#include "base/D_Error.h"
#include "base/safe_file.h"
#include "base/utf8_chars.h"

namespace pw::render {

namespace {

// A pixel is 3/4 of a point (96 pixels per inch).
constexpr double Points_Per_Pixel = 0.75;

struct Surface_Release {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct Context_Release {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct Pattern_Release {
  void operator()(cairo_pattern_t* p) const { cairo_pattern_destroy(p); }
};
struct Face_Release {
  void operator()(cairo_font_face_t* f) const { cairo_font_face_destroy(f); }
};
struct Options_Release {
  void operator()(cairo_font_options_t* o) const { cairo_font_options_destroy(o); }
};
using Surface = std::unique_ptr<cairo_surface_t, Surface_Release>;
using Context = std::unique_ptr<cairo_t, Context_Release>;
using Pattern = std::unique_ptr<cairo_pattern_t, Pattern_Release>;
using Font_Face = std::unique_ptr<cairo_font_face_t, Face_Release>;
using Font_Options = std::unique_ptr<cairo_font_options_t, Options_Release>;

cairo_status_t Append(void* closure, const unsigned char* data, unsigned int length) {
  try {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {
    return CAIRO_STATUS_NO_MEMORY;
  }
  return CAIRO_STATUS_SUCCESS;
}

void Set_Pixel_Color(cairo_t* cr, std::uint32_t pixel) {
  cairo_set_source_rgb(cr, ((pixel >> 16) & 0xFF) / 255.0, ((pixel >> 8) & 0xFF) / 255.0,
                       (pixel & 0xFF) / 255.0);
}

// An image surface of our pixels (0xAARRGGBB is cairo's own layout); transparent pixels, top
// byte 0, become clear ones, all others opaque.
Surface Image_Of(const std::uint32_t* pixels, int width, int height, int stride_pixels,
                 bool transparent) {
  Surface image(cairo_image_surface_create(transparent ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                           width, height));
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return image;
  cairo_surface_flush(image.get());
  unsigned char* data = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* src = pixels + static_cast<std::size_t>(y) * stride_pixels;
    auto* dst = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < width; ++x) dst[x] = (src[x] >> 24) != 0 ? src[x] | 0xFF000000u : 0;
  }
  cairo_surface_mark_dirty(image.get());
  return image;
}

// The character a glyph stands for in the PDF's text. cairo refuses the whole text when it
// holds a noncharacter (U+FDD0 to U+FDEF, and the last two code points of every plane), valid
// UTF-8 though they are, and reads a NUL byte as the text's end, which shifts the glyphs after
// it onto the wrong places: those stand as U+FFFD there. The glyph drawn stays the code's own.
char32_t Text_Code(char32_t code) {
  const bool noncharacter = (code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE;
  return noncharacter || code == 0 ? 0xFFFD : code;
}

class Pdf_Painter {
 public:
  Pdf_Painter() : options_(cairo_font_options_create()) {
    // Glyph outlines as they are: the positions come from the raster's layout.
    cairo_font_options_set_hint_style(options_.get(), CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options_.get(), CAIRO_HINT_METRICS_OFF);
  }

  void Paint(cairo_t* cr, const Vector_Page& page) {
    cr_ = cr;
    width_ = page.Width;
    height_ = page.Height;
    for (const Vector_Item& item : page.Items) {
      std::visit([this](const auto& i) { Put(i); }, item);
    }
  }

 private:
  void Put(const Fill_Item& item) {
    if (item.Rects.empty()) return;
    Set_Pixel_Color(cr_, item.Pixel);
    for (const Vector_Rect& r : item.Rects) cairo_rectangle(cr_, r.Left, r.Top, r.Width, r.Height);
    cairo_fill(cr_);
  }

  void Put(const Pattern_Item& item) {
    auto it = patterns_.find(item.Tile);
    if (it == patterns_.end()) it = patterns_.emplace(item.Tile, Tile_Pattern(item.Tile)).first;
    // Tile pixel (x mod 8, y mod 8), counted from the page's origin like the raster.
    cairo_set_source(cr_, it->second.get());
    cairo_rectangle(cr_, item.Rect.Left, item.Rect.Top, item.Rect.Width, item.Rect.Height);
    cairo_fill(cr_);
  }

  void Put(const Stroke_Item& item) {
    const std::vector<Stroke_Piece> pieces = Stroke_Pieces(item, width_, height_);
    if (pieces.empty()) return;
    Set_Pixel_Color(cr_, item.Pixel);
    cairo_set_line_width(cr_, 1.0);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr_, CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr_, 4.0);  // as SVG's default
    for (const Stroke_Piece& piece : pieces) {
      const std::size_t n = piece.Points.size() - (piece.Closed ? 1 : 0);
      for (std::size_t i = 0; i < n; ++i) {
        if (i == 0) {
          cairo_move_to(cr_, piece.Points[i].X, piece.Points[i].Y);
        } else {
          cairo_line_to(cr_, piece.Points[i].X, piece.Points[i].Y);
        }
      }
      if (piece.Closed) cairo_close_path(cr_);
    }
    cairo_stroke(cr_);
  }

  // A text is shown in runs of glyphs of one face: its own, or the fallback face of the
  // characters it lacks. Every glyph keeps the raster's pen position and baseline.
  void Put(const Text_Item& item) {
    const Text_Frame frame = Frame_Of(item);
    std::size_t begin = 0;
    while (begin < item.Glyphs.size()) {
      const Font_Face_Info* run_face = item.Glyphs[begin].Fallback.get();
      std::size_t end = begin + 1;
      while (end < item.Glyphs.size() && item.Glyphs[end].Fallback.get() == run_face) ++end;
      Put_Run(item, frame, run_face != nullptr ? *run_face : *item.Face, begin, end);
      begin = end;
    }
  }

  void Put_Run(const Text_Item& item, const Text_Frame& frame, const Font_Face_Info& run_face,
               std::size_t begin, std::size_t end) {
    const Font_Face_Info& face = *item.Face;
    cairo_font_face_t* font = Font_Of(run_face);
    if (font == nullptr) return;
    std::string utf8;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    glyphs.reserve(end - begin);
    clusters.reserve(end - begin);
    for (std::size_t i = begin; i < end; ++i) {
      const Placed_Glyph& g = item.Glyphs[i];
      const std::string bytes = Utf8_Of(Text_Code(g.Code));
      utf8 += bytes;
      glyphs.push_back({g.Index, static_cast<double>(g.X), static_cast<double>(face.Ascent)});
      clusters.push_back({static_cast<int>(bytes.size()), 1});
    }
    cairo_save(cr_);
    cairo_translate(cr_, frame.Origin_X, frame.Origin_Y);
    if (frame.Degrees != 0) cairo_rotate(cr_, -frame.Degrees * std::numbers::pi / 180.0);
    cairo_set_font_face(cr_, font);
    cairo_set_font_size(cr_, face.Size);
    cairo_set_font_options(cr_, options_.get());
    Set_Pixel_Color(cr_, item.Pixel);
    cairo_show_text_glyphs(cr_, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                           static_cast<int>(glyphs.size()), clusters.data(),
                           static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
    cairo_restore(cr_);
  }

  void Put(const Picture_Item& item) {
    const TC_Bitmap& pixels = item.Pixels;
    bool transparent = false;
    for (int y = 0; y < pixels.Height() && !transparent; ++y) {
      for (int x = 0; x < pixels.Width(); ++x) {
        if ((pixels.Row(y)[x] >> 24) == 0) {
          transparent = true;
          break;
        }
      }
    }
    Surface image =
        Image_Of(pixels.Bits(), pixels.Width(), pixels.Height(), pixels.Width(), transparent);
    cairo_save(cr_);
    cairo_set_source_surface(cr_, image.get(), item.Left, item.Top);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr_, item.Left, item.Top, pixels.Width(), pixels.Height());
    cairo_fill(cr_);
    cairo_restore(cr_);
  }

  // The tile as vectors, one square per pixel, repeated: viewers draw an image tile smoothed.
  static Pattern Tile_Pattern(const std::array<std::uint32_t, 64>& tile) {
    cairo_rectangle_t extent{0, 0, 8, 8};
    Surface recording(cairo_recording_surface_create(CAIRO_CONTENT_COLOR, &extent));
    {
      Context cr(cairo_create(recording.get()));
      for (int i = 0; i < 64; ++i) {
        Set_Pixel_Color(cr.get(), tile[i]);
        cairo_rectangle(cr.get(), i % 8, i / 8, 1, 1);
        cairo_fill(cr.get());
      }
    }
    Pattern pattern(cairo_pattern_create_for_surface(recording.get()));
    cairo_pattern_set_extend(pattern.get(), CAIRO_EXTEND_REPEAT);
    return pattern;
  }

  // The face of a font file, with cairo's synthetic bold where the raster emboldens.
  cairo_font_face_t* Font_Of(const Font_Face_Info& face) {
    auto key = std::make_tuple(face.File, face.Index, face.Embolden);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second.get();
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return nullptr;
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(face.File.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, face.Index);
    if (face.Embolden) FcPatternAddBool(pattern, FC_EMBOLDEN, FcTrue);
    Font_Face font(cairo_ft_font_face_create_for_pattern(pattern));
    FcPatternDestroy(pattern);
    if (cairo_font_face_status(font.get()) != CAIRO_STATUS_SUCCESS) font.reset();
    return fonts_.emplace(std::move(key), std::move(font)).first->second.get();
  }

  cairo_t* cr_ = nullptr;
  Font_Options options_;
  int width_ = 0, height_ = 0;
  std::map<std::array<std::uint32_t, 64>, Pattern> patterns_;
  std::map<std::tuple<std::string, int, bool>, Font_Face> fonts_;
};

[[noreturn]] void Fail(const std::string& name, cairo_status_t status) {
  if (status == CAIRO_STATUS_NO_MEMORY) throw std::bad_alloc();
  throw Error("Cannot write file " + name + ": " + cairo_status_to_string(status));
}

}  // namespace

std::string Pdf_Document(const std::vector<const Vector_Page*>& pages, const std::string& name) {
  std::string bytes;
  const double width = pages.empty() ? 1 : pages.front()->Width * Points_Per_Pixel;
  const double height = pages.empty() ? 1 : pages.front()->Height * Points_Per_Pixel;
  Surface surface(cairo_pdf_surface_create_for_stream(Append, &bytes, width, height));
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    Fail(name, cairo_surface_status(surface.get()));
  // An empty creation date leaves the date out: the same pages give the same file.
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE, "");
  {
    // Fonts and fill patterns are shared by all pages.
    Pdf_Painter painter;
    for (const Vector_Page* page : pages) {
      cairo_pdf_surface_set_size(surface.get(), page->Width * Points_Per_Pixel,
                                 page->Height * Points_Per_Pixel);
      Context cr(cairo_create(surface.get()));
      cairo_scale(cr.get(), Points_Per_Pixel, Points_Per_Pixel);
      painter.Paint(cr.get(), *page);
      cairo_show_page(cr.get());
      if (cairo_status(cr.get()) != CAIRO_STATUS_SUCCESS) Fail(name, cairo_status(cr.get()));
    }
  }
  cairo_surface_finish(surface.get());
  if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
    Fail(name, cairo_surface_status(surface.get()));
  surface.reset();
  return bytes;
}

void Write_PDF(const std::vector<const Vector_Page*>& pages, const std::string& path) {
  Write_Text_File(path, Pdf_Document(pages, path));
}

}  // namespace pw::render
