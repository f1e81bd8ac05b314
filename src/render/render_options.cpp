#include "render/render_options.h"

#include <charconv>

namespace pw::render {

namespace {

bool Parse_Side(const std::string& text, int& side) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, side);
  return ec == std::errc() && ptr == end && side >= 1 && side <= Max_Canvas_Side;
}

// The option an argument names and the value glued to it ("--out=x", "-ox"), if any.
struct Split_Option {
  std::string Name;
  std::string Value;
  bool Has_Value = false;
};

Split_Option Split(const std::string& arg) {
  Split_Option s;
  if (arg.rfind("--", 0) == 0) {
    const auto eq = arg.find('=');
    s.Name = arg.substr(0, eq);
    if (eq != std::string::npos) {
      s.Value = arg.substr(eq + 1);
      s.Has_Value = true;
    }
  } else {
    s.Name = arg.substr(0, 2);
    if (arg.size() > 2) {
      s.Value = arg.substr(2);
      s.Has_Value = true;
    }
  }
  return s;
}

bool Takes_Value(const std::string& name) {
  return name == "-o" || name == "--out" || name == "-s" || name == "--size" || name == "-f" ||
         name == "--format" || name == "-r" || name == "--report" || name == "--vector-limit" ||
         name == "-j" || name == "--threads";
}

// A whole number from 0 up, in digits only.
bool Parse_Limit(const std::string& text, long long& limit) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, limit);
  return ec == std::errc() && ptr == end;
}

// A whole number 1..Max_Threads, digits only.
bool Parse_Threads(const std::string& text, int& threads) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return false;
  const char* end = text.data() + text.size();
  int n = 0;
  auto [ptr, ec] = std::from_chars(text.data(), end, n);
  if (ec != std::errc() || ptr != end || n < 1 || n > Max_Threads) return false;
  threads = n;
  return true;
}

// Stores the value of a value-taking option; returns a problem text or empty.
std::string Apply_Value(Render_Options& o, const std::string& name, const std::string& value) {
  if (name == "-o" || name == "--out") {
    if (value.empty()) return "empty folder name for " + name;
    o.Out_Dir = value;
  } else if (name == "-s" || name == "--size") {
    if (!Parse_Size(value, o.Width, o.Height)) {
      return "bad size '" + value + "' (expected WxH, each 1 to " +
             std::to_string(Max_Canvas_Side) + ")";
    }
  } else if (name == "-f" || name == "--format") {
    if (value == "png") {
      o.Format = Image_Format::Png;
    } else if (value == "bmp") {
      o.Format = Image_Format::Bmp;
    } else if (value == "svg") {
      o.Format = Image_Format::Svg;
    } else if (value == "pdf") {
      o.Format = Image_Format::Pdf;
    } else {
      return "bad format '" + value + "' (expected png, bmp, svg or pdf)";
    }
  } else if (name == "--vector-limit") {
    if (!Parse_Limit(value, o.Vector_Limit)) {
      return "bad vector limit '" + value + "' (expected a whole number from 0)";
    }
  } else if (name == "-j" || name == "--threads") {
    if (!Parse_Threads(value, o.Threads)) {
      return "bad thread count '" + value + "' (expected 1 to " + std::to_string(Max_Threads) + ")";
    }
  } else {  // -r, --report
    if (value.empty()) return "empty file name for " + name;
    o.Report_File = value;
  }
  return {};
}

}  // namespace

bool Parse_Size(const std::string& text, int& width, int& height) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  int w = 0, h = 0;
  if (!Parse_Side(text.substr(0, x), w) || !Parse_Side(text.substr(x + 1), h)) return false;
  width = w;
  height = h;
  return true;
}

Parse_Result Parse_Command_Line(const std::vector<std::string>& args) {
  Parse_Result r;
  Render_Options& o = r.Options;
  std::vector<std::string> files;
  bool options_done = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    const Split_Option s = Split(arg);
    if (s.Name == "-h" || s.Name == "--help") {
      if (s.Has_Value && s.Name == "-h") {
        if (r.Problem.empty()) r.Problem = "unknown option '" + arg + "'";
        continue;
      }
      o.Help = true;
      r.Problem.clear();
      return r;
    }
    if (arg == "--version") {
      o.Version = true;
      r.Problem.clear();
      return r;
    }
    if (s.Name == "-i" || s.Name == "--ignore-limits") {
      if (s.Has_Value) {
        if (r.Problem.empty()) r.Problem = "unknown option '" + arg + "'";
        continue;
      }
      o.Ignore_Limits = true;
      continue;
    }
    if (arg == "--follow") {
      o.Follow = true;
      continue;
    }
    if (!Takes_Value(s.Name)) {
      if (r.Problem.empty()) r.Problem = "unknown option '" + arg + "'";
      continue;
    }
    std::string value = s.Value;
    if (!s.Has_Value) {
      if (i + 1 >= args.size()) {
        if (r.Problem.empty()) r.Problem = "option " + s.Name + " needs a value";
        continue;
      }
      value = args[++i];
    }
    const std::string problem = Apply_Value(o, s.Name, value);
    if (r.Problem.empty()) r.Problem = problem;
  }
  if (r.Problem.empty() && files.size() != 2) {
    r.Problem = files.size() < 2 ? "a setup file and a data file are needed"
                                 : "too many files: '" + files[2] + "'";
  }
  if (files.size() >= 2) {
    o.Setup_File = files[0];
    o.Data_File = files[1];
  }
  // Standard input is read once, to its end: there is nothing to follow.
  if (r.Problem.empty() && o.Follow && o.Data_File == "-") {
    r.Problem = "--follow needs a data file, not standard input";
  }
  return r;
}

std::string Usage_Text() {
  return "usage: plotwright-render [options] SETUP_FILE DATA_FILE\n"
         "Renders every page of a Plotwright setup to image files.\n"
         "  -o, --out DIR        folder for the page images, created when missing\n"
         "                       (default: the current folder)\n"
         "  -s, --size WxH       canvas size in pixels (default 1024x768)\n"
         "  -f, --format FMT     png, bmp, svg or pdf (default png); svg writes a file\n"
         "                       per page, pdf one file DIR/BASE.pdf of all pages\n"
         "      --vector-limit N svg and pdf: a layer of more than N markers, lines or\n"
         "                       bars is embedded as a picture of its pixels, while\n"
         "                       frames and texts stay vectors (default 5000; 0: every\n"
         "                       layer)\n"
         "  -i, --ignore-limits  the graphs skip \"xlo\", \"xhi\", \"ylo\", \"yhi\"\n"
         "  -r, --report FILE    write a JSON report of every page and graph;\n"
         "                       \"-\" writes it to standard output\n"
         "  -j, --threads N      work on N threads, 1 to 1024 (default: the environment\n"
         "                       variable PLOTWRIGHT_THREADS, else every core this\n"
         "                       process may use); pictures and report are the same\n"
         "                       for any N\n"
         "      --follow         after the first render, render again whenever the setup\n"
         "                       or the data file changes (lines added to the data file\n"
         "                       are read alone), one line \"rendered N points, K pages\"\n"
         "                       each time, until SIGINT or SIGTERM (exit status 0)\n"
         "  -h, --help           show this text\n"
         "      --version        show the version\n"
         "Page k is written as DIR/BASE.kk.FMT, BASE being the data file's name up to its\n"
         "last \".\" (data file run7.dat, page 3: run7.03.png; all pages: run7.pdf); a\n"
         "name without a \".\" gives no BASE (data file data: 03.png, data.pdf).\n"
         "A data file compressed with gzip or zstd is decompressed while it is read,\n"
         "whatever its name. DATA_FILE \"-\" reads standard input (plain or compressed)\n"
         "to its end, then draws; its pages are named after \"stdin\" (stdin.03.png,\n"
         "stdin.pdf), and the report's \"data\" is \"-\".\n"
         "Exit status: 0 all pages drawn, 1 an error stopped the work, 2 bad command line\n"
         "or PLOTWRIGHT_THREADS value.\n";
}

const char* Format_Extension(Image_Format format) {
  switch (format) {
    case Image_Format::Bmp:
      return "bmp";
    case Image_Format::Svg:
      return "svg";
    case Image_Format::Pdf:
      return "pdf";
    case Image_Format::Png:
      break;
  }
  return "png";
}

bool Is_Vector(Image_Format format) {
  return format == Image_Format::Svg || format == Image_Format::Pdf;
}

}  // namespace pw::render
