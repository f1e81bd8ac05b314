// Whole runs on setups and data outside plain ASCII and two-decimal numbers: names in any
// letter case, values that sit exactly on their limits, constant columns of any magnitude.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "render_fixture.h"

namespace pw::test {
namespace {

using Json = nlohmann::json;

class Render_Edges : public Render_Test {
 protected:
  // Runs on s.ini and d.dat, pictures as BMP, the report on standard output.
  Json Report_Of(const std::string& setup, const std::string& data, int status = 0) {
    Write("s.ini", setup);
    Write("d.dat", data);
    const Run_Result r = Run("-s 400x300 -f bmp -r - s.ini d.dat");
    EXPECT_EQ(r.Status, status) << r.Err;
    err_ = r.Err;
    return r.Out.empty() ? Json::object() : Json::parse(r.Out);
  }
  std::string err_;
};

// ---- Names in any letter case ----

// The page list names its section in small letters, the filter key is in capitals: the page
// is drawn and the filter applies (the statistics line counts what the filter kept).
TEST_F(Render_Edges, SectionAndKeyNamesMatchInAnyLetterCase) {
  const Json j = Report_Of(
      "[DataFile]\nHöhe=1 5.1 Höhe\n@Ort=2\n"
      "[Filters]\nHÖHE=0 10\n"
      "[Pages]\nPages=übersicht\n"
      "[Übersicht]\nTitle=Übersicht\nGraphs=Σ\n"
      "[ÜBERSICHT/σ]\nKind=hist\nx=Höhe\nBins=4\nxlo=0\nxhi=20\n",
      "1 Köln\n5 Köln\n15 Zürich\n");
  ASSERT_EQ(j["pages"].size(), 1u);
  EXPECT_EQ(j["pages"][0]["title"], "Übersicht");
  ASSERT_EQ(j["pages"][0]["graphs"].size(), 1u);
  const Json& g = j["pages"][0]["graphs"][0];
  EXPECT_EQ(g["kind"], "histogram");
  EXPECT_EQ(g["stat_line"], "N=2  m=3  s=2.8  mn=1  mx=5");
}

// Column, selector and selector-text values still match exactly.
TEST_F(Render_Edges, ColumnAndSelectorValuesStillMatchExactly) {
  Write("s.ini",
        "[DataFile]\nHöhe=1 5.1\n[Pages]\nPages=P\n[P]\nGraphs=G\n[P/G]\nKind=hist\nx=HÖHE\n");
  Write("d.dat", "1\n");
  const Run_Result r = Run("-s 200x150 -r - s.ini d.dat");
  EXPECT_EQ(r.Status, 1);
  EXPECT_EQ(r.Err, "error: Missing or wrong X definition in [P/G/]: HÖHE\n");
}

// ---- Values on their limits ----

// Automatic limits without rounding and given limits written like the data: the extreme
// points lie on the frame's corners, and every value is in a bar (the tallest bar holds the
// three values 0.3, so the Y axis ends at 4).
TEST_F(Render_Edges, ExtremeValuesLieOnTheirLimits) {
  const std::string def = "[DataFile]\nX=1 5.2 x\nY=2 5.2 y\n[Pages]\nPages=P\n[P]\nColumns=2\n";
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"RoundX=0\nRoundY=0\n", "RoundX=0\n"},
      {"xlo=0.1\nxhi=0.3\nylo=1e-7\nyhi=2.675\n", "xlo=0.1\nxhi=0.3\n"}};
  for (const auto& [scatter, histogram] : keys) {
    SCOPED_TRACE(scatter);
    const Json j = Report_Of(def +
                                 "Graphs=S H\n[P/S]\nKind=s\nx=X\ny=Y\nMarker=POINT\n"
                                 "Color=Red\n" +
                                 scatter + "[P/H]\nKind=h\nx=X\nBins=2\n" + histogram,
                             "0.1 2.675\n0.3 1e-7\n0.3 0.5\n0.3 0.5\n");
    const Json& plot = j["pages"][0]["graphs"][0]["plot"];
    const Bmp bmp = Read_Bmp("d.01.bmp");
    EXPECT_EQ(bmp.At(plot["left"], plot["top"]), 0xFF0000u);
    EXPECT_EQ(bmp.At(plot["right"], plot["bottom"]), 0xFF0000u);
    const Json& h = j["pages"][0]["graphs"][1];
    EXPECT_EQ(h["y"]["hi"], 4.0);
    EXPECT_EQ(h["stat_line"], "N=4  m=0.25  s=0.1  mn=0.1  mx=0.3");
  }
}

// ---- Columns of one value ----

// Any magnitude draws like a small one: a range around the value, one bar, no error.
TEST_F(Render_Edges, ConstantColumnsOfAnyMagnitude) {
  const std::string setup =
      "[DataFile]\nX=1 5.2 x\n[Pages]\nPages=P\n[P]\nColumns=2\nGraphs=H S\n"
      "[P/H]\nKind=h\nx=X\n[P/S]\nKind=s\nx=X\ny=X\nMarker=POINT\nColor=Red\n";
  for (const char* value : {"18446744073709551616", "-1e25", "1.5e300"}) {
    SCOPED_TRACE(value);
    const std::string line = std::string(value) + "\n";
    const Json j = Report_Of(setup, line + line + line);
    EXPECT_EQ(err_, "");
    const long double v = std::strtold(value, nullptr);
    for (const Json& g : j["pages"][0]["graphs"]) {
      const double lo = g["x"]["lo"], hi = g["x"]["hi"];
      EXPECT_LT(lo, static_cast<double>(v));
      EXPECT_GT(hi, static_cast<double>(v));
    }
    const Json& plot = j["pages"][0]["graphs"][1]["plot"];
    const int mid_x = (static_cast<int>(plot["left"]) + static_cast<int>(plot["right"])) / 2;
    const int mid_y = (static_cast<int>(plot["top"]) + static_cast<int>(plot["bottom"])) / 2;
    EXPECT_EQ(Read_Bmp("d.01.bmp").At(mid_x, mid_y), 0xFF0000u);
  }
}

// ---- Font sizes ----

// Characters are drawn 1 to 1000 pixels high: a size beyond either end draws as that end,
// while the title band keeps the size given.
TEST_F(Render_Edges, FontSizesBeyondOneToAThousand) {
  const auto page = [this](const std::string& keys) {
    Report_Of("[DataFile]\nX=1 5.2 x\n[Pages]\nPages=P\n[P]\nGraphs=H\n" + keys +
                  "[P/H]\nKind=h\nx=X\n",
              "1\n2\n2\n3\n");
    return Read("d.01.bmp");
  };
  const std::pair<const char*, const char*> same[] = {{"5000", "1000"}, {"0", "1"}, {"-7", "1"}};
  for (const auto& [size, drawn_as] : same) {
    SCOPED_TRACE(size);
    EXPECT_EQ(page(std::string("FontSize=") + size + "\n"),
              page(std::string("FontSize=") + drawn_as + "\n"));
  }
  const Json j = Report_Of(
      "[DataFile]\nX=1 5.2 x\n[Pages]\nPages=P\n[P]\nTitle=T\nTitleFontSize=3000\n"
      "Graphs=H\n[P/H]\nKind=h\nx=X\n",
      "1\n2\n");
  EXPECT_EQ(j["pages"][0]["graphs"][0]["cell"]["top"], 3012);
}

}  // namespace
}  // namespace pw::test
