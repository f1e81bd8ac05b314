// plotwright [setup file] [data file] [/i]: the viewer's start-up.
//
// "--version" or "--help" as the first argument prints and ends before any window (or display)
// is opened.
//
// PW_EXIT_AFTER_DRAW=1 in the environment makes it print the time from start to the end of
// the first load ("first draw: N ms") and quit; errors then go to stderr instead of the box.
//
// Exit status: 0 when the window was closed, 1 after a fatal error (or any error in the
// PW_EXIT_AFTER_DRAW run, or an answer to --version or --help that could not be written, or
// no display to open the window on).
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app_logic.h"
#include "app/app_paths.h"
#include "app/d_errbox.h"
#include "app/pw_app.h"
#include "app/pw_main.h"
#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/print_answer.h"
#include "base/settings.h"
#include "base/version.h"
#include "draw/D_Math.h"
#include "setup/D_Format.h"

// The installed shared files relative to the program's folder (set by the build).
#ifndef PW_DATA_FROM_BIN
#define PW_DATA_FROM_BIN "../share/plotwright"
#endif

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  switch (pw::Early_Answer_Of(std::vector<std::string>(argv + 1, argv + argc))) {
    case pw::Early_Answer::Version:
      return pw::Print_Answer("plotwright: ", pw::Version_Line() + "\n");
    case pw::Early_Answer::Help:
      return pw::Print_Answer("plotwright: ", pw::Window_Usage_Text());
    case pw::Early_Answer::None:
      break;
  }
  // Qt would abort without a display, with a word about reinstalling.
  const std::string no_display = pw::No_Display_Text(
      [](const char* name) { return std::getenv(name); },
      std::vector<std::string>(argv + 1, argv + argc));
  if (!no_display.empty()) {
    std::fputs(("plotwright: " + no_display).c_str(), stderr);
    return 1;
  }
  // Relative names on the command line are looked up here first: read it before the working
  // directory becomes the program's folder.
  std::error_code ec;
  const std::filesystem::path start_dir = std::filesystem::current_path(ec);
  pw::TApplication app(argc, argv);
  // The desktop shows the window as its installed entry, with its icon (found in the icon
  // theme when installed; a build folder has none, and the window then keeps Qt's own).
  QGuiApplication::setDesktopFileName(QString::fromUtf8(pw::Desktop_Id));
  QGuiApplication::setWindowIcon(QIcon::fromTheme(QString::fromUtf8(pw::Desktop_Id)));

  // Program-wide initialisation: notation, precision, the working directory, the error box.
  pw::Set_Notation();
  pw::Check_Precision();
  // From the system, not through Qt's text strings, which lose bytes of a folder name that
  // is no valid UTF-8.
  pw::Work_Dir = pw::Running_Program_Dir();
  if (pw::Work_Dir.empty()) {
    pw::Work_Dir = QCoreApplication::applicationDirPath().toStdString() + "/";
  }
  std::filesystem::current_path(pw::Work_Dir, ec);
  auto err_box = std::make_unique<pw::TErrBox>();
  // A bad PLOTWRIGHT_THREADS is shown once the window is up; the default count is kept.
  std::string thread_problem;
  try {
    pw::Thread_Count_From_Environment();
  } catch (const pw::Error& e) {
    thread_problem = e.Message();
  }
  pw::Version_Text = pw::Program_Version;
  err_box->Set_Font("Lucida Console", 0);
  // Dates are read as yyyy/mm/dd with "/" whatever the locale: fixed in the date parser.

  // The arguments Qt left: it takes its own options (-platform, -style, ...) out of argv.
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  auto window = std::make_unique<pw::TMain>(*err_box, pw::Work_Dir, args);
  window->Set_Places({pw::Work_Dir, start_dir.empty() ? "" : pw::With_Slash(start_dir.string()),
                      pw::Data_Dir_Of(pw::Work_Dir, PW_DATA_FROM_BIN),
                      pw::User_Data_Dir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))});
  app.On_Exception = [&window](const std::exception& e) { window->AppEventsException(e); };
  if (!thread_problem.empty()) {
    QTimer::singleShot(0, window.get(), [&window, thread_problem] {
      window->AppEventsException(pw::Error(thread_problem));
    });
  }

  int status = 0;
  if (const char* flag = std::getenv("PW_EXIT_AFTER_DRAW"); flag != nullptr && *flag != '\0' &&
                                                            std::string(flag) != "0") {
    window->Report_Error = [&status](const std::exception& e) {
      std::fprintf(stderr, "plotwright: %s\n", e.what());
      status = 1;
      QTimer::singleShot(0, [] { QCoreApplication::exit(1); });
    };
    window->After_Load = [started] {
      const auto ms = std::chrono::duration<double, std::milli>(
                          std::chrono::steady_clock::now() - started).count();
      std::printf("first draw: %.1f ms\n", ms);
      std::fflush(stdout);
      QTimer::singleShot(0, [] { QCoreApplication::quit(); });
    };
  }
  // Without a window manager "maximized" is only a wish: take the screen's free area first.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    window->setGeometry(screen->availableGeometry());
  }
  window->showMaximized();
  const int code = app.exec();
  // The hook points at the window: events sent while the window is destroyed must not reach it.
  app.On_Exception = nullptr;
  window.reset();
  if (status != 0) return status;
  // The window closed itself after a fatal error: the run failed.
  return pw::Fatal_Error ? 1 : code;
}
