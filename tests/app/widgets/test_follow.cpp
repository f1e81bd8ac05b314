// Follow mode in the real window: the menu item and "/f", lines added read alone with the
// current page kept, a file replaced by rename and an edited setup read whole, errors shown
// once, a burst of writes drawn a few times, and nothing watched while it is off.
#include <QAction>
#include <QFileSystemWatcher>
#include <QApplication>
#include <QTest>
#include <QWheelEvent>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/canvas_view.h"
#include "app/follow_control.h"
#include "app/pw_main.h"
#include "app/zoom_control.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "graphs/d_graph.h"
#include "graphs/d_zoom.h"
#include "pages/d_graphpageset.h"
#include "widgets/app_fixture.h"
#include "widgets/session.h"
#include "widgets/widget_tests.h"

namespace pw::test {

namespace {

namespace fs = std::filesystem;

// Lines first..last of Data_Text.
std::string Data_Lines(int first, int last) {
  return Data_Text(last).substr(Data_Text(first - 1).size());
}

void Append_File(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::app) << text;
}

// The pixels of canvases 1..pages.
std::vector<std::uint32_t> Pictures(TMain& w, int pages) {
  std::vector<std::uint32_t> pixels;
  for (int i = 1; i <= pages; ++i) {
    const TC_Bitmap& image = w.Canvas(i).Image;
    for (int y = 0; y < image.Height(); ++y) {
      for (int x = 0; x < image.Width(); ++x) pixels.push_back(image.Pixel(x, y));
    }
  }
  return pixels;
}

// A wheel notch forwards over `at` of `view`, as the window system would deliver it.
void Wheel_Notch(QWidget& view, QPoint at) {
  QWheelEvent e(QPointF(at), QPointF(view.mapToGlobal(at)), QPoint(), QPoint(0, 120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&view, &e);
}

class Test_Follow : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Fatal_Error = false;
    Ignore_Limits = false;
  }

  void off_by_default_nothing_is_watched() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    const QAction* item = s.w->Item("mFollow");
    QCOMPARE(item->text(), QString("&Follow File Changes"));
    QVERIFY(item->isCheckable());
    QVERIFY(!item->isChecked());
    QVERIFY(!s.w->Follow().On());
    QVERIFY(s.w->findChildren<QFileSystemWatcher*>().isEmpty());
    QVERIFY(!s.w->Follow().Timer_Active());
    Append_File(s.Path("plotwright.dat"), Data_Lines(11, 20));
    QTest::qWait(600);
    QCOMPARE(s.w->Loads_Finished(), 1);
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 10);
  }

  // "/f" after "/i" or before it; the item shows the state. Lines added are read alone, the
  // pages drawn as a full load of the longer file draws them, on the page shown before.
  void slash_f_reads_added_lines_alone_and_keeps_the_page() {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"plotwright.pwr.ini", "plotwright.dat", "/f"},
          std::vector<std::string>{"plotwright.pwr.ini", "plotwright.dat", "/i", "/F"}}) {
      Session s;
      s.Setup(Setup_Text(3, true));
      s.Data(10);
      Box_Closer closer;
      s.Start(args);
      QVERIFY(s.w->Item("mFollow")->isChecked());
      QCOMPARE(Ignore_Limits, args.size() == 4);
      const QStringList watched = s.w->Follow().Watched();
      for (const char* name : {"plotwright.pwr.ini", "plotwright.dat"}) {
        QVERIFY(watched.contains(QString::fromStdString(s.Path(name))));
      }
      QVERIFY(watched.contains(QString::fromStdString(s.dir.Path()).chopped(1)));
      s.Tabs().Set_Current(2);
      Append_File(s.Path("plotwright.dat"), Data_Lines(11, 24) + "25 51");  // unfinished
      QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
      QCOMPARE(s.w->Follow().Appends(), 1);
      QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 24);
      QCOMPARE(s.w->Pages().Current(), 2);
      Append_File(s.Path("plotwright.dat"), " pt25\n");
      QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
      QCOMPARE(s.w->Follow().Appends(), 2);
      QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 25);
      const std::vector<std::uint32_t> followed = Pictures(*s.w, 3);
      s.Menu("mRedraw");
      QCOMPARE(s.w->Follow().Appends(), 2);
      QVERIFY(Pictures(*s.w, 3) == followed);
      QCOMPARE(s.w->Pages().Current(), 2);
      QCOMPARE(closer.Closed(), 0);
    }
  }

  // What editors do: a new file renamed over the old one; both are read whole, and the new
  // files are watched.
  void files_replaced_by_rename_are_read_whole_and_watched() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    Write_File(s.Path("new.dat"), Data_Text(30));
    fs::rename(s.Path("new.dat"), s.Path("plotwright.dat"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 30);
    QCOMPARE(s.w->Follow().Appends(), 0);
    QVERIFY(s.w->Follow().Watched().contains(QString::fromStdString(s.Path("plotwright.dat"))));
    Write_File(s.Path("new.ini"), Setup_Text(4, true));
    fs::rename(s.Path("new.ini"), s.Path("plotwright.pwr.ini"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    QVERIFY(s.Tabs().Tab_Visible(3));
    QVERIFY(!s.Tabs().Tab_Visible(4));
    // The file written again in place after the rename: still seen.
    Append_File(s.Path("plotwright.dat"), Data_Lines(31, 35));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 4; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 35);
    QCOMPARE(s.w->Follow().Appends(), 1);
    QCOMPARE(closer.Closed(), 0);
  }

  // Log rotation with the old file kept (another link, or a reader holding it open): the
  // system never reports the old file gone, yet lines added to the new one are seen.
  void lines_added_after_a_rename_over_a_kept_file_are_seen() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    fs::create_hard_link(s.Path("plotwright.dat"), s.Path("kept.dat"));
    Write_File(s.Path("new.dat"), Data_Text(30));
    fs::rename(s.Path("new.dat"), s.Path("plotwright.dat"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 30);
    Append_File(s.Path("plotwright.dat"), Data_Lines(31, 35));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 35);
    QCOMPARE(s.w->Follow().Appends(), 1);
    QCOMPARE(closer.Closed(), 0);
  }

  // The data file through a link pointed at a file in another folder: the link's change, lines
  // added to the new file and a file renamed over it there are all seen.
  void link_pointed_elsewhere() {
    Session s;
    s.Setup(Setup_Text(2, true));
    fs::create_directories(s.Path("a"));
    fs::create_directories(s.Path("b"));
    Write_File(s.Path("a/d.dat"), Data_Text(10));
    Write_File(s.Path("b/d.dat"), Data_Text(30));
    fs::create_symlink(s.Path("a/d.dat"), s.Path("d.dat"));
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", s.Path("d.dat"), "/f"});
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 10);
    fs::create_symlink(s.Path("b/d.dat"), s.Path("d.new"));
    fs::rename(s.Path("d.new"), s.Path("d.dat"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 30);
    Append_File(s.Path("b/d.dat"), Data_Lines(31, 40));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 40);
    Write_File(s.Path("b/d.new"), Data_Text(50));
    fs::rename(s.Path("b/d.new"), s.Path("b/d.dat"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 4; }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 50);
    QVERIFY(!s.w->Follow().Watched().contains(QString::fromStdString(s.Path("a"))));
    QCOMPARE(closer.Closed(), 0);
  }

  // The data file's folder removed (one box) and made again, in a folder no other watch
  // covers: the file written into the new folder is drawn, and so are lines added to it.
  void folder_removed_and_made_again() {
    Session s;
    s.Setup(Setup_Text(2, true));
    fs::create_directories(s.Path("runs/data"));
    Write_File(s.Path("runs/data/d.dat"), Data_Text(10));
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", s.Path("runs/data/d.dat"), "/f"});
    for (int round = 1; round <= 3; ++round) {
      fs::remove_all(s.Path("runs/data"));
      QVERIFY(Wait_Until([&] { return closer.Closed() == round; }));
      QVERIFY(Wait_Until([&] { return !s.w->Drawing(); }));
      const int loads = s.w->Loads_Finished();
      fs::create_directories(s.Path("runs/data"));
      Write_File(s.Path("runs/data/d.dat"), Data_Text(20));
      QVERIFY(Wait_Until([&] {
        return s.w->Loads_Finished() > loads && !s.w->Drawing() &&
               s.w->Page_Set()->Buffer().Point_Count() == 20;
      }));
      Append_File(s.Path("runs/data/d.dat"), Data_Lines(21, 25));
      QVERIFY(Wait_Until([&] {
        return !s.w->Drawing() && s.w->Page_Set()->Buffer().Point_Count() == 25;
      }));
    }
    QCOMPARE(s.w->Follow().Watched().size(), 4);  // both files and their two folders
  }

  // A data folder we may search but not read cannot be watched: lines added to its file and
  // a file renamed over it are seen all the same, and a file removed from it and written
  // again is found. (Root reads every folder: run as an ordinary user to check it.)
  void data_folder_we_may_not_read() {
    if (::geteuid() == 0) QSKIP("root may read every folder");
    Session s;
    s.Setup(Setup_Text(2, true));
    fs::create_directories(s.Path("data"));
    Write_File(s.Path("data/d.dat"), Data_Text(10));
    fs::permissions(s.Path("data"), fs::perms(0300));
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", s.Path("data/d.dat"), "/f"});
    const auto points = [&](int n) {
      return Wait_Until([&] {
        return !s.w->Drawing() && s.w->Page_Set()->Buffer().Point_Count() == n;
      });
    };
    Append_File(s.Path("data/d.dat"), Data_Lines(11, 20));
    QVERIFY(points(20));
    Write_File(s.Path("data/d.new"), Data_Text(30));
    fs::rename(s.Path("data/d.new"), s.Path("data/d.dat"));
    QVERIFY(points(30));
    fs::remove(s.Path("data/d.dat"));
    QVERIFY(Wait_Until([&] { return closer.Closed() == 1; }));
    Write_File(s.Path("data/d.dat"), Data_Text(40));
    QVERIFY(points(40));
    fs::permissions(s.Path("data"), fs::perms::owner_all);
  }

  // A bad line: one box, however often the file changes while it stays wrong; a data file
  // that goes away: one box; the next good change draws again.
  void errors_are_shown_once_and_following_goes_on() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    std::vector<std::string> texts;
    Box_Closer closer([&](QWidget&) { texts.push_back(s.box.Last_Text()); });
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    Append_File(s.Path("plotwright.dat"), "x 1 bad\n");
    QVERIFY(Wait_Until([&] { return closer.Closed() == 1; }));
    Append_File(s.Path("plotwright.dat"), Data_Lines(12, 13));
    QTest::qWait(800);
    QCOMPARE(closer.Closed(), 1);
    fs::remove(s.Path("plotwright.dat"));
    QVERIFY(Wait_Until([&] { return closer.Closed() == 2; }));
    Append_File(s.Path("plotwright.pwr.ini"), "; touched\n");
    QTest::qWait(800);
    QCOMPARE(closer.Closed(), 2);
    QVERIFY(s.w->isVisible());  // a missing file ends nothing while following
    const int loads = s.w->Loads_Finished();
    s.Data(20);
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() > loads && !s.w->Drawing(); }));
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 20);
    QCOMPARE(texts.size(), std::size_t{2});
    QCOMPARE(texts[0], std::string("'x' is not a valid floating point value"));
    QCOMPARE(texts[1], "Missing file: " + s.Path("plotwright.dat"));
    QVERIFY(s.w->isVisible());
  }

  // 100 lines written one by one a few milliseconds apart: a few redraws, not 100.
  void a_burst_of_writes_gives_few_redraws() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    for (int i = 11; i <= 110; ++i) {
      Append_File(s.Path("plotwright.dat"), Data_Lines(i, i));
      QTest::qWait(2);
    }
    QVERIFY(Wait_Until([&] {
      return !s.w->Drawing() && s.w->Page_Set()->Buffer().Point_Count() == 110;
    }));
    QVERIFY(s.w->Follow().Follow_Loads() <= 4);
    QCOMPARE(closer.Closed(), 0);
  }

  // A graph zoomed with the wheel stays zoomed when lines are added; a file replaced drops the
  // zoom, as Redraw All does.
  void zooms_stay_when_lines_are_added() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    const TC_Graph& before = s.w->Page_Set()->Page(1).Graph(1);
    Wheel_Notch(s.w->Canvas_View(1), {(before.Plot_Left + before.Plot_Right) / 2,
                                      (before.Plot_Top + before.Plot_Bottom) / 2});
    QVERIFY(Wait_Until([&] { return s.w->Zoom().Draws() == 1; }));
    const Graph_Limits zoom = Limits_Of(s.w->Page_Set()->Page(1).Graph(1));
    Append_File(s.Path("plotwright.dat"), Data_Lines(11, 20));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
    QCOMPARE(s.w->Follow().Appends(), 1);
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 20);
    QVERIFY(s.w->Page_Set()->Page(1).Zoomed(1));
    QVERIFY(Limits_Of(s.w->Page_Set()->Page(1).Graph(1)) == zoom);
    QVERIFY(!s.w->Page_Set()->Page(2).Zoomed(1));
    QVERIFY(s.w->windowTitle().endsWith("(zoomed)"));
    Write_File(s.Path("new.dat"), Data_Text(30));
    fs::rename(s.Path("new.dat"), s.Path("plotwright.dat"));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    QVERIFY(!s.w->Page_Set()->Page(1).Any_Zoomed());
    QCOMPARE(closer.Closed(), 0);
  }

  // Both graphs of page 3 (a scatter graph and a histogram) zoomed, lines added while another
  // page is shown: page 3 keeps its zooms; given back their own limits, its graphs are drawn
  // as a fresh load of the longer file draws them.
  void zooms_on_page_3_over_added_lines_reset_as_a_fresh_load() {
    std::string pages;
    for (int i = 1; i <= 4; ++i) {
      const std::string p = "[P" + std::to_string(i) + "]";
      pages += p + "\nName=Page " + std::to_string(i) + "\nColumns=2\nGraphs=G H\n" +
               p.substr(0, p.size() - 1) + "/H]\nKind=Histogram\nx=Y\n";
    }
    Session s;
    s.Setup(Setup_Text(4, false, "", pages));
    s.Data(40);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    s.Tabs().Set_Current(2);
    const auto centre = [&](int graph) {
      const TC_Graph& g = s.w->Page_Set()->Page(3).Graph(graph);
      return QPoint((g.Plot_Left + g.Plot_Right) / 2, (g.Plot_Top + g.Plot_Bottom) / 2);
    };
    for (int graph : {1, 2}) Wheel_Notch(s.w->Canvas_View(3), centre(graph));
    QVERIFY(Wait_Until([&] { return s.w->Zoom().Draws() == 2; }));
    s.Tabs().Set_Current(0);
    Append_File(s.Path("plotwright.dat"), Data_Lines(41, 80));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 2; }));
    s.Tabs().Set_Current(2);
    Append_File(s.Path("plotwright.dat"), Data_Lines(81, 95));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    QCOMPARE(s.w->Follow().Appends(), 2);
    QCOMPARE(s.w->Pages().Current(), 2);
    QVERIFY(s.w->Page_Set()->Page(3).Zoomed(1) && s.w->Page_Set()->Page(3).Zoomed(2));
    for (int graph : {1, 2}) {
      QTest::mouseDClick(&s.w->Canvas_View(3), Qt::LeftButton, Qt::NoModifier, centre(graph));
    }
    QVERIFY(Wait_Until([&] { return s.w->Zoom().Draws() == 4; }));
    QVERIFY(!s.w->Page_Set()->Page(3).Any_Zoomed());
    const std::vector<std::uint32_t> reset = Pictures(*s.w, 4);
    s.Menu("mRedraw");
    QVERIFY(Pictures(*s.w, 4) == reset);
    QCOMPARE(closer.Closed(), 0);
  }

  // During a follow redraw a Redraw All waits and runs once after it, and switching follow
  // mode off leaves that redraw whole.
  void commands_during_a_follow_redraw() {
    Session s;
    s.Setup(Setup_Text(4, true));
    s.Data(50);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/f"});
    bool done = false;
    QTimer poke;
    poke.setInterval(0);
    QObject::connect(&poke, &QTimer::timeout, [&] {
      if (done || !s.w->Drawing()) return;
      done = true;
      s.w->Item("mRedraw")->trigger();
      s.w->Item("mFollow")->trigger();
    });
    poke.start();
    Append_File(s.Path("plotwright.dat"), Data_Lines(51, 60));
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == 3; }));
    poke.stop();
    QVERIFY(done);
    QVERIFY(!s.w->Follow().On());
    QCOMPARE(s.w->Follow().Follow_Loads(), 1);
    QCOMPARE(s.w->Page_Set()->Buffer().Point_Count(), 60);
    QTest::qWait(300);
    QCOMPARE(s.w->Loads_Finished(), 3);
    QCOMPARE(closer.Closed(), 0);
  }

  // The key "Follow" switches it on; the menu item off (watcher and timer gone), and the key,
  // as long as it is not edited, does not switch it back.
  void key_and_menu_item_switch_it() {
    Session s;
    s.Setup(Setup_Text(2, true, "Follow=1"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QVERIFY(s.w->Follow().On());
    QVERIFY(s.w->Item("mFollow")->isChecked());
    s.w->Item("mFollow")->trigger();
    QVERIFY(!s.w->Follow().On());
    QVERIFY(s.w->Follow().Watched().isEmpty());
    QVERIFY(!s.w->Follow().Timer_Active());
    QVERIFY(Wait_Until([&] { return s.w->findChildren<QFileSystemWatcher*>().isEmpty(); }));
    s.Menu("mRedraw");
    QVERIFY(!s.w->Follow().On());
    s.Setup(Setup_Text(2, true, "Follow=no"));
    s.Menu("mRedraw");
    QVERIFY(!s.w->Follow().On());
    s.Setup(Setup_Text(2, true, "Follow=yes"));
    s.Menu("mRedraw");
    QVERIFY(s.w->Item("mFollow")->isChecked());
    s.w->Item("mFollow")->trigger();
    s.w->Item("mFollow")->trigger();
    QVERIFY(s.w->Follow().On());
    // Switched on by the menu: the first change reads both files whole.
    Append_File(s.Path("plotwright.dat"), Data_Lines(11, 12));
    QVERIFY(Wait_Until([&] { return s.w->Page_Set()->Buffer().Point_Count() == 12; }));
    QCOMPARE(s.w->Follow().Appends(), 0);
    s.Setup(Setup_Text(2, true, "Follow=maybe"));
    s.Menu("mRedraw");
    QCOMPARE(closer.Closed(), 1);
    QCOMPARE(s.box.Last_Text(), std::string("Bad Boolean constant: maybe"));
  }
};

}  // namespace

std::unique_ptr<QObject> Make_Follow_Test() { return std::make_unique<Test_Follow>(); }

}  // namespace pw::test

#include "test_follow.moc"
