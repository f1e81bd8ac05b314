#include "app/follow_control.h"

#include <QAction>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <exception>
#include <utility>

#include "app/pw_main.h"
#include "base/link_chain.h"
#include "pages/d_graphpageset.h"
#include "setup/d_inifile.h"

namespace pw {

namespace {

constexpr const char* Main_Section = "Plotwright";

}  // namespace

TFollow_Control::TFollow_Control(TMain& window) : window_(window) {}

TFollow_Control::~TFollow_Control() = default;

void TFollow_Control::Set_On(bool on) {
  if (QAction* item = window_.Item("mFollow"); item != nullptr && item->isChecked() != on) {
    item->setChecked(on);  // its handler comes back here, with on_ already the same
  }
  if (on == on_) return;
  on_ = on;
  quiet_.Done();
  if (!on) {
    // Later: this may run inside the timer's own call (a follow load read "Follow=0").
    watcher_->deleteLater();
    watcher_ = nullptr;
    watched_files_.clear();
    timer_->stop();
    timer_->deleteLater();
    timer_ = nullptr;
    look_->stop();
    look_->deleteLater();
    look_ = nullptr;
    // Switched off by a command during a load, the follower may be reading the data: it goes
    // when the load ends.
    if (window_.Drawing()) {
      retired_.push_back(std::move(follower_));
    } else {
      follower_.reset();
    }
    return;
  }
  follower_ = std::make_unique<TC_Follower>(window_.Setup_File(), window_.Data_File());
  began_ = false;  // a load under way began without it: its data step reads the file whole
  timer_ = new QTimer(&window_);
  timer_->setSingleShot(true);
  QObject::connect(timer_, &QTimer::timeout, &window_, [this] { Timeout(); });
  look_ = new QTimer(&window_);
  look_->setInterval(Blind_Look_Ms);
  QObject::connect(look_, &QTimer::timeout, &window_, [this] { Look(); });
  watcher_ = new QFileSystemWatcher(&window_);
  QObject::connect(watcher_, &QFileSystemWatcher::fileChanged, &window_,
                   [this](const QString&) { Notice(); });
  QObject::connect(watcher_, &QFileSystemWatcher::directoryChanged, &window_,
                   [this](const QString&) { Notice(); });
  Watch();
}

// Both files, each when it exists and is not yet watched: a file replaced by rename, or
// removed, is no longer watched, and comes back here when its folder changes. The system ends
// a file's watch only when the file itself is gone: one replaced while it lives on (another
// link to it, a reader holding it open) would keep the watch, and the lines added to the new
// file (which the folder's watch does not report) would go unseen.
// And the folders: of each name, of every symbolic link on its way and of the file at its
// end, as the links stand now (a link pointed elsewhere is seen in its own folder, and the
// new target's folder is watched from then on). A folder that is gone, or that we may not
// read, is waited for from the nearest folder above it that can be watched, which reports
// the folder made again or its rights changed. Folders no longer wanted are let go. A file
// gone from a folder we may not read can be seen through no watch: it is looked for once a
// second (Look) until it is back and watched.
void TFollow_Control::Watch() {
  if (watcher_ == nullptr) return;
  QStringList wanted;
  bool blind = false;
  for (const std::string& name : {window_.Setup_File(), window_.Data_File()}) {
    Watch_File(name);
    const QFileInfo file(QString::fromStdString(name));
    blind = blind || (!watcher_->files().contains(file.filePath()) &&
                      !QFileInfo(file.absolutePath()).isReadable() &&
                      QFileInfo(file.absolutePath()).isDir());
    for (const std::string& hop : Link_Chain(name)) {
      for (QString folder = QFileInfo(QString::fromStdString(hop)).absolutePath();;) {
        const QFileInfo info(folder);
        // (Qt warns of every folder the system refuses: one we may not read is not asked.)
        if (watcher_->directories().contains(folder) ||
            (info.isDir() && info.isReadable() && watcher_->addPath(folder))) {
          wanted.append(folder);
          break;
        }
        const QString above = QFileInfo(folder).absolutePath();
        if (above == folder) break;
        folder = above;
      }
    }
  }
  for (const QString& folder : watcher_->directories()) {
    if (!wanted.contains(folder)) watcher_->removePath(folder);
  }
  if (!blind) {
    look_->stop();
  } else if (!look_->isActive()) {
    looked_[0] = Stamp_Of(window_.Setup_File());
    looked_[1] = Stamp_Of(window_.Data_File());
    look_->start();
  }
}

void TFollow_Control::Look() {
  const File_Stamp now[2] = {Stamp_Of(window_.Setup_File()), Stamp_Of(window_.Data_File())};
  if (now[0] == looked_[0] && now[1] == looked_[1]) return;
  looked_[0] = now[0];
  looked_[1] = now[1];
  Notice();
}

void TFollow_Control::Watch_File(const std::string& name) {
  const QFileInfo file(QString::fromStdString(name));
  const QString path = file.filePath();
  const File_Stamp now = Stamp_Of(name);
  if (watcher_->files().contains(path) && !now.Same_File(watched_files_[path])) {
    watcher_->removePath(path);
  }
  if (file.isFile() && !watcher_->files().contains(path) && watcher_->addPath(path)) {
    watched_files_[path] = now;
  }
}

void TFollow_Control::Notice() {
  Watch();
  const TC_Quiet_Time::Time now = TC_Quiet_Time::Clock::now();
  quiet_.Note(now);
  if (timer_ != nullptr) timer_->start(quiet_.Wait_Ms(now));
}

void TFollow_Control::Timeout() {
  if (timer_ == nullptr || !quiet_.Pending()) return;
  const TC_Quiet_Time::Time now = TC_Quiet_Time::Clock::now();
  if (!quiet_.Is_Due(now)) {
    timer_->start(quiet_.Wait_Ms(now));
    return;
  }
  // The page set is in use, or an error waits to be read: not now (never a second box).
  if (window_.Drawing() || window_.Error_Showing()) {
    timer_->start(Busy_Retry_Ms);
    return;
  }
  quiet_.Done();
  Act();
}

void TFollow_Control::Act() {
  const Follow_Action action = follower_->Check();
  if (action == Follow_Action::None) return;
  action_ = action;
  ++follow_loads_;
  try {
    window_.Load_And_Draw();
  } catch (const std::exception& e) {
    // The load may have switched follow mode off (its setup says so): then shown as any error.
    if (!follower_ || follower_->Report(e.what())) window_.AppEventsException(e);
  }
  action_ = Follow_Action::Full;  // a load that stopped before it began leaves no addition
}

void TFollow_Control::Begin_Load(TC_Graph_Page_Set* previous) {
  began_ = false;
  const Follow_Action action = std::exchange(action_, Follow_Action::Full);
  zooms_.clear();
  if (!follower_) return;
  // Lines added keep the zooms; anything else drops them, as Redraw All does.
  if (action == Follow_Action::Append) zooms_ = Zooms_Of(previous);
  follower_->Begin_Load(action, previous);
  began_ = true;
}

void TFollow_Control::Read_Setup(const TC_Ini_File& ini) {
  const bool wanted = ini.Read_Bool({Main_Section}, "Follow", false);
  if (wanted == setup_wants_) return;
  setup_wants_ = wanted;
  Set_On(wanted);
}

void TFollow_Control::Load_Data(TC_Graph_Page_Set& pages) {
  if (!follower_) {
    pages.Load_Data(window_.Data_File());
    return;
  }
  // Switched on while this load read the setup: its data are read whole.
  // A command during the load may switch follow mode off: this follower then lives on in
  // retired_ until the load ends.
  TC_Follower& follower = *follower_;
  if (!began_) follower.Begin_Load(Follow_Action::Full, nullptr);
  began_ = false;
  follower.Load_Data(pages);
  if (follower.Appended()) {
    ++appends_;
    Apply_Zooms(pages, zooms_);
  }
  zooms_.clear();
}

void TFollow_Control::Load_Drawn() {
  if (follower_) follower_->Drawn();
}

void TFollow_Control::Load_Finished() {
  retired_.clear();
  if (timer_ != nullptr && quiet_.Pending() && !timer_->isActive()) timer_->start(0);
}

void TFollow_Control::Error_Shown(const std::string& message) {
  if (follower_) follower_->Report(message);
}

QStringList TFollow_Control::Watched() const {
  if (watcher_ == nullptr) return {};
  return watcher_->files() + watcher_->directories();
}

bool TFollow_Control::Timer_Active() const { return timer_ != nullptr && timer_->isActive(); }

}  // namespace pw
