#include "fuzz_util.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_draw.h"

namespace pw_fuzz {

std::string Write_Temp_File(const std::string& name, std::string_view bytes) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("pw-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const std::string path = (dir / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

void Split_Input(const std::uint8_t* data, std::size_t size, std::string_view& setup,
                 std::string_view& data_text) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  constexpr std::string_view separator = "\n====\n";
  const std::size_t at = all.find(separator);
  if (at == std::string_view::npos) {
    setup = all.substr(0, size / 2);
    data_text = all.substr(size / 2);
  } else {
    setup = all.substr(0, at);
    data_text = all.substr(at + separator.size());
  }
}

void Reset_Settings() {
  pw::Ignore_Limits = false;
  pw::PixOff = 2;
  pw::NPts = 1024;
  pw::Base_Date = 0;
  pw::Date_Offset = 0;
  pw::Fatal_Error = false;
  pw::Bg_Color = 0;
  pw::Cur_Color = 0;
  pw::Cur_Image = nullptr;
}

}  // namespace pw_fuzz
