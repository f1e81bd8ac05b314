// A program folder, the error box and the real main window started on it.
#pragma once

#include <QAction>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "app/d_errbox.h"
#include "app/notebook.h"
#include "app/pw_main.h"
#include "widgets/app_fixture.h"

namespace pw::test {

struct Session {
  Temp_Dir dir;
  TErrBox box;
  std::unique_ptr<TMain> w;

  std::string Path(const std::string& name) const { return dir.Path() + name; }
  void Setup(const std::string& text) { Write_File(Path("plotwright.pwr.ini"), text); }
  void Data(int points, const std::string& name = "plotwright.dat") {
    Write_File(Path(name), Data_Text(points));
  }
  // Shows the window at `size` and waits for its first load (or the box it raised) to end.
  void Start(std::vector<std::string> args = {}, QSize size = {800, 600}) {
    w = std::make_unique<TMain>(box, dir.Path(), std::move(args));
    w->resize(size);
    w->show();
    QVERIFY(Wait_Until([&] {
      return w->First_Show_Done() && (w->Loads_Finished() > 0 || box.Shown_Count() > 0);
    }));
  }
  // Runs a menu item and waits until one more load has ended (or a box was shown).
  void Menu(const char* item) {
    const int loads = w->Loads_Finished(), boxes = box.Shown_Count();
    w->Item(item)->trigger();
    QVERIFY(Wait_Until([&] { return w->Loads_Finished() > loads || box.Shown_Count() > boxes; }));
  }
  TTab_Bar& Tabs() { return w->Pages().Tabs(); }
};

}  // namespace pw::test
