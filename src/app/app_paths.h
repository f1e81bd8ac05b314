// Where the window finds its files and puts its screen shots, so that the same program runs
// from its build folder and installed: in /usr/bin (a folder the user cannot write, started
// from a shell in the user's own folder), with its shared files in share/plotwright/ and the
// user's own files under $XDG_DATA_HOME/plotwright/.
//
// With only the program's folder known, every rule below gives what the program did before it
// could be installed: names taken from the program's folder, screen shots beside the program.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/app_logic.h"

namespace pw {

// The folders the lookups use. Each ends with "/", or is empty when there is none.
struct Program_Places {
  std::string Program_Dir;  // the folder of the program file
  std::string Start_Dir;    // the current folder when the program was started
  std::string Data_Dir;     // the installed shared files: <prefix>/share/plotwright/
  std::string User_Dir;     // the user's data folder: $XDG_DATA_HOME/plotwright/
};

// Whether a file of that name exists (the window's lookups ask through this).
using File_Test = std::function<bool(const std::string& path)>;

// True when `path` names an existing regular file (or a link to one).
bool Is_File(const std::string& path);

// A file name from the command line: an absolute name ("/" first) as given; a relative one in
// Start_Dir when that file exists there, else in Program_Dir (also when it exists in neither,
// so the "File not found" message names the program's folder, as before). An empty Start_Dir
// is not searched.
std::string Find_Named_File(const Program_Places& places, const std::string& name,
                            const File_Test& exists = Is_File);

// A default file ("plotwright.pwr.ini", "plotwright.dat"): beside the program when it exists
// there, else in Data_Dir when it exists there, else Program_Dir + name.
std::string Find_Default_File(const Program_Places& places, const std::string& name,
                              const File_Test& exists = Is_File);

// The command line `[setup file] [data file] [/i]` with the two rules above: named files by
// Find_Named_File, the defaults by Find_Default_File; the third argument as in the
// Parse_Command_Line of app_logic.h (which is this with only Program_Dir set).
Command_Line Parse_Command_Line(const Program_Places& places,
                                const std::vector<std::string>& args, bool ignore_limits,
                                const File_Test& exists = Is_File);

// The help page to open: Program_Dir + help_file when it exists, else the installed manual,
// Data_Dir + "doc/plotwright-manual.html", when it exists; empty when there is none.
// `help_file` is the name relative to the program's folder ("_doc/..." or "doc/...").
std::string Find_Help_Page(const Program_Places& places, const std::string& help_file,
                           const File_Test& exists = Is_File);

// The folder that gets the "scrn/" folder of the screen shots: Program_Dir when
// `program_dir_writable` (see Shots_Writable_Beside) or when there is no User_Dir, else
// User_Dir.
std::string Screen_Shot_Home(const Program_Places& places, bool program_dir_writable);

// True when screen shots can be written to `program_dir` + "scrn/": that folder exists and
// may be written, or it does not exist yet and `program_dir` exists and may be written.
// Asks the system for the caller's rights (access(2)), so for the superuser any existing
// folder counts as writable. A folder that does not exist is not writable.
bool Shots_Writable_Beside(const std::string& program_dir);

// The user's data folder for Plotwright, with a trailing "/": `xdg_data_home` + "/plotwright/"
// when it is an absolute path, else `home` + "/.local/share/plotwright/" when `home` is not
// empty (the XDG base directory rules: a relative or empty $XDG_DATA_HOME is ignored); empty
// when neither gives one. Either argument may be null.
std::string User_Data_Dir(const char* xdg_data_home, const char* home);

// The installed shared files for a program in `program_dir`: `program_dir` +
// `data_from_bin` (a relative path such as "../share/plotwright"), lexically normalised, with
// a trailing "/". Empty when either is empty.
std::string Data_Dir_Of(const std::string& program_dir, const std::string& data_from_bin);

// The folder of the running program file with a trailing "/", byte for byte as the system
// names it (a name that is no valid UTF-8 included); empty when the system does not tell.
std::string Running_Program_Dir();

// `dir` with a trailing "/" (empty stays empty).
std::string With_Slash(const std::string& dir);

}  // namespace pw
