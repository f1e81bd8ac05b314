#include "app/app_paths.h"

#include <unistd.h>

#include <filesystem>

namespace pw {

namespace fs = std::filesystem;

namespace {

// The installed manual, relative to the shared-files folder.
constexpr const char* Installed_Manual = "doc/plotwright-manual.html";

bool Absolute(const std::string& name) { return !name.empty() && name[0] == '/'; }

bool Folder_Writable(const std::string& path) {
  std::error_code ec;
  return fs::is_directory(path, ec) && ::access(path.c_str(), W_OK | X_OK) == 0;
}

}  // namespace

bool Is_File(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string Find_Named_File(const Program_Places& places, const std::string& name,
                            const File_Test& exists) {
  if (Absolute(name)) return name;
  if (!places.Start_Dir.empty() && exists(places.Start_Dir + name)) {
    return places.Start_Dir + name;
  }
  return Resolve_Program_File(places.Program_Dir, name);
}

std::string Find_Default_File(const Program_Places& places, const std::string& name,
                              const File_Test& exists) {
  const std::string beside = places.Program_Dir + name;
  if (exists(beside)) return beside;
  if (!places.Data_Dir.empty() && exists(places.Data_Dir + name)) return places.Data_Dir + name;
  return beside;
}

Command_Line Parse_Command_Line(const Program_Places& places,
                                const std::vector<std::string>& args, bool ignore_limits,
                                const File_Test& exists) {
  Command_Line line;
  line.Setup_File = args.size() >= 1 ? Find_Named_File(places, args[0], exists)
                                     : Find_Default_File(places, "plotwright.pwr.ini", exists);
  line.Data_File = args.size() >= 2 ? Find_Named_File(places, args[1], exists)
                                    : Find_Default_File(places, "plotwright.dat", exists);
  line.Ignore_Limits = ignore_limits;
  // The switches after the two files, in either order: "/i" and "/f".
  auto is = [&](std::size_t k, char letter) {
    return args.size() > k && args[k].size() == 2 && args[k][0] == '/' &&
           (args[k][1] == letter || args[k][1] == letter - 'a' + 'A');
  };
  if (args.size() >= 3) line.Ignore_Limits = is(2, 'i') || (is(2, 'f') && is(3, 'i'));
  line.Follow = is(2, 'f') || (is(2, 'i') && is(3, 'f'));
  return line;
}

std::string Find_Help_Page(const Program_Places& places, const std::string& help_file,
                           const File_Test& exists) {
  if (exists(places.Program_Dir + help_file)) return places.Program_Dir + help_file;
  if (!places.Data_Dir.empty() && exists(places.Data_Dir + Installed_Manual)) {
    return places.Data_Dir + Installed_Manual;
  }
  return {};
}

std::string Screen_Shot_Home(const Program_Places& places, bool program_dir_writable) {
  if (program_dir_writable || places.User_Dir.empty()) return places.Program_Dir;
  return places.User_Dir;
}

bool Shots_Writable_Beside(const std::string& program_dir) {
  // Without its trailing "/", so a file of that name counts as there (and not a folder).
  const std::string shots = fs::path(Screen_Shot_Folder(program_dir)).parent_path().string();
  std::error_code ec;
  if (fs::exists(fs::symlink_status(shots, ec))) return Folder_Writable(shots);
  return Folder_Writable(program_dir);
}

std::string User_Data_Dir(const char* xdg_data_home, const char* home) {
  if (xdg_data_home != nullptr && xdg_data_home[0] == '/') {
    return With_Slash(xdg_data_home) + "plotwright/";
  }
  if (home != nullptr && home[0] != '\0') return With_Slash(home) + ".local/share/plotwright/";
  return {};
}

std::string Data_Dir_Of(const std::string& program_dir, const std::string& data_from_bin) {
  if (program_dir.empty() || data_from_bin.empty()) return {};
  const fs::path dir = (fs::path(program_dir) / data_from_bin).lexically_normal();
  return With_Slash(dir.string());
}

std::string Running_Program_Dir() {
  std::error_code ec;
  const fs::path program = fs::read_symlink("/proc/self/exe", ec);
  if (ec || !program.is_absolute()) return {};
  return With_Slash(program.parent_path().string());
}

std::string With_Slash(const std::string& dir) {
  if (dir.empty() || dir.back() == '/') return dir;
  return dir + "/";
}

}  // namespace pw
