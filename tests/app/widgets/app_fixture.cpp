#include "widgets/app_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace pw::test {

namespace fs = std::filesystem;

Temp_Dir::Temp_Dir() {
  static std::atomic<int> counter{0};
  const fs::path p = fs::temp_directory_path() /
                     ("pw-app-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(p);
  fs::create_directories(p);
  path_ = p.string() + "/";
}

Temp_Dir::~Temp_Dir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void Write_File(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::vector<unsigned char> Read_File(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Data_Text(int points) {
  std::ostringstream out;
  for (int i = 1; i <= points; ++i) out << i << " " << 2 * i + 1 << " pt" << i << "\n";
  return out.str();
}

std::string Setup_Text(int pages, bool named, const std::string& main_keys,
                       const std::string& extra) {
  std::ostringstream out;
  out << "[Plotwright]\n" << main_keys << "\n";
  out << "[DataFile]\nX=1 5.0\nY=2 5.0\n@Name=3\n";
  out << "[Pages]\nPages=";
  for (int i = 1; i <= pages; ++i) out << (i > 1 ? " " : "") << "P" << i;
  // Keys of [Pages] are the defaults of every page, graph and layer.
  out << "\nGraphs=G\nKind=Scatter\nx=X\ny=Y\nHint=@Name\nMarker=BOX2\nColor=Red\n";
  for (int i = 1; named && i <= pages; ++i) out << "[P" << i << "]\nName=Page " << i << "\n";
  out << extra << "\n";
  return out.str();
}

Box_Closer::Box_Closer(std::function<void(QWidget&)> on_box) : on_box_(std::move(on_box)) {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !box->isVisible()) return;
    if (on_box_) on_box_(*box);
    ++closed_;
    QTest::keyClick(box, Qt::Key_Space);
  });
  timer_.start();
}

bool Wait_Until(const std::function<bool()>& done, int ms) { return QTest::qWaitFor(done, ms); }

}  // namespace pw::test
