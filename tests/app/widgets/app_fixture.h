// Helpers of the widget tests: a program folder of their own with setup and data files, and
// a watcher that answers the modal boxes the window opens.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace pw::test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class Temp_Dir {
 public:
  Temp_Dir();
  ~Temp_Dir();
  // With a trailing "/".
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

void Write_File(const std::string& path, const std::string& text);
std::vector<unsigned char> Read_File(const std::string& path);

// A data file of `points` lines "x y name" (x = i, y = 2i + 1 for i = 1..points, names
// "pt1".. ), enough for scatter and histogram graphs.
std::string Data_Text(int points);
// A setup with `pages` pages P1..Pn, one scatter graph of y against x on each (hint @Name,
// marker BOX2, red), named "Page <i>" when `named`; `main_keys` go to [Plotwright],
// `extra` at the end.
std::string Setup_Text(int pages, bool named, const std::string& main_keys = "",
                       const std::string& extra = "");

// Closes every modal box that opens while it lives (a key press on it), after calling
// `on_box` with the box; counts the boxes it closed.
class Box_Closer {
 public:
  explicit Box_Closer(std::function<void(QWidget&)> on_box = {});
  int Closed() const { return closed_; }

 private:
  QTimer timer_;
  std::function<void(QWidget&)> on_box_;
  int closed_ = 0;
};

// Waits (processing events) until `done` or `ms` milliseconds passed; returns `done()`.
bool Wait_Until(const std::function<bool()>& done, int ms = 5000);

}  // namespace pw::test
