// Names of the page image files, as the window names its screen shots.
#pragma once

#include <string>

namespace pw::render {

// The data file name that stands for standard input.
inline constexpr const char* Standard_Input_Name = "-";
// What the output files of standard input's data are named after: "stdin" (as if the data
// file were "stdin.").
inline constexpr const char* Standard_Input_Base = "stdin";

// The data file's name without its folder ("/" or "\"), cut after its last "." (the dot
// stays); empty when the name has no ".". Standard input ("-") gives "stdin.".
std::string Shot_Base(const std::string& data_file);

// dir + "/" + base + page number on two digits (01..09, then 10..16) + "." + extension.
std::string Page_File_Name(const std::string& dir, const std::string& base, int page,
                           const std::string& extension);

// dir + "/" + the data file's name without its folder, cut before its last "." (if any), +
// "." + extension: the name of one file holding every page (run7.dat gives run7.pdf; standard
// input, "-", gives stdin.pdf).
std::string Document_File_Name(const std::string& dir, const std::string& data_file,
                               const std::string& extension);

// The text the error box would show for `message`, on one line: an "Access violation" text
// is replaced by the request for a problem report.
std::string Shown_Message(const std::string& message);

}  // namespace pw::render
