// SVG and PDF pages from whole runs: read back, compared with the raster, run twice.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "draw/d_font.h"
#include "render/vector_svg.h"
#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

// Three pages; the first has a histogram of four red bars and a scatter graph of 300 points.
const char* const Vector_Setup =
    "[DataFile]\n"
    "A=1 5.2 Alpha\n"
    "B=2 5.2 Beta\n"
    "[Pages]\n"
    "Pages=P1 P2 P3\n"
    "Kind=hist\n"
    "x=A\n"
    "xlo=0\n"
    "xhi=4\n"
    "Bins=4\n"
    "Color=Red\n"
    "Fill=1\n"
    "[P1]\n"
    "Title=Vector page\n"
    "Columns=2\n"
    "Graphs=H S\n"
    "[P1/S]\n"
    "Kind=scatter\n"
    "y=B\n"
    "ylo=0\n"
    "yhi=4\n"
    "Color=Yellow\n"
    "Marker=PLUS1\n"
    "[P2]\n"
    "Title=Second page\n"
    "Graphs=G\n"
    "[P3]\n"
    "Title=Third page\n"
    "Graphs=G\n";

std::string Data() {
  std::string data;
  for (int i = 0; i < 300; ++i) {
    data += std::to_string(i % 4 + 0.5 + (i % 7) * 0.03) + " " +
            std::to_string((i * 37 % 400) / 100.0) + "\n";
  }
  return data;
}

struct Svg_Text {
  double Y = 0;
  std::vector<double> X;  // one per glyph
  std::string Text;
};

std::string Unescape(std::string s) {
  for (auto [from, to] :
       {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + 1))
      s.replace(at, std::strlen(from), to);
  }
  return s;
}

std::vector<Svg_Text> Texts(const std::string& svg) {
  std::vector<Svg_Text> out;
  const std::regex text_re("<text y=\"([-0-9.]+)\"[^>]*>(.*?)</text>");
  const std::regex span_re("<tspan x=\"([-0-9.]+)\"[^>]*>(.*?)</tspan>");
  for (std::sregex_iterator t(svg.begin(), svg.end(), text_re), end; t != end; ++t) {
    Svg_Text text;
    text.Y = std::stod((*t)[1]);
    const std::string spans = (*t)[2];
    for (std::sregex_iterator s(spans.begin(), spans.end(), span_re); s != end; ++s) {
      text.X.push_back(std::stod((*s)[1]));
      text.Text += Unescape((*s)[2]);
    }
    out.push_back(std::move(text));
  }
  return out;
}

const Svg_Text* Find(const std::vector<Svg_Text>& texts, const std::string& s) {
  for (const Svg_Text& t : texts)
    if (t.Text == s) return &t;
  return nullptr;
}

// RGBA pixels of a PNG (a file's bytes), row after row as 0xAARRGGBB.
std::vector<std::uint32_t> Decode_Png(const std::string& bytes, int& width, int& height) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return {};
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return {};
  return pixels;
}

std::string Base64_Decode(const std::string& text) {
  static const std::string digits =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (char c : text) {
    const auto d = digits.find(c);
    if (d == std::string::npos) break;
    value = value << 6 | static_cast<unsigned>(d);
    if ((bits += 6) >= 8) out += static_cast<char>((value >> (bits -= 8)) & 0xFF);
  }
  return out;
}

class Render_Vector : public Render_Test {
 protected:
  void SetUp() override {
    Render_Test::SetUp();
    Write("s.ini", Vector_Setup);
    Write("d.dat", Data());
  }
  // Standard output of a command run in the test's folder; empty when it is not there.
  std::string Tool(const std::string& command) {
    const std::string program = command.substr(0, command.find(' '));
    if (std::system(("command -v " + program + " >/dev/null").c_str()) != 0) return {};
    std::system(("cd '" + dir_.string() + "' && " + command + " >tool.txt 2>&1").c_str());
    return Read("tool.txt");
  }
};

TEST_F(Render_Vector, SvgHoldsFrameBarsAndLabelsWhereTheRasterHasThem) {
  const Run_Result r = Run("-f svg -s 600x300 -o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Exists("out/d.01.svg") && Exists("out/d.02.svg") && Exists("out/d.03.svg"));
  EXPECT_FALSE(Exists("out/d.01.png"));
  const std::string svg = Read("out/d.01.svg");
  EXPECT_NE(svg.find("width=\"600\" height=\"300\" viewBox=\"0 0 600 300\""), std::string::npos);
  const Json graph = Json::parse(Read("report.json"))["pages"][0]["graphs"][0];
  const int left = graph["plot"]["left"], right = graph["plot"]["right"];
  const int top = graph["plot"]["top"], bottom = graph["plot"]["bottom"];
  // The frame: one closed outline through the centres of the border pixels.
  const std::string l = std::to_string(left) + ".5", r5 = std::to_string(right) + ".5";
  const std::string t = std::to_string(top) + ".5", b = std::to_string(bottom) + ".5";
  EXPECT_NE(svg.find("stroke=\"#666666\" d=\"M" + l + " " + t + "L" + l + " " + b + "L" + r5 + " " +
                     b + "L" + r5 + " " + t + "z"),
            std::string::npos);
  // Four red bars sharing their edges, standing on the frame's bottom line.
  const std::regex bar_re(
      "<rect x=\"(\\d+)\" y=\"(\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\" fill=\"#ff0000\"/>");
  std::vector<int> edges;
  for (std::sregex_iterator i(svg.begin(), svg.end(), bar_re), end; i != end; ++i) {
    edges.push_back(std::stoi((*i)[1]));
    EXPECT_EQ(std::stoi((*i)[2]) + std::stoi((*i)[4]) - 1, bottom);
  }
  const int w = right - left;
  EXPECT_EQ(edges, (std::vector<int>{left, left + w / 4, left + w / 2, left + 3 * w / 4}));
  // Every label the raster drew, its first glyph where the raster put it, one baseline.
  const std::vector<Svg_Text> texts = Texts(svg);
  ASSERT_NE(Find(texts, "Vector page"), nullptr);
  EXPECT_EQ(graph["stat_line"].get<std::string>().substr(0, 7), "N=300  ");
  // The baseline lies one ascent below the top of the text box, the same for every label.
  // (The X title's box starts th + 5 below the plot area, the statistics line th further.)
  const Svg_Text* title = Find(texts, graph["x"]["title"]);
  const Svg_Text* stats = Find(texts, graph["stat_line"]);
  ASSERT_TRUE(title != nullptr && stats != nullptr);
  const double th = stats->Y - title->Y;
  const double ascent = title->Y - (bottom + th + 5);
  int labels = 0;
  for (const char* axis : {"x", "y"}) {
    for (const Json& tick : graph[axis]["ticks"]) {
      if (!tick["shown"]) continue;
      const int x = tick["left"], y = tick["top"];
      bool found = false;
      for (const Svg_Text& text : texts)
        found = found || (text.Text == tick["label"] && text.X[0] == x && text.Y == y + ascent);
      EXPECT_TRUE(found) << tick["label"] << " at " << x << "," << y;
      ++labels;
    }
  }
  EXPECT_GE(labels, 8);
  EXPECT_GT(ascent, 5);
  // The scatter graph's Y title reads upwards.
  EXPECT_NE(svg.find("transform=\"rotate(-90 "), std::string::npos);
}

TEST_F(Render_Vector, PdfHoldsEveryPageWithItsText) {
  const Run_Result r = Run("-f pdf -s 400x300 -o out -r report.json s.ini d.dat");
  ASSERT_EQ(r.Status, 0) << r.Err;
  ASSERT_TRUE(Exists("out/d.pdf"));
  EXPECT_FALSE(Exists("out/d.01.pdf"));
  const std::string info = Tool("pdfinfo out/d.pdf");
  if (info.empty()) GTEST_SKIP() << "pdfinfo (poppler-utils) is missing";
  EXPECT_NE(info.find("Pages:           3\n"), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       300 x 225 pts"), std::string::npos) << info;
  EXPECT_EQ(info.find("CreationDate"), std::string::npos) << info;
  const std::string text = Tool("pdftotext out/d.pdf -");
  for (const char* title : {"Vector page", "Second page", "Third page", "N=300"})
    EXPECT_NE(text.find(title), std::string::npos) << title << "\n" << text;
  const Json graph = Json::parse(Read("report.json"))["pages"][0]["graphs"][1];
  for (const char* axis : {"x", "y"}) {
    for (const Json& tick : graph[axis]["ticks"]) {
      if (!tick["shown"]) continue;
      EXPECT_NE(text.find(tick["label"].get<std::string>()), std::string::npos) << tick["label"];
    }
  }
}

// Page titles of every kind of text a setup may hold: markup characters, control characters,
// bytes that are no UTF-8, and noncharacters (valid UTF-8 that some readers refuse). The SVG
// keeps the markup characters and shows U+FFFD for what XML cannot hold; the PDF is written.
TEST_F(Render_Vector, TitlesOfAnyBytes) {
  struct Case {
    const char* title;
    const char* svg;  // the title as the SVG's text holds it
  };
  const std::vector<Case> cases = {
      {"A & <b> \"c\" 'd'", "A & <b> \"c\" 'd'"},
      {"x\x01\x1fy\x7f", "x\uFFFD\uFFFDy\x7f"},
      {"bad \xff\xc3( \xed\xa0\x80 end", "bad \uFFFD\uFFFD( \uFFFD\uFFFD\uFFFD end"},
      {"non \uFFFE\uFFFF\uFDD0 \U0001FFFE\U0010FFFF end", "non \uFFFD\uFFFD\uFDD0 \U0001FFFE\U0010FFFF end"},
  };
  for (const Case& c : cases) {
    std::string setup = Vector_Setup;
    setup.replace(setup.find("Vector page"), 11, c.title);
    Write("t.ini", setup);
    Run_Result r = Run("-f svg -s 400x300 -o out t.ini d.dat");
    ASSERT_EQ(r.Status, 0) << c.title << r.Err;
    const std::string svg = Read("out/d.01.svg");
    EXPECT_NE(Find(Texts(svg), c.svg), nullptr) << c.title;
    const std::string lint = Tool("xmllint --noout out/d.01.svg");
    EXPECT_TRUE(lint.empty()) << c.title << "\n" << lint;
    r = Run("-f pdf -s 400x300 -o out t.ini d.dat");
    EXPECT_EQ(r.Status, 0) << c.title;
    EXPECT_EQ(r.Err, "") << c.title;
    const std::string info = Tool("pdfinfo out/d.pdf");
    EXPECT_TRUE(info.empty() || info.find("Pages:           3\n") != std::string::npos)
        << c.title << "\n" << info;
  }
}

// A NUL byte in a title draws the font's missing-glyph box, as any other control character
// does, and the glyphs after it keep their places in the PDF.
TEST_F(Render_Vector, PdfTitleWithANulByte) {
  const auto pdf_page = [this](const std::string& title, const std::string& name) {
    std::string setup = Vector_Setup;
    setup.replace(setup.find("Vector page"), 11, title);
    Write("t.ini", setup);
    const Run_Result r = Run("-f pdf -s 400x300 -o out t.ini d.dat");
    EXPECT_EQ(r.Status, 0) << r.Err;
    Tool("pdftoppm -r 96 -f 1 -l 1 -png out/d.pdf " + name);
    return Read(name + "-1.png");
  };
  const std::string control = pdf_page("AB\x01" "CD", "control");
  if (control.empty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is missing";
  EXPECT_TRUE(pdf_page(std::string("AB\0CD", 5), "nul") == control);
}

// The SVG of a 20 x 20 page holding the letter "a" in `face`.
std::string Svg_Of_One_Letter(std::shared_ptr<Font_Face_Info> face) {
  Text_Item text;
  text.Face = std::move(face);
  text.Glyphs.push_back({U'a', 0, 0, nullptr});
  Vector_Page page;
  page.Width = page.Height = 20;
  page.Items.push_back(text);
  return render::Svg_Document(page, "t.svg");
}

// A face's family name is the font file's bytes, not always UTF-8 (a Type 1 or bitmap font
// may name itself in Latin-1): the attribute stays UTF-8 and well-formed.
TEST(Svg_Document, FamilyNameOfAnyBytes) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"DejaVu Sans", "DejaVu Sans"},
      {"A&B <\"c\">", "A&amp;B &lt;&quot;c&quot;&gt;"},
      {"M\xe9tro\x01 \xc3\xa9", "M\uFFFDtro \u00e9"},
  };
  for (const auto& [family, attribute] : cases) {
    auto face = std::make_shared<Font_Face_Info>();
    face->Family = family;
    face->Size = 10;
    const std::string svg = Svg_Of_One_Letter(face);
    EXPECT_NE(svg.find("font-family=\"" + attribute + "\""), std::string::npos) << svg;
  }
}

// A face of another weight or width than regular (a light or condensed family's face) is
// named by them: the viewer then takes the face the raster drew, whose advances the glyph
// positions are. A light face the raster makes bold is not the family's bold face.
TEST(Svg_Document, WeightAndWidthOfTheFace) {
  struct Case {
    bool bold, embolden;
    int weight, width;
    const char* attributes;  // after the font size
  };
  const Case cases[] = {
      {false, false, 400, 100, " fill="},
      {true, false, 700, 100, " font-weight=\"bold\" fill="},
      {true, true, 400, 100, " font-weight=\"bold\" fill="},
      {false, false, 200, 100, " font-weight=\"200\" fill="},
      {false, false, 500, 100, " font-weight=\"500\" fill="},
      {true, false, 600, 100, " font-weight=\"600\" fill="},
      {true, true, 200, 100, " font-weight=\"500\" fill="},
      {true, true, 300, 100, " font-weight=\"600\" fill="},
      {false, false, 400, 87, " font-stretch=\"semi-condensed\" fill="},
      {true, false, 700, 75, " font-weight=\"bold\" font-stretch=\"condensed\" fill="},
      {false, false, 400, 125, " font-stretch=\"expanded\" fill="},
      {false, false, 400, 90, " font-stretch=\"semi-condensed\" fill="},
  };
  for (const Case& c : cases) {
    auto face = std::make_shared<Font_Face_Info>();
    face->Family = "F";
    face->Size = 10;
    face->Bold = c.bold;
    face->Embolden = c.embolden;
    face->Weight = c.weight;
    face->Width = c.width;
    const std::string svg = Svg_Of_One_Letter(face);
    EXPECT_NE(svg.find(std::string("font-size=\"10\"") + c.attributes), std::string::npos)
        << c.weight << " " << c.width << "\n" << svg;
  }
}

// A glyph drawn from a fallback face names that face's family on its own element, and its
// weight and width where they are not the text's; a glyph of the text's face is as it was.
TEST(Svg_Document, FallbackGlyphNamesItsFace) {
  struct Case {
    bool text_bold;
    bool bold, embolden;
    int weight, width;
    const char* span;
  };
  const Case cases[] = {
      {false, false, false, 400, 100, "<tspan x=\"0\" font-family=\"W&amp;Q\">a</tspan>"},
      {true, true, true, 400, 100, "<tspan x=\"0\" font-family=\"W&amp;Q\">a</tspan>"},
      {true, true, false, 700, 100, "<tspan x=\"0\" font-family=\"W&amp;Q\">a</tspan>"},
      {true, false, false, 400, 100,
       "<tspan x=\"0\" font-family=\"W&amp;Q\" font-weight=\"normal\">a</tspan>"},
      {false, false, false, 300, 75,
       "<tspan x=\"0\" font-family=\"W&amp;Q\" font-weight=\"300\" "
       "font-stretch=\"condensed\">a</tspan>"},
      {false, true, false, 700, 100,
       "<tspan x=\"0\" font-family=\"W&amp;Q\" font-weight=\"bold\">a</tspan>"},
  };
  for (const Case& c : cases) {
    auto text = std::make_shared<Font_Face_Info>();
    text->Family = "F";
    text->Size = 10;
    text->Bold = c.text_bold;
    text->Weight = c.text_bold ? 700 : 400;
    auto glyph = std::make_shared<Font_Face_Info>();
    glyph->Family = "W&Q";
    glyph->Size = 10;
    glyph->Bold = c.bold;
    glyph->Embolden = c.embolden;
    glyph->Weight = c.weight;
    glyph->Width = c.width;
    Text_Item item;
    item.Face = text;
    item.Glyphs.push_back({U'a', 0, 0, glyph});
    item.Glyphs.push_back({U'b', 0, 6, nullptr});
    Vector_Page page;
    page.Width = page.Height = 20;
    page.Items.push_back(item);
    const std::string svg = render::Svg_Document(page, "t.svg");
    EXPECT_NE(svg.find(std::string(c.span) + "<tspan x=\"6\">b</tspan></text>"),
              std::string::npos)
        << c.span << "\n" << svg;
  }
}

// Whether each column of the top `rows` rows holds a dark pixel (the page is white; with
// `alpha`, pixels 0xAARRGGBB whose top byte 0 is clear).
std::vector<bool> Dark_Columns(const std::vector<std::uint32_t>& pixels, int width, int rows,
                               bool alpha) {
  std::vector<bool> dark(static_cast<std::size_t>(width));
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t p = pixels[static_cast<std::size_t>(y) * width + x];
      const int grey = ((p >> 16 & 0xFF) + (p >> 8 & 0xFF) + (p & 0xFF)) / 3;
      if ((!alpha || (p >> 24) != 0) && grey < 128) dark[x] = true;
    }
  }
  return dark;
}

// Dark columns of one picture with no dark column within a pixel in the other, both ways.
int Unmatched_Columns(const std::vector<bool>& a, const std::vector<bool>& b) {
  int count = 0;
  for (std::size_t x = 0; x < a.size() && x < b.size(); ++x) {
    const auto near = [&](const std::vector<bool>& v) {
      return v[x] || (x > 0 && v[x - 1]) || (x + 1 < v.size() && v[x + 1]);
    };
    count += (a[x] && !near(b)) + (b[x] && !near(a));
  }
  return count;
}

// A centred title with ideographs the page's face lacks: the raster draws them from the face
// that has them, the SVG names that face on their glyphs, the PDF holds their text, and a
// viewer drawing the SVG and the PDF puts the same ink in the same columns as the raster.
TEST_F(Render_Vector, CharactersTheFaceLacksAreDrawnAlikeInEveryFormat) {
  const std::string sky = "\xE5\xA4\xA9\xE6\xB0\x94";  // U+5929 U+6C14
  const std::vector<Placed_Glyph> probe = Font_Layout({"DejaVu Sans", 24, true, 0}, sky);
  if (probe.empty() || probe[0].Fallback == nullptr)
    GTEST_SKIP() << "no face with CJK ideographs (fonts-wqy-microhei)";
  Write("f.ini",
        "[DataFile]\nA=1 5.2 Alpha\n[Pages]\nPages=P\nFont=DejaVu Sans\nTitleFontSize=24\n"
        "BgColor=White\nFontColor=Black\n[P]\nTitle=Weather " + sky + " end\nGraphs=G\n"
        "[P/G]\nKind=hist\nx=A\n");
  for (const char* format : {"bmp", "svg", "pdf"})
    ASSERT_EQ(Run(std::string("-f ") + format + " -s 500x200 -o out f.ini d.dat").Status, 0);
  const std::string svg = Read("out/d.01.svg");
  const std::string family = probe[0].Fallback->Family;
  EXPECT_NE(svg.find("font-family=\"" + family + "\">\xE5\xA4\xA9</tspan>"), std::string::npos)
      << svg;
  ASSERT_NE(Find(Texts(svg), "Weather " + sky + " end"), nullptr);
  const Bmp raster = Read_Bmp("out/d.01.bmp");
  ASSERT_EQ(raster.Width, 500);
  const std::vector<bool> columns = Dark_Columns(raster.Pixels, 500, 40, false);
  EXPECT_GT(std::count(columns.begin(), columns.end(), true), 150);
  Tool("rsvg-convert out/d.01.svg -o out/svg.png");
  if (Exists("out/svg.png")) {
    int w = 0, h = 0;
    const std::vector<std::uint32_t> drawn = Decode_Png(Read("out/svg.png"), w, h);
    ASSERT_EQ(w, 500);
    EXPECT_LE(Unmatched_Columns(columns, Dark_Columns(drawn, w, 40, true)), 2);
  }
  const std::string text = Tool("pdftotext out/d.pdf -");
  if (text.empty()) GTEST_SKIP() << "pdftotext (poppler-utils) is missing";
  EXPECT_NE(text.find("Weather " + sky + " end"), std::string::npos) << text;
  Tool("pdftoppm -r 96 -png out/d.pdf out/pdf");
  int w = 0, h = 0;
  const std::vector<std::uint32_t> drawn = Decode_Png(Read("out/pdf-1.png"), w, h);
  ASSERT_EQ(w, 500);
  EXPECT_LE(Unmatched_Columns(columns, Dark_Columns(drawn, w, 40, true)), 2);
}

// Above the limit the scatter layer is a picture: its opaque pixels are the PNG's, and every
// pixel of the layer's colour in the PNG is in it.
TEST_F(Render_Vector, DenseLayerIsThePngsPixels) {
  ASSERT_EQ(Run("-s 600x300 -o out s.ini d.dat").Status, 0);
  ASSERT_EQ(Run("-f svg --vector-limit 50 -s 600x300 -o out s.ini d.dat").Status, 0);
  const std::string svg = Read("out/d.01.svg");
  const std::regex image_re(
      "<image x=\"(\\d+)\" y=\"(\\d+)\" width=\"(\\d+)\" height=\"(\\d+)\"[^>]*base64,([^\"]+)\"");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, image_re));
  int w = 0, h = 0, pw = 0, ph = 0;
  const auto picture = Decode_Png(Base64_Decode(m[5]), w, h);
  const auto page = Decode_Png(Read("out/d.01.png"), pw, ph);
  ASSERT_EQ(w, std::stoi(m[3]));
  ASSERT_EQ(ph, 300);
  const int x0 = std::stoi(m[1]), y0 = std::stoi(m[2]);
  int opaque = 0;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = picture[static_cast<std::size_t>(y) * w + x];
      const std::uint32_t q = page[static_cast<std::size_t>(y0 + y) * pw + x0 + x];
      if (p >> 24) {
        ++opaque;
        EXPECT_EQ(p, q) << x << "," << y;
      } else {
        EXPECT_NE(q, 0xFFFFFF00u) << x << "," << y;
      }
    }
  }
  EXPECT_GT(opaque, 300);
  // The bars (4 elements) stay vectors, and so does everything at the default limit.
  EXPECT_NE(svg.find("fill=\"#ff0000\""), std::string::npos);
  ASSERT_EQ(Run("-f svg -s 600x300 -o out s.ini d.dat").Status, 0);
  EXPECT_EQ(Read("out/d.01.svg").find("<image"), std::string::npos);
}

TEST_F(Render_Vector, SameInputGivesTheSameBytes) {
  for (const char* format : {"svg", "pdf"}) {
    const std::string args = std::string("-f ") + format + " --vector-limit 100 -s 500x400 ";
    ASSERT_EQ(Run(args + "-o one s.ini d.dat").Status, 0);
    ASSERT_EQ(Run(args + "-o two s.ini d.dat").Status, 0);
    const std::string name = std::string(format) == "pdf" ? "/d.pdf" : "/d.01.svg";
    const std::string one = Read(std::string("one") + name);
    EXPECT_GT(one.size(), 1000u);
    EXPECT_TRUE(one == Read(std::string("two") + name)) << format;
  }
}

}  // namespace
}  // namespace pw::test
