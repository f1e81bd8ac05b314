#include "pages/d_graphpageset.h"

#include <cstdint>
#include <filesystem>
#include <new>
#include <string>

#include "base/D_Error.h"
#include "base/settings.h"

namespace pw {

namespace {

constexpr const char* Main_Section = "Plotwright";

}  // namespace

TC_Graph_Page_Set::TC_Graph_Page_Set(Canvas_Array& canvases)
    : canvases_(canvases), buffer_(std::make_unique<TC_Data_Buffer>()) {}

TC_Graph_Page_Set::~TC_Graph_Page_Set() = default;

void TC_Graph_Page_Set::Add_Page() {
  // Read_Setup never asks for more than Max_Pages; a further call has no canvas to draw on.
  if (Page_Count() >= Max_Pages) return;
  pages_.push_back(std::make_unique<TC_Graph_Page>(canvases_[pages_.size()]));
}

void TC_Graph_Page_Set::Read_Setup(const TC_Ini_File& ini, const std::string& list_section) {
  const std::int32_t npts = ini.Read_Integer({Main_Section}, "NPts", NPts);
  // A growth step below one point could never make room for the next line: keep the old one.
  if (npts >= 1) NPts = npts;
  const std::int32_t date_col = ini.Get_Integer(Main_Section, "DateCol", 0);
  const Table_Form form = Read_Table_Form(ini, Main_Section);

  file_def_.reset();
  file_def_ = std::make_unique<TC_File_Def>(ini);
  file_def_->DateCol = static_cast<std::uint16_t>(date_col);
  file_def_->Form = form;

  std::vector<std::string> names(Max_Pages);
  const int count = ini.Read_List({list_section}, list_section, names, Max_Pages);
  for (int i = 0; i < count; ++i) {
    Add_Page();
    TC_Graph_Page& page = *pages_.back();
    page.Section_Name = names[i];
    page.Read_Setup(ini, {list_section, names[i]}, *file_def_);
  }
}

void TC_Graph_Page_Set::Load_Data(const std::string& name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) throw Error("Missing file: " + name, true);
  Load_With(name, [&](const Progress_Fn& progress) {
    buffer_->Load_File(name, *file_def_, progress);
  });
}

void TC_Graph_Page_Set::Load_Data_Stream(TC_Byte_Source& source, const std::string& name) {
  Load_With(name, [&](const Progress_Fn& progress) {
    buffer_->Load_Stream(source, name, *file_def_, progress);
  });
}

void TC_Graph_Page_Set::Load_With(const std::string& name,
                                  const std::function<void(const Progress_Fn&)>& load,
                                  bool fresh) {
  if (fresh) {
    // The old points go first: two large buffers need not fit in memory at once.
    buffer_.reset();
    buffer_ = std::make_unique<TC_Data_Buffer>();
  }
  if (!file_def_) return;  // no setup read: nothing says how to read the file
  // The loader calls this between its batches on this thread, so the window can repaint.
  Progress_Fn progress;
  if (Progress || Pump_Events) {
    progress = [this](double fraction) {
      if (Progress) Progress("Loading", fraction);
      if (Pump_Events) Pump_Events();
    };
  }
  struct Loading {
    bool& flag;
    explicit Loading(bool& f) : flag(f) { flag = true; }
    ~Loading() { flag = false; }
  } loading(loading_);
  try {
    load(progress);
  } catch (const std::bad_alloc&) {
    // The loader reports its own storage running out; this covers every smaller allocation
    // on the way, with the same words. The points loaded so far stay.
    throw Error("Not enough memory to load " + name + " after " +
                std::to_string(buffer_->Point_Count()) + " points");
  }
}

std::string TC_Graph_Page_Set::Page_Name(int i) const {
  if (i < 1 || i > Page_Count()) return {};
  return pages_[i - 1]->Name;
}

void TC_Graph_Page_Set::Draw_Pages() {
  pages_drawn_ = 0;
  const int count = Page_Count();
  for (int i = 1; i <= count; ++i) {
    if (Pump_Events) Pump_Events();
    if (Progress) {
      Progress("Drawing page " + std::to_string(i), static_cast<double>(i - 1) / count);
    }
    if (Page_Starting) Page_Starting(i);
    try {
      pages_[i - 1]->Draw_Page(*buffer_, Pump_Events);
    } catch (const std::bad_alloc&) {
      throw Error("Not enough memory to draw page " + std::to_string(i));
    }
    pages_drawn_ = i;
    if (Page_Finished) Page_Finished(i);
  }
}

std::string TC_Graph_Page_Set::Point_Info(int k, int x, int y) {
  if (k < 1 || k > Page_Count() || loading_) return {};
  return pages_[k - 1]->Point_Info(x, y, *buffer_);
}

}  // namespace pw
