// The application object: Qt has no application-wide exception event, so every exception
// that leaves an event handler is caught here, in one place, and handed to the hook.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

namespace pw {

class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);

  // Receives every exception that leaves an event handler; without a hook it is dropped.
  std::function<void(const std::exception&)> On_Exception;

  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace pw
