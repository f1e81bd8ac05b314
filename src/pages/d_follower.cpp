#include "pages/d_follower.h"

#include <utility>

#include "base/D_Error.h"
#include "pages/d_graphpageset.h"

namespace pw {

Follow_Action Follow_Action_For(bool setup_changed, Data_Change data) {
  if (setup_changed) return Follow_Action::Full;
  switch (data) {
    case Data_Change::Unchanged:
      return Follow_Action::None;
    case Data_Change::Lines_Added:
      return Follow_Action::Append;
    case Data_Change::Other:
    case Data_Change::Missing:
      break;
  }
  return Follow_Action::Full;
}

void Run_While_Following(const std::function<void()>& load,
                         const std::function<bool()>& following) {
  const bool fatal_before = Fatal_Error;
  try {
    load();
  } catch (const Error& e) {
    if (!e.Fatal() || !following()) throw;
    Fatal_Error = fatal_before;
    throw Error(e.Message());
  }
}

TC_Follower::TC_Follower(std::string setup_file, std::string data_file)
    : setup_file_(std::move(setup_file)), data_file_(std::move(data_file)) {}

TC_Follower::~TC_Follower() = default;

Follow_Action TC_Follower::Check() const {
  const bool setup_changed = !setup_noted_ || Stamp_Of(setup_file_) != setup_;
  return Follow_Action_For(setup_changed, Classify_Data_Change(data_, data_file_));
}

void TC_Follower::Begin_Load(Follow_Action action, TC_Graph_Page_Set* previous) {
  const bool append = action == Follow_Action::Append && previous != nullptr;
  Begin_Load(action, append ? previous->Release_Buffer() : nullptr);
}

void TC_Follower::Begin_Load(Follow_Action action, std::unique_ptr<TC_Data_Buffer> previous) {
  // A setup saved between the check and now is read by this load: its points are read whole,
  // as the definition of their columns may have changed.
  const File_Stamp setup = Stamp_Of(setup_file_);
  const bool setup_kept = setup_noted_ && setup == setup_;
  setup_ = setup;
  setup_noted_ = true;
  appended_ = false;
  kept_.reset();
  kept_mark_ = Data_File_Mark();
  // Until the data step ends, the points of the latest load are nowhere to be added to.
  Data_File_Mark mark = std::exchange(data_, Data_File_Mark());
  if (action == Follow_Action::Append && setup_kept && previous && mark.Loaded) {
    kept_ = std::move(previous);
    kept_mark_ = std::move(mark);
  }
}

void TC_Follower::Load_Data(TC_Graph_Page_Set& pages) {
  std::unique_ptr<TC_Data_Buffer> buffer = std::move(kept_);
  Data_File_Mark mark = std::exchange(kept_mark_, Data_File_Mark());
  if (buffer) {
    try {
      appended_ = pages.Append_Data(std::move(buffer), data_file_, mark);
    } catch (...) {
      // A line stopped the addition: the next one starts again where this one started.
      data_ = std::move(mark);
      throw;
    }
    if (appended_) {
      data_ = std::move(mark);
      return;
    }
  }
  pages.Load_Data_Followed(data_file_, data_);
}

bool TC_Follower::Report(const std::string& message) {
  const bool shown = last_error_ != message;
  last_error_ = message;
  return shown;
}

}  // namespace pw
