// Starting another program without waiting for it and without a shell.
#pragma once

#include <string>
#include <vector>

namespace pw {

// Starts `program` (looked up in PATH when it holds no "/") with `args` and returns at once.
// No shell sees the arguments, and they reach the program byte for byte, also when a file
// name is no valid UTF-8 (a name written in an older 8-bit code page). The program runs on
// its own: not as the caller's child, so it is never left behind as a zombie and outlives the
// caller. True when the program was started; false when it could not be (not found, not
// executable, an empty name, no process left).
bool Start_Detached(const std::string& program, const std::vector<std::string>& args);

}  // namespace pw
