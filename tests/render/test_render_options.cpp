#include "render/render_options.h"

#include <gtest/gtest.h>

#include "render/render_names.h"

namespace pw::render {
namespace {

TEST(Render_Options, Defaults) {
  const Parse_Result r = Parse_Command_Line({"s.ini", "d.dat"});
  ASSERT_EQ(r.Problem, "");
  EXPECT_EQ(r.Options.Setup_File, "s.ini");
  EXPECT_EQ(r.Options.Data_File, "d.dat");
  EXPECT_EQ(r.Options.Out_Dir, ".");
  EXPECT_EQ(r.Options.Width, 1024);
  EXPECT_EQ(r.Options.Height, 768);
  EXPECT_EQ(r.Options.Format, Image_Format::Png);
  EXPECT_FALSE(r.Options.Ignore_Limits);
  EXPECT_EQ(r.Options.Report_File, "");
  EXPECT_EQ(r.Options.Vector_Limit, 5000);
  EXPECT_FALSE(r.Options.Follow);
  EXPECT_TRUE(Parse_Command_Line({"s.ini", "--follow", "d.dat"}).Options.Follow);
}

TEST(Render_Options, VectorFormatsAndLimit) {
  struct Case {
    std::vector<std::string> args;
    Image_Format format;
    long long limit;
  };
  const Case cases[] = {
      {{"-f", "svg", "s", "d"}, Image_Format::Svg, 5000},
      {{"--format=pdf", "--vector-limit", "0", "s", "d"}, Image_Format::Pdf, 0},
      {{"--vector-limit=123456789012", "-fsvg", "s", "d"}, Image_Format::Svg, 123456789012},
  };
  for (const Case& c : cases) {
    const Parse_Result r = Parse_Command_Line(c.args);
    ASSERT_EQ(r.Problem, "");
    EXPECT_EQ(r.Options.Format, c.format);
    EXPECT_EQ(r.Options.Vector_Limit, c.limit);
    EXPECT_TRUE(Is_Vector(c.format));
  }
  EXPECT_FALSE(Is_Vector(Image_Format::Png));
  EXPECT_STREQ(Format_Extension(Image_Format::Pdf), "pdf");
}

TEST(Render_Options, EveryOptionInEveryForm) {
  const std::vector<std::vector<std::string>> forms = {
      {"-o", "out", "-s", "800x600", "-f", "bmp", "-i", "-r", "-", "s", "d"},
      {"--out", "out", "--size", "800x600", "--format", "bmp", "--ignore-limits", "--report", "-",
       "s", "d"},
      {"--out=out", "--size=800X600", "--format=bmp", "-i", "--report=-", "s", "d"},
      {"-oout", "-s800x600", "-fbmp", "s", "-i", "-r-", "d"},
  };
  for (const auto& args : forms) {
    const Parse_Result r = Parse_Command_Line(args);
    ASSERT_EQ(r.Problem, "");
    EXPECT_EQ(r.Options.Out_Dir, "out");
    EXPECT_EQ(r.Options.Width, 800);
    EXPECT_EQ(r.Options.Height, 600);
    EXPECT_EQ(r.Options.Format, Image_Format::Bmp);
    EXPECT_TRUE(r.Options.Ignore_Limits);
    EXPECT_EQ(r.Options.Report_File, "-");
    EXPECT_EQ(r.Options.Setup_File, "s");
    EXPECT_EQ(r.Options.Data_File, "d");
  }
}

TEST(Render_Options, Threads) {
  const std::vector<std::pair<std::vector<std::string>, int>> cases = {
      {{"s", "d"}, 0}, {{"-j", "1", "s", "d"}, 1}, {{"-j8", "s", "d"}, 8},
      {{"--threads", "1024", "s", "d"}, 1024}, {{"s", "--threads=3", "d"}, 3}};
  for (const auto& [args, threads] : cases) {
    const Parse_Result r = Parse_Command_Line(args);
    ASSERT_EQ(r.Problem, "");
    EXPECT_EQ(r.Options.Threads, threads);
  }
}

TEST(Render_Options, DoubleDashEndsOptions) {
  const Parse_Result r = Parse_Command_Line({"--", "-s.ini", "-d.dat"});
  ASSERT_EQ(r.Problem, "");
  EXPECT_EQ(r.Options.Setup_File, "-s.ini");
  EXPECT_EQ(r.Options.Data_File, "-d.dat");
}

TEST(Render_Options, Problems) {
  struct Case {
    std::vector<std::string> args;
    const char* problem;
  };
  const Case cases[] = {
      {{}, "a setup file and a data file are needed"},
      {{"a"}, "a setup file and a data file are needed"},
      {{"a", "b", "c"}, "too many files: 'c'"},
      {{"-x", "a", "b"}, "unknown option '-x'"},
      {{"--ignore-limits=1", "a", "b"}, "unknown option '--ignore-limits=1'"},
      {{"a", "b", "-o"}, "option -o needs a value"},
      {{"-s", "10", "a", "b"}, "bad size '10' (expected WxH, each 1 to 8192)"},
      {{"-s", "0x10", "a", "b"}, "bad size '0x10' (expected WxH, each 1 to 8192)"},
      {{"-s", "8193x10", "a", "b"}, "bad size '8193x10' (expected WxH, each 1 to 8192)"},
      {{"-s", "-5x10", "a", "b"}, "bad size '-5x10' (expected WxH, each 1 to 8192)"},
      {{"-f", "PNG", "a", "b"}, "bad format 'PNG' (expected png, bmp, svg or pdf)"},
      {{"--vector-limit", "-1", "a", "b"},
       "bad vector limit '-1' (expected a whole number from 0)"},
      {{"--vector-limit=5k", "a", "b"}, "bad vector limit '5k' (expected a whole number from 0)"},
      {{"--vector-limit=99999999999999999999", "a", "b"},
       "bad vector limit '99999999999999999999' (expected a whole number from 0)"},
      {{"a", "b", "--vector-limit"}, "option --vector-limit needs a value"},
      {{"--out=", "a", "b"}, "empty folder name for --out"},
      {{"--version=1", "a", "b"}, "unknown option '--version=1'"},
      {{"-version", "a", "b"}, "unknown option '-version'"},
      {{"-j", "0", "a", "b"}, "bad thread count '0' (expected 1 to 1024)"},
      {{"-j1025", "a", "b"}, "bad thread count '1025' (expected 1 to 1024)"},
      {{"--threads=", "a", "b"}, "bad thread count '' (expected 1 to 1024)"},
      {{"--threads", "+2", "a", "b"}, "bad thread count '+2' (expected 1 to 1024)"},
      {{"-j", "2x", "a", "b"}, "bad thread count '2x' (expected 1 to 1024)"},
      {{"a", "b", "-j"}, "option -j needs a value"},
      {{"--follow", "a", "-"}, "--follow needs a data file, not standard input"},
      {{"--follow=1", "a", "b"}, "unknown option '--follow=1'"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse_Command_Line(c.args).Problem, c.problem);
  }
}

TEST(Render_Options, HelpWinsOverEverythingElse) {
  const Parse_Result r = Parse_Command_Line({"-x", "-h"});
  EXPECT_TRUE(r.Options.Help);
  EXPECT_EQ(r.Problem, "");
}

TEST(Render_Options, VersionWinsOverEverythingElse) {
  const Parse_Result r = Parse_Command_Line({"-x", "--version", "a", "b", "c"});
  EXPECT_TRUE(r.Options.Version);
  EXPECT_FALSE(r.Options.Help);
  EXPECT_EQ(r.Problem, "");
  EXPECT_FALSE(Parse_Command_Line({"a", "b"}).Options.Version);
}

TEST(Render_Options, SizeLimits) {
  int w = 0, h = 0;
  EXPECT_TRUE(Parse_Size("1x1", w, h));
  EXPECT_TRUE(Parse_Size("8192x8192", w, h));
  EXPECT_EQ(w, 8192);
  EXPECT_FALSE(Parse_Size("x", w, h));
  EXPECT_FALSE(Parse_Size("10x", w, h));
  EXPECT_FALSE(Parse_Size("10x10x", w, h));
  EXPECT_FALSE(Parse_Size("+10x10", w, h));
}

TEST(Render_Names, ShotBase) {
  EXPECT_EQ(Shot_Base("C:\\work\\run7.dat"), "run7.");
  EXPECT_EQ(Shot_Base("/tmp/run7.dat"), "run7.");
  EXPECT_EQ(Shot_Base("data"), "");
  EXPECT_EQ(Shot_Base("a.b.c"), "a.b.");
  EXPECT_EQ(Shot_Base("dir.x/data"), "");
  EXPECT_EQ(Shot_Base(".hidden"), ".");
}

TEST(Render_Names, PageFileName) {
  EXPECT_EQ(Page_File_Name("out", "run7.", 3, "png"), "out/run7.03.png");
  EXPECT_EQ(Page_File_Name("out/", "run7.", 12, "bmp"), "out/run7.12.bmp");
  EXPECT_EQ(Page_File_Name(".", "", 1, "png"), "./01.png");
}

TEST(Render_Names, DocumentFileName) {
  EXPECT_EQ(Document_File_Name("out", "/tmp/run7.dat", "pdf"), "out/run7.pdf");
  EXPECT_EQ(Document_File_Name("out/", "a.b.c", "pdf"), "out/a.b.pdf");
  EXPECT_EQ(Document_File_Name(".", "dir.x/data", "pdf"), "./data.pdf");
}

TEST(Render_Names, ShownMessage) {
  EXPECT_EQ(Shown_Message("Wrong filter limits"), "Wrong filter limits");
  EXPECT_EQ(Shown_Message("Access violation at 0x0"),
            "System error: please send in a problem report.");
}

}  // namespace
}  // namespace pw::render
