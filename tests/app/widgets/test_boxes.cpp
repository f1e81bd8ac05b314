// The error box, the about box and the tab bar on their own.
#include <new>
#include <QFontMetrics>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <stdexcept>

#include "app/app_logic.h"
#include "app/d_errbox.h"
#include "app/pw_about.h"
#include "app/tab_bar.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "widgets/app_fixture.h"
#include "widgets/widget_tests.h"

namespace pw::test {

namespace {

class Test_Boxes : public QObject {
  Q_OBJECT

 private slots:
  void errbox_short_text_sizes_the_box() {
    TErrBox box;
    box.Set_Font("Lucida Console", 0);
    int width = 0;
    QString label;
    Box_Closer closer([&](QWidget& w) {
      width = w.width();
      label = w.findChild<QLabel*>("Txt")->text();
      QCOMPARE(w.height(), TErrBox::Box_Height);
      const QLabel* txt = w.findChild<QLabel*>("Txt");
      QCOMPARE(txt->x(), TErrBox::Text_Left);
      QCOMPARE(txt->y(), (TErrBox::Box_Height - txt->height()) / 2);
      QCOMPARE(width, TErrBox::Text_Left + txt->width() + 18);
    });
    box.Show_Text("File not found: /x/plotwright.pwr.ini");
    QCOMPARE(closer.Closed(), 1);
    QCOMPARE(label, QString("File not found: /x/plotwright.pwr.ini"));
    QCOMPARE(box.Last_Text(), std::string("File not found: /x/plotwright.pwr.ini"));
    QVERIFY(!box.isVisible());
  }

  void errbox_two_lines_keep_the_box_height() {
    TErrBox box;
    box.Set_Font("Lucida Console", 0);
    int height = 0;
    Box_Closer closer([&](QWidget& w) { height = w.height(); });
    box.Show_Text("Missing file: /x/" + std::string(40, 'd') + "/run.dat");
    QCOMPARE(box.Last_Text().find('\n'), std::string("Missing file:").size());
    QCOMPARE(height, TErrBox::Box_Height);
  }

  void errbox_long_text_breaks_once_and_widens() {
    TErrBox box;
    std::string text;
    while (text.size() < 200) text += "word ";
    text.resize(200);
    int lines = 0, width = 0, room = 0;
    Box_Closer closer([&](QWidget& w) {
      const QLabel* txt = w.findChild<QLabel*>("Txt");
      lines = txt->text().count('\n') + 1;
      width = w.width();
      room = QFontMetrics(txt->font()).horizontalAdvance(QString(145, 'w'));
    });
    box.Show_Text(text);
    // Two lines where the screen has room for the second; a narrower screen wraps it further.
    const int screen = QGuiApplication::primaryScreen()->geometry().width();
    QCOMPARE(lines > 2, TErrBox::Text_Left + room + 18 > screen - 8);
    QVERIFY(lines >= 2);
    QVERIFY(width > TErrBox::Box_Width);  // the 145-character line widens the box
    QCOMPARE(box.Last_Text(), Error_Box_Text(text));
  }

  void errbox_wider_than_the_screen_wraps_and_stays_on_it() {
    TErrBox box;
    box.Set_Font("Lucida Console", 0);
    // A long path has no blank to break at: it is cut where the screen ends.
    const std::string text = "Missing file: /data/" + std::string(300, 'x') + "/run 7.dat";
    QRect frame, label_rect;
    QString label;
    Box_Closer closer([&](QWidget& w) {
      frame = w.frameGeometry();
      const QLabel* txt = w.findChild<QLabel*>("Txt");
      label = txt->text();
      label_rect = txt->geometry();
    });
    box.Show_Text(text);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(frame.left() >= 4);
    QVERIFY(frame.right() < screen.width() - 4);
    QVERIFY(frame.height() >= label_rect.height());
    QVERIFY(QRect(QPoint(0, 0), frame.size()).contains(label_rect));
    QVERIFY(label.count('\n') >= 3);
    // Every character is still there; only the breaks differ.
    const auto bare = [](QString s) { return s.remove('\n').remove(' '); };
    QCOMPARE(bare(label), bare(QString::fromStdString(text)));
    QCOMPARE(box.Last_Text(), Error_Box_Text(text));
  }

  void errbox_access_violation_is_replaced() {
    TErrBox box;
    Box_Closer closer;
    box.Display(std::runtime_error("Access violation at address 00000000. Read of address 0"));
    QCOMPARE(box.Last_Text(), std::string("System error: please send in a problem report."));
    box.Display(std::bad_alloc());
    QCOMPARE(box.Last_Text(), std::string("Out of memory"));
  }

  void errbox_closes_on_mouse_press_and_keeps_on_screen() {
    TErrBox box;
    QPoint at;
    bool closed_by_mouse = false;
    Box_Closer closer([&](QWidget& w) {
      at = w.pos();
      QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(5, 5));
      closed_by_mouse = !w.isVisible();
    });
    box.Show_Text("x");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QVERIFY(at.x() >= 4 && at.y() >= 4);
    QVERIFY(at.x() + box.width() <= screen.width() - 4);
    QVERIFY(closed_by_mouse);
  }

  void errbox_is_frameless_on_top_and_black() {
    TErrBox box;
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(box.isModal());
    QCOMPARE(box.palette().color(QPalette::Window), QColor(Qt::black));
    QCOMPARE(box.palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(box.font().pixelSize(), 16);
    QVERIFY(box.findChild<QWidget*>("xIcon") != nullptr);
    QCOMPARE(box.findChild<QWidget*>("xIcon")->pos(), QPoint(16, 12));
  }

  void about_box_layout_and_version() {
    Version_Text = "2.34";
    TAboutBox about;
    QCOMPARE(about.size(), QSize(244, 88));
    QCOMPARE(about.Version_Caption(), QString("Version 2.34"));
    QVERIFY(about.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(about.windowFlags() & Qt::WindowStaysOnTopHint);
    QWidget* img = about.findChild<QWidget*>("xImg");
    QVERIFY(img != nullptr);
    QCOMPARE(img->size(), QSize(240, 84));
    const QLabel* version = about.findChild<QLabel*>("xVersion");
    QCOMPARE(version->mapTo(&about, QPoint(0, 0)), QPoint(36, 44));
    QCOMPARE(version->size(), QSize(168, 13));
    QCOMPARE(version->font().pixelSize(), 11);
    QVERIFY(version->font().bold());
    QCOMPARE(version->palette().color(QPalette::WindowText), QColor(Qt::red));
  }

  void about_box_picture_is_plain_behind_the_version() {
    TAboutBox about;
    QWidget* img = about.findChild<QWidget*>("xImg");
    QLabel* version = about.findChild<QLabel*>("xVersion");
    version->hide();
    const QImage picture = img->grab().toImage();
    QVERIFY(picture.width() >= 240);
    // The sky runs from top to bottom only: behind the label every row is its sky colour.
    const QRect behind = version->geometry();
    int drawn = 0;
    for (int y = behind.top(); y <= behind.bottom(); ++y) {
      for (int x = behind.left(); x <= behind.right(); ++x) {
        if (picture.pixel(x, y) != picture.pixel(0, y)) ++drawn;
      }
    }
    QCOMPARE(drawn, 0);
  }

  void about_box_closes_on_letter_enter_escape_and_click() {
    TAboutBox about;
    const std::vector<std::function<void(QWidget&)>> ways = {
        [](QWidget& w) { QTest::keyClick(&w, Qt::Key_X); },
        [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); },
        [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); },
        [](QWidget& w) {
          QTest::mouseClick(w.findChild<QWidget*>("xImg"), Qt::LeftButton, {}, QPoint(120, 48));
        },
    };
    for (const auto& way : ways) {
      bool closed_by_way = false;
      Box_Closer closer([&](QWidget& w) {
        way(w);
        closed_by_way = !w.isVisible();
      });
      about.Show();
      QVERIFY(closed_by_way);
    }
  }

  void tab_bar_rows_sides_and_hidden_current() {
    TTab_Bar bar(16);
    bar.resize(600, 100);
    QCOMPARE(bar.Caption(0), QString("1"));
    QCOMPARE(bar.Caption(15), QString("16"));
    bar.Set_Tabs_Per_Row(4);
    for (int i = 3; i < 16; ++i) bar.Set_Tab_Visible(i, false);
    QCOMPARE(bar.Rows(), 1);
    QCOMPARE(bar.Tab_Rect(0), QRect(0, 0, 150, TTab_Bar::Tab_Height));
    QCOMPARE(bar.Tab_Rect(2), QRect(300, 0, 150, TTab_Bar::Tab_Height));
    QVERIFY(bar.Tab_Rect(3).isEmpty());
    for (int i = 0; i < 9; ++i) bar.Set_Tab_Visible(i, true);
    bar.Set_Tabs_Per_Row(6);
    QCOMPARE(bar.Rows(), 2);
    QCOMPARE(bar.sizeHint().height(), 2 * TTab_Bar::Tab_Height);
    // At the bottom the first row lies next to the page (on top); at the top it lies below.
    QCOMPARE(bar.Tab_Rect(6).top(), TTab_Bar::Tab_Height);
    bar.Set_Side(Tab_Side::Top);
    QCOMPARE(bar.Tab_Rect(0).top(), TTab_Bar::Tab_Height);
    QCOMPARE(bar.Tab_Rect(6).top(), 0);
    bar.Set_Side(Tab_Side::Left);
    bar.resize(2 * TTab_Bar::Tab_Height, 600);
    // On the side the captions are turned: a column per row, Tab_Height wide, the tabs as
    // long as the widest caption needs; the captions never change the column's width.
    QCOMPARE(bar.sizeHint(), QSize(2 * TTab_Bar::Tab_Height, 6 * TTab_Bar::Min_Tab_Length));
    QVERIFY(bar.Tab_Rect(0).left() > bar.Tab_Rect(6).left());
    QCOMPARE(bar.Tab_Rect(0), QRect(TTab_Bar::Tab_Height, 0, TTab_Bar::Tab_Height,
                                    TTab_Bar::Min_Tab_Length));
    QCOMPARE(bar.Tab_Rect(7), QRect(0, TTab_Bar::Min_Tab_Length, TTab_Bar::Tab_Height,
                                    TTab_Bar::Min_Tab_Length));
    // All tabs take the widest caption's length in bold, but a column's tabs stay within the
    // bar.
    bar.Set_Caption(0, "North");
    QFont bold = bar.font();
    bold.setBold(true);
    const int north = std::max(TTab_Bar::Min_Tab_Length,
                               QFontMetrics(bold).horizontalAdvance("North") + 16);
    QCOMPARE(bar.Tab_Rect(0).size(), QSize(TTab_Bar::Tab_Height, north));
    QCOMPARE(bar.Tab_Rect(7).top(), north);
    bar.Set_Caption(0, "Readings of the northern station over the whole season");
    QCOMPARE(bar.Tab_Rect(0).size(), QSize(TTab_Bar::Tab_Height, 600 / 6));
    QCOMPARE(bar.sizeHint(), QSize(2 * TTab_Bar::Tab_Height, 6 * TTab_Bar::Min_Tab_Length));
    bar.Set_Side(Tab_Side::Right);
    QVERIFY(bar.Tab_Rect(0).left() < bar.Tab_Rect(6).left());
    bar.Set_Caption(0, "1");
    bar.Set_Side(Tab_Side::Left);
    // A column shorter than its tabs at Min_Tab_Length shortens them: they never pass the bar.
    bar.resize(2 * TTab_Bar::Tab_Height, 100);
    QCOMPARE(bar.Tab_Rect(5), QRect(TTab_Bar::Tab_Height, 5 * 16, TTab_Bar::Tab_Height, 16));
    bar.resize(600, 100);
    // Hiding the current tab moves the current one to a visible tab.
    int reported = -1;
    bar.Current_Changed = [&](int i) { reported = i; };
    bar.Set_Current(4);
    QCOMPARE(reported, 4);
    bar.Set_Tab_Visible(4, false);
    QCOMPARE(bar.Current(), 5);
    bar.Set_Current(4);  // hidden: refused
    QCOMPARE(bar.Current(), 5);
    // Every tab hidden, then two shown again: the first shown is current.
    TTab_Bar all_hidden(16);
    for (int i = 0; i < 16; ++i) all_hidden.Set_Tab_Visible(i, false);
    QCOMPARE(all_hidden.Current(), 15);
    all_hidden.Set_Tab_Visible(0, true);
    all_hidden.Set_Tab_Visible(1, true);
    QCOMPARE(all_hidden.Current(), 0);
    // A click on a tab makes it current.
    bar.Set_Side(Tab_Side::Bottom);
    QTest::mouseClick(&bar, Qt::LeftButton, {}, bar.Tab_Rect(1).center());
    QCOMPARE(bar.Current(), 1);
    bar.Set_Caption(1, "Speed");
    QCOMPARE(bar.Caption(1), QString("Speed"));
  }
};

}  // namespace

std::unique_ptr<QObject> Make_Boxes_Test() { return std::make_unique<Test_Boxes>(); }

}  // namespace pw::test

#include "test_boxes.moc"
