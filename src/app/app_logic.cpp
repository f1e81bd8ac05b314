#include "app/app_logic.h"

#include <algorithm>

#include "app/app_paths.h"
#include "base/utf8_chars.h"

namespace pw {

std::string Error_Box_Text(const std::string& text) {
  if (text.find("Access violation") != std::string::npos) return System_Error_Text;
  std::string shown = text;
  // Messages are UTF-8 (file names, setup values): widths and positions count characters.
  if (Character_Count(shown) > static_cast<std::size_t>(Line_Break_Width)) {
    // Position Line_Break_Width + 1 counted from 1 starts after the first Line_Break_Width
    // characters.
    const std::size_t last = Cut_To_Characters(shown, Line_Break_Width).size();
    const std::size_t blank = shown.rfind(' ', last);
    if (blank != std::string::npos && blank > 0) shown[blank] = '\n';
  }
  return shown;
}

namespace {

// The bytes of the longest front part of `line` (at least one character) whose width fits.
std::size_t Fitting_Bytes(std::string_view line, int max_width,
                          const std::function<int(std::string_view)>& width_of) {
  std::size_t lo = 1, hi = Character_Count(line);
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo + 1) / 2;
    if (width_of(Cut_To_Characters(line, mid)) <= max_width) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  return Cut_To_Characters(line, lo).size();
}

void Wrap_Line(std::string_view line, int max_width,
               const std::function<int(std::string_view)>& width_of, std::string& out) {
  while (!line.empty() && width_of(line) > max_width) {
    const std::size_t fit = Fitting_Bytes(line, max_width, width_of);
    if (fit == line.size()) break;  // one character wider than the room stays on its line
    // A blank right after the part that fits may break too: it is not shown.
    const std::size_t blank = line.substr(0, fit + 1).rfind(' ');
    if (blank != std::string_view::npos && blank > 0) {
      out.append(line.substr(0, blank)).push_back('\n');
      line.remove_prefix(blank + 1);
    } else {
      out.append(line.substr(0, fit)).push_back('\n');
      line.remove_prefix(fit);
    }
  }
  out.append(line);
}

}  // namespace

std::string Wrap_To_Width(const std::string& text, int max_width,
                          const std::function<int(std::string_view)>& width_of) {
  if (max_width < 1) return text;
  std::string out;
  std::string_view rest = text;
  for (;;) {
    const std::size_t end = rest.find('\n');
    Wrap_Line(rest.substr(0, end), max_width, width_of, out);
    if (end == std::string_view::npos) break;
    out.push_back('\n');
    rest.remove_prefix(end + 1);
  }
  return out;
}

Form_Rect Keep_On_Screen(Form_Rect form, int screen_width, int screen_height) {
  if (form.Left < Screen_Margin) {
    form.Left = Screen_Margin;
  } else if (form.Left > screen_width - form.Width - Screen_Margin) {
    form.Left = screen_width - form.Width - Screen_Margin;
  }
  if (form.Top < Screen_Margin) {
    form.Top = Screen_Margin;
  } else if (form.Top > screen_height - form.Height - Screen_Margin) {
    form.Top = screen_height - form.Height - Screen_Margin;
  }
  return form;
}

Form_Rect Centre_Form(Form_Rect form, const Form_Rect* active, int screen_width,
                      int screen_height) {
  int cx = screen_width / 2;
  int cy = screen_height / 2;
  if (active != nullptr) {
    cx = active->Left + active->Width / 2;
    cy = active->Top + active->Height / 2;
  }
  form.Left = cx - form.Width / 2;
  form.Top = cy - form.Height / 2;
  return Keep_On_Screen(form, screen_width, screen_height);
}

std::string Resolve_Program_File(const std::string& program_dir, const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  return program_dir + name;
}

Command_Line Parse_Command_Line(const std::string& program_dir,
                                const std::vector<std::string>& args, bool ignore_limits) {
  return Parse_Command_Line(Program_Places{program_dir, {}, {}, {}}, args, ignore_limits);
}

Early_Answer Early_Answer_Of(const std::vector<std::string>& args) {
  if (args.empty()) return Early_Answer::None;
  if (args[0] == "--version") return Early_Answer::Version;
  if (args[0] == "--help") return Early_Answer::Help;
  return Early_Answer::None;
}

std::string No_Display_Text(const std::function<const char*(const char*)>& env,
                            const std::vector<std::string>& args) {
  const auto set = [&](const char* name) {
    const char* value = env(name);
    return value != nullptr && *value != '\0';
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) return "";
  // A Wayland session may leave its display to the default socket.
  const char* session = env("XDG_SESSION_TYPE");
  if (session != nullptr && std::string(session) == "wayland") return "";
  for (const std::string& arg : args) {
    if (arg == "-platform") return "";
  }
  return "no display to open the window on (DISPLAY is not set); plotwright-render draws the "
         "pages to image files without one\n";
}

std::string Window_Usage_Text() {
  return "usage: plotwright [SETUP_FILE [DATA_FILE [/i] [/f]]]\n"
         "Shows the pages of a Plotwright setup in a window, one tab per page.\n"
         "  SETUP_FILE  the setup file (default: plotwright.pwr.ini beside the program,\n"
         "              else the installed demo in share/plotwright/)\n"
         "  DATA_FILE   the data file (default: plotwright.dat, found the same way)\n"
         "  /i          the graphs ignore their fixed axis limits until the next plain\n"
         "              redraw\n"
         "  /f          follow file changes: draw again whenever the setup or the data\n"
         "              file changes (lines added to the data file are read alone)\n"
         "  --help      show this text\n"
         "  --version   show the version\n"
         "A data file compressed with gzip or zstd is decompressed while it is read,\n"
         "whatever its name.\n"
         "Relative names are looked up in the current folder first, then beside the\n"
         "program. Screen shots go to scrn/ beside the program, or to\n"
         "$XDG_DATA_HOME/plotwright/scrn/ (~/.local/share/plotwright/scrn/) when the\n"
         "program's folder cannot be written.\n";
}

std::string Screen_Shot_Folder(const std::string& program_dir) { return program_dir + "scrn/"; }

std::string Screen_Shot_Name(const std::string& program_dir, const std::string& data_file,
                             int page) {
  std::string base = data_file;
  const std::size_t slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base.erase(0, slash + 1);
  const std::size_t dot = base.rfind('.');
  base = dot == std::string::npos ? std::string() : base.substr(0, dot + 1);
  std::string number = std::to_string(page);
  if (page < 10) number = "0" + number;
  return Screen_Shot_Folder(program_dir) + base + number + ".bmp";
}

Tab_Side Tab_Side_From(const std::string& tabs) {
  if (tabs.empty()) return Tab_Side::Bottom;
  switch (tabs[0]) {
    case 'L': case 'l': return Tab_Side::Left;
    case 'R': case 'r': return Tab_Side::Right;
    case 'T': case 't': return Tab_Side::Top;
    default: return Tab_Side::Bottom;
  }
}

int Tabs_Per_Row(int setting, int page_count) {
  if (setting > 0) return setting;
  return std::min(6, std::max(4, page_count));
}

int Tab_Rows(int visible, int per_row) {
  per_row = std::max(1, per_row);
  return std::max(1, (visible + per_row - 1) / per_row);
}

}  // namespace pw
