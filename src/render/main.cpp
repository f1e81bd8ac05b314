// plotwright-render: renders every page of a setup to image files, without a window.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/print_answer.h"
#include "base/version.h"
#include "render/render_follow.h"
#include "render/render_options.h"
#include "render/render_run.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const pw::render::Parse_Result parsed = pw::render::Parse_Command_Line(args);
  // A failed answer is reported as a failed render is.
  if (parsed.Options.Version) return pw::Print_Answer("error: ", pw::Version_Line() + "\n");
  if (parsed.Options.Help) return pw::Print_Answer("error: ", pw::render::Usage_Text());
  if (!parsed.Problem.empty()) {
    std::fprintf(stderr, "plotwright-render: %s\n%s", parsed.Problem.c_str(),
                 pw::render::Usage_Text().c_str());
    return 2;
  }
  // -j wins over the environment, which is then not read.
  if (parsed.Options.Threads > 0) {
    pw::Set_Thread_Count(parsed.Options.Threads);
  } else {
    try {
      pw::Thread_Count_From_Environment();
    } catch (const pw::Error& e) {
      std::fprintf(stderr, "plotwright-render: %s\n", e.Message().c_str());
      return 2;
    }
  }
  const bool progress = isatty(STDERR_FILENO) != 0;
  if (parsed.Options.Follow) return pw::render::Run_Following(parsed.Options, stderr, progress);
  return pw::render::Run(parsed.Options, stderr, progress);
}
