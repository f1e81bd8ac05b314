// Text written to standard output: the answers to --help and --version, and the renderer's
// report to "-".
#pragma once

#include <string>

namespace pw {

// Writes `text` to standard output and flushes it. Raises a non-fatal Error
// "Cannot write file -: reason" (the system's reason; EIO's when it gives none) when not all
// of it got out (a full disk, say): text nobody got is not written.
void Write_Standard_Output(const std::string& text);

// Write_Standard_Output for an answer to --help or --version. Returns the exit status: 0 when
// all of it was written; else 1, after `lead` + the message on standard error, since an answer
// nobody got is no success. `lead` is how the program starts its error lines ("plotwright: ",
// "error: ").
int Print_Answer(const char* lead, const std::string& text);

}  // namespace pw
