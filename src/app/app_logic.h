// The window's rules that need no window: error-text line breaking, form placement on the
// screen, file names from the command line, screen-shot names and the tab layout rules.
// Kept free of Qt so they can be checked on their own.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// Longest error text shown on one line, in characters.
inline constexpr int Line_Break_Width = 54;
// Shown instead of any text that mentions an access violation.
inline constexpr const char* System_Error_Text = "System error: please send in a problem report.";

// The text the error box shows for `text`: the fixed system-error text when `text` contains
// "Access violation"; else, when longer than Line_Break_Width characters, the last blank at or
// before character position Line_Break_Width + 1 (1-based) becomes a line break, unless that
// blank is the first character or there is none. At most one break. Empty text stays empty.
// Characters are counted in UTF-8 (base/utf8_chars.h).
std::string Error_Box_Text(const std::string& text);

// `text` with further line breaks so that no line is wider than `max_width` by `width_of`
// (the width of a piece of one line): a line too wide is broken at the last blank within its
// longest front part that fits, or right after it (that blank becomes the break, unless it is
// the line's first character), else right after that front part, which keeps at least one
// character. Every
// other character stays as it is, so the text reads the same with its breaks taken out.
// Lines that fit, and a max_width below 1, leave the text unchanged.
std::string Wrap_To_Width(const std::string& text, int max_width,
                          const std::function<int(std::string_view)>& width_of);

struct Form_Rect {
  int Left = 0, Top = 0, Width = 0, Height = 0;
};

// Margin every placed box keeps from the screen edges.
inline constexpr int Screen_Margin = 4;

// `form` moved so it keeps Screen_Margin pixels inside a screen of the given size: a left
// (top) edge before the margin moves to it, else one too far right (down) moves back. So a
// form wider than the screen goes to the left margin only when it started before it; from
// anywhere else its right edge is put at the margin and its left edge lies off screen.
Form_Rect Keep_On_Screen(Form_Rect form, int screen_width, int screen_height);

// `form` centred on `active` (or on the screen when `active` is null), then kept on screen.
// Divisions truncate.
Form_Rect Centre_Form(Form_Rect form, const Form_Rect* active, int screen_width,
                      int screen_height);

// A command-line file name as the program uses it: a name starting with "/" is absolute and
// kept; every other name (empty included) is prefixed with `program_dir`.
std::string Resolve_Program_File(const std::string& program_dir, const std::string& name);

// The files and switches of the command line `[setup file] [data file] [/i] [/f]` (arguments
// without the program name); defaults "plotwright.pwr.ini" and "plotwright.dat" in
// `program_dir`. The names of a program that knows only its own folder (app_paths.h has the
// full lookup). The switches follow the two files in either order, each exactly as written
// or with a capital letter. `ignore_limits` is set only when there are 3 or more arguments,
// from the third being "/i" (or the third "/f" and the fourth "/i"); otherwise it is left as
// given. Follow: the third is "/f", or the third "/i" and the fourth "/f". Further
// arguments are ignored.
struct Command_Line {
  std::string Setup_File;
  std::string Data_File;
  bool Ignore_Limits = false;
  bool Follow = false;  // follow the changes of both files from the start
};
Command_Line Parse_Command_Line(const std::string& program_dir,
                                const std::vector<std::string>& args, bool ignore_limits);

// What the window answers without opening (and without needing a display): "--version" or
// "--help" as the first argument; the rest of the command line is then not looked at.
enum class Early_Answer { None, Version, Help };
Early_Answer Early_Answer_Of(const std::vector<std::string>& args);

// Why the window cannot be opened, ending in a line break; empty when it may be tried. It is
// refused when no display is named (DISPLAY and WAYLAND_DISPLAY unset or empty, and no
// XDG_SESSION_TYPE=wayland, whose default socket may serve) and no other platform is chosen
// (a non-empty QT_QPA_PLATFORM, or "-platform" among `args`). `env` gives an environment
// variable's value, null when unset.
std::string No_Display_Text(const std::function<const char*(const char*)>& env,
                            const std::vector<std::string>& args);

// The window's --help text, ending in a line break.
std::string Window_Usage_Text();

// Screen-shot file of page `page` (1..16): program_dir + "scrn/" + base + 2-digit number +
// ".bmp", base being the data file's name without its folder (after the last "/" or "\"),
// cut after its last "." (the dot stays; no dot gives an empty base).
std::string Screen_Shot_Folder(const std::string& program_dir);
std::string Screen_Shot_Name(const std::string& program_dir, const std::string& data_file,
                             int page);

enum class Tab_Side { Top, Left, Bottom, Right };

// Side named by the first character of "Tabs": L/l left, R/r right, T/t top; anything else,
// empty included, bottom.
Tab_Side Tab_Side_From(const std::string& tabs);

// Tabs per row: `setting` when above 0, else Min(6, Max(4, page_count)).
int Tabs_Per_Row(int setting, int page_count);

// Number of rows `visible` tabs take at `per_row` tabs a row (at least 1 row; per_row < 1
// counts as 1).
int Tab_Rows(int visible, int per_row);

}  // namespace pw

namespace pw {

// The product's web page, opened by "Plotwright &Web Page".
inline constexpr const char* Home_Page = "https://plotwright.org/";
// The name of the desktop entry and of the icon the window is installed with (without
// ".desktop"); the desktop matches running windows to their entry by it.
inline constexpr const char* Desktop_Id = "org.plotwright.Plotwright";
// The help page, relative to the program's folder; the first character is dropped when that
// file does not exist (so "doc/..." is tried next).
inline constexpr const char* Default_Help_File = "_doc/plotwright-manual.html";
// Directory of the program file with a trailing "/", letter case kept; the current directory
// from start-up on. Empty until the program start sets it.
inline std::string Work_Dir;

}  // namespace pw
