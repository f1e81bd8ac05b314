// Temporary setup and data files for the data tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "data/d_filedef.h"
#include "setup/d_inifile.h"

namespace pw_test {

// A file under the system's temporary folder, removed when the object goes.
class Temp_File {
 public:
  explicit Temp_File(std::string_view content, const std::string& suffix = ".dat") {
    static int counter = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("pw_data_test_" + std::to_string(::getpid()) + "_" + std::to_string(++counter) +
              suffix))
                .string();
    std::ofstream out(path_, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
  }
  ~Temp_File() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  Temp_File(const Temp_File&) = delete;
  Temp_File& operator=(const Temp_File&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// The definition read from a setup text.
inline std::unique_ptr<pw::TC_File_Def> Make_Def(std::string_view setup) {
  Temp_File file(setup, ".ini");
  pw::TC_Ini_File ini(file.Path());
  return std::make_unique<pw::TC_File_Def>(ini);
}

// The exact bits of an extended number, as hex bytes in memory order.
inline std::string Bits(long double x) {
  unsigned char bytes[10];
  std::memcpy(bytes, &x, 10);
  std::string text;
  char hex[3];
  for (unsigned char b : bytes) {
    std::snprintf(hex, sizeof hex, "%02x", b);
    text += hex;
  }
  return text;
}

}  // namespace pw_test
