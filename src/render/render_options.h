// The command line of plotwright-render.
#pragma once

#include <string>
#include <vector>

namespace pw::render {

enum class Image_Format { Png, Bmp, Svg, Pdf };

struct Render_Options {
  std::string Setup_File;
  std::string Data_File;
  std::string Out_Dir = ".";
  int Width = 1024;
  int Height = 768;
  Image_Format Format = Image_Format::Png;
  // SVG and PDF: a layer with more elements than this is embedded as a picture.
  long long Vector_Limit = 5000;
  bool Ignore_Limits = false;
  std::string Report_File;  // empty: no report; "-": standard output
  int Threads = 0;          // -j: 1..Max_Threads; 0: PLOTWRIGHT_THREADS or all cores
  bool Follow = false;      // --follow: render again at every change of the two files
  bool Help = false;
  bool Version = false;  // --version: print Version_Line() and exit
};

// Most threads -j accepts (as PLOTWRIGHT_THREADS does).
inline constexpr int Max_Threads = 1024;

// Largest canvas side accepted by --size: 16 canvases of this size still fit in memory.
inline constexpr int Max_Canvas_Side = 8192;

struct Parse_Result {
  Render_Options Options;
  std::string Problem;  // empty when the command line is good
};

// Parses the arguments after the program name. "--opt VALUE", "--opt=VALUE" and "-oVALUE"
// are all accepted; "--" ends the options. With -h/--help the other arguments are not
// checked, nor with --version. Anything else wrong (unknown option, missing value, bad size,
// format or vector limit, not exactly two files, a thread count outside 1..Max_Threads,
// --follow with standard input as the data) gives a Problem text.
Parse_Result Parse_Command_Line(const std::vector<std::string>& args);

// "WxH" with both sides in 1..Max_Canvas_Side; false for anything else.
bool Parse_Size(const std::string& text, int& width, int& height);

// The usage text, ending in a line break.
std::string Usage_Text();

// "png", "bmp", "svg" or "pdf".
const char* Format_Extension(Image_Format format);

// SVG and PDF are drawn as vectors; PNG and BMP are the raster itself.
bool Is_Vector(Image_Format format);

}  // namespace pw::render
