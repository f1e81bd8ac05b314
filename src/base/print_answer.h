// The answers to --help and --version, written to standard output.
#pragma once

#include <string>

namespace pw {

// Writes `text` to standard output and flushes it. Returns the exit status: 0 when all of it
// was written; else (a full disk, say) 1, after `lead` + "Cannot write file -: reason" on
// standard error, since an answer nobody got is no success. `lead` is how the program starts
// its error lines ("plotwright: ", "error: ").
int Print_Answer(const char* lead, const std::string& text);

}  // namespace pw
