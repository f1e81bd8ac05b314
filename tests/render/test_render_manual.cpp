// The user manual names every message a user can meet, with the words the programs use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "render_fixture.h"

namespace pw::test {
namespace {

// A file of the source tree, whole.
std::string Source_File(const char* folder, const char* name) {
  const auto path = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / folder / name;
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Manual() { return Source_File("doc", "plotwright-manual.html"); }
std::string Demo_Setup() { return Source_File("examples", "demo.pwr.ini"); }

// The messages section only, so that a text mentioned elsewhere does not count.
std::string Messages_Section() {
  const std::string text = Manual();
  const std::size_t start = text.find("<h2 id=\"messages\">");
  const std::size_t end = text.find("<h2", start + 1);
  if (start == std::string::npos) return {};
  return text.substr(start, end - start);
}

// The text of every <pre> block after `anchor`, with the manual's character entities read.
std::vector<std::string> Examples_After(const std::string& anchor) {
  const std::string text = Manual();
  std::vector<std::string> blocks;
  std::size_t at = text.find(anchor);
  while (at != std::string::npos && (at = text.find("<pre>", at)) != std::string::npos) {
    const std::size_t end = text.find("</pre>", at);
    std::string block = text.substr(at + 5, end - at - 5);
    for (const auto& [entity, c] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""},
                                    {"&amp;", "&"}}) {
      for (std::size_t k; (k = block.find(entity)) != std::string::npos;)
        block.replace(k, std::string(entity).size(), c);
    }
    blocks.push_back(block + "\n");
    at = end;
  }
  return blocks;
}

TEST(Render_Manual, ListsEveryMessage) {
  const std::string section = Messages_Section();
  ASSERT_FALSE(section.empty());
  // Each as the table shows it: fixed words as printed, variable parts in italics.
  const char* const messages[] = {
      "File not found: <i>path</i>",
      "Missing file: <i>path</i>",
      "Cannot read file <i>path</i>: <i>reason</i>",
      "Cannot open data file <i>path</i>: <i>reason</i>",
      "Cannot read data file <i>path</i>: <i>reason</i>",
      "Quote not closed in line <i>N</i> of <i>path</i>",
      "Wrong Delimiter in [<i>section</i>]: <i>value</i>",
      "Wrong Header in [<i>section</i>]: <i>value</i>",
      "Wrong Encoding in [<i>section</i>]: <i>value</i>",
      "Too many points in <i>file</i>: the buffer holds at most <i>N</i>",
      "Not enough memory to load <i>file</i> after <i>N</i> points",
      "Not enough memory to draw page <i>N</i>",
      "Not enough memory for a picture of <i>W</i> x <i>H</i> pixels",
      "Out of memory",
      "Integer overflow",
      "Range check error",
      "Cannot watch files: <i>reason</i>",
      "Cannot create folder <i>path</i>: <i>reason</i>",
      "Cannot write file <i>path</i>: <i>reason</i>",
      "Wrong graph kind in [<i>section</i>]: <i>value</i>",
      "Bad Boolean constant: <i>value</i>",
      "Too many selectors in file definition",
      "Too many columns in file definition",
      "Zero columns in file definition",
      "Two values required in a filter",
      "Wrong filter limits",
      "Wrong table column index: <i>rest</i>",
      "'<i>text</i>' is not a valid integer value",
      "'<i>text</i>' is not a valid floating point value",
      "'<i>text</i>' is not a valid date",
      "No points in data buffer loaded from <i>path</i>",
      "Too many buffer columns",
      "Missing or wrong X definition in [<i>section</i>]: <i>value</i>",
      "Missing or wrong Y definition in [<i>section</i>]: <i>value</i>",
      "Wrong Marker definition in [<i>section</i>]",
      "Wrong Color definition in [<i>section</i>]: <i>value</i>",
      "Wrong ColorMap definition in [<i>section</i>]: <i>value</i>",
      "Wrong DensityScale definition in [<i>section</i>]: <i>value</i>",
      "Selector not defined: <i>name</i>",
      "Wrong Key line in [<i>section</i>]",
      "Wrong Key definition in [<i>section</i>]: <i>name</i>",
      "No such key: <i>name</i>",
      "More than 1 Hist layer",
      "Wrong histogram limits",
      "Errors occurred while draving points",
      "System error: please send in a problem report.",
  };
  for (const char* m : messages) {
    EXPECT_NE(section.find(std::string("<tr><td>") + m), std::string::npos) << m;
  }
}

// The range check on a logarithmic axis is explained, with an example that does fail.
TEST(Render_Manual, RangeCheckNamesTheLogarithmicAxis) {
  const std::string section = Messages_Section();
  EXPECT_NE(section.find("<code>logx=yes</code> with <code>xlo=-3e9</code>"), std::string::npos);
}

// A stop signal during the drawing also stops a follow render before its next page (the
// progress step between pages asks for it), not only while the data is read.
TEST(Render_Manual, FollowStopsBeforeTheNextPage) {
  const std::string text = Manual();
  EXPECT_NE(text.find("a render under way stops at its next\nstep, while it reads the data or "
                      "before it draws its next page, and writes nothing"),
            std::string::npos);
}

TEST(Render_Manual, HistogramBinsAndWidth) {
  const std::string text = Manual();
  EXPECT_NE(text.find("<tr><td>Bins</td><td>automatic</td><td>number of bars, 1 to 256."),
            std::string::npos);
  EXPECT_NE(text.find("<code>xlo=0</code>, <code>xhi=10</code>, <code>dx=3</code> gives 3 bars "
                      "and xhi 9"),
            std::string::npos);
}

// Field numbers past the 128 fields a line is split into are refused, and so is an operator
// without its second field: the message's explanation says so.
TEST(Render_Manual, WrongIndexNamesTheFieldRange) {
  const std::string section = Messages_Section();
  const std::size_t row = section.find("<tr><td>Wrong table column index");
  ASSERT_NE(row, std::string::npos);
  const std::string text = section.substr(row, section.find("</tr>", row) - row);
  EXPECT_NE(text.find("from 1 to 128"), std::string::npos);
  EXPECT_NE(text.find("<code>3-</code>"), std::string::npos);
}

// A ";" only starts a comment at the front of a setup line; after a value it is part of the
// value (a column's title, say). So an example written to be copied has its notes on lines
// of their own.
TEST(Render_Manual, SetupExamplesKeepCommentsOnTheirOwnLines) {
  const std::string text = Manual();
  std::size_t at = 0;
  while ((at = text.find("<pre>", at)) != std::string::npos) {
    const std::size_t end = text.find("</pre>", at);
    ASSERT_NE(end, std::string::npos);
    std::istringstream block(text.substr(at + 5, end - at - 5));
    for (std::string line; std::getline(block, line);) {
      const std::size_t first = line.find_first_not_of(' ');
      if (first == std::string::npos || line[first] == ';' || line[first] == '#') continue;
      if (line.find('=') == std::string::npos) continue;
      EXPECT_EQ(line.find(';'), std::string::npos) << line;
    }
    at = end;
  }
}

// The page's font sizes say how far they go.
TEST(Render_Manual, FontSizesAndTheirRange) {
  const std::string text = Manual();
  EXPECT_NE(text.find("<tr><td>FontSize</td><td>10</td><td>character height of labels and "
                      "titles, in pixels,\ndrawn 1 to 1000 pixels high (a larger size draws at "
                      "1000, a smaller one at 1)"),
            std::string::npos);
  EXPECT_NE(text.find("plus 8 pixels, with the TitleFontSize given even beyond 1000)"),
            std::string::npos);
}

// A zoomed histogram keeps its statistics line, all but the under- and overflow of Flow=yes,
// which count what lies outside the zoomed bars.
TEST(Render_Manual, ZoomKeepsTheStatisticsLineButItsFlow) {
  const std::string text = Manual();
  EXPECT_NE(text.find("Its statistics line stays as it is: it always\ncounts every selected "
                      "point, but for the under- and overflow that <code>Flow=yes</code> adds:"),
            std::string::npos);
}

// A zoom's outer bounds are a quarter of the largest number, and about a decade below it on a
// logarithmic axis: values beyond them cannot be zoomed in on.
TEST(Render_Manual, ZoomStopsShortOfTheLargestNumbers) {
  const std::string text = Manual();
  EXPECT_NE(text.find("and at about a quarter of the largest\nnumbers there are: 3E4931 either "
                      "side of 0, on a logarithmic axis 1E-4931 and 1E4931"),
            std::string::npos);
}

// The number and date messages name what a first setup most often gets wrong: a column
// defined without its format (the title read as the format), dates written the ISO way, and
// a data file whose notes start with "#" as many tools write them.
TEST(Render_Manual, NumberAndDateMessagesNameTheCommonSlips) {
  const std::string section = Messages_Section();
  for (const char* expected :
       {"or a [DataFile] format is missing or not a number (<code>Temp=5</code> shows '',\n"
        "<code>Temp=5 Temperature</code> shows 'Temperature': the format comes before the title)",
        "The date field (DateCol) of a\nline is not yyyy/mm/dd (<code>2024-03-01</code> is not "
        "read as a date: write\n<code>2024/03/01</code>)",
        "a header line starting with <code>#</code>, which is data here\n(start comment lines "
        "with <code>;</code>, or give <code>Header</code>)"}) {
    EXPECT_NE(section.find(expected), std::string::npos) << expected;
  }
}

// Every yes/no key the programs read is named where a bad yes/no value is explained.
TEST(Render_Manual, BadBooleanNamesEveryYesNoKey) {
  const std::string section = Messages_Section();
  const std::size_t row = section.find("<tr><td>Bad Boolean constant");
  ASSERT_NE(row, std::string::npos);
  const std::string text = section.substr(row, section.find("</tr>", row) - row);
  for (const char* key : {"logx", "logy", "Params", "RoundX", "RoundY", "Grid", "LeftIn", "Flow",
                          "Density", "ColorBar", "Follow"}) {
    EXPECT_NE(text.find(key), std::string::npos) << key;
  }
}

// Texts the manual had wrong, as the program does it:
// - EX2 is no cross: the centre, and two rows above and below it a bar of five pixels without
//   its middle one (the pixels (+-1, +-1) stay untouched);
// - a polyline breaks at a point that cannot be drawn (zero or below on a logarithmic axis) as
//   at one without a value: it does not run across it as across a point outside the limits;
// - the point under the mouse comes from the first layer in the Layers order that has one
//   there, even when a later layer's point there comes earlier in the data file;
// - a Key's text is its second word: "Key1=@Site Harbour, north pier" takes the points whose
//   text is "Harbour,", and a text with a space in it, or an empty one (a delimited table may
//   hold both), is never chosen;
// - the menu also opens from the keyboard: the Menu key, or Shift+F10 where there is none;
// - automatic bins count every point of the data file, not only those the layer takes, so a
//   histogram of one group of a large file gets as many bars as one of the whole file;
// - a CSV file read without Delimiter draws empty graphs and says nothing;
// - the window started without a display says so (exit status 1);
// - a density layer's fewest points take its map's darkest colour, lost on the default black.
TEST(Render_Manual, TextsAsTheProgramDoesIt) {
  const std::string text = Manual();
  const char* const texts[] = {
      "<tr><td>EX1, EX2</td><td>a small x of 5 pixels; 9 pixels: the centre, and two\nrows "
      "above and below it a bar of 5 pixels without its middle one</td></tr>",
      "the\nline breaks at every point that has no value, is not taken by the layer or cannot "
      "be drawn\n(zero or below on a logarithmic axis), and runs straight across points outside "
      "the axis limits.",
      "if several points are there, the first layer in the\norder of <code>Layers</code> that "
      "has one gives it, with its first one in the data file (later\nlayers are not asked, also "
      "when that one names no <code>Hint</code>: the title then stays as it\nis).",
      "The text is one\nword: the words after it are ignored, so a text with a space in it, or "
      "an empty one (a\n<a href=\"#delimited\">delimited table</a> may hold both), cannot be "
      "chosen.",
      "<p>Right-click anywhere, or press the Menu key or <kbd>Shift+F10</kbd>, for the menu:</p>",
      "<p>Without <code>Delimiter</code> a CSV file is read as blank-separated: a line such as\n"
      "<code>1,Berlin,10.4</code> is one field, so the fields after it are missing and the "
      "graphs that use\nthem stay empty, with no message.</p>",
      "Where there is no display to open the window on (neither <code>DISPLAY</code> nor\n"
      "<code>WAYLAND_DISPLAY</code> is set, as in a login over ssh without X forwarding),\n"
      "<code>plotwright</code> says so and ends with exit status 1",
      "On the default black\n<code>BgColor</code>, or any dark one, those pixels hardly show "
      "or vanish: give a density\ngraph a light <code>BgColor</code>",
      "<p>Automatic bins: about the square root of the number of points loaded from the data "
      "file\n(all of them, not only those the layer takes), rounded up to 1, 2 or",
  };
  for (const char* expected : texts) EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

using Render_Manual_Example = Render_Test;

// The complete example draws without a message, both stations' lines among them, and the
// defaults the setup section cites from it are in the graph section it names.
TEST_F(Render_Manual_Example, CompleteExampleDrawsAndHoldsWhatIsCited) {
  const std::vector<std::string> blocks = Examples_After("<h2 id=\"example\">");
  ASSERT_EQ(blocks.size(), 2u);
  Write("stations.dat", blocks[0]);
  Write("stations.pwr.ini", blocks[1]);
  const Run_Result r = Run("-f bmp -r report.json stations.pwr.ini stations.dat");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "");
  EXPECT_NE(Read("report.json").find("\"stat_line\": \"N=7  m=5.3  s=4.1  mn=1  mx=10.4\""),
            std::string::npos);
  const Bmp page = Read_Bmp("stations.01.bmp");
  ASSERT_EQ(page.Width, 1024);
  std::map<std::uint32_t, int> line_pixels{{0x40A0FF, 0}, {0x00FF00, 0}};
  for (int y = 0; y < page.Height; ++y) {
    for (int x = page.Width / 2; x < page.Width; ++x) {
      if (auto it = line_pixels.find(page.At(x, y)); it != line_pixels.end()) ++it->second;
    }
  }
  EXPECT_GT(line_pixels[0x40A0FF], 100);  // North: about a graph's width of line
  EXPECT_GT(line_pixels[0x00FF00], 100);  // South
  EXPECT_NE(Manual().find("<code>Marker=LINE</code> and <code>Hint=@Site</code> in the\ngraph "
                          "section <code>[One/S]</code> hold for both its layers"),
            std::string::npos);
  EXPECT_NE(blocks[1].find("[One/S]\nKind=Scatter\nx=Time\ny=Temp\nLayers=N S\nMarker=LINE\n"
                           "Hint=@Site\n\n[One/S/N]"),
            std::string::npos);
}

// A column's format gives the most decimals of its statistics: trailing zeros go, and a value
// keeps at most six digits. The manual's examples are the program's lines.
TEST_F(Render_Manual_Example, FormatDecimalsAreAnUpperBound) {
  const std::string text = Manual();
  EXPECT_NE(text.find("D (0 to 9) is the most decimals a value of the column shows"),
            std::string::npos);
  EXPECT_NE(text.find("<code>mx=</code>maximum, with at most the column's decimals"),
            std::string::npos);
  struct Row {
    const char* format;
    const char* data;
    const char* stat_line;
  };
  const Row rows[] = {
      {"6.2", "12.3456\n14.50\n", "N=2  m=13.42  s=1.52  mn=12.35  mx=14.5"},
      {"5.9", "123.45678\n1234567\n", "N=2  m=617345  s=872883  mn=123.457  mx=1.2E+06"},
  };
  for (const Row& row : rows) {
    Write("s.ini", std::string("[DataFile]\nA=1 ") + row.format +
                       "\n[Pages]\nPages=P\n[P]\nGraphs=G\n[P/G]\nKind=H\nx=A\n");
    Write("d.dat", row.data);
    ASSERT_EQ(Run("-r r.json s.ini d.dat").Status, 0) << row.format;
    EXPECT_NE(Read("r.json").find(std::string("\"stat_line\": \"") + row.stat_line + "\""),
              std::string::npos)
        << row.format;
  }
}

// A setup value is cut to 2047 characters, so only a data line can be too long to split: the
// manual says so, and a title of 3000 characters is drawn cut, with no message.
TEST_F(Render_Manual_Example, SetupValuesAreCutNotRefused) {
  const std::string section = Messages_Section();
  const std::size_t row = section.find("<tr><td>Range check error");
  ASSERT_NE(row, std::string::npos);
  const std::string text = section.substr(row, section.find("</tr>", row) - row);
  EXPECT_EQ(text.find("setup value"), std::string::npos);
  EXPECT_NE(Manual().find("A value longer\nthan 2047 characters is cut to its first 2047"),
            std::string::npos);
  Write("s.ini", "[DataFile]\nA=1 5.1 T" + std::string(3000, 'y') +
                     "\n[Pages]\nPages=P\n[P]\nGraphs=G\n[P/G]\nKind=S\nx=A\ny=A\n");
  Write("d.dat", "1\n2\n");
  const Run_Result r = Run("-r r.json s.ini d.dat");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "");
  // "1 5.1 " takes 6 of the 2047 characters.
  EXPECT_NE(Read("r.json").find("\"title\": \"T" + std::string(2040, 'y') + "\""),
            std::string::npos);
}

// The tick labels of a logarithmic axis by its span, as the axes section lists them.
TEST_F(Render_Manual_Example, LogarithmicLabelsBySpan) {
  EXPECT_NE(Manual().find("and 1.2, 1.5 and 2.5 as\nwell for spans up to about two thirds of a\n"
                          "decade"),
            std::string::npos);
  struct Row {
    const char* xhi;
    const char* labels;
  };
  const Row rows[] = {
      {"0.5", "1 1.2 1.5 2 2.5 3 "},
      {"1", "1 2 3 4 5 6 7 8 9 10 "},
      {"2", "1 2 5 10 20 50 100 "},
      {"3", "1 10 100 1000 "},
  };
  Write("d.dat", "1 1\n10 2\n");
  for (const Row& row : rows) {
    Write("s.ini", std::string("[DataFile]\nA=1 5.1\nB=2 5.1\n[Pages]\nPages=P\n[P]\nGraphs=G\n"
                               "[P/G]\nKind=S\nx=A\ny=B\nlogx=yes\nxlo=0\nxhi=") +
                       row.xhi + "\n");
    ASSERT_EQ(Run("-r r.json s.ini d.dat").Status, 0) << row.xhi;
    // The X ticks come first in the report; the Y axis starts with its "lo".
    const std::string report = Read("r.json");
    const std::string x_axis = report.substr(0, report.find("\"y\": {"));
    std::string labels;
    for (std::size_t at = 0; (at = x_axis.find("\"label\": \"", at)) != std::string::npos;) {
      at += 10;
      labels += x_axis.substr(at, x_axis.find('"', at) - at) + " ";
    }
    EXPECT_EQ(labels, row.labels) << row.xhi;
  }
}

// A whole-number key that holds no whole number keeps its default, not 0 and not the value of
// a more general section.
TEST_F(Render_Manual_Example, BadWholeNumberKeepsTheDefault) {
  EXPECT_NE(Manual().find("keeps its default,\nwithout a message (<code>Rows=two</code> gives "
                          "one row, even where <code>[Pages]</code>\nsays <code>Rows=2</code>)"),
            std::string::npos);
  EXPECT_EQ(Manual().find("as\nfor every whole-number key"), std::string::npos);
  struct Row {
    const char* rows;
    int graphs;
  };
  const Row table[] = {{"two", 1}, {"1.5", 1}, {"2147483648", 1}, {"0x2", 2}, {"$2", 2}};
  Write("d.dat", "1\n2\n");
  for (const Row& row : table) {
    Write("s.ini", std::string("[DataFile]\nA=1 5.1\n[Pages]\nPages=P\nRows=2\n[P]\nRows=") +
                       row.rows +
                       "\nGraphs=G H\n[P/G]\nKind=S\nx=A\ny=A\n[P/H]\nKind=S\nx=A\ny=A\n");
    ASSERT_EQ(Run("-r r.json s.ini d.dat").Status, 0) << row.rows;
    const std::string report = Read("r.json");
    EXPECT_EQ(report.find("\"section\": \"P/H\"") != std::string::npos, row.graphs == 2)
        << row.rows;
  }
}

// A CSV file read without Delimiter: each line is one field, the graph that reads field 3
// takes no point, and the run ends well, as the delimited-table section warns.
TEST_F(Render_Manual_Example, CsvWithoutDelimiterDrawsEmptyGraphsSilently) {
  Write("d.csv", "id,site,temp\n1,Berlin,10.4\n2,Oslo,3.5\n");
  Write("s.ini", "[Plotwright]\nHeader=1\n[DataFile]\nT=3 5.1\n[Pages]\nPages=P\n[P]\n"
                 "Graphs=G\n[P/G]\nKind=H\nx=T\n");
  const Run_Result r = Run("-r r.json s.ini d.csv");
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "");
  const std::string report = Read("r.json");
  EXPECT_NE(report.find("\"selected\": 0,"), std::string::npos);
  EXPECT_NE(report.find("\"missing\": 2\n"), std::string::npos);
}

// The demo teaches that logarithmic limits are decades: its comment's span must be the one
// its ylo and yhi give (10^ylo to 10^yhi), as drawn.
TEST(Render_Manual, DemoDecadesCommentMatchesItsLimits) {
  const std::string demo = Demo_Setup();
  const std::size_t comment = demo.find("limits in decades (");
  ASSERT_NE(comment, std::string::npos);
  const std::size_t section_end = demo.find("\n[", comment);
  const std::string section = demo.substr(comment, section_end - comment);
  const double from = std::stod(section.substr(section.find('(') + 1));
  const double to = std::stod(section.substr(section.find(" to ") + 4));
  const double ylo = std::stod(section.substr(section.find("\nylo=") + 5));
  const double yhi = std::stod(section.substr(section.find("\nyhi=") + 5));
  EXPECT_EQ(from, std::pow(10.0, ylo));
  EXPECT_EQ(to, std::pow(10.0, yhi));
}

// The demo is read to learn from: a page key written in a graph or layer section would teach
// a key that does nothing there (only a page reads its fonts, title, grid and colour of
// its title).
TEST(Render_Manual, DemoWritesPageKeysOnlyWherePagesReadThem) {
  std::istringstream in(Demo_Setup());
  std::string section;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line[0] == '[') section = line;
    if (section.find('/') == std::string::npos) continue;
    const std::string key = line.substr(0, line.find('='));
    for (const char* page_key : {"Title", "Name", "Font", "FontSize", "TitleFontSize",
                                 "FontColor", "Rows", "Columns", "Graphs"}) {
      EXPECT_NE(key, page_key) << section;
    }
  }
}

// The first date of a date column: a line dated 1899/12/30 cannot be it, so the times of the
// next date count from that next date, as the data file section says.
TEST_F(Render_Manual_Example, DayZeroIsNeverTheFirstDate) {
  EXPECT_NE(Manual().find("<code>1899/12/30</code> is never taken as the first date: until "
                          "another date\nhas been read, its lines count as on the first date "
                          "too."),
            std::string::npos);
  Write("s.ini", "[Plotwright]\nDateCol=1\n[DataFile]\nT=2 5.1\n[Pages]\nPages=P\n[P]\n"
                 "Graphs=G\n[P/G]\nKind=H\nx=T\n");
  Write("d.dat", "1899/12/30 1:00:00\n1900/01/01 1:00:00\n1899/12/31 1:00:00\n");
  ASSERT_EQ(Run("-r r.json s.ini d.dat").Status, 0);
  EXPECT_NE(Read("r.json").find("\"stat_line\": \"N=3  m=-7  s=13.9  mn=-23  mx=1\""),
            std::string::npos);
}

std::string Without_Blanks(std::string text) {
  std::erase_if(text, [](unsigned char c) { return std::isspace(c) != 0; });
  return text;
}

// The report shown in the manual is the demo's: every line of it but the elided ones is in the
// report the program writes for the demo.
TEST_F(Render_Manual_Example, ReportExampleIsTheDemos) {
  const auto examples = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "examples";
  std::filesystem::copy_file(examples / "demo.pwr.ini", dir_ / "demo.pwr.ini");
  std::filesystem::copy_file(examples / "demo.dat", dir_ / "demo.dat");
  ASSERT_EQ(Run("-r report.json demo.pwr.ini demo.dat").Status, 0);
  const std::string report = Without_Blanks(Read("report.json"));
  const std::vector<std::string> blocks = Examples_After("is a JSON document:");
  ASSERT_FALSE(blocks.empty());
  std::istringstream example(blocks[0]);
  int lines = 0;
  for (std::string line; std::getline(example, line);) {
    if (line.find("...") != std::string::npos) continue;
    ++lines;
    EXPECT_NE(report.find(Without_Blanks(line)), std::string::npos) << line;
  }
  EXPECT_GE(lines, 15);
  // And the demo has as many pages as the manual's last words give it.
  EXPECT_NE(Manual().find("shows every feature on six pages"), std::string::npos);
  EXPECT_NE(report.find("\"number\":6,"), std::string::npos);
  EXPECT_EQ(report.find("\"number\":7,\"section\""), std::string::npos);
}

}  // namespace
}  // namespace pw::test
