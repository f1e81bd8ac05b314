// Follow mode in the window: while it is on, the setup and data files (and their folders, so
// that a file replaced by rename, or removed and made again, is seen) are watched; the
// notices are gathered over a quiet time (quiet_time.h), then the window draws again. Lines
// added to the data file are read alone and the pages drawn anew around the longer buffer;
// any other change is a full Load_And_Draw (d_follower.h). The graphs zoomed stay zoomed over
// added lines (d_pagezooms.h); any other load drops the zooms. Off, nothing is watched and no
// timer runs.
//
// A follow redraw waits while the window draws or shows an error box, and runs as any
// Load_And_Draw: user commands during it are handled as during any drawing, and the current
// page stays. An error met while following is shown once (d_follower.h, Report); no error
// ends the program while following (Run_While_Following).
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/quiet_time.h"
#include "pages/d_follower.h"
#include "pages/d_pagezooms.h"

class QFileSystemWatcher;
class QTimer;

namespace pw {

class TC_Graph_Page_Set;
class TC_Ini_File;
class TMain;

class TFollow_Control {
 public:
  // `window` must outlive the control.
  explicit TFollow_Control(TMain& window);
  ~TFollow_Control();
  TFollow_Control(const TFollow_Control&) = delete;
  TFollow_Control& operator=(const TFollow_Control&) = delete;

  // Switches follow mode (the menu item, "/f", the setup key). On: the window's two files are
  // watched from now on, and the first change reads both whole. Off: the watcher and the
  // timer go. The menu item shows the state.
  void Set_On(bool on);
  bool On() const { return on_; }

  // Hooks of the window's load, in this order:
  // A load begins, before anything is read; `previous` is the page set it replaces (may be
  // null; for an addition its buffer and its graphs' zooms are taken over).
  void Begin_Load(TC_Graph_Page_Set* previous);
  // "Follow" (Boolean, default false) from the main section: switches follow mode when its
  // value differs from the one the latest load read (false before the first), so that the
  // menu item's choice stands until the key is edited. A value that is no Boolean raises
  // "Bad Boolean constant: " + value.
  void Read_Setup(const TC_Ini_File& ini);
  // The data step: Load_Data, or the follower's while following.
  void Load_Data(TC_Graph_Page_Set& pages);
  // The load drew every page.
  void Load_Drawn();
  // The load ended, drawn or not: notices that came meanwhile are acted on next.
  void Load_Finished();
  // An error was shown while following: the same one from a follow redraw is not shown again.
  void Error_Shown(const std::string& message);

  // What is watched, files and folders (empty when off), and whether the timer runs (tests).
  QStringList Watched() const;
  bool Timer_Active() const;
  // Loads that follow mode started, and how many of them added lines to the points (tests).
  int Follow_Loads() const { return follow_loads_; }
  int Appends() const { return appends_; }

  // Milliseconds between looks while the window is busy (drawing, an error box open).
  static constexpr int Busy_Retry_Ms = 100;
  // Milliseconds between looks at a file that no watch can tell of (gone from a folder we
  // may not read, so neither it nor its folder is watched).
  static constexpr int Blind_Look_Ms = 1000;

 private:
  void Watch();
  // The file `name` itself, watched anew when the name now leads to another file.
  void Watch_File(const std::string& name);
  void Notice();
  // Once every Blind_Look_Ms while a file is seen through no watch: a notice when either
  // file's stamp changed since the last look.
  void Look();
  void Timeout();
  void Act();

  TMain& window_;
  bool on_ = false;
  std::unique_ptr<TC_Follower> follower_;
  std::vector<std::unique_ptr<TC_Follower>> retired_;  // switched off during the load
  bool setup_wants_ = false;                           // "Follow" as the latest load read it
  QFileSystemWatcher* watcher_ = nullptr;
  // Which file each watched name named when its watch was set (the watch follows that file).
  std::map<QString, File_Stamp> watched_files_;
  QTimer* timer_ = nullptr;
  QTimer* look_ = nullptr;      // runs only while a file is seen through no watch
  File_Stamp looked_[2];        // the setup and the data file at the last look
  TC_Quiet_Time quiet_;
  Follow_Action action_ = Follow_Action::Full;  // of the next load
  Page_Zooms zooms_;  // of the page set an addition replaces, for the new one
  bool began_ = false;                          // the follower saw the load begin
  int follow_loads_ = 0;
  int appends_ = 0;
};

}  // namespace pw
