// Saving a text file (the report) so that a failed write never leaves a partial file.
#pragma once

#include <string>

namespace pw::render {

// Writes `text` to a fresh temporary file beside `path` and renames it over `path` once every
// byte is out. On failure the temporary file is removed, an existing `path` is left as it was,
// and a non-fatal Error "Cannot write file <path>: <reason>" is raised, the reason being the
// system's. An empty `text` gives an empty file.
void Write_Text_File(const std::string& path, const std::string& text);

}  // namespace pw::render
