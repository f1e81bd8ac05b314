// The page set: everything one load of the setup and data files produces.
//
// Owns the file definition, the data buffer and the pages; page k is drawn on canvas k of the
// canvases handed in at creation (the window's 16 canvases, or the renderer's).
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/d_databuffer.h"
#include "data/d_filedef.h"
#include "data/d_followfile.h"
#include "pages/d_graphpage.h"
#include "setup/d_inifile.h"

namespace pw {

inline constexpr int Max_Pages = 16;

using Canvas_Array = std::array<TC_Canvas, Max_Pages>;

// Progress of long work: what is being done ("Loading", "Drawing page 3") and how far (0..1).
using Work_Progress_Fn = std::function<void(const std::string& what, double fraction)>;

class TC_Graph_Page_Set {
 public:
  // `canvases` must outlive the page set.
  explicit TC_Graph_Page_Set(Canvas_Array& canvases);
  virtual ~TC_Graph_Page_Set();

  // Increments the page count and creates that page, bound to the canvas of the same number.
  virtual void Add_Page();

  // "NPts", "DateCol", "Delimiter" and "Header" from "Plotwright" (a wrong Delimiter or
  // Header raises its message before anything else is built), the file definition, then the
  // pages listed under key `list_section` of section `list_section` (at most 16). What was
  // built before an error stays in place.
  void Read_Setup(const TC_Ini_File& ini, const std::string& list_section);
  // "Missing file: " + name (fatal) when there is no such file; else a new buffer loads it.
  // Memory running out ends the load with "Not enough memory to load " + name + " after " +
  // points + " points" (not fatal); the points loaded before stay in the buffer. Progress and
  // Pump_Events are called now and then during the load, on the calling thread. A gzip or
  // zstd file is decompressed while it is read.
  void Load_Data(const std::string& name);
  // Load_Data from an open source (standard input, say), read to its end and named `name` in
  // messages; there is no file to test for.
  void Load_Data_Stream(TC_Byte_Source& source, const std::string& name);
  // Follow mode (d_graphpageset_follow.cpp, d_followfile.h). Load_Data for a data file being
  // written: a last line without its line end is left unread, and `mark` notes where reading
  // stopped (it is not Loaded when the load fails).
  void Load_Data_Followed(const std::string& name, Data_File_Mark& mark);
  // Takes over `buffer`, loaded from `name` through an equal definition as `mark` says, and
  // adds the lines written to the file since (Append_Followed). False, with this page set's
  // buffer left empty, when the file changed otherwise: a full load is needed.
  bool Append_Data(std::unique_ptr<TC_Data_Buffer> buffer, const std::string& name,
                   Data_File_Mark& mark);
  // Gives the buffer away (for the next page set to add to); this page set keeps an empty one.
  std::unique_ptr<TC_Data_Buffer> Release_Buffer();

  // The "Name" of page i; empty when there is no such page.
  std::string Page_Name(int i) const;
  // Draws pages 1..count in order, pumping events before each page and after it. Memory
  // running out stops at page i with "Not enough memory to draw page " + i (not fatal).
  void Draw_Pages();
  // Text for a mouse press at (x, y) on tab k; empty when page k does not exist, and while
  // the data are being loaded.
  std::string Point_Info(int k, int x, int y);

  int Page_Count() const { return static_cast<int>(pages_.size()); }
  TC_Graph_Page& Page(int i) { return *pages_[i - 1]; }  // 1-based
  // Pages whose drawing finished during the latest Draw_Pages (1..Pages_Drawn()).
  int Pages_Drawn() const { return pages_drawn_; }
  TC_Data_Buffer& Buffer() { return *buffer_; }
  // The buffer is being filled (events pumped now come from the load, not the drawing).
  bool Loading() const { return loading_; }
  const TC_File_Def* File_Def() const { return file_def_.get(); }

  // Optional hooks: event pumping during the load and between pages, and progress of loading
  // and drawing.
  Pump_Fn Pump_Events;
  Work_Progress_Fn Progress;
  // Optional hooks of Draw_Pages around page i (the window sets neither): Page_Starting just
  // before it is drawn (an Error raised there stops the drawing at that page), Page_Finished
  // once it counts as drawn (Pages_Drawn() == i).
  std::function<void(int page)> Page_Starting;
  std::function<void(int page)> Page_Finished;

 private:
  // The buffer loads through `load` (given the progress function), with the hooks above; a
  // new one first when `fresh`.
  void Load_With(const std::string& name, const std::function<void(const Progress_Fn&)>& load,
                 bool fresh = true);

  Canvas_Array& canvases_;
  std::unique_ptr<TC_Data_Buffer> buffer_;
  std::unique_ptr<TC_File_Def> file_def_;
  std::vector<std::unique_ptr<TC_Graph_Page>> pages_;
  int pages_drawn_ = 0;
  bool loading_ = false;  // the buffer is half filled: events pumped now must not read it
};

}  // namespace pw
