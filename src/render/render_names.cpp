#include "render/render_names.h"

namespace pw::render {

std::string Shot_Base(const std::string& data_file) {
  if (data_file == Standard_Input_Name) return std::string(Standard_Input_Base) + ".";
  std::string base = data_file;
  const auto slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base.erase(0, slash + 1);
  const auto dot = base.rfind('.');
  return dot == std::string::npos ? std::string() : base.substr(0, dot + 1);
}

std::string Page_File_Name(const std::string& dir, const std::string& base, int page,
                           const std::string& extension) {
  std::string number = std::to_string(page);
  if (page < 10) number = "0" + number;
  std::string folder = dir;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + base + number + "." + extension;
}

std::string Document_File_Name(const std::string& dir, const std::string& data_file,
                               const std::string& extension) {
  std::string base = data_file == Standard_Input_Name ? Standard_Input_Base : data_file;
  const auto slash = base.find_last_of("/\\");
  if (slash != std::string::npos) base.erase(0, slash + 1);
  const auto dot = base.rfind('.');
  if (dot != std::string::npos) base.erase(dot);
  std::string folder = dir;
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder + base + "." + extension;
}

std::string Shown_Message(const std::string& message) {
  if (message.find("Access violation") != std::string::npos) {
    return "System error: please send in a problem report.";
  }
  return message;
}

}  // namespace pw::render
