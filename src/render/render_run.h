// One run of plotwright-render: the window's load-and-draw cycle without a window, then the
// page images and the report.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "render/render_options.h"

namespace pw {
class TC_Graph_Page_Set;
}

namespace pw::render {

// What a caller that renders again and again (--follow, render_follow.h) changes in a run.
struct Run_Hooks {
  // The data step, in place of reading the data file: into the page set whose setup was just
  // read (its Progress hook is set).
  std::function<void(TC_Graph_Page_Set& pages)> Load_Data;
  // Whether the run's error line is printed (given the message as the line shows it).
  std::function<bool(const std::string& message)> Show_Error;
  // At the end of the run, whatever stopped it: its page set (null when none was made) and
  // whether every page was drawn and every file written.
  std::function<void(TC_Graph_Page_Set* pages, bool ok)> Finished;
};

// Runs the load and the drawing, writes page images and the report, and returns the exit
// status: 0 when every page was drawn and written, 1 otherwise. Only the first error is
// written to `err`, on one line as "error: " or "fatal error: " + message: the one that
// stopped the load or the drawing, or else the first picture or report that could not be
// written. What exists is written even after a failure; its own failures are then silent.
// `progress` enables the one-line progress display on `err`.
int Run(const Render_Options& options, std::FILE* err, bool progress,
        const Run_Hooks& hooks = {});

}  // namespace pw::render
