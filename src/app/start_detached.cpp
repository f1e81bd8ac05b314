#include "app/start_detached.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace pw {

namespace {

void Close_Both(const int fds[2]) {
  ::close(fds[0]);
  ::close(fds[1]);
}

}  // namespace

bool Start_Detached(const std::string& program, const std::vector<std::string>& args) {
  if (program.empty()) return false;
  // Everything the child needs is made before the fork: after it, in a process with several
  // threads, only calls that take no locks are safe.
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // The grandchild reports a failed exec through the pipe; a successful one closes it.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    Close_Both(fds);
    return false;
  }
  if (child == 0) {
    // The middle process ends at once, so the program is handed to init and never waited
    // for here.
    ::close(fds[0]);
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild != 0) {
      if (grandchild < 0) {
        const int error = errno;
        [[maybe_unused]] const ssize_t n = ::write(fds[1], &error, sizeof error);
      }
      ::_exit(0);
    }
    ::execvp(argv[0], argv.data());
    const int error = errno;
    [[maybe_unused]] const ssize_t n = ::write(fds[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(fds[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  do {
    got = ::read(fds[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(fds[0]);
  return got == 0;
}

}  // namespace pw
