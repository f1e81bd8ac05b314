// The real main window on the offscreen platform: tab rows that never widen the window,
// captions shortened with their tooltip, the paging keys and the feedback of a long load.
#include <QCursor>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <memory>
#include <string>

#include "app/canvas_view.h"
#include "app/load_feedback.h"
#include "app/tab_bar.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "widgets/session.h"
#include "widgets/widget_tests.h"

namespace pw::test {

namespace {

// `pages` pages named "Page 1".."Page 16", or `name` + " " + i when `name` is given, the
// tabs on `side` at `per_row` a row.
std::string Tabs_Setup(const std::string& side, const std::string& per_row,
                       const std::string& name = "", int pages = 16) {
  std::string names;
  for (int i = 1; !name.empty() && i <= pages; ++i) {
    names += "[P" + std::to_string(i) + "]\nName=" + name + " " + std::to_string(i) + "\n";
  }
  return Setup_Text(pages, name.empty(), "Tabs=" + side + "\nTabsPerRow=" + per_row, names);
}

class Test_Tabs_Keys_Feedback : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Fatal_Error = false;
    Ignore_Limits = false;
  }

  // However many tabs a row is set to hold, the bar asks for no more room than the window has:
  // the window keeps its size, the page below the bar gets the rest, and no tab is 0 wide.
  void large_tabs_per_row_never_widen_the_window() {
    for (const char* side : {"Top", "Bottom", "Left", "Right"}) {
      for (const char* per_row : {"60", "120", "-1", "33"}) {
        const QString where = QString("%1, %2 a row").arg(side, per_row);
        Session s;
        s.Setup(Tabs_Setup(side, per_row));
        s.Data(10);
        Box_Closer closer;
        s.Start();
        QCOMPARE(closer.Closed(), 0);
        QTest::qWait(20);
        QVERIFY2(s.w->size() == QSize(800, 600), qPrintable(where));
        const QSize min = s.w->minimumSizeHint();
        QVERIFY2(min.width() <= 800 && min.height() <= 600, qPrintable(where));
        TTab_Bar& bar = s.Tabs();
        const bool horizontal = bar.Side() == Tab_Side::Top || bar.Side() == Tab_Side::Bottom;
        QCOMPARE(horizontal ? bar.height() : bar.width(), TTab_Bar::Tab_Height);
        for (int i = 0; i < 16; ++i) {
          const QRect r = bar.Tab_Rect(i);
          QVERIFY2(bar.rect().contains(r), qPrintable(where + " tab " + QString::number(i)));
          QVERIFY2((horizontal ? r.width() : r.height()) >= 30, qPrintable(where));
        }
        const QSize page = s.w->Canvas_View(1).size();
        QCOMPARE(page.width() + (horizontal ? 0 : TTab_Bar::Tab_Height),
                 s.w->centralWidget()->width());
        QCOMPARE(QSize(s.w->Canvas(16).Image.Width(), s.w->Canvas(16).Image.Height()), page);
      }
    }
  }

  // A crowded row shortens captions with an ellipsis; the tab's tooltip gives the full one.
  void shortened_caption_has_the_full_caption_as_tooltip() {
    Session s;
    s.Setup(Tabs_Setup("Top", "-1", "Readings over the whole season at station"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    TTab_Bar& bar = s.Tabs();
    const QString full = "Readings over the whole season at station 7";
    QCOMPARE(bar.Caption(6), full);
    QCOMPARE(bar.Tab_Rect(6).width(), 800 / 16);
    QVERIFY(bar.Shown_Caption(6).endsWith(QChar(0x2026)));
    QCOMPARE(bar.Tab_Tooltip(6), full);
    const QPoint at = bar.Tab_Rect(6).center();
    QHelpEvent help(QEvent::ToolTip, at, bar.mapToGlobal(at));
    QCoreApplication::sendEvent(&bar, &help);
    QVERIFY(Wait_Until([] { return QToolTip::isVisible(); }, 2000));
    QCOMPARE(QToolTip::text(), full);
    QToolTip::hideText();
    // A caption that looks like markup is shown as it is written, not as rich text.
    const QString tagged = "Flow <b>fast</b> & <i>slow</i> over the whole season, station 7";
    bar.Set_Caption(6, tagged);
    QCoreApplication::sendEvent(&bar, &help);
    QVERIFY(Wait_Until([] { return QToolTip::isVisible(); }, 2000));
    QTextDocument shown;
    shown.setHtml(QToolTip::text());
    QCOMPARE(shown.toPlainText(), tagged);
    QToolTip::hideText();
    // A caption that fits has no tooltip.
    bar.Set_Caption(6, "Depth");
    QCOMPARE(bar.Shown_Caption(6), QString("Depth"));
    QCOMPARE(bar.Tab_Tooltip(6), QString());
  }

  // On the side, the current tab's bold caption is shown whole when the column has room, also
  // when the row may hold more tabs than there are.
  void side_tab_fits_its_bold_caption() {
    for (const char* per_row : {"0", "20"}) {
      Session s;
      s.Setup(Tabs_Setup("Right", per_row, "Wind speed at station", 5));
      s.Data(10);
      Box_Closer closer;
      s.Start({}, QSize(800, 1200));
      TTab_Bar& bar = s.Tabs();
      for (int i = 0; i < 5; ++i) {
        bar.Set_Current(i);
        QCOMPARE(bar.Shown_Caption(i), bar.Caption(i));
        QCOMPARE(bar.Tab_Tooltip(i), QString());
      }
      QFont bold = bar.font();
      bold.setBold(true);
      QVERIFY(bar.Tab_Rect(0).height() >= QFontMetrics(bold).horizontalAdvance(bar.Caption(0)));
      QVERIFY(bar.Tab_Rect(4).bottom() < bar.height());
    }
  }

  void ctrl_tab_and_ctrl_page_keys_go_round_the_visible_pages() {
    Session s;
    s.Setup(Setup_Text(4, true));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    struct Key {
      Qt::Key key;
      Qt::KeyboardModifiers mods;
      int expected;
    };
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const Qt::KeyboardModifiers ctrl_shift = Qt::ControlModifier | Qt::ShiftModifier;
    const Key keys[] = {
        {Qt::Key_Tab, ctrl, 1},
        {Qt::Key_PageDown, ctrl, 2},
        {Qt::Key_Tab, ctrl, 3},
        {Qt::Key_Tab, ctrl, 0},  // wraps after the 4th page
        {Qt::Key_Backtab, ctrl_shift, 3},
        {Qt::Key_PageUp, ctrl, 2},
        {Qt::Key_Tab, ctrl_shift, 1},
        {Qt::Key_PageUp, ctrl, 0},
        {Qt::Key_PageUp, ctrl, 3},  // wraps before the first
        {Qt::Key_PageDown, {}, 3},
        {Qt::Key_Tab, Qt::AltModifier, 3},  // not paging keys
        {Qt::Key_PageDown, ctrl_shift, 3},
    };
    for (const Key& k : keys) {
      QTest::keyClick(s.w.get(), k.key, k.mods);
      QCOMPARE(s.Tabs().Current(), k.expected);
      QCOMPARE(s.w->Pages().Current_Page(), &s.w->Canvas_View(k.expected + 1));
    }
    // Only the visible pages count.
    s.Setup(Setup_Text(2, true));
    s.Menu("mRedraw");
    QCOMPARE(s.Tabs().Current(), 0);  // tab 4 went: the next visible one is the first
    QTest::keyClick(s.w.get(), Qt::Key_Tab, ctrl);
    QCOMPARE(s.Tabs().Current(), 1);
    QTest::keyClick(s.w.get(), Qt::Key_PageDown, ctrl);
    QCOMPARE(s.Tabs().Current(), 0);
    QCOMPARE(closer.Closed(), 0);
  }

  // A setup edited to put the tabs elsewhere, in more or fewer rows, or a window resized:
  // Redraw All draws every page at the size the page has now.
  void redraw_sizes_the_pages_to_the_new_tab_rows_and_window() {
    struct Step {
      const char* side;
      const char* per_row;
      int pages;
      QSize window;
    };
    const Step steps[] = {
        {"Top", "5", 16, {800, 600}},   {"Left", "1", 16, {800, 600}},
        {"Bottom", "16", 3, {800, 600}}, {"Right", "2", 16, {500, 700}},
        {"Top", "0", 1, {40, 90}},       {"Left", "3", 9, {900, 500}},
    };
    Session s;
    s.Setup(Tabs_Setup("Top", "5", "Station readings over the whole long season"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    for (const Step& step : steps) {
      const QString where =
          QString("%1, %2 a row, %3 pages").arg(step.side, step.per_row).arg(step.pages);
      s.Setup(Tabs_Setup(step.side, step.per_row, "Station readings", step.pages));
      s.w->resize(step.window);
      QTest::qWait(20);
      s.Menu("mRedraw");
      const QSize page = s.w->Canvas_View(s.Tabs().Current() + 1).size();
      for (int i = 1; i <= 16; ++i) {
        const TC_Bitmap& image = s.w->Canvas(i).Image;
        QVERIFY2(QSize(image.Width(), image.Height()) == page, qPrintable(where));
      }
    }
    QCOMPARE(closer.Closed(), 0);
  }

  // Every step of the load shows in the strip over the pages, with a busy cursor; both go when
  // the load ends. (The delay is set to 0 to see it on a quick load.)
  void load_shows_progress_strip_and_busy_cursor_then_removes_them() {
    Session s;
    s.Setup(Setup_Text(3, true));
    s.Data(20);
    Box_Closer closer;
    s.Start();
    const TLoad_Strip& strip = s.w->Feedback().Strip();
    QVERIFY(strip.isHidden());
    s.w->Feedback().Set_Delay(0);
    QStringList seen;
    bool busy = true;
    bool over_page = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!s.w->Drawing() || strip.isHidden()) return;
      if (seen.isEmpty() || seen.back() != strip.Text()) seen << strip.Text();
      busy = busy && s.w->Canvas_View(1).cursor().shape() == Qt::BusyCursor;
      over_page = s.w->Pages().Page_Area().contains(strip.geometry());
    });
    watch.start();
    s.w->Load_And_Draw();
    watch.stop();
    QCOMPARE(seen, (QStringList{"Loading 100%", "Drawing page 1 0%", "Drawing page 2 33%",
                                "Drawing page 3 66%"}));
    QVERIFY(busy);
    QVERIFY(over_page);
    QVERIFY(strip.isHidden());
    QCOMPARE(s.w->Canvas_View(1).cursor().shape(), Qt::CrossCursor);
    // A load that ends in an error removes them as well.
    s.Setup(Setup_Text(1, true, "", "[P1]\nKind=Hist\nLayers=A B\n"));
    s.Menu("mRedraw");
    QCOMPARE(s.box.Last_Text(), std::string("More than 1 Hist layer"));
    QVERIFY(strip.isHidden());
    QCOMPARE(s.w->Canvas_View(1).cursor().shape(), Qt::CrossCursor);
  }

  // While the data are read the user's clicks and keys wait (a menu or box opened then would
  // hold the load up behind it, its progress standing still); between the pages they are taken.
  void input_waits_while_the_data_load_and_is_taken_while_drawing() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(20);
    Box_Closer closer;
    s.Start();
    int load_pumps = 0, draw_pumps = 0;
    bool waits_in_load = true, taken_in_draw = true;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!s.w->Drawing() || s.w->Page_Set() == nullptr) return;
      if (s.w->Page_Set()->Loading()) {
        ++load_pumps;
        waits_in_load = waits_in_load && s.w->Input_Waits();
      } else {
        ++draw_pumps;
        taken_in_draw = taken_in_draw && !s.w->Input_Waits();
      }
    });
    watch.start();
    s.w->Load_And_Draw();
    watch.stop();
    QVERIFY(load_pumps > 0);
    QVERIFY(draw_pumps > 0);
    QVERIFY(waits_in_load);
    QVERIFY(taken_in_draw);
    QVERIFY(!s.w->Input_Waits());
    QCOMPARE(closer.Closed(), 0);
  }

  // Closing the window while the data are read drops the rest of the work: no page is drawn,
  // and the window closes as soon as the load has stopped.
  void close_during_the_load_stops_it() {
    Session s;
    s.Setup(Setup_Text(2, true));
    s.Data(20);
    Box_Closer closer;
    s.Start();
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (s.w->Drawing() && s.w->Page_Set() != nullptr && s.w->Page_Set()->Loading()) {
        s.w->close();
      }
    });
    watch.start();
    s.w->Load_And_Draw();
    watch.stop();
    QVERIFY(!s.w->Drawing());
    QVERIFY(s.w->Page_Set() != nullptr);
    QCOMPARE(s.w->Page_Set()->Pages_Drawn(), 0);
    QVERIFY(Wait_Until([&] { return !s.w->isVisible(); }, 2000));
    QCOMPARE(closer.Closed(), 0);
  }

  // With the usual half-second delay a quick load shows nothing at all.
  void quick_load_shows_no_feedback() {
    Session s;
    s.Setup(Setup_Text(3, true));
    s.Data(20);
    Box_Closer closer;
    s.Start();
    bool ever_shown = false;
    QTimer watch;
    watch.setInterval(0);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      ever_shown = ever_shown || !s.w->Feedback().Strip().isHidden() ||
                   s.w->Canvas_View(1).cursor().shape() != Qt::CrossCursor;
    });
    watch.start();
    QElapsedTimer took;
    took.start();
    s.w->Load_And_Draw();
    watch.stop();
    // A machine busy enough to make this small load take near half a second cannot tell.
    if (took.elapsed() >= 400) QSKIP("the load was not quick on this machine");
    QVERIFY(!ever_shown);
  }
};

}  // namespace

std::unique_ptr<QObject> Make_Tabs_Keys_Feedback_Test() {
  return std::make_unique<Test_Tabs_Keys_Feedback>();
}

}  // namespace pw::test

#include "test_tabs_keys_feedback.moc"
