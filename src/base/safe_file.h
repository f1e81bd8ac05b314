// Writing a file so that a failed write never leaves a partial file behind.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace pw {

// Creates a fresh temporary file beside `path`, hands it to `write`, and renames it over `path`
// once every byte is out (the temporary name is cut short when needed, so any name the system
// allows can be written). `write` returns false on failure, with errno set or `reason` filled
// in. On any failure the temporary file is removed, an existing `path` is left as it was, and
// a non-fatal Error "Cannot write file <path>: <reason>" is raised, the reason being `reason`
// or else the system's. An exception thrown by `write` is passed on after the same clean-up.
// Threads may write different files at once. A symbolic link is followed: the file it names
// is replaced so, and the link stays. A name that exists and is no regular file (a device such
// as /dev/null or /dev/stdout, a named pipe) is written into as it is, never replaced; a
// failure there raises the same Error, and what was written before it stays written. A named
// pipe with no reader fails at once with the system's reason: nothing waits for a reader.
void Write_File_Atomically(const std::string& path,
                           const std::function<bool(std::FILE*, std::string&)>& write);

// Write_File_Atomically of a whole text; an empty text gives an empty file.
void Write_Text_File(const std::string& path, const std::string& text);

}  // namespace pw
