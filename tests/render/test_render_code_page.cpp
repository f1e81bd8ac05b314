// A setup saved in a Windows code page, naming it with the key Encoding, draws the same pages
// and gives the same report as the same setup saved in UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "render_fixture.h"

namespace pw::test {
namespace {

// `title` and `caption` in the page name and graph caption; `main` heads the file.
std::string Setup_Text(const std::string& main, const std::string& title,
                       const std::string& caption) {
  return main + "[DataFile]\r\nX=2 1 Ex\r\nY=3 1 Why\r\n"
         "[Pages]\r\nPages=P\r\n"
         "[P]\r\nName=" + title + "\r\nColumns=1\r\nGraphs=S\r\n"
         "[P/S]\r\nKind=scatter\r\nx=X\r\ny=Y\r\nCaption=" + caption + "\r\n";
}

std::string Data() {
  std::string text;
  for (int i = 1; i <= 30; ++i) {
    text += std::to_string(i) + " " + std::to_string(i * 3 % 17) + " " +
            std::to_string(i * 7 % 23) + "\n";
  }
  return text;
}

// "Temperatur in °C", "Länge µm €" as UTF-8 and as Windows-1252 bytes.
const std::string Title_Utf8 = "Temperatur in \xC2\xB0" "C";
const std::string Caption_Utf8 = "L\xC3\xA4nge \xC2\xB5m \xE2\x82\xAC";
const std::string Title_1252 = "Temperatur in \xB0" "C";
const std::string Caption_1252 = "L\xE4nge \xB5m \x80";

class Render_Code_Page : public Render_Test {
 protected:
  struct Drawn {
    Run_Result run;
    std::string report;
    std::string picture;
  };
  Drawn Draw(const std::string& setup) {
    Drawn drawn;
    drawn.run = Run("-s 400x300 -f png -o out -r r.json " + setup + " d.dat");
    drawn.report = Exists("r.json") ? Read("r.json") : "";
    const std::string quoted = "\"" + setup + "\"";
    for (std::size_t at; (at = drawn.report.find(quoted)) != std::string::npos;)
      drawn.report.replace(at, quoted.size(), "\"NAME\"");
    drawn.picture = Exists("out/d.01.png") ? Read("out/d.01.png") : "";
    Shell("rm -rf out r.json");
    return drawn;
  }
};

TEST_F(Render_Code_Page, Cp1252SetupDrawsAsUtf8) {
  Write("d.dat", Data());
  Write("u8.ini", Setup_Text("", Title_Utf8, Caption_Utf8));
  const Drawn reference = Draw("u8.ini");
  ASSERT_EQ(reference.run.Status, 0) << reference.run.Err;
  ASSERT_NE(reference.report.find(Caption_Utf8), std::string::npos) << reference.report;
  ASSERT_FALSE(reference.picture.empty());
  // The key in any letter case; UTF-8 named or not draws byte for byte the same.
  Write("cp.ini",
        Setup_Text("[Plotwright]\r\nEncoding=Windows-1252\r\n", Title_1252, Caption_1252));
  Write("lc.ini", Setup_Text("[PLOTWRIGHT]\r\nencoding = cp1252\r\n", Title_1252, Caption_1252));
  Write("u8k.ini", Setup_Text("[Plotwright]\r\nEncoding=UTF-8\r\n", Title_Utf8, Caption_Utf8));
  for (const char* setup : {"cp.ini", "lc.ini", "u8k.ini"}) {
    const Drawn drawn = Draw(setup);
    EXPECT_EQ(drawn.run.Status, 0) << setup << drawn.run.Err;
    EXPECT_EQ(drawn.run.Err, reference.run.Err) << setup;
    EXPECT_EQ(drawn.report, reference.report) << setup;
    EXPECT_TRUE(drawn.picture == reference.picture) << setup;
  }
  // Without the key the code page's bytes are not UTF-8: they draw otherwise.
  Write("nokey.ini", Setup_Text("", Title_1252, Caption_1252));
  const Drawn nokey = Draw("nokey.ini");
  EXPECT_EQ(nokey.report.find(Caption_Utf8), std::string::npos);
  EXPECT_FALSE(nokey.picture == reference.picture);
}

// A code page no converter knows: the setup's error, and nothing drawn.
TEST_F(Render_Code_Page, UnknownEncodingDrawsNothing) {
  Write("d.dat", Data());
  Write("s.ini", Setup_Text("[Plotwright]\r\nEncoding=Klingon\r\n", Title_1252, Caption_1252));
  const Drawn drawn = Draw("s.ini");
  EXPECT_EQ(drawn.run.Err, "error: Wrong Encoding in [Plotwright]: Klingon\n");
  EXPECT_EQ(drawn.run.Status, 1);
  EXPECT_TRUE(drawn.picture.empty());
}

// A data file in Windows-1252 named so in [DataFile]: a Key typed in UTF-8 picks its texts,
// and the pages and report are those of the same table in UTF-8.
TEST_F(Render_Code_Page, Cp1252DataSelectsAsUtf8) {
  std::string utf8;
  std::string cp1252;
  for (int i = 1; i <= 30; ++i) {
    const std::string line = std::to_string(i) + " " + std::to_string(i * 3 % 17) + " " +
                             std::to_string(i * 7 % 23) + " ";
    utf8 += line + (i % 3 == 0 ? "S\xC3\xBC" "d\xE2\x82\xAC\n" : "Nord\n");
    cp1252 += line + (i % 3 == 0 ? "S\xFC" "d\x80\n" : "Nord\n");
  }
  const std::string layers = "Layers=L1 L2\r\n[P/S/L1]\r\nKey1=@G S\xC3\xBC" "d\xE2\x82\xAC\r\n"
                             "Color=Red\r\n[P/S/L2]\r\nColor=Blue\r\n";
  const auto setup = [&](const std::string& encoding) {
    std::string text = Setup_Text("", Title_Utf8, Caption_Utf8) + layers;
    text.replace(text.find("[DataFile]\r\n"), 12, "[DataFile]\r\n" + encoding + "@G=4\r\n");
    return text;
  };
  Write("u8.ini", setup(""));
  Write("cp.ini", setup("ENCODING=cp1252\r\n"));
  Write("d.dat", utf8);
  Drawn reference = Draw("u8.ini");
  ASSERT_EQ(reference.run.Status, 0) << reference.run.Err;
  ASSERT_NE(reference.report.find("\"selected\": 10"), std::string::npos) << reference.report;
  Write("d.dat", cp1252);
  const Drawn drawn = Draw("cp.ini");
  EXPECT_EQ(drawn.run.Err, reference.run.Err);
  EXPECT_EQ(drawn.report, reference.report);
  EXPECT_TRUE(drawn.picture == reference.picture);
}

}  // namespace
}  // namespace pw::test
