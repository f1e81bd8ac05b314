// Whole runs on setups and data outside plain ASCII and two-decimal numbers: names in any
// letter case, values that sit exactly on their limits, constant columns of any magnitude.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace pw::test
