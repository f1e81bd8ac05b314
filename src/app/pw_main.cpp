#include "app/pw_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QTimer>
#include <QWindow>
#include <array>
#include <cstdint>
#include <filesystem>
#include <stdexcept>

#include "app/app_logic.h"
#include "app/canvas_view.h"
#include "app/d_errbox.h"
#include "app/follow_control.h"
#include "app/load_feedback.h"
#include "app/notebook.h"
#include "app/pw_about.h"
#include "app/start_detached.h"
#include "app/qt_child.h"
#include "app/zoom_control.h"
#include "app/zoom_rules.h"
#include "base/D_Error.h"
#include "base/settings.h"
#include "draw/d_draw.h"
#include "draw/image_file.h"
#include "pages/d_follower.h"
#include "setup/d_inifile.h"

namespace pw {

namespace {

constexpr const char* Main_Section = "Plotwright";

// Canvases 1 to 4 and 6 to 8 stretch their picture to the control; the others show it
// unscaled.
bool Stretches(int number) { return (number >= 1 && number <= 4) || (number >= 6 && number <= 8); }

// The file address of `path` with every byte kept: a folder or file name that is no valid
// UTF-8 (an 8-bit code page) stays percent-encoded as it is, where QUrl::fromLocalFile would
// replace it through a text string.
QUrl File_Url(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

}  // namespace

TMain::TMain(TErrBox& err_box, std::string program_dir, std::vector<std::string> args,
             QWidget* parent)
    : QMainWindow(parent),
      err_box_(err_box),
      program_dir_(std::move(program_dir)),
      places_{program_dir_, {}, {}, {}},
      args_(std::move(args)) {
  caption_ = title_text_;
  setWindowTitle(QString::fromStdString(title_text_));
  resize(800, 600);
  QFont f("Verdana");
  f.setPixelSize(12);
  setFont(f);
  setFocusPolicy(Qt::StrongFocus);

  // FormCreate: the notebook with one canvas per tab, xCanv01 .. xCanv16 in tab order.
  xPages_ = Child<TNotebook>(this);
  xPages_->setObjectName("xPages");
  setCentralWidget(xPages_);
  xPages_->Page_Changed = [this](int) {
    if (zoom_) zoom_->Page_Changed();
    Update_Caption();
  };
  zoom_ = std::make_unique<TZoom_Control>(*this);
  for (int i = 1; i <= Max_Pages; ++i) {
    auto view = std::make_unique<TCanvas_View>(canvases_[i - 1], Stretches(i));
    view->setObjectName(QString("xCanv%1").arg(i, 2, 10, QChar('0')));
    view->Mouse_Down = [this](Qt::MouseButton b, int x, int y) { xCanvMouseDown(b, x, y); };
    view->Mouse_Up = [this](Qt::MouseButton b, int x, int y) { xCanvMouseUp(b, x, y); };
    view->Gesture = [this, i](TCanvas_View& v, QEvent& e) { return zoom_->Gesture(v, i, e); };
    views_.push_back(view.get());
    xPages_->Add_Page(std::move(view));
  }
  feedback_ = std::make_unique<TLoad_Feedback>(*xPages_, views_);
  follow_ = std::make_unique<TFollow_Control>(*this);
  Build_Menu();
  settle_timer_ = Child<QTimer>(this);
  settle_timer_->setSingleShot(true);
  connect(settle_timer_, &QTimer::timeout, this, [this] { Settle_Timeout(); });

  Start_Program = [](const std::string& program, const std::vector<std::string>& program_args) {
    return Start_Detached(program, program_args);
  };
  Open_Url = [](const QUrl& url) { return QDesktopServices::openUrl(url); };

  // The about box comes right after the main window.
  about_box_ = Child<TAboutBox>(this);
  about_box_->setObjectName("AboutBox");
}

TMain::~TMain() = default;

void TMain::Set_Places(const Program_Places& places) {
  places_ = places;
  places_.Program_Dir = program_dir_;
}

void TMain::Build_Menu() {
  xPopUp_ = Child<QMenu>(this);
  xPopUp_->setObjectName("xPopUp");
  auto add = [this](QMenu* menu, const char* name, const char* caption) {
    QAction* a = menu->addAction(QString::fromUtf8(caption));
    a->setObjectName(name);
    return a;
  };
  QAction* redraw = add(xPopUp_, "mRedraw", "&Redraw All");
  QAction* redraw_ignore = add(xPopUp_, "mRedrawIgnore", "Redraw All (&Ignore Limits)");
  for (QAction* a : {redraw, redraw_ignore}) {
    connect(a, &QAction::triggered, this, [this, a] { Guarded([&] { mRedrawClick(a); }); });
  }
  QAction* follow = add(xPopUp_, "mFollow", "&Follow File Changes");
  follow->setCheckable(true);
  connect(follow, &QAction::toggled, this, [this](bool on) { follow_->Set_On(on); });
  QMenu* shot = xPopUp_->addMenu("&Screen Shot");
  shot->menuAction()->setObjectName("mShot");
  connect(add(shot, "mShotThis", "&This Page"), &QAction::triggered, this,
          [this] { Guarded([&] { Save_Screen_Shots(false); }); });
  connect(add(shot, "mShotAll", "&All Pages"), &QAction::triggered, this,
          [this] { Guarded([&] { Save_Screen_Shots(true); }); });
  xPopUp_->addSeparator();
  QMenu* edit = xPopUp_->addMenu("&Edit File");
  edit->menuAction()->setObjectName("File1");
  connect(add(edit, "mEditSetup", "&Setup"), &QAction::triggered, this,
          [this] { Guarded([&] { mEditSetupClick(); }); });
  connect(add(edit, "mEditData", "&Data"), &QAction::triggered, this,
          [this] { Guarded([&] { mEditDataClick(); }); });
  xPopUp_->addSeparator();
  connect(add(xPopUp_, "mHelp", "&Help"), &QAction::triggered, this,
          [this] { Guarded([&] { mHelpClick(); }); });
  connect(add(xPopUp_, "mWeb", "Plotwright &Web Page"), &QAction::triggered, this,
          [this] { Guarded([&] { mWebClick(); }); });
  connect(add(xPopUp_, "mAbout", "&About Plotwright..."), &QAction::triggered, this,
          [this] { Guarded([&] { mAboutClick(); }); });
  xPopUp_->addSeparator();
  connect(add(xPopUp_, "mExit", "&E&xit"), &QAction::triggered, this, [this] { close(); });
}

QAction* TMain::Item(const QString& name) const {
  return xPopUp_->findChild<QAction*>(name, Qt::FindChildrenRecursively);
}

void TMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (first_show_queued_) return;
  first_show_queued_ = true;
  // The page lays its graphs out from the bitmap size while reading, so the first load waits
  // for the size the window will keep.
  shown_since_.start();
  settle_timer_->start(Settle_Ms);
}

void TMain::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (settle_timer_->isActive()) settle_timer_->start(Settle_Ms);
}

void TMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && settle_timer_->isActive()) {
    settle_timer_->start(Settle_Ms);
  }
}

void TMain::Settle_Timeout() {
  if (first_show_done_) return;
  const bool on_screen = windowHandle() != nullptr && windowHandle()->isExposed();
  if (!on_screen && shown_since_.elapsed() < Settle_Limit_Ms) {
    settle_timer_->start(Settle_Ms);  // the window manager has not placed the window yet
    return;
  }
  if (err_box_.Showing()) {
    // An error shown at start (a bad PLOTWRIGHT_THREADS): the load's own errors would be
    // dropped behind its box, so the first load waits until it is closed.
    settle_timer_->start(Settle_Ms);
    return;
  }
  Guarded([this] { FormShow(); });
}

void TMain::FormShow() {
  if (first_show_done_) return;
  first_show_done_ = true;
  Set_Fill_Patterns(Default_Fill_Patterns());
  const Command_Line line = Parse_Command_Line(places_, args_, Ignore_Limits);
  setup_file_ = line.Setup_File;
  data_file_ = line.Data_File;
  Ignore_Limits = line.Ignore_Limits;
  if (line.Follow) follow_->Set_On(true);
  title_text_ = "PlotWright";
  Set_Caption(title_text_ + ": " + data_file_);
  if (!Is_File(program_dir_ + help_file_)) help_file_.erase(0, 1);
  help_page_ = Find_Help_Page(places_, help_file_);
  Item("mHelp")->setVisible(!help_page_.empty());
  Load_And_Draw();
}

void TMain::Load_And_Draw() { Request_Load(Ignore_Limits); }

void TMain::Request_Load(bool ignore_limits) {
  if (closing_) return;
  if (drawing_) {
    // The page set is in use: run once more after the drawing ends.
    pending_load_ = true;
    pending_ignore_ = ignore_limits;
    return;
  }
  Ignore_Limits = ignore_limits;
  try {
    Run_While_Following([this] { Run_Load(); }, [this] { return follow_->On(); });
  } catch (const Load_Dropped&) {
    // The window was closed meanwhile: the load has stopped, and the close follows.
  }
}

void TMain::Run_Load() {
  if (!Is_File(setup_file_)) throw Error("File not found: " + setup_file_);
  drawing_ = true;
  zoom_->Forget();  // the zooms go with the page set
  feedback_->Start();
  struct Finish {
    TMain* window;
    ~Finish() { window->Finish_Load(); }
  } finish{this};

  follow_->Begin_Load(page_set_.get());  // an addition takes over the points drawn now
  page_set_.reset();
  const TC_Ini_File ini(setup_file_);
  const std::string tabs = ini.Get_String(Main_Section, "Tabs", "Bottom");
  const int per_row = static_cast<std::uint16_t>(ini.Get_Integer(Main_Section, "TabsPerRow", 0));
  PixOff = static_cast<std::uint16_t>(ini.Get_Integer(Main_Section, "PixOff", PixOff));
  Editor_Command = ini.Get_String(Main_Section, "Editor", Editor_Command);
  follow_->Read_Setup(ini);
  xPages_->Set_Side(Tab_Side_From(tabs));
  std::array<std::string, Max_Pages> items;
  const int n = ini.Read_List({"Pages"}, "Pages", items, Max_Pages);
  TTab_Bar& bar = xPages_->Tabs();
  // Show the new tabs before hiding the old ones, so the current tab moves to a listed one.
  for (int i = 0; i < n; ++i) bar.Set_Tab_Visible(i, true);
  for (int i = n; i < Max_Pages; ++i) bar.Set_Tab_Visible(i, false);
  bar.Set_Tabs_Per_Row(Tabs_Per_Row(per_row, n));
  Size_Canvases();

  page_set_ = std::make_unique<TC_Graph_Page_Set>(canvases_);
  page_set_->Pump_Events = [this] { Pump(); };
  if (feedback_->Enabled()) {
    page_set_->Progress = [this](const std::string& what, double fraction) {
      feedback_->Progress(what, fraction);
    };
  }
  page_set_->Read_Setup(ini, "Pages");
  follow_->Load_Data(*page_set_);
  for (int i = 1; i <= n; ++i) {
    const std::string name = page_set_->Page_Name(i);
    if (!name.empty()) bar.Set_Caption(i - 1, QString::fromStdString(name));
  }
  page_set_->Draw_Pages();
  follow_->Load_Drawn();
}

void TMain::Finish_Load() {
  drawing_ = false;
  feedback_->Finish();
  ++loads_finished_;
  for (TCanvas_View* view : views_) view->update();
  zoom_->Load_Finished();
  Update_Caption();
  follow_->Load_Finished();
  // A load that fails shows its error next, in the box's own event loop: what was asked for
  // during the drawing must wait until that box is closed, not run behind it.
  if (pending_close_ || pending_load_) {
    QTimer::singleShot(0, this, [this] { Run_Pending(); });
  }
  if (After_Load) {
    try {
      After_Load();
    } catch (...) {
      // A watcher's failure must not hide the load's own outcome.
    }
  }
}

void TMain::Run_Pending() {
  if (!pending_close_ && !pending_load_) return;
  if (err_box_.Showing()) {
    QTimer::singleShot(Pending_Retry_Ms, this, [this] { Run_Pending(); });
    return;
  }
  if (drawing_) return;  // a load started meanwhile runs them when it ends
  if (pending_close_) {
    pending_close_ = false;
    pending_load_ = false;
    close();
  } else {
    pending_load_ = false;
    const bool ignore = pending_ignore_;
    Guarded([&] { Request_Load(ignore); });
  }
}

bool TMain::Input_Waits() const { return page_set_ && page_set_->Loading(); }

void TMain::Pump() {
  for (TCanvas_View* view : views_) view->update();
  feedback_->Tick();
  // A menu or box opened from the load's own pumping would hold the load up behind it: the
  // user's input is kept for the pumping between the pages.
  QCoreApplication::processEvents(Input_Waits() ? QEventLoop::ExcludeUserInputEvents
                                                : QEventLoop::AllEvents);
  // Nobody will see the rest of a load the user closed the window on: the file is left
  // unread and the pages undrawn (the page being drawn is finished first).
  if (drawing_ && pending_close_) throw Load_Dropped();
}

void TMain::Size_Canvases() {
  xPages_->Relayout();
  const QWidget* page = xPages_->Current_Page();
  const int w = page ? static_cast<std::uint16_t>(page->width()) : 0;
  const int h = page ? static_cast<std::uint16_t>(page->height()) : 0;
  for (TC_Canvas& canvas : canvases_) {
    // An unchanged size keeps the picture of the earlier load.
    if (canvas.Image.Width() != w || canvas.Image.Height() != h) canvas.Image.Set_Size(w, h);
  }
}

std::string TMain::Shot_Home() const {
  return Screen_Shot_Home(places_, Shots_Writable_Beside(program_dir_));
}

std::string TMain::Screen_Shot_Dir() const { return Screen_Shot_Folder(Shot_Home()); }

void TMain::Save_Screen_Shots(bool all) {
  zoom_->Flush();  // what is shown, a zoom asked for included
  const std::string home = Shot_Home();
  // A folder that cannot be made is reported by the write below, with the file's name.
  std::error_code ec;
  std::filesystem::create_directories(Screen_Shot_Folder(home), ec);
  std::vector<int> pages;
  if (!all) {
    // With no page listed no tab is shown, and the current one is hidden: nothing to save.
    if (xPages_->Tabs().Tab_Visible(xPages_->Current())) pages.push_back(xPages_->Current() + 1);
  } else if (page_set_) {
    for (int i = 1; i <= page_set_->Page_Count(); ++i) pages.push_back(i);
  }
  for (int i : pages) {
    Write_BMP(canvases_[i - 1].Image, Screen_Shot_Name(home, data_file_, i));
  }
}

void TMain::Guarded(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    AppEventsException(e);
  } catch (...) {
    AppEventsException(std::runtime_error("Unknown error"));
  }
}

bool TMain::Error_Showing() const { return err_box_.Showing(); }

void TMain::AppEventsException(const std::exception& e) {
  if (err_box_.Showing()) return;
  if (follow_->On()) follow_->Error_Shown(e.what());
  if (Report_Error) {
    Report_Error(e);
  } else {
    err_box_.Display(e);
  }
  if (Fatal_Error) close();
}

void TMain::mRedrawClick(QAction* sender) {
  Request_Load(sender != nullptr && sender->objectName() == "mRedrawIgnore");
}

void TMain::Open_In_Editor(const std::string& file) {
  // The file goes to the editor as one argument, blanks and all; no shell is involved.
  if (!Start_Program(Editor_Command, {file})) {
    Open_Url(File_Url(file));
  }
}

void TMain::mEditSetupClick() { Open_In_Editor(setup_file_); }

void TMain::mEditDataClick() { Open_In_Editor(data_file_); }

void TMain::mHelpClick() {
  // Beside the program (also the working directory), or the installed manual.
  if (help_page_.empty()) return;
  Open_Url(File_Url(help_page_));
}

void TMain::mWebClick() { Open_Url(QUrl(QString::fromUtf8(Home_Page))); }

void TMain::mAboutClick() { about_box_->Show(); }

void TMain::Set_Caption(const std::string& text) {
  caption_ = text;
  Update_Caption();
}

void TMain::Update_Caption() {
  const int current = xPages_->Current();
  const bool zoomed = page_set_ && !drawing_ && current >= 0 &&
                      current < page_set_->Page_Count() && page_set_->Page(current + 1).Any_Zoomed();
  const std::string name = zoomed ? xPages_->Tabs().Caption(current).toStdString() : "";
  setWindowTitle(QString::fromStdString(Zoomed_Caption(caption_, name, zoomed)));
}

void TMain::xCanvMouseDown(Qt::MouseButton button, int x, int y) {
  if (button != Qt::LeftButton || !page_set_) return;
  Guarded([&] {
    const std::string text = page_set_->Point_Info(xPages_->Current() + 1, x, y);
    if (!text.empty()) Set_Caption(title_text_ + ": " + text);
  });
}

void TMain::xCanvMouseUp(Qt::MouseButton button, int, int) {
  if (button != Qt::LeftButton) return;
  Set_Caption(title_text_ + ":" + data_file_);
}

void TMain::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (text == "S" || text == "s") {
    event->accept();
    Guarded([&] { Save_Screen_Shots(text == "S"); });
    return;
  }
  // Home over a zoomed graph gives it back its own limits.
  if (event->key() == Qt::Key_Home && zoom_->Home_Key()) {
    event->accept();
    return;
  }
  if (xPages_->Page_Key(*event)) {
    event->accept();
    return;
  }
  // Shift+F10 is the menu key of keyboards that have none; the Menu key itself reaches
  // contextMenuEvent from the platform.
  if (event->key() == Qt::Key_F10 &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier) {
    event->accept();
    Show_Popup_From_Keyboard();
    return;
  }
  QMainWindow::keyPressEvent(event);
}

void TMain::contextMenuEvent(QContextMenuEvent* event) {
  xPopUp_->exec(event->globalPos());
  event->accept();
}

void TMain::Show_Popup_From_Keyboard() {
  // At the pointer when it is over the window, as the Menu key opens it; else mid-window.
  QPoint at = QCursor::pos();
  if (!rect().contains(mapFromGlobal(at))) at = mapToGlobal(rect().center());
  xPopUp_->exec(at);
}

void TMain::closeEvent(QCloseEvent* event) {
  if (drawing_) {
    // The page set is being drawn: close once the drawing ends.
    pending_close_ = true;
    event->ignore();
    return;
  }
  // FormClose: the page set goes; the pictures stay on the canvases.
  closing_ = true;
  page_set_.reset();
  event->accept();
}

}  // namespace pw
