// plotwright [setup file] [data file] [/i]: the viewer's start-up.
//
// PW_EXIT_AFTER_DRAW=1 in the environment makes it print the time from start to the end of
// the first load ("first draw: N ms") and quit; errors then go to stderr instead of the box.
#include <QGuiApplication>
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
#include "app/d_errbox.h"
#include "app/pw_app.h"
#include "app/pw_main.h"
#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "draw/D_Math.h"
#include "setup/D_Format.h"

int main(int argc, char** argv) {
  const auto started = std::chrono::steady_clock::now();
  pw::TApplication app(argc, argv);

  // Program-wide initialisation: notation, precision, the working directory, the error box.
  pw::Set_Notation();
  pw::Check_Precision();
  pw::Work_Dir = QCoreApplication::applicationDirPath().toStdString() + "/";
  std::error_code ec;
  std::filesystem::current_path(pw::Work_Dir, ec);
  auto err_box = std::make_unique<pw::TErrBox>();
  // A bad PLOTWRIGHT_THREADS is shown once the window is up; the default count is kept.
  std::string thread_problem;
  try {
    pw::Thread_Count_From_Environment();
  } catch (const pw::Error& e) {
    thread_problem = e.Message();
  }
  pw::Version_Text = "2.34";
  err_box->Set_Font("Lucida Console", 0);
  // Dates are read as yyyy/mm/dd with "/" whatever the locale: fixed in the date parser.

  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  auto window = std::make_unique<pw::TMain>(*err_box, pw::Work_Dir, args);
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
  return status != 0 ? status : code;
}
