#include "render/vector_svg.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string_view>
#include <utility>

#include "base/D_Error.h"
#include "base/safe_file.h"
#include "base/utf8_chars.h"
#include "draw/d_font.h"
#include "draw/image_file.h"

namespace pw::render {

namespace {

// A coordinate with at most three decimals and no trailing zeros ("10", "10.5", "-0.25").
void Put_Number(std::string& out, double v) {
  const double rounded = std::round(v * 1000.0) / 1000.0;
  char buffer[40];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, rounded == 0 ? 0.0 : rounded,
                                 std::chars_format::fixed, 3);
  if (ec != std::errc()) return;
  std::string_view text(buffer, static_cast<std::size_t>(end - buffer));
  while (text.back() == '0') text.remove_suffix(1);
  if (text.back() == '.') text.remove_suffix(1);
  out += text;
}

void Put_Int(std::string& out, long long v) {
  out += std::to_string(v);
}

void Put_Color(std::string& out, std::uint32_t pixel) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%06x", static_cast<unsigned>(pixel & 0xFFFFFF));
  out += buffer;
}

// Code points XML 1.0 cannot carry become U+FFFD; the markup characters are escaped.
void Put_Escaped(std::string& out, char32_t code) {
  switch (code) {
    case '&':
      out += "&amp;";
      return;
    case '<':
      out += "&lt;";
      return;
    case '>':
      out += "&gt;";
      return;
    case '"':
      out += "&quot;";
      return;
    default:
      break;
  }
  const bool allowed = code == 0x9 || code == 0xA || code == 0xD ||
                       (code >= 0x20 && code <= 0xD7FF) || (code >= 0xE000 && code <= 0xFFFD) ||
                       (code >= 0x10000 && code <= 0x10FFFF);
  out += Utf8_Of(allowed ? code : 0xFFFD);
}

// A family name in an attribute: markup characters escaped, control characters left out. The
// name is the font file's bytes, which need not be UTF-8 (a Type 1 font may name itself in
// Latin-1): a byte that starts no UTF-8 character becomes U+FFFD.
void Put_Attribute(std::string& out, const std::string& text) {
  for (char32_t code : Decode_Utf8(text)) {
    if (code >= 0x20) Put_Escaped(out, code);
  }
}

// The weight asked for so that the viewer takes the face whose advances the glyph positions
// are. A face the raster made bold (the family has no bold one to match) is asked for three
// steps heavier, as a bold face is than a regular one: a regular face is asked for as bold, a
// light one as about regular.
int Svg_Weight(const Font_Face_Info& face) {
  return face.Embolden ? std::min(face.Weight + 300, 900) : face.Weight;
}

// The nearest of the named widths, which every SVG reader knows.
const char* Svg_Stretch(const Font_Face_Info& face) {
  static const std::pair<int, const char*> kWidths[] = {
      {50, "ultra-condensed"}, {63, "extra-condensed"}, {75, "condensed"},
      {87, "semi-condensed"},  {100, "normal"},         {113, "semi-expanded"},
      {125, "expanded"},       {150, "extra-expanded"}, {200, "ultra-expanded"}};
  const auto* nearest = std::begin(kWidths);
  for (const auto& w : kWidths) {
    if (std::abs(w.first - face.Width) < std::abs(nearest->first - face.Width)) nearest = &w;
  }
  return nearest->second;
}

void Put_Weight_Value(std::string& out, const Font_Face_Info& face) {
  const int weight = Svg_Weight(face);
  if (face.Bold && weight == 700) {
    out += "bold";
  } else {
    Put_Int(out, weight);
  }
}

// The face's weight and width where they are not the plain regular or bold face's.
void Put_Weight_And_Width(std::string& out, const Font_Face_Info& face) {
  if (face.Bold || Svg_Weight(face) != 400)
    out += " font-weight=\"", Put_Weight_Value(out, face), out += '"';
  if (face.Width == 100) return;
  const std::string_view stretch = Svg_Stretch(face);
  if (stretch != "normal") out += " font-stretch=\"", out += stretch, out += '"';
}

// A glyph drawn from a fallback face: its family, and its weight and width where they are not
// those of the text around it.
void Put_Fallback_Face(std::string& out, const Font_Face_Info& text, const Font_Face_Info& face) {
  out += " font-family=\"", Put_Attribute(out, face.Family), out += '"';
  if (Svg_Weight(face) != Svg_Weight(text) || face.Bold != text.Bold) {
    out += " font-weight=\"";
    if (Svg_Weight(face) == 400 && !face.Bold) {
      out += "normal";
    } else {
      Put_Weight_Value(out, face);
    }
    out += '"';
  }
  const std::string_view stretch = Svg_Stretch(face);
  if (stretch != Svg_Stretch(text)) out += " font-stretch=\"", out += stretch, out += '"';
}

std::string Base64(const std::string& bytes) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(bytes[i]) << 16 |
                       static_cast<unsigned char>(bytes[i + 1]) << 8 |
                       static_cast<unsigned char>(bytes[i + 2]);
    out += kDigits[v >> 18], out += kDigits[(v >> 12) & 63];
    out += kDigits[(v >> 6) & 63], out += kDigits[v & 63];
  }
  if (i < bytes.size()) {
    unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
    out += kDigits[v >> 18], out += kDigits[(v >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

void Put_Rect_Path(std::string& out, const Vector_Rect& r) {
  out += 'M', Put_Int(out, r.Left), out += ' ', Put_Int(out, r.Top);
  out += 'h', Put_Int(out, r.Width), out += 'v', Put_Int(out, r.Height);
  out += 'h', Put_Int(out, -static_cast<long long>(r.Width)), out += 'z';
}

class Svg_Writer {
 public:
  Svg_Writer(const Vector_Page& page, const std::string& name) : page_(page), name_(name) {}

  std::string Document() {
    std::string body;
    for (const Vector_Item& item : page_.Items) {
      std::visit([&](const auto& i) { Put(body, i); }, item);
    }
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    out +=
        "<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "xmlns:xlink=\"http://www.w3.org/1999/xlink\" version=\"1.1\" width=\"";
    Put_Int(out, page_.Width), out += "\" height=\"", Put_Int(out, page_.Height);
    out += "\" viewBox=\"0 0 ", Put_Int(out, page_.Width), out += ' ';
    Put_Int(out, page_.Height), out += "\" xml:space=\"preserve\">\n";
    if (!defs_.empty()) out += "<defs>\n" + defs_ + "</defs>\n";
    out += body;
    out += "</svg>\n";
    return out;
  }

 private:
  void Put(std::string& out, const Fill_Item& item) {
    if (item.Rects.empty()) return;
    if (item.Boxes) {  // boxes one by one: a reader sees each bar
      for (const Vector_Rect& r : item.Rects) {
        out += "<rect x=\"", Put_Int(out, r.Left), out += "\" y=\"", Put_Int(out, r.Top);
        out += "\" width=\"", Put_Int(out, r.Width), out += "\" height=\"";
        Put_Int(out, r.Height), out += "\" fill=\"", Put_Color(out, item.Pixel), out += "\"/>\n";
      }
      return;
    }
    out += "<path fill=\"", Put_Color(out, item.Pixel), out += "\" d=\"";
    for (const Vector_Rect& r : item.Rects) Put_Rect_Path(out, r);
    out += "\"/>\n";
  }

  void Put(std::string& out, const Pattern_Item& item) {
    out += "<rect x=\"", Put_Int(out, item.Rect.Left), out += "\" y=\"";
    Put_Int(out, item.Rect.Top), out += "\" width=\"", Put_Int(out, item.Rect.Width);
    out += "\" height=\"", Put_Int(out, item.Rect.Height), out += "\" fill=\"url(#";
    out += Pattern_Id(item.Tile), out += ")\"/>\n";
  }

  void Put(std::string& out, const Stroke_Item& item) {
    const std::vector<Stroke_Piece> pieces = Stroke_Pieces(item, page_.Width, page_.Height);
    if (pieces.empty()) return;
    out += "<path fill=\"none\" stroke=\"", Put_Color(out, item.Pixel), out += "\" d=\"";
    for (const Stroke_Piece& piece : pieces) {
      const std::size_t n = piece.Points.size() - (piece.Closed ? 1 : 0);
      for (std::size_t i = 0; i < n; ++i) {
        out += i == 0 ? 'M' : 'L';
        Put_Number(out, piece.Points[i].X), out += ' ', Put_Number(out, piece.Points[i].Y);
      }
      if (piece.Closed) out += 'z';
    }
    out += "\"/>\n";
  }

  // Each glyph gets its own position, the pen position of the raster: the viewer's own
  // advances (unhinted, or of another face) then cannot make a label drift. A glyph is a
  // tspan of its own, since not every viewer reads a list of positions on one element.
  void Put(std::string& out, const Text_Item& item) {
    const Font_Face_Info& face = *item.Face;
    const Text_Frame frame = Frame_Of(item);
    out += "<text y=\"", Put_Number(out, frame.Origin_Y + face.Ascent);
    out += "\" font-family=\"", Put_Attribute(out, face.Family), out += "\" font-size=\"";
    Put_Int(out, face.Size), out += '"';
    Put_Weight_And_Width(out, face);
    out += " fill=\"", Put_Color(out, item.Pixel), out += '"';
    if (frame.Degrees != 0) {
      out += " transform=\"rotate(", Put_Int(out, -frame.Degrees), out += ' ';
      Put_Number(out, frame.Origin_X), out += ' ', Put_Number(out, frame.Origin_Y), out += ")\"";
    }
    out += '>';
    for (const Placed_Glyph& g : item.Glyphs) {
      out += "<tspan x=\"", Put_Number(out, frame.Origin_X + static_cast<double>(g.X)), out += '"';
      if (g.Fallback != nullptr) Put_Fallback_Face(out, face, *g.Fallback);
      out += '>', Put_Escaped(out, g.Code), out += "</tspan>";
    }
    out += "</text>\n";
  }

  void Put(std::string& out, const Picture_Item& item) {
    out += "<image x=\"", Put_Int(out, item.Left), out += "\" y=\"", Put_Int(out, item.Top);
    out += "\" width=\"", Put_Int(out, item.Pixels.Width()), out += "\" height=\"";
    Put_Int(out, item.Pixels.Height());
    out +=
        "\" preserveAspectRatio=\"none\" image-rendering=\"optimizeSpeed\" "
        "style=\"image-rendering:pixelated\" xlink:href=\"data:image/png;base64,";
    std::string png;
    const std::string reason = Encode_PNG(item.Pixels, png);
    if (!reason.empty()) throw Error("Cannot write file " + name_ + ": " + reason);
    out += Base64(png), out += "\"/>\n";
  }

  // The id of a tile's pattern, defined on first use: the tile's most common colour under
  // the whole cell, the other pixels as squares over it.
  std::string Pattern_Id(const std::array<std::uint32_t, 64>& tile) {
    auto it = patterns_.find(tile);
    if (it != patterns_.end()) return it->second;
    const std::string id = "f" + std::to_string(patterns_.size() + 1);
    patterns_.emplace(tile, id);
    std::map<std::uint32_t, int> counts;
    for (std::uint32_t p : tile) ++counts[p];
    std::uint32_t ground = tile[0];
    for (const auto& [pixel, count] : counts) {
      if (count > counts[ground]) ground = pixel;
    }
    defs_ += "<pattern id=\"" + id +
             "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
             "<path fill=\"";
    Put_Color(defs_, ground);
    defs_ += "\" d=\"M0 0h8v8h-8z\"/>";
    for (const auto& [pixel, count] : counts) {
      if (pixel == ground) continue;
      defs_ += "<path fill=\"", Put_Color(defs_, pixel), defs_ += "\" d=\"";
      for (int i = 0; i < 64; ++i) {
        if (tile[i] == pixel) Put_Rect_Path(defs_, {i % 8, i / 8, 1, 1});
      }
      defs_ += "\"/>";
    }
    defs_ += "</pattern>\n";
    return id;
  }

  const Vector_Page& page_;
  const std::string& name_;
  std::string defs_;
  std::map<std::array<std::uint32_t, 64>, std::string> patterns_;
};

}  // namespace

std::string Svg_Document(const Vector_Page& page, const std::string& name) {
  return Svg_Writer(page, name).Document();
}

void Write_SVG(const Vector_Page& page, const std::string& path) {
  Write_Text_File(path, Svg_Document(page, path));
}

}  // namespace pw::render
