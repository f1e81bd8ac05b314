#include "app/pw_app.h"

#include <stdexcept>

namespace pw {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (On_Exception) On_Exception(e);
  } catch (...) {
    if (On_Exception) On_Exception(std::runtime_error("Unknown error"));
  }
  return false;
}

}  // namespace pw
