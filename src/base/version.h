// The program's version, as both programs print it for --version and the about box shows it.
#pragma once

#include <string>

namespace pw {

inline constexpr const char* Program_Version = "2.34";

// "plotwright 2.34": the answer of both programs to --version, without a line break.
inline std::string Version_Line() { return std::string("plotwright ") + Program_Version; }

}  // namespace pw
