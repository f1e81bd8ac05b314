// Shared pieces of the fuzz targets: inputs become real files, since the program reads files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace pw_fuzz {

// Writes `bytes` to a file private to this process and returns its path (the same path on
// every call with the same `name`).
std::string Write_Temp_File(const std::string& name, std::string_view bytes);

// Splits a fuzz input into a setup text and a data text at the first "\n====\n" (or at the
// middle when there is none), so one input drives both files.
void Split_Input(const std::uint8_t* data, std::size_t size, std::string_view& setup,
                 std::string_view& data_text);

// Puts the program-wide settings back to their start values between inputs.
void Reset_Settings();

}  // namespace pw_fuzz
