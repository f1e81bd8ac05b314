// Zoom and pan in the real main window on the offscreen platform: wheel, Ctrl + drag, middle
// drag, double-click and Home; wheel steps merged while drawing; the title; hints and screen
// shots.
#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <string>

#include "app/canvas_view.h"
#include "app/zoom_control.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/image_file.h"
#include "graphs/d_zoom.h"
#include "widgets/session.h"
#include "widgets/widget_tests.h"

namespace pw::test {

namespace {

// A wheel turn of `delta` (120 a notch) at `at`, as the window system would deliver it.
QWheelEvent* Wheel_Event(QWidget& view, QPoint at, int delta, Qt::KeyboardModifiers mods = {}) {
  return new QWheelEvent(QPointF(at), QPointF(view.mapToGlobal(at)), QPoint(), QPoint(0, delta),
                         Qt::NoButton, mods, Qt::NoScrollPhase, false);
}

void Wheel(QWidget& view, QPoint at, int delta, Qt::KeyboardModifiers mods = {}) {
  std::unique_ptr<QWheelEvent> e(Wheel_Event(view, at, delta, mods));
  QApplication::sendEvent(&view, e.get());
}

// The pointer moved over `at` with no button down.
void Hover(QWidget& view, QPoint at) {
  QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(view.mapToGlobal(at)), Qt::NoButton,
                Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&view, &e);
}

// The second press of a double-click, as the window system delivers it in place of the press.
void Double_Click(QWidget& view, Qt::MouseButton button, Qt::KeyboardModifiers mods, QPoint at) {
  QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(at), QPointF(view.mapToGlobal(at)), button,
                button, mods);
  QApplication::sendEvent(&view, &e);
}

bool Same(const TC_Bitmap& a, const TC_Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    }
  }
  return true;
}

// A window on two named pages of one scatter graph each (y = 2x + 1 for x = 1..10).
struct Zoom_Window {
  Session s;
  Box_Closer closer;

  Zoom_Window() {
    s.Setup(Setup_Text(2, true));
    s.Data(10);
    s.Start();
  }
  TCanvas_View& View() { return s.w->Canvas_View(1); }
  TC_Graph& Graph(int page = 1) { return s.w->Page_Set()->Page(page).Graph(1); }
  TZoom_Control& Zoom() { return s.w->Zoom(); }
  Graph_Limits Limits() { return Limits_Of(Graph()); }
  QPoint Pixel_Of(long double x, long double y) {
    return {static_cast<int>(Graph().Pixel_X(x)), static_cast<int>(Graph().Pixel_Y(y))};
  }
  QPoint Middle() {
    const TC_Graph& g = Graph();
    return {(g.Plot_Left + g.Plot_Right) / 2, (g.Plot_Top + g.Plot_Bottom) / 2};
  }
  // Waits until `n` zoom drawings were made, then a little longer to see that no more come.
  bool Draws_Become(int n) {
    const bool reached = Wait_Until([&] { return Zoom().Draws() >= n; });
    QTest::qWait(30);
    return reached && Zoom().Draws() == n;
  }
  std::string Title() { return s.w->windowTitle().toStdString(); }
  std::string Plain_Title() { return "PlotWright: " + s.Path("plotwright.dat"); }
};

class Test_Zoom : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    Fatal_Error = false;
    Ignore_Limits = false;
    PixOff = 2;
  }

  void wheel_zooms_around_the_pointer_shift_x_ctrl_y() {
    Zoom_Window z;
    QCOMPARE(z.closer.Closed(), 0);
    const Graph_Limits home = z.Limits();
    const Plot_Area area = Plot_Area_Of(z.Graph());
    const QPoint at = z.Pixel_Of(4, 9);
    Wheel(z.View(), at, 120);
    QCOMPARE(z.Zoom().Draws(), 0);  // drawn when the waiting events are done
    QVERIFY(z.Draws_Become(1));
    const Graph_Limits once = Zoom_At(home, area, {}, at.x(), at.y(), 0.8L);
    QVERIFY(z.Limits() == once);
    QVERIFY(z.s.w->Page_Set()->Page(1).Zoomed(1));
    QCOMPARE(z.Title(), z.Plain_Title() + " - Page 1 (zoomed)");
    // Shift: X only; Ctrl: Y only; backwards widens.
    Wheel(z.View(), at, 120, Qt::ShiftModifier);
    QVERIFY(z.Draws_Become(2));
    const Graph_Limits x_only = Zoom_At(once, area, {}, at.x(), at.y(), 0.8L, Zoom_Axes::X_Only);
    QVERIFY(z.Limits() == x_only);
    QCOMPARE(z.Limits().YHi, once.YHi);
    Wheel(z.View(), at, -120, Qt::ControlModifier);
    QVERIFY(z.Draws_Become(3));
    QVERIFY(z.Limits() ==
            Zoom_At(x_only, area, {}, at.x(), at.y(), Wheel_Factor(-120), Zoom_Axes::Y_Only));
    QCOMPARE(z.Limits().XLo, x_only.XLo);
    // Outside every plot area the wheel does nothing.
    Wheel(z.View(), QPoint(1, 1), 120);
    QVERIFY(z.Draws_Become(3));
    QCOMPARE(z.closer.Closed(), 0);
  }

  void wheel_on_a_histogram_keeps_its_base_line() {
    Session s;
    s.Setup(Setup_Text(1, true, "", "[P1]\nKind=hist\n"));
    s.Data(10);
    Box_Closer closer;
    s.Start();
    TC_Graph& hist = s.w->Page_Set()->Page(1).Graph(1);
    const Graph_Limits home = Limits_Of(hist);
    Wheel(s.w->Canvas_View(1), QPoint(hist.Plot_Right - 1, hist.Plot_Top + 1), 120);
    QVERIFY(Wait_Until([&] { return s.w->Zoom().Draws() == 1; }));
    QCOMPARE(hist.YLo, 0.0L);
    QVERIFY(std::fabs(hist.YHi / (home.YHi * 0.8L) - 1) < 1e-15L);
    QVERIFY(hist.XLo > home.XLo);
    QCOMPARE(closer.Closed(), 0);
  }

  // After the window grew, page 1 stretches its picture: the pointer is taken back to the
  // picture's pixel.
  void a_stretched_picture_zooms_at_the_picture_pixel() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const Plot_Area area = Plot_Area_Of(z.Graph());
    z.s.w->resize(1200, 900);
    QVERIFY(Wait_Until([&] { return z.View().width() > z.s.w->Canvas(1).Image.Width(); }));
    QVERIFY(z.View().Stretch());
    const QPoint picture = z.Pixel_Of(4, 9);
    // The middle of the picture's pixel on the screen.
    const int w = z.s.w->Canvas(1).Image.Width(), h = z.s.w->Canvas(1).Image.Height();
    const QPoint at((2 * picture.x() + 1) * z.View().width() / (2 * w),
                    (2 * picture.y() + 1) * z.View().height() / (2 * h));
    QCOMPARE(z.View().To_Picture(at), picture);
    Wheel(z.View(), at, 120);
    QVERIFY(z.Draws_Become(1));
    QVERIFY(z.Limits() == Zoom_At(home, area, {}, picture.x(), picture.y(), 0.8L));
  }

  void wheel_steps_during_a_drawing_are_merged() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const QPoint at = z.Middle();
    // While the first step draws, three more arrive.
    z.Zoom().Before_Draw = [&] {
      if (z.Zoom().Draws() > 0) return;
      for (int i = 0; i < 3; ++i)
        QCoreApplication::postEvent(&z.View(), Wheel_Event(z.View(), at, 120));
    };
    Wheel(z.View(), at, 120);
    QVERIFY(z.Draws_Become(2));
    const long double want = (home.XHi - home.XLo) * std::pow(0.8L, 4);
    QVERIFY(std::fabs((z.Limits().XHi - z.Limits().XLo) / want - 1) < 1e-12L);
    z.Zoom().Before_Draw = nullptr;
  }

  void ctrl_drag_shows_a_band_then_its_rectangle() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const Plot_Area area = Plot_Area_Of(z.Graph());
    const std::string title = z.Title();
    const QPoint from = z.Pixel_Of(2, 5), to = z.Pixel_Of(6, 14);
    QTest::mousePress(&z.View(), Qt::LeftButton, Qt::ControlModifier, from);
    QCOMPARE(z.Title(), title);  // no hints for a band
    QTest::mouseMove(&z.View(), to);
    QCOMPARE(z.View().Band(), QRect(from, to).normalized());
    const TC_Bitmap picture = z.s.w->Canvas(1).Image;   // the band is not in the picture
    QTest::mouseMove(&z.View(), QPoint(to.x(), 5000));  // held to the plot area
    QCOMPARE(z.View().Band(), QRect(from, QPoint(to.x(), area.Bottom)).normalized());
    QTest::mouseMove(&z.View(), to);
    QVERIFY(Same(picture, z.s.w->Canvas(1).Image));
    QTest::mouseRelease(&z.View(), Qt::LeftButton, Qt::ControlModifier, to);
    QVERIFY(z.View().Band().isEmpty());
    QVERIFY(z.Draws_Become(1));
    QVERIFY(z.Limits() == Zoom_To_Box(home, area, {}, from.x(), from.y(), to.x(), to.y()));
    QCOMPARE(z.Title(), title + " - Page 1 (zoomed)");
    // A band of a pixel is a click: nothing.
    const QPoint at = z.Middle();
    QTest::mousePress(&z.View(), Qt::LeftButton, Qt::ControlModifier, at);
    QTest::mouseRelease(&z.View(), Qt::LeftButton, Qt::ControlModifier, at + QPoint(1, 1));
    QVERIFY(z.Draws_Become(1));
  }

  // Ctrl + Tab while the button is still held: the page of the drag goes out of sight and its
  // release never comes. Back on it, no band is left and the next plain press shows hints.
  void a_page_switch_ends_a_drag_under_way() {
    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
      Zoom_Window z;
      const bool band = button == Qt::LeftButton;
      const Graph_Limits home = z.Limits();
      QTest::mousePress(&z.View(), button, band ? Qt::ControlModifier : Qt::NoModifier,
                        z.Pixel_Of(2, 5));
      QTest::mouseMove(&z.View(), z.Pixel_Of(6, 14));
      QVERIFY(z.Draws_Become(band ? 0 : 1));
      z.s.Tabs().Set_Current(1);
      z.s.Tabs().Set_Current(0);
      QVERIFY(z.View().Band().isEmpty());
      const std::string zoomed = band ? "" : " - Page 1 (zoomed)";
      const Graph_Limits now = z.Limits();
      const QPoint point = z.Pixel_Of(5, 11);
      QTest::mousePress(&z.View(), Qt::LeftButton, {}, point);
      QCOMPARE(z.Title(), "PlotWright:   pt5" + zoomed);
      QTest::mouseMove(&z.View(), z.Pixel_Of(8, 3));
      QTest::mouseRelease(&z.View(), Qt::LeftButton, {}, z.Pixel_Of(8, 3));
      QCOMPARE(z.Title(), "PlotWright:" + z.s.Path("plotwright.dat") + zoomed);
      QVERIFY(z.Draws_Become(band ? 0 : 1));
      QVERIFY(z.Limits() == now);
      if (band) QVERIFY(z.Limits() == home);
    }
  }

  void middle_drag_pans() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const Plot_Area area = Plot_Area_Of(z.Graph());
    const QPoint from = z.Middle();
    QTest::mousePress(&z.View(), Qt::MiddleButton, {}, from);
    QTest::mouseMove(&z.View(), from + QPoint(10, 0));
    QTest::mouseMove(&z.View(), from + QPoint(30, -20));
    QTest::mouseRelease(&z.View(), Qt::MiddleButton, {}, from + QPoint(30, -20));
    QVERIFY(Wait_Until([&] { return z.Zoom().Draws() >= 1; }));
    QVERIFY(z.Limits() == Pan_By(home, area, {}, 30, -20));
    QVERIFY(z.Limits().XLo < home.XLo);
    QVERIFY(z.Limits().YLo < home.YLo);
  }

  void double_click_and_home_give_back_the_setup_limits() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const TC_Bitmap first = z.s.w->Canvas(1).Image;
    const QPoint at = z.Middle();
    Wheel(z.View(), at, 240);
    QVERIFY(z.Draws_Become(1));
    QVERIFY(!Same(first, z.s.w->Canvas(1).Image));
    QTest::mouseDClick(&z.View(), Qt::LeftButton, {}, at);
    QVERIFY(z.Draws_Become(2));
    QVERIFY(z.Limits() == home);
    QVERIFY(Same(first, z.s.w->Canvas(1).Image));
    QCOMPARE(z.Title(), z.Plain_Title());
    // Home over the graph; Home with the pointer elsewhere does nothing.
    Wheel(z.View(), at, 120);
    QVERIFY(z.Draws_Become(3));
    Hover(z.View(), QPoint(1, 1));
    QTest::keyClick(z.s.w.get(), Qt::Key_Home);
    QVERIFY(z.Draws_Become(3));
    QVERIFY(z.s.w->Page_Set()->Page(1).Zoomed(1));
    Hover(z.View(), at);
    QTest::keyClick(z.s.w.get(), Qt::Key_Home);
    QVERIFY(z.Draws_Become(4));
    QVERIFY(z.Limits() == home);
    QVERIFY(Same(first, z.s.w->Canvas(1).Image));
  }

  // Over a graph that is not zoomed the second press of a double-click is a press like the
  // first: it shows hints, and a middle or Ctrl + left drag from it pans or draws a band.
  void a_double_click_with_nothing_to_reset_is_a_press() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const Plot_Area area = Plot_Area_Of(z.Graph());
    const QPoint point = z.Pixel_Of(5, 11);
    Double_Click(z.View(), Qt::LeftButton, {}, point);
    QCOMPARE(z.Title(), std::string("PlotWright:   pt5"));
    QTest::mouseRelease(&z.View(), Qt::LeftButton, {}, point);
    const QPoint from = z.Pixel_Of(2, 5), to = z.Pixel_Of(6, 14);
    Double_Click(z.View(), Qt::LeftButton, Qt::ControlModifier, from);
    QTest::mouseMove(&z.View(), to);
    QCOMPARE(z.View().Band(), QRect(from, to).normalized());
    QTest::mouseRelease(&z.View(), Qt::LeftButton, Qt::ControlModifier, to);
    QVERIFY(z.Draws_Become(1));
    const Graph_Limits box = Zoom_To_Box(home, area, {}, from.x(), from.y(), to.x(), to.y());
    QVERIFY(z.Limits() == box);
    // A middle double-click is never a reset: the second press pans the zoomed graph.
    const Plot_Area zoomed = Plot_Area_Of(z.Graph());
    const QPoint at = z.Middle();
    Double_Click(z.View(), Qt::MiddleButton, {}, at);
    QTest::mouseMove(&z.View(), at + QPoint(30, -20));
    QTest::mouseRelease(&z.View(), Qt::MiddleButton, {}, at + QPoint(30, -20));
    QVERIFY(z.Draws_Become(2));
    QVERIFY(z.Limits() == Pan_By(box, zoomed, {}, 30, -20));
  }

  void plain_left_press_shows_hints_and_does_not_zoom() {
    Zoom_Window z;
    const Graph_Limits home = z.Limits();
    const QPoint point = z.Pixel_Of(5, 11);
    QTest::mousePress(&z.View(), Qt::LeftButton, {}, point);
    QCOMPARE(z.Title(), std::string("PlotWright:   pt5"));
    QTest::mouseMove(&z.View(), point + QPoint(40, 40));
    QTest::mouseRelease(&z.View(), Qt::LeftButton, {}, point + QPoint(40, 40));
    QCOMPARE(z.Title(), "PlotWright:" + z.s.Path("plotwright.dat"));
    QVERIFY(z.Draws_Become(0));
    QVERIFY(z.Limits() == home);
    QVERIFY(z.View().Band().isEmpty());
    // On a zoomed graph the hints come from the points where they are now drawn.
    Wheel(z.View(), point, 360);
    QVERIFY(z.Draws_Become(1));
    const QPoint moved = z.Pixel_Of(5, 11);
    QTest::mousePress(&z.View(), Qt::LeftButton, {}, moved);
    QCOMPARE(z.Title(), std::string("PlotWright:   pt5 - Page 1 (zoomed)"));
    QTest::mouseRelease(&z.View(), Qt::LeftButton, {}, moved);
  }

  void zooms_stay_on_tab_switches_and_go_with_a_redraw() {
    for (const char* item : {"mRedraw", "mRedrawIgnore"}) {
      Zoom_Window z;
      const Graph_Limits home = z.Limits();
      Wheel(z.View(), z.Middle(), 120);
      QVERIFY(z.Draws_Become(1));
      const Graph_Limits zoomed = z.Limits();
      z.s.Tabs().Set_Current(1);
      QCOMPARE(z.Title(), z.Plain_Title());
      z.s.Tabs().Set_Current(0);
      QCOMPARE(z.Title(), z.Plain_Title() + " - Page 1 (zoomed)");
      QVERIFY(z.Limits() == zoomed);
      z.s.Menu(item);
      QVERIFY(!z.s.w->Page_Set()->Page(1).Any_Zoomed());
      QVERIFY(z.Limits() == home);
      QCOMPARE(z.Title(), z.Plain_Title());
      QCOMPARE(z.closer.Closed(), 0);
    }
  }

  void screen_shots_save_what_is_shown() {
    Zoom_Window z;
    const std::string shot = z.s.Path("scrn/plotwright.01.bmp");
    QTest::keyClick(z.s.w.get(), 's');
    const std::vector<unsigned char> before = Read_File(shot);
    Wheel(z.View(), z.Middle(), 120);
    QTest::keyClick(z.s.w.get(), 's');  // before the zoom was drawn: drawn for the shot
    QCOMPARE(z.Zoom().Draws(), 1);
    const std::vector<unsigned char> after = Read_File(shot);
    QVERIFY(after != before);
    Write_BMP(z.s.w->Canvas(1).Image, z.s.Path("shown.bmp"));
    QVERIFY(Read_File(z.s.Path("shown.bmp")) == after);
  }
};

}  // namespace

std::unique_ptr<QObject> Make_Zoom_Test() {
  return std::make_unique<Test_Zoom>();
}

}  // namespace pw::test

#include "test_zoom.moc"
