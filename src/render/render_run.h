// One run of plotwright-render: the window's load-and-draw cycle without a window, then the
// page images and the report.
#pragma once

#include <cstdio>

#include "render/render_options.h"

namespace pw::render {

// Runs the load and the drawing, writes page images and the report, and returns the exit
// status: 0 when every page was drawn and written, 1 otherwise. Only the first error is
// written to `err`, on one line as "error: " or "fatal error: " + message: the one that
// stopped the load or the drawing, or else the first picture or report that could not be
// written. What exists is written even after a failure; its own failures are then silent.
// `progress` enables the one-line progress display on `err`.
int Run(const Render_Options& options, std::FILE* err, bool progress);

}  // namespace pw::render
