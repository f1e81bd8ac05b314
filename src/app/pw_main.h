// The main window: the notebook of 16 page canvases, the pop-up menu, mouse and keys, and the
// load-and-draw cycle that rebuilds the page set from the setup and data files.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_logic.h"
#include "app/app_paths.h"
#include "pages/d_graphpageset.h"

class QAction;
class QTimer;
class QMenu;

namespace pw {

class TAboutBox;
class TCanvas_View;
class TErrBox;
class TFollow_Control;
class TLoad_Feedback;
class TNotebook;
class TZoom_Control;

class TMain : public QMainWindow {
 public:
  // `err_box` shows the errors and must outlive the window. `program_dir` ends with "/";
  // `args` are the command-line arguments without the program name.
  TMain(TErrBox& err_box, std::string program_dir, std::vector<std::string> args,
        QWidget* parent = nullptr);
  ~TMain() override;

  // The folders the file lookups use besides the program's own (app_paths.h): the start
  // folder, the installed shared files and the user's data folder. The program start sets
  // them before the window is shown; `places.Program_Dir` is ignored (the constructor's
  // stays). Without them every name is taken from the program's folder and screen shots go
  // beside the program.
  void Set_Places(const Program_Places& places);

  // The first-show sequence: fill patterns, file names, caption, help item, first load. Runs
  // once (later calls do nothing). The first show of the window starts it once the window
  // has settled on its final size (see Settle_Ms) and no error box is open.
  void FormShow();
  // Re-reads both files, rebuilds the page set and draws every page. Errors pass on to the
  // caller (while following, none is fatal). Asked for while the pages are being drawn, it
  // runs once after the drawing ends (and after the error box that drawing opened, if any,
  // was closed); once the window has closed it does nothing. Closing the window during a
  // load stops it at the next batch of lines or page, and the window then closes.
  void Load_And_Draw();
  // All 16 canvas bitmaps take the size of the canvas on the current tab.
  void Size_Canvases();
  // BMP files of the current page (all = false; none while no tab is shown) or of every page
  // of the page set (true).
  void Save_Screen_Shots(bool all);
  // Shows the error in the error box, then closes the window when a fatal error was raised.
  // Errors arriving while the box is shown are dropped.
  void AppEventsException(const std::exception& e);
  // Runs `fn`, routing whatever it raises to AppEventsException.
  void Guarded(const std::function<void()>& fn);

  // Menu commands; both redraw items share mRedrawClick.
  void mRedrawClick(QAction* sender);
  void mEditSetupClick();
  void mEditDataClick();
  void mHelpClick();
  void mWebClick();
  void mAboutClick();

  const std::string& Setup_File() const { return setup_file_; }
  const std::string& Data_File() const { return data_file_; }
  const std::string& Program_Dir() const { return program_dir_; }
  const std::string& Title_Text() const { return title_text_; }
  const std::string& Help_File() const { return help_file_; }
  // The help page the help item opens (full path); empty when there is none.
  const std::string& Help_Page() const { return help_page_; }
  // The folder the screen shots go to ("scrn/" beside the program, or in the user's data
  // folder when the program's folder cannot be written).
  std::string Screen_Shot_Dir() const;
  bool First_Show_Done() const { return first_show_done_; }
  bool Drawing() const { return drawing_; }
  // The data are being read: the user's clicks and keys wait for the drawing; the events
  // pumped meanwhile only repaint the window and run its timers.
  bool Input_Waits() const;
  int Loads_Finished() const { return loads_finished_; }
  TNotebook& Pages() { return *xPages_; }
  TCanvas_View& Canvas_View(int i) { return *views_[i - 1]; }  // 1-based
  TC_Canvas& Canvas(int i) { return canvases_[i - 1]; }        // 1-based
  TC_Graph_Page_Set* Page_Set() { return page_set_.get(); }
  QMenu& Popup() { return *xPopUp_; }
  // The menu item whose object name is `name` ("mRedraw", "mHelp", ...); null if none.
  QAction* Item(const QString& name) const;
  TAboutBox& About_Box() { return *about_box_; }
  // The strip and busy cursor shown while a load runs longer than half a second.
  TLoad_Feedback& Feedback() { return *feedback_; }
  // Follow mode: drawing again when the setup or data file changes.
  TFollow_Control& Follow() { return *follow_; }
  // The error box is open.
  bool Error_Showing() const;
  // Zoom and pan of the graphs by wheel and mouse.
  TZoom_Control& Zoom() { return *zoom_; }
  // Sets the window title from the latest caption, with the zoom of the current page
  // (Zoomed_Caption).
  void Update_Caption();

  // How external programs and documents are started (replaceable for tests): start a program
  // without waiting, true when it started (the names go byte for byte, as the system has
  // them); open a file or web address with the desktop.
  std::function<bool(const std::string& program, const std::vector<std::string>& args)>
      Start_Program;
  std::function<bool(const QUrl& url)> Open_Url;
  // When set, errors go here instead of the error box (unattended runs).
  std::function<void(const std::exception&)> Report_Error;
  // Called after every Load_And_Draw, finished or stopped by an error.
  std::function<void()> After_Load;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Build_Menu();
  // Opens the pop-up menu for a key press (Shift+F10).
  void Show_Popup_From_Keyboard();
  void Settle_Timeout();
  void Run_Load();
  // Load_And_Draw with Ignore_Limits set to `ignore_limits`; while drawing, the flag waits with
  // the deferred load (the latest request wins).
  void Request_Load(bool ignore_limits);
  void Finish_Load();
  // The close or redraw asked for during a drawing, once no error box is showing.
  void Run_Pending();
  // Pumps the window's events between batches of the load and between pages; after a close
  // was asked for during the load, raises Load_Dropped to stop it (Request_Load catches it).
  void Pump();
  struct Load_Dropped {};
  void xCanvMouseDown(Qt::MouseButton button, int x, int y);
  void xCanvMouseUp(Qt::MouseButton button, int x, int y);
  void Set_Caption(const std::string& text);
  void Open_In_Editor(const std::string& file);
  // The folder that gets "scrn/" (Screen_Shot_Home).
  std::string Shot_Home() const;

  TErrBox& err_box_;
  std::string program_dir_;
  Program_Places places_;
  std::vector<std::string> args_;
  std::string setup_file_ = "plotwright.pwr.ini";
  std::string data_file_ = "plotwright.dat";
  std::string title_text_ = "PlotWright";
  std::string help_file_ = Default_Help_File;
  std::string help_page_;

  // The canvases outlive the page set that draws on them (declared first, released last).
  Canvas_Array canvases_;
  std::unique_ptr<TC_Graph_Page_Set> page_set_;
  TNotebook* xPages_ = nullptr;
  std::vector<TCanvas_View*> views_;
  QMenu* xPopUp_ = nullptr;
  TAboutBox* about_box_ = nullptr;
  std::unique_ptr<TLoad_Feedback> feedback_;
  std::unique_ptr<TFollow_Control> follow_;
  std::unique_ptr<TZoom_Control> zoom_;
  // The title as the rules of the window set it, before the zoom is added.
  std::string caption_;

  // A window manager sizes a maximized window after it was shown: the first load waits until
  // the window is on screen and its size has stayed the same for Settle_Ms, at most
  // Settle_Limit_Ms after the show (without a window manager the size is final at once).
  static constexpr int Settle_Ms = 50;
  static constexpr int Settle_Limit_Ms = 2000;
  QTimer* settle_timer_ = nullptr;
  QElapsedTimer shown_since_;
  bool first_show_queued_ = false;
  bool first_show_done_ = false;
  bool drawing_ = false;
  // How often deferred commands look again whether the error box was closed.
  static constexpr int Pending_Retry_Ms = 20;
  bool pending_load_ = false;
  bool pending_ignore_ = false;
  bool pending_close_ = false;
  bool closing_ = false;
  int loads_finished_ = 0;
};

}  // namespace pw
