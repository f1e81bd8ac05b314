// Follow mode: the page set drawn again whenever the setup or the data file changes.
//
// The programs watch the two files and gather the notices (quiet_time.h); then they ask the
// follower which load the change calls for. Lines added at the end of the data file are read
// alone and added to the points already loaded, and the pages are read from the setup and
// drawn anew around them (so their automatic limits and bins are worked out again); any other
// change is a full load, as the redraw command makes it. Without follow mode none of this
// runs.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/file_stamp.h"
#include "data/d_databuffer.h"
#include "data/d_followfile.h"

namespace pw {

class TC_Graph_Page_Set;

enum class Follow_Action {
  None,    // nothing that was read changed
  Full,    // read both files again
  Append,  // read the setup again, add the data file's new lines to the points loaded
};

// The load a change calls for: a changed setup, or a data file changed otherwise than by
// lines added at its end (or gone), is a full load; added lines an append; else nothing.
Follow_Action Follow_Action_For(bool setup_changed, Data_Change data);

// Runs `load`. When it raises a fatal Error and `following()` (asked then) is true, the same
// message is raised as a non-fatal Error and Fatal_Error is put back as it was before: while
// following, no error ends the program, and the next good change draws again.
void Run_While_Following(const std::function<void()>& load,
                         const std::function<bool()>& following);

// What follow mode remembers from one load to the next.
class TC_Follower {
 public:
  TC_Follower(std::string setup_file, std::string data_file);
  ~TC_Follower();

  // What the files call for now, against the latest load. Before the first load through this
  // follower (or after one that failed to read the data): Full on any change.
  Follow_Action Check() const;
  // A load begins (after Check, or at the user's command, which is a full load): notes the
  // setup file as it stands now, before it is read. For an append, the buffer of `previous`
  // (the page set the load replaces, may be null) is taken over to be added to; for anything
  // else (or when the setup changed since the latest load began) the data are read whole.
  void Begin_Load(Follow_Action action, TC_Graph_Page_Set* previous);
  // The same with the buffer of the page set the load replaces, given away beforehand (may be
  // null); it is dropped unless the action is Append.
  void Begin_Load(Follow_Action action, std::unique_ptr<TC_Data_Buffer> previous);
  // The data step of the load begun, in place of Load_Data: into `pages`, whose setup was just
  // read. Adds the new lines to the buffer taken over, or else (no buffer, or the file turned
  // out to have changed otherwise) loads the whole file.
  void Load_Data(TC_Graph_Page_Set& pages);
  // The data step was an append (the latest Load_Data added lines).
  bool Appended() const { return appended_; }

  // Whether an error met while following is to be shown: not when it is the very message
  // shown last, with no load drawn in between (a file that stays wrong, or stays away, is
  // reported once). Notes it either way.
  bool Report(const std::string& message);
  // A load drew every page: the next error is shown, whatever it says.
  void Drawn() { last_error_.reset(); }

  const std::string& Setup_File() const { return setup_file_; }
  const std::string& Data_File() const { return data_file_; }

 private:
  std::string setup_file_;
  std::string data_file_;
  File_Stamp setup_;
  bool setup_noted_ = false;
  // The data file as the latest load left it; not Loaded from the start of a load until its
  // data step ended (or when that step failed to read the whole file).
  Data_File_Mark data_;
  // Between Begin_Load and Load_Data of an append: the buffer it adds to and its mark.
  std::unique_ptr<TC_Data_Buffer> kept_;
  Data_File_Mark kept_mark_;
  bool appended_ = false;
  std::optional<std::string> last_error_;
};

}  // namespace pw
