#include "render/render_follow.h"

#include <poll.h>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <string>

#include "base/D_Error.h"
#include "base/quiet_time.h"
#include "data/d_databuffer.h"
#include "pages/d_follower.h"
#include "pages/d_graphpageset.h"
#include "render/file_watch.h"
#include "render/render_run.h"

namespace pw::render {

namespace {

// How often a file that no notice can tell of (gone from a folder we may not read) is looked
// for again.
constexpr int kRetryMs = 1000;

// Thrown from a render's progress when a stop signal waits: not an error, so no error line
// catches it, and the render ends before it writes anything.
struct Stop_Asked {};

// SIGINT and SIGTERM held back from the start (before any thread exists, so that every thread
// inherits the mask), to be read in turn from a descriptor: they end the program only between
// steps, never in the middle of writing a file. They stay held back to the end of the process
// (let through at the end, the one that stopped the run would kill it).
class Stop_Signals {
 public:
  Stop_Signals() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &set_, nullptr);
    fd_ = ::signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
  }
  ~Stop_Signals() {
    if (fd_ >= 0) ::close(fd_);
  }
  Stop_Signals(const Stop_Signals&) = delete;
  Stop_Signals& operator=(const Stop_Signals&) = delete;

  int Descriptor() const { return fd_; }
  // A stop signal waits.
  bool Asked() const {
    sigset_t pending;
    sigemptyset(&pending);
    if (::sigpending(&pending) != 0) return false;
    return sigismember(&pending, SIGINT) == 1 || sigismember(&pending, SIGTERM) == 1;
  }

 private:
  sigset_t set_{};
  int fd_ = -1;
};

class Follow_Run {
 public:
  Follow_Run(const Render_Options& options, std::FILE* err, bool progress)
      : options_(options),
        err_(err),
        progress_(progress),
        watch_({options.Setup_File, options.Data_File}),
        follower_(options.Setup_File, options.Data_File) {}

  void Loop() {
    Render(Follow_Action::Full);
    for (;;) {
      const auto now = TC_Quiet_Time::Clock::now();
      int timeout = quiet_.Wait_Ms(now);
      if (!watch_.All_Watched() && (timeout < 0 || timeout > kRetryMs)) timeout = kRetryMs;
      pollfd waits[2] = {{signals_.Descriptor(), POLLIN, 0}, {watch_.Descriptor(), POLLIN, 0}};
      if (::poll(waits, 2, timeout) < 0 && errno != EINTR) {
        throw Error(std::string("Cannot wait for changes: ") + std::strerror(errno));
      }
      if (waits[0].revents != 0 || signals_.Asked()) return;
      const auto after = TC_Quiet_Time::Clock::now();
      if (waits[1].revents != 0 && watch_.Take_Notices()) quiet_.Note(after);
      if (watch_.Retry()) quiet_.Note(after);
      if (!quiet_.Is_Due(after)) continue;
      quiet_.Done();
      const Follow_Action action = follower_.Check();
      if (action != Follow_Action::None) Render(action);
    }
  }

 private:
  void Render(Follow_Action action) {
    follower_.Begin_Load(action, std::move(kept_));
    Run_Hooks hooks;
    hooks.Load_Data = [this](TC_Graph_Page_Set& pages) {
      Work_Progress_Fn shown = pages.Progress;
      pages.Progress = [this, shown](const std::string& what, double fraction) {
        if (signals_.Asked()) throw Stop_Asked();
        if (shown) shown(what, fraction);
      };
      follower_.Load_Data(pages);
    };
    hooks.Show_Error = [this](const std::string& message) { return follower_.Report(message); };
    hooks.Finished = [this](TC_Graph_Page_Set* pages, bool ok) {
      if (pages == nullptr) return;
      if (ok) {
        follower_.Drawn();
        std::fprintf(err_, "rendered %d points, %d pages\n",
                     static_cast<int>(pages->Buffer().Point_Count()), pages->Pages_Drawn());
        std::fflush(err_);
      }
      kept_ = pages->Release_Buffer();  // the points the next append adds to
    };
    Run(options_, err_, progress_, hooks);
  }

  const Render_Options& options_;
  std::FILE* err_;
  const bool progress_;
  Stop_Signals signals_;  // before anything that may start a thread
  TC_File_Watch watch_;   // before the first render: no change after it is missed
  TC_Follower follower_;
  TC_Quiet_Time quiet_;
  std::unique_ptr<TC_Data_Buffer> kept_;
};

}  // namespace

int Run_Following(const Render_Options& options, std::FILE* err, bool progress) {
  try {
    Follow_Run run(options, err, progress);
    run.Loop();
  } catch (const Stop_Asked&) {
  } catch (const Error& e) {
    std::fprintf(err, "error: %s\n", e.Message().c_str());
    return 1;
  }
  return 0;
}

}  // namespace pw::render
