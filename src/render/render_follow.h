// plotwright-render --follow: the first render, then one more at every change of the setup or
// the data file, until SIGINT or SIGTERM.
#pragma once

#include <cstdio>

#include "render/render_options.h"

namespace pw::render {

// Renders as Run does, then watches the folders of both files (file_watch.h), gathers the
// notices over a quiet time (quiet_time.h) and renders again when the files changed: lines
// added to the data file are read alone and added to the points (d_follower.h), anything
// else is read whole. Each render that draws every page and writes every file prints
// "rendered N points, K pages" on `err`; an error is printed once, until a render succeeds or
// another error comes, and following goes on. SIGINT and SIGTERM end it with 0: a render
// under way stops at its next step, the files of the last render stay whole (every file is
// written under a temporary name and renamed). Returns 1 only when the files cannot be
// watched at all.
int Run_Following(const Render_Options& options, std::FILE* err, bool progress);

}  // namespace pw::render
