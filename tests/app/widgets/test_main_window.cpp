// The real main window on the offscreen platform: loads, tabs, keys, mouse, menu, errors.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "app/app_logic.h"
#include "app/canvas_view.h"
#include "app/d_errbox.h"
#include "app/notebook.h"
#include "app/tab_layout.h"
#include "app/pw_app.h"
#include "app/pw_main.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "widgets/app_fixture.h"
#include "widgets/session.h"
#include "widgets/widget_tests.h"

namespace pw::test {

namespace {

namespace fs = std::filesystem;

class Test_Main_Window : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Fatal_Error = false;
    Ignore_Limits = false;
    PixOff = 2;
    Editor_Command = "notepad.exe";
  }

  void missing_setup_file_reports_full_path_and_keeps_16_tabs() {
    Session s;
    Box_Closer closer;
    s.Start();
    QCOMPARE(s.box.Last_Text(), "File not found: " + s.Path("plotwright.pwr.ini"));
    QVERIFY(s.w->isVisible());
    QCOMPARE(s.w->windowTitle().toStdString(), "PlotWright: " + s.Path("plotwright.dat"));
    for (int i = 0; i < 16; ++i) {
      QVERIFY(s.Tabs().Tab_Visible(i));
      QCOMPARE(s.Tabs().Caption(i), QString::number(i + 1));
    }
    QVERIFY(s.w->Page_Set() == nullptr);
    s.Menu("mRedraw");  // tries the same file again
    QCOMPARE(closer.Closed(), 2);
    QCOMPARE(s.box.Last_Text(), "File not found: " + s.Path("plotwright.pwr.ini"));
  }

  void page_names_become_tab_captions_and_stay() {
    Session s;
    s.Setup(Setup_Text(3, false, "", "[P1]\nName=Speed\n[P3]\nName=Depth\n"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(closer.Closed(), 0);
    QCOMPARE(s.Tabs().Caption(0), QString("Speed"));
    QCOMPARE(s.Tabs().Caption(1), QString("2"));
    QCOMPARE(s.Tabs().Caption(2), QString("Depth"));
    for (int i = 0; i < 16; ++i) QCOMPARE(s.Tabs().Tab_Visible(i), i < 3);
    // A page without "Name" keeps the caption an earlier load gave its tab.
    s.Setup(Setup_Text(3, false, "", "[P2]\nName=Width\n"));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Caption(0), QString("Speed"));
    QCOMPARE(s.Tabs().Caption(1), QString("Width"));
  }

  void tabs_per_row_follow_the_page_count_or_the_key() {
    Session s;
    s.Setup(Setup_Text(3, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(s.Tabs().Tabs_Per_Row(), 4);
    QCOMPARE(s.Tabs().Rows(), 1);
    s.Setup(Setup_Text(9, true));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Tabs_Per_Row(), 6);
    QCOMPARE(s.Tabs().Rows(), 2);
    QCOMPARE(s.Tabs().height(), 2 * TTab_Bar::Tab_Height);
    s.Setup(Setup_Text(9, true, "TabsPerRow=2"));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Tabs_Per_Row(), 2);
    QCOMPARE(s.Tabs().Rows(), 5);
    // The canvases take the size of the current one, below the taller tab bar.
    QCOMPARE(s.w->Canvas(1).Image.Height(), s.w->Canvas_View(1).height());
    QCOMPARE(s.w->Canvas(16).Image.Width(), s.w->Canvas_View(1).width());
    // One tab a row for 16 pages would leave a low screen's pages almost no height: the rows
    // fold so the pages keep at least half the notebook.
    s.Setup(Setup_Text(16, true, "TabsPerRow=1"));
    s.Menu("mRedraw");
    const int room = s.w->Pages().height();
    QVERIFY(room < 2 * 16 * TTab_Bar::Tab_Height);  // this screen is too low for 16 rows
    QCOMPARE(s.Tabs().Tabs_Per_Row(), 1);
    QCOMPARE(s.Tabs().Rows(), Tab_Rows(16, Folded_Tabs_Per_Row(16, 1, room, 22)));
    QVERIFY(s.w->Pages().Page_Area().height() >= room / 2);
    QCOMPARE(s.w->Canvas(1).Image.Height(), s.w->Canvas_View(1).height());
    QCOMPARE(closer.Closed(), 0);
  }

  void tab_rows_fold_and_unfold_with_the_notebook_size() {
    TNotebook book;
    for (int i = 0; i < 16; ++i) book.Add_Page(std::make_unique<QWidget>());
    book.Tabs().Set_Tabs_Per_Row(1);
    for (const Tab_Side side : {Tab_Side::Bottom, Tab_Side::Left}) {
      book.Set_Side(side);
      const bool across = side == Tab_Side::Bottom;
      for (const auto& [room, rows] : {std::pair{1000, 16}, {361, 8}, {300, 6}, {1000, 16}}) {
        book.resize(across ? 640 : room, across ? room : 640);
        book.Relayout();
        QCOMPARE(book.Tabs().Rows(), rows);
        const QRect pages = book.Page_Area();
        QCOMPARE(across ? pages.height() : pages.width(), room - rows * TTab_Bar::Tab_Height);
      }
    }
  }

  void tabs_key_moves_the_tab_bar() {
    Session s;
    s.Setup(Setup_Text(2, true, "Tabs=left"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(s.Tabs().Side(), Tab_Side::Left);
    const QPoint canvas = s.w->Canvas_View(1).mapTo(&s.w->Pages(), QPoint(0, 0));
    QVERIFY(s.Tabs().geometry().right() < canvas.x());
    s.Setup(Setup_Text(2, true, "Tabs=Top"));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Side(), Tab_Side::Top);
    QVERIFY(s.Tabs().geometry().bottom() <
            s.w->Canvas_View(1).mapTo(&s.w->Pages(), QPoint(0, 0)).y());
    s.Setup(Setup_Text(2, true, "Tabs="));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Side(), Tab_Side::Bottom);
    QVERIFY(s.Tabs().geometry().top() >
            s.w->Canvas_View(1).mapTo(&s.w->Pages(), QPoint(0, 0)).y());
  }

  void keys_s_and_S_write_the_screen_shots() {
    Session s;
    s.Setup(Setup_Text(3, true));
    s.Data(10, "run7.dat");
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "run7.dat"});
    QCOMPARE(closer.Closed(), 0);
    const std::string shots = s.Path("scrn/");
    QTest::keyClick(s.w.get(), 's');
    QVERIFY(fs::exists(shots + "run7.01.bmp"));
    const std::vector<unsigned char> bmp = Read_File(shots + "run7.01.bmp");
    QVERIFY(bmp.size() > 54);
    QCOMPARE(bmp[0], 'B');
    QCOMPARE(bmp[1], 'M');
    const int width = bmp[18] | bmp[19] << 8, height = bmp[22] | bmp[23] << 8;
    QCOMPARE(width, s.w->Canvas(1).Image.Width());
    QCOMPARE(height, s.w->Canvas(1).Image.Height());
    s.Tabs().Set_Current(2);
    QTest::keyClick(s.w.get(), 's');
    QVERIFY(fs::exists(shots + "run7.03.bmp"));
    QVERIFY(!fs::exists(shots + "run7.02.bmp"));
    fs::remove_all(shots);
    QTest::keyClick(s.w.get(), 'S');
    for (int i = 1; i <= 3; ++i) QVERIFY(fs::exists(shots + "run7.0" + std::to_string(i) + ".bmp"));
    QVERIFY(!fs::exists(shots + "run7.04.bmp"));
    fs::remove_all(shots);
    QTest::keyClick(s.w.get(), 'x');
    QVERIFY(!fs::exists(shots));
    // The menu items do the same.
    s.w->Item("mShotAll")->trigger();
    QVERIFY(fs::exists(shots + "run7.02.bmp"));
    QCOMPARE(closer.Closed(), 0);
  }

  void left_press_on_a_point_shows_its_hint_until_release() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(closer.Closed(), 0);
    TC_Graph& graph = s.w->Page_Set()->Page(1).Graph(1);
    const QPoint point(static_cast<int>(graph.Pixel_X(5)), static_cast<int>(graph.Pixel_Y(11)));
    TCanvas_View& view = s.w->Canvas_View(1);
    const QString before = s.w->windowTitle();
    QTest::mousePress(&view, Qt::LeftButton, {}, point);
    QCOMPARE(s.w->windowTitle(), QString("PlotWright:   pt5"));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, point);
    QCOMPARE(s.w->windowTitle().toStdString(), "PlotWright:" + s.Path("plotwright.dat"));
    // Outside every scatter graph the press leaves the caption; the release sets it again.
    s.w->setWindowTitle(before);
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(s.w->windowTitle(), before);
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(s.w->windowTitle().toStdString(), "PlotWright:" + s.Path("plotwright.dat"));
    // The right button does not ask for hints.
    QTest::mousePress(&view, Qt::RightButton, {}, point);
    QCOMPARE(s.w->windowTitle().toStdString(), "PlotWright:" + s.Path("plotwright.dat"));
  }

  void fatal_error_closes_the_window_after_the_box() {
    Session s;
    s.Setup(Setup_Text(1, true));
    bool visible_while_shown = false;
    Box_Closer closer([&](QWidget&) { visible_while_shown = s.w->isVisible(); });
    s.Start();
    QCOMPARE(s.box.Last_Text(), "Missing file: " + s.Path("plotwright.dat"));
    QVERIFY(visible_while_shown);
    QVERIFY(Wait_Until([&] { return !s.w->isVisible(); }));
    QVERIFY(s.w->Page_Set() == nullptr);
    Fatal_Error = false;
  }

  void ignore_limits_lasts_until_the_next_plain_redraw() {
    Session s;
    s.Setup(Setup_Text(1, true, "", "[P1]\nxlo=-100\nxhi=100\n"));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "/i"});
    QCOMPARE(closer.Closed(), 0);
    auto xlo = [&] { return static_cast<double>(s.w->Page_Set()->Page(1).Graph(1).XLo); };
    QVERIFY(Ignore_Limits);
    QVERIFY(xlo() > -50);
    s.Menu("mRedraw");
    QVERIFY(!Ignore_Limits);
    QCOMPARE(xlo(), -100.0);
    s.Menu("mRedrawIgnore");
    QVERIFY(Ignore_Limits);
    QVERIFY(xlo() > -50);
    s.Menu("mRedraw");
    QVERIFY(!Ignore_Limits);
    QCOMPARE(xlo(), -100.0);
  }

  void third_argument_other_than_slash_i_keeps_limits() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "plotwright.dat", "-i"});
    QVERIFY(!Ignore_Limits);
  }

  void commands_while_drawing_run_once_afterwards() {
    Session s;
    s.Setup(Setup_Text(4, true));
    s.Data(50);
    Box_Closer closer;
    s.Start();
    const int loads = s.w->Loads_Finished();
    bool was_drawing = false;
    TC_Graph_Page_Set* drawn = nullptr;
    QTimer::singleShot(0, [&] {
      was_drawing = s.w->Drawing();
      drawn = s.w->Page_Set();
      s.w->Item("mRedrawIgnore")->trigger();
      s.w->Item("mRedraw")->trigger();
      s.w->Item("mRedrawIgnore")->trigger();
      QVERIFY(s.w->Page_Set() == drawn);  // not released under the drawing
    });
    s.w->Load_And_Draw();
    QVERIFY(was_drawing);
    QCOMPARE(s.w->Loads_Finished(), loads + 1);
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() == loads + 2; }));
    QTest::qWait(100);
    QCOMPARE(s.w->Loads_Finished(), loads + 2);
    QVERIFY(Ignore_Limits);  // the last request asked while drawing wins
    // Exit while drawing: the window closes once the drawing has ended.
    QTimer::singleShot(0, [&] { s.w->Item("mExit")->trigger(); });
    s.w->Load_And_Draw();
    QVERIFY(s.w->isVisible());
    QVERIFY(Wait_Until([&] { return !s.w->isVisible(); }));
    QCOMPARE(closer.Closed(), 0);
  }

  void popup_menu_items_in_order() {
    Session s;
    Box_Closer closer;
    s.Start();
    QStringList seen;
    for (QAction* a : s.w->Popup().actions()) {
      seen << (a->isSeparator() ? QString("-") : a->objectName() + "=" + a->text());
      if (a->menu() != nullptr) {
        for (QAction* sub : a->menu()->actions()) seen << "  " + sub->objectName() + "=" + sub->text();
      }
    }
    const QStringList expected = {
        "mRedraw=&Redraw All",     "mRedrawIgnore=Redraw All (&Ignore Limits)",
        "mFollow=&Follow File Changes",
        "mShot=&Screen Shot",      "  mShotThis=&This Page",
        "  mShotAll=&All Pages",   "-",
        "File1=&Edit File",        "  mEditSetup=&Setup",
        "  mEditData=&Data",       "-",
        "mHelp=&Help",             "mWeb=Plotwright &Web Page",
        "mAbout=&About Plotwright...", "-",
        "mExit=&E&xit"};
    QCOMPARE(seen, expected);
    QVERIFY(!s.w->Item("mHelp")->isVisible());  // no help page next to the program
  }

  // From the keyboard each item of a menu is one letter away.
  void every_menu_item_has_a_letter() {
    Session s;
    Box_Closer closer;
    s.Start();
    const std::vector<const QMenu*> menus = {&s.w->Popup(), s.w->Item("mShot")->menu(),
                                             s.w->Item("File1")->menu()};
    for (const QMenu* menu : menus) {
      for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        const QString text = QString(a->text()).remove("&&");
        const qsizetype at = text.indexOf('&');
        QVERIFY2(at >= 0 && at + 1 < text.size() && text[at + 1].isLetter(),
                 qPrintable(a->text()));
      }
    }
  }

  // A keyboard without a Menu key (most laptops) opens the menu with Shift+F10, as every
  // desktop does; the Menu key itself comes as a context-menu event from the platform.
  void shift_f10_opens_the_menu() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    struct Key {
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      bool opens;
    };
    const Key keys[] = {
        {Qt::Key_F10, Qt::ShiftModifier, true},
        {Qt::Key_F10, Qt::ShiftModifier | Qt::KeypadModifier, true},
        {Qt::Key_F10, {}, false},
        {Qt::Key_F10, Qt::ControlModifier | Qt::ShiftModifier, false},
        {Qt::Key_F9, Qt::ShiftModifier, false},
    };
    for (const Key& k : keys) {
      bool opened = false;
      QTimer::singleShot(50, [&] {
        opened = QApplication::activePopupWidget() == &s.w->Popup();
        s.w->Popup().close();
      });
      QTest::keyClick(s.w.get(), k.key, k.mods);
      QTest::qWait(100);
      QCOMPARE(opened, k.opens);
      QVERIFY(!s.w->Popup().isVisible());
    }
    QCOMPARE(s.Tabs().Current(), 0);
    QCOMPARE(closer.Closed(), 0);
  }

  void help_item_visible_with_either_help_page() {
    for (const std::string page : {"_doc/plotwright-manual.html", "doc/plotwright-manual.html"}) {
      Session s;
      Write_File(s.Path(page), "<html></html>");
      Box_Closer closer;
      s.Start();
      QVERIFY(s.w->Item("mHelp")->isVisible());
      QCOMPARE(s.w->Help_File(), page);
      QUrl opened;
      s.w->Open_Url = [&](const QUrl& url) { opened = url; return true; };
      s.w->Item("mHelp")->trigger();
      QCOMPARE(opened, QUrl::fromLocalFile(QString::fromStdString(s.Path(page))));
    }
  }

  void editor_gets_the_file_as_one_argument_and_falls_back() {
    Session s;
    s.Setup(Setup_Text(1, true, "Editor=myedit"));
    s.Data(10, "my data.dat");
    Box_Closer closer;
    s.Start({"plotwright.pwr.ini", "my data.dat"});
    std::string program;
    std::vector<std::string> args;
    bool started = true;
    QList<QUrl> opened;
    s.w->Start_Program = [&](const std::string& p, const std::vector<std::string>& a) {
      program = p;
      args = a;
      return started;
    };
    s.w->Open_Url = [&](const QUrl& url) { opened << url; return true; };
    s.w->Item("mEditData")->trigger();
    QCOMPARE(program, std::string("myedit"));
    QCOMPARE(args, std::vector<std::string>{s.Path("my data.dat")});
    QVERIFY(opened.isEmpty());
    started = false;  // the editor cannot be started: the desktop opens the file
    s.w->Item("mEditSetup")->trigger();
    QCOMPARE(args, std::vector<std::string>{s.Path("plotwright.pwr.ini")});
    QCOMPARE(opened.size(), 1);
    QCOMPARE(opened[0], QUrl::fromLocalFile(QString::fromStdString(s.Path("plotwright.pwr.ini"))));
    // Without the key the editor named before stays.
    s.Setup(Setup_Text(1, true));
    s.Menu("mRedraw");
    QCOMPARE(Editor_Command, std::string("myedit"));
    s.w->Item("mWeb")->trigger();
    QCOMPARE(opened.back(), QUrl("https://plotwright.org/"));
    QCOMPARE(closer.Closed(), 0);
  }

  // The real launch, no stand-in: an editor (a script whose own path has blanks and shell
  // syntax) gets a setup path full of blanks, quotes, semicolons and $(...) as exactly one
  // argument, and no shell ever sees either.
  void editor_launch_passes_hostile_paths_through_no_shell() {
    Session s;
    const std::string folder = s.Path("a b;'q\"$(touch PWNED)`touch PWNED2`/");
    const std::string editor = folder + "my editor $(touch PWNED3);.sh";
    const std::string setup = folder + "set up; rm -rf x $(touch PWNED4) 'q' \"d\".ini";
    const std::string data = folder + "data `touch PWNED5` & \xe9" "cho.dat";  // "é" in ISO 8859-1
    // Writes its argument count and arguments, NUL-separated, beside itself; the rename makes
    // the file appear whole.
    Write_File(editor,
               "#!/bin/sh\n"
               "printf '%s\\0' \"$#\" \"$@\" > \"$0.tmp\" && mv \"$0.tmp\" \"$0.args\"\n");
    fs::permissions(editor, fs::perms::owner_all);
    Write_File(setup, Setup_Text(1, true, "Editor=" + editor));
    Write_File(data, Data_Text(10));
    Box_Closer closer;
    s.Start({setup, data});
    QCOMPARE(closer.Closed(), 0);
    QCOMPARE(Editor_Command, editor);
    bool url_opened = false;
    s.w->Open_Url = [&](const QUrl&) { url_opened = true; return true; };
    auto expect_one_argument = [&](const char* item, const std::string& path) {
      fs::remove(editor + ".args");
      s.w->Item(item)->trigger();
      QVERIFY(Wait_Until([&] { return fs::exists(editor + ".args"); }, 10000));
      const std::vector<unsigned char> bytes = Read_File(editor + ".args");
      const std::string expected = std::string("1") + '\0' + path + '\0';
      QCOMPARE(std::string(bytes.begin(), bytes.end()), expected);
    };
    expect_one_argument("mEditSetup", setup);
    expect_one_argument("mEditData", data);
    QVERIFY(!url_opened);  // the editor started: no fallback to the desktop
    for (const char* name : {"PWNED", "PWNED2", "PWNED3", "PWNED4", "PWNED5"}) {
      QVERIFY(!fs::exists(s.Path(name)));
      QVERIFY(!fs::exists(folder + name));
      QVERIFY(!fs::exists(fs::current_path() / name));
    }
  }

  // Installed: the program's folder holds nothing and cannot be written (here: it does not
  // exist); names come from the start folder, the defaults and the manual from the shared
  // files, and screen shots go to the user's data folder.
  void installed_window_finds_its_files_and_shoots_into_the_users_folder() {
    Session s;
    const std::string share = s.Path("share/plotwright/"), user = s.Path("home/plotwright/");
    Write_File(s.Path("start/mine.ini"), Setup_Text(2, true));
    Write_File(share + "plotwright.dat", Data_Text(10));
    Write_File(share + "doc/plotwright-manual.html", "<html></html>");
    Box_Closer closer;
    s.w = std::make_unique<TMain>(s.box, s.Path("bin/"), std::vector<std::string>{"mine.ini"});
    s.w->Set_Places({"ignored/", s.Path("start/"), share, user});
    s.w->resize(800, 600);
    s.w->show();
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() > 0 || s.box.Shown_Count() > 0; }));
    QCOMPARE(closer.Closed(), 0);
    QCOMPARE(s.w->Setup_File(), s.Path("start/mine.ini"));
    QCOMPARE(s.w->Data_File(), share + "plotwright.dat");
    QCOMPARE(s.w->Help_Page(), share + "doc/plotwright-manual.html");
    QVERIFY(s.w->Item("mHelp")->isVisible());
    QCOMPARE(s.w->Screen_Shot_Dir(), user + "scrn/");
    QTest::keyClick(s.w.get(), 'S');
    QVERIFY(fs::exists(user + "scrn/plotwright.01.bmp"));
    QVERIFY(fs::exists(user + "scrn/plotwright.02.bmp"));
    QVERIFY(!fs::exists(s.Path("bin/")));
  }

  // The help page goes to the desktop as a file address that gives back exactly the path,
  // byte for byte also when a folder's name is no valid UTF-8.
  void help_page_address_keeps_a_hostile_folder_exact() {
    Session s;
    const std::string folder = s.Path("h b;'q\"$(touch PWNED)#%20?x \xe4/");
    Write_File(folder + "doc/plotwright-manual.html", "<html></html>");
    Box_Closer closer;
    s.w = std::make_unique<TMain>(s.box, folder, std::vector<std::string>{});
    s.w->resize(800, 600);
    s.w->show();
    QVERIFY(Wait_Until([&] { return s.w->First_Show_Done(); }));
    QUrl opened;
    s.w->Open_Url = [&](const QUrl& url) { opened = url; return true; };
    s.w->Item("mHelp")->trigger();
    QVERIFY(opened.isLocalFile());
    const QByteArray path =
        QByteArray::fromPercentEncoding(opened.path(QUrl::FullyEncoded).toLatin1());
    QCOMPARE(path.toStdString(), folder + "doc/plotwright-manual.html");
  }

  void about_box_opens_centred_on_the_window() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    {
      Box_Closer none;
      s.Start();
      QCOMPARE(none.Closed(), 0);
    }
    QPoint centre;
    QString version;
    Box_Closer closer([&](QWidget& box) {
      centre = box.frameGeometry().center();
      version = box.findChild<QLabel*>("xVersion")->text();
    });
    s.w->Item("mAbout")->trigger();
    QCOMPARE(version, QString("Version 2.34"));
    const QPoint main = s.w->frameGeometry().center();
    QVERIFY((centre - main).manhattanLength() <= 2);
  }

  void exception_leaving_an_event_handler_reaches_the_box() {
    Session s;
    Box_Closer closer;
    s.Start();
    const int before = closer.Closed();
    auto* app = static_cast<TApplication*>(QCoreApplication::instance());
    app->On_Exception = [&](const std::exception& e) { s.w->AppEventsException(e); };
    struct Thrower : QObject {
      bool event(QEvent*) override { throw Error("Wrong filter limits"); }
    } thrower;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&thrower, &event);
    app->On_Exception = nullptr;
    QCOMPARE(closer.Closed(), before + 1);
    QCOMPARE(s.box.Last_Text(), std::string("Wrong filter limits"));
    QVERIFY(s.w->isVisible());
  }

  // A window manager answers the maximized show with a smaller size a moment later: the
  // first load must size the bitmaps to the size the window keeps.
  void first_load_waits_for_the_window_managers_size() {
    Session s;
    s.Setup(Setup_Text(5, true));
    s.Data(10);
    Box_Closer closer;
    s.w = std::make_unique<TMain>(s.box, s.dir.Path(), std::vector<std::string>{});
    s.w->resize(800, 600);
    s.w->show();
    QTimer::singleShot(0, s.w.get(), [&] { s.w->resize(700, 480); });
    QVERIFY(Wait_Until([&] { return s.w->Loads_Finished() > 0; }));
    QCOMPARE(closer.Closed(), 0);
    QCOMPARE(s.w->size(), QSize(700, 480));
    const QSize view = s.w->Canvas_View(1).size();
    QCOMPARE(s.w->Pages().Current_Page()->size(), view);
    for (int i = 1; i <= 16; ++i) {
      QCOMPARE(QSize(s.w->Canvas(i).Image.Width(), s.w->Canvas(i).Image.Height()), view);
    }
  }

  // On the left the tab column is as wide as its rows, whatever the captions: the page names
  // read after the canvases were sized must not narrow the pages.
  void tabs_on_the_left_keep_their_width_when_renamed() {
    Session s;
    std::string names;
    for (int i = 1; i <= 5; ++i) {
      names += "[P" + std::to_string(i) + "]\nName=Readings of station number " +
               std::to_string(i) + " over the whole season\n";
    }
    s.Setup(Setup_Text(5, false, "Tabs=Left", names));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(closer.Closed(), 0);
    QCOMPARE(s.Tabs().Caption(0), QString("Readings of station number 1 over the whole season"));
    QTest::qWait(50);  // let any layout the renaming asked for happen
    QCOMPARE(s.Tabs().width(), s.Tabs().Rows() * TTab_Bar::Tab_Height);
    QCOMPARE(s.w->Canvas(1).Image.Width(), s.w->Canvas_View(1).width());
    QCOMPARE(s.w->Canvas(5).Image.Height(), s.w->Canvas_View(1).height());
    const int width = s.Tabs().width();
    s.Tabs().Set_Caption(0, "x");
    s.Tabs().Set_Caption(1, QString(80, 'W'));
    QTest::qWait(50);
    QCOMPARE(s.Tabs().width(), width);
    QCOMPARE(s.w->Canvas(1).Image.Width(), s.w->Canvas_View(1).width());
  }

  // Exit asked for during a load whose drawing would end in an error: the load stops where
  // the exit arrived, so no box is shown for pages nobody will see, and the window closes.
  void exit_while_loading_drops_the_rest_of_the_load() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    QCOMPARE(closer.Closed(), 0);
    s.Setup(Setup_Text(1, true, "", "[P1]\nKind=Hist\nLayers=A B\n"));
    QTimer::singleShot(0, s.w.get(), [&] { s.w->Item("mExit")->trigger(); });
    s.w->Item("mRedraw")->trigger();
    QVERIFY(Wait_Until([&] { return !s.w->isVisible(); }));
    QCOMPARE(closer.Closed(), 0);
  }

  // A redraw asked for during a drawing that ends in an error runs after that error's box
  // was closed, and its own error gets a box of its own.
  void redraw_while_drawing_waits_for_the_error_box() {
    Session s;
    s.Setup(Setup_Text(1, true));
    s.Data(10);
    std::vector<int> loads_at_box;
    Box_Closer closer([&](QWidget&) { loads_at_box.push_back(s.w->Loads_Finished()); });
    s.Start();
    const int loads = s.w->Loads_Finished();
    s.Setup(Setup_Text(1, true, "", "[P1]\nKind=Hist\nLayers=A B\n"));
    QTimer::singleShot(0, s.w.get(), [&] { s.w->Item("mRedrawIgnore")->trigger(); });
    s.w->Item("mRedraw")->trigger();
    QVERIFY(Wait_Until([&] { return closer.Closed() == 2; }));
    QTest::qWait(100);
    QCOMPARE(closer.Closed(), 2);
    QCOMPARE(loads_at_box, (std::vector<int>{loads + 1, loads + 2}));
    QCOMPARE(s.box.Last_Text(), std::string("More than 1 Hist layer"));
    QVERIFY(Ignore_Limits);
    QVERIFY(s.w->isVisible());
  }

  // An error shown as the window opens (a bad PLOTWRIGHT_THREADS): the first load waits for
  // its box, so the load's own errors are shown too, each in its box, fatal or not.
  void first_load_waits_for_a_box_shown_at_start() {
    for (const bool setup_there : {false, true}) {
      Session s;
      if (setup_there) s.Setup(Setup_Text(1, true));
      QStringList texts;
      Box_Closer closer([&](QWidget& box) {
        texts << box.findChild<QLabel*>("Txt")->text();
        QTest::qWait(200);  // the window settles meanwhile
      });
      s.w = std::make_unique<TMain>(s.box, s.dir.Path(), std::vector<std::string>{});
      QTimer::singleShot(0, s.w.get(), [&] {
        s.w->AppEventsException(Error("Wrong PLOTWRIGHT_THREADS value: abc"));
      });
      s.w->resize(800, 600);
      s.w->show();
      QVERIFY(Wait_Until([&] { return closer.Closed() == 2; }));
      const std::string second = setup_there ? "Missing file: " + s.Path("plotwright.dat")
                                             : "File not found: " + s.Path("plotwright.pwr.ini");
      QCOMPARE(texts, (QStringList{"Wrong PLOTWRIGHT_THREADS value: abc",
                                   QString::fromStdString(Error_Box_Text(second))}));
      QCOMPARE(Wait_Until([&] { return !s.w->isVisible(); }, 500), setup_there);
      Fatal_Error = false;
    }
  }

  // An empty page list shows no tab: "s" has no page to save, as "S" has none; pages listed
  // again show their first tab.
  void screen_shots_with_no_page_listed() {
    Session s;
    s.Setup(Setup_Text(0, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    const std::string shots = s.Path("scrn/");
    QTest::keyClick(s.w.get(), 's');
    QTest::keyClick(s.w.get(), 'S');
    QCOMPARE(closer.Closed(), 0);
    QVERIFY(!fs::exists(shots) || fs::is_empty(shots));
    // Pages listed again: the first one is current and shown, and "s" saves it.
    s.Setup(Setup_Text(2, true));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Current(), 0);
    QCOMPARE(s.w->Pages().Current_Page(), &s.w->Canvas_View(1));
    QTest::keyClick(s.w.get(), 's');
    QVERIFY(fs::exists(shots + "plotwright.01.bmp"));
    QVERIFY(!fs::exists(shots + "plotwright.16.bmp"));
    QCOMPARE(closer.Closed(), 0);
  }

  // "s" and "S" before any page was drawn: the empty picture is reported, nothing breaks, and
  // a later load writes its pages as usual.
  void screen_shots_before_any_load() {
    Session s;
    Box_Closer closer;
    s.Start();
    QCOMPARE(closer.Closed(), 1);  // "File not found: "
    const std::string shots = s.Path("scrn/");
    QTest::keyClick(s.w.get(), 's');
    QCOMPARE(closer.Closed(), 2);
    const std::string shot = shots + "plotwright.01.bmp";
    QCOMPARE(s.box.Last_Text(), Error_Box_Text("Cannot write file " + shot +
                                               ": the picture is empty"));
    QVERIFY(!fs::exists(shot));
    QTest::keyClick(s.w.get(), 'S');  // no page set: nothing to save
    QCOMPARE(closer.Closed(), 2);
    QVERIFY(s.w->isVisible());
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    s.Menu("mRedraw");
    QTest::keyClick(s.w.get(), 'S');
    QVERIFY(fs::exists(shots + "plotwright.01.bmp"));
    QVERIFY(fs::exists(shots + "plotwright.02.bmp"));
    QCOMPARE(closer.Closed(), 2);
  }
};

}  // namespace

std::unique_ptr<QObject> Make_Main_Window_Test() { return std::make_unique<Test_Main_Window>(); }

}  // namespace pw::test

#include "test_main_window.moc"
