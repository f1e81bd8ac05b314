// Setup and data files saved as UTF-16 with a byte-order mark ("Unicode" in Windows editors)
// draw the same pages and give the same report as the same files in UTF-8. The UTF-16 files
// are made by the iconv program, not by the code under test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_fixture.h"

namespace pw::test {
namespace {

// Letters beyond ASCII in section names, a page name and a caption, and a 4-byte character
// (U+1D4B3, a surrogate pair in UTF-16) in the caption.
const std::string Setup_Utf8 =
    "; \xC3\x9C" "bersicht der Messungen\r\n"
    "[DataFile]\r\nX=2 1 Ex\r\nY=3 1 Why\r\n@G=4\r\n"
    "[Pages]\r\nPages=\xC3\x9C" "bersicht\r\n"
    "[\xC3\xBC" "bersicht]\r\nName=Gr\xC3\xB6\xC3\x9F" "e \xE2\x82\xAC\r\nColumns=1\r\nGraphs=S\r\n"
    "[\xC3\x9C" "BERSICHT/S]\r\nKind=scatter\r\nx=X\r\ny=Y\r\nLayers=L1 L2\r\n"
    "Caption=Stra\xC3\x9F" "e \xF0\x9D\x92\xB3 \xCE\xB1\xCE\xB2\r\n"
    "[\xC3\x9C" "bersicht/S/L1]\r\nKey1=@G S\xC3\xBC" "d\r\nColor=Red\r\n"
    "[\xC3\x9C" "bersicht/S/L2]\r\nColor=Blue\r\n";

std::string Data_Utf8() {
  std::string text = "; id x y group\n";
  for (int i = 1; i <= 40; ++i) {
    text += std::to_string(i) + " " + std::to_string(i * 3 % 17) + "." + std::to_string(i % 10) +
            " " + std::to_string(i * 7 % 23) + (i % 3 == 0 ? " S\xC3\xBC" "d\r\n" : " Nord\n");
  }
  return text;
}

// Shell commands that write `from` (UTF-8) as UTF-16 with its mark into `to`.
std::string Little_Endian(const std::string& from, const std::string& to) {
  return "(printf '\\377\\376'; iconv -f UTF-8 -t UTF-16LE " + from + ") >" + to;
}
std::string Big_Endian(const std::string& from, const std::string& to) {
  return "(printf '\\376\\377'; iconv -f UTF-8 -t UTF-16BE " + from + ") >" + to;
}

class Render_Utf16 : public Render_Test {
 protected:
  struct Drawn {
    Run_Result run;
    std::string report;
    std::string picture;
  };
  // A run on `setup` and `data` with `threads` threads; the report without the file names.
  Drawn Draw(const std::string& setup, const std::string& data, int threads = 1) {
    Drawn drawn;
    drawn.run = Run("-j " + std::to_string(threads) + " -s 400x300 -f bmp -o out -r r.json " +
                    setup + " " + data);
    drawn.report = Exists("r.json") ? Read("r.json") : "";
    for (const std::string& name : {setup, data}) {
      for (std::size_t at; (at = drawn.report.find("\"" + name + "\"")) != std::string::npos;) {
        drawn.report.replace(at, name.size() + 2, "\"NAME\"");
      }
    }
    const std::string base = data.substr(0, data.rfind('.'));
    drawn.picture = Exists("out/" + base + ".01.bmp") ? Read("out/" + base + ".01.bmp") : "";
    Shell("rm -rf out r.json");
    return drawn;
  }
};

TEST_F(Render_Utf16, SetupInEveryEncodingDrawsTheSame) {
  Write("u8.ini", Setup_Utf8);
  Write("d.dat", Data_Utf8());
  ASSERT_TRUE(Shell(Little_Endian("u8.ini", "le.ini") + " && " + Big_Endian("u8.ini", "be.ini")));
  const Drawn reference = Draw("u8.ini", "d.dat");
  ASSERT_EQ(reference.run.Status, 0) << reference.run.Err;
  // The section names beyond ASCII were found: the page, its graph and the layer by the text.
  EXPECT_NE(reference.report.find("\"points\": 40"), std::string::npos) << reference.report;
  EXPECT_NE(reference.report.find("\"selected\": 13"), std::string::npos) << reference.report;
  EXPECT_NE(reference.report.find("Stra\xC3\x9F" "e \xF0\x9D\x92\xB3 \xCE\xB1\xCE\xB2"),
            std::string::npos) << reference.report;
  ASSERT_FALSE(reference.picture.empty());
  for (const char* setup : {"le.ini", "be.ini"}) {
    const Drawn drawn = Draw(setup, "d.dat");
    EXPECT_EQ(drawn.run.Err, reference.run.Err) << setup;
    EXPECT_EQ(drawn.report, reference.report) << setup;
    EXPECT_TRUE(drawn.picture == reference.picture) << setup;
  }
}

// A broken UTF-16 setup reads as editors show it: U+FFFD for each bad unit (a lone surrogate
// in the caption, an odd last byte after the last line), the rest as it is.
TEST_F(Render_Utf16, BrokenSetupShowsReplacementCharacters) {
  const std::string fffd = "\xEF\xBF\xBD";
  std::string with_fffd = Setup_Utf8 + "; end\r\n";
  with_fffd.replace(with_fffd.find("\xF0\x9D\x92\xB3"), 4, fffd);
  Write("fffd.ini", with_fffd + fffd);
  Write("d.dat", Data_Utf8());
  // The pair's low half (DCB3) becomes a letter: its high half (D835) stands alone.
  std::string le;
  {
    Write("plain.ini", Setup_Utf8 + "; end\r\n");
    ASSERT_TRUE(Shell(Little_Endian("plain.ini", "le.ini")));
    le = Read("le.ini");
    const std::string pair = "\x35\xD8\xB3\xDC";
    ASSERT_NE(le.find(pair), std::string::npos);
    le.replace(le.find(pair), 4, "\x35\xD8");
    Write("broken.ini", le + "x");
  }
  const Drawn reference = Draw("fffd.ini", "d.dat");
  ASSERT_EQ(reference.run.Status, 0) << reference.run.Err;
  EXPECT_NE(reference.report.find("Stra\xC3\x9F" "e " + fffd + " \xCE\xB1"), std::string::npos);
  const Drawn drawn = Draw("broken.ini", "d.dat");
  EXPECT_EQ(drawn.run.Err, reference.run.Err);
  EXPECT_EQ(drawn.report, reference.report);
  EXPECT_TRUE(drawn.picture == reference.picture);
}

// The same table in UTF-8, UTF-16LE, UTF-16BE and gzip of UTF-16LE, on 1 and 3 threads; a bad
// line in UTF-16 is named by the same line and message as in UTF-8.
TEST_F(Render_Utf16, DataInEveryEncodingDrawsTheSame) {
  Write("s.ini", Setup_Utf8);
  Write("u8.dat", Data_Utf8());
  ASSERT_TRUE(Shell(Little_Endian("u8.dat", "le.dat") + " && " + Big_Endian("u8.dat", "be.dat") +
                    " && " + Little_Endian("u8.dat", "gz.dat") + " && gzip -n gz.dat"));
  for (int threads : {1, 3}) {
    SCOPED_TRACE(threads);
    const Drawn reference = Draw("s.ini", "u8.dat", threads);
    ASSERT_EQ(reference.run.Status, 0) << reference.run.Err;
    EXPECT_NE(reference.report.find("\"points\": 40"), std::string::npos);
    for (const char* data : {"le.dat", "be.dat", "gz.dat.gz"}) {
      const Drawn drawn = Draw("s.ini", data, threads);
      EXPECT_EQ(drawn.run.Err, reference.run.Err) << data;
      EXPECT_EQ(drawn.report, reference.report) << data;
      EXPECT_TRUE(drawn.picture == reference.picture) << data;
    }
  }
  Write("s.ini", "[Plotwright]\r\nDelimiter=,\r\n" + Setup_Utf8);
  Write("bad.csv", "1,2,3,Nord\n; \xE2\x82\xAC\n2,3,4,S\xC3\xBC" "d\r\n3,4,\"5,x\n4,5,6,Nord\n");
  ASSERT_TRUE(Shell(Little_Endian("bad.csv", "le.csv") + " && " + Big_Endian("bad.csv", "be.csv")));
  for (const char* data : {"bad.csv", "le.csv", "be.csv"}) {
    const Run_Result r = Run("-s 300x200 s.ini " + std::string(data));
    EXPECT_EQ(r.Err, "error: Quote not closed in line 4 of " + std::string(data) + "\n");
    EXPECT_EQ(r.Status, 1) << data;
  }
}

}  // namespace
}  // namespace pw::test
