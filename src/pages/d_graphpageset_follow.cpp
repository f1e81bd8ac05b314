// The page set's loads in follow mode: a full load that notes where reading stopped, and the
// lines added since then read into the buffer of the page set before.
#include <filesystem>
#include <memory>
#include <string>

#include "base/D_Error.h"
#include "pages/d_graphpageset.h"

namespace pw {

void TC_Graph_Page_Set::Load_Data_Followed(const std::string& name, Data_File_Mark& mark) {
  mark = Data_File_Mark();
  std::error_code ec;
  if (!std::filesystem::is_regular_file(name, ec)) throw Error("Missing file: " + name, true);
  Load_With(name, [&](const Progress_Fn& progress) {
    mark = Load_Followed(*buffer_, name, *file_def_, progress);
  });
}

bool TC_Graph_Page_Set::Append_Data(std::unique_ptr<TC_Data_Buffer> buffer,
                                    const std::string& name, Data_File_Mark& mark) {
  if (!file_def_ || !buffer) return false;
  buffer_ = std::move(buffer);
  bool appended = false;
  Load_With(
      name,
      [&](const Progress_Fn& progress) {
        appended = Append_Followed(*buffer_, name, *file_def_, mark, progress);
      },
      false);
  if (!appended) buffer_ = std::make_unique<TC_Data_Buffer>();
  return appended;
}

std::unique_ptr<TC_Data_Buffer> TC_Graph_Page_Set::Release_Buffer() {
  std::unique_ptr<TC_Data_Buffer> buffer = std::move(buffer_);
  buffer_ = std::make_unique<TC_Data_Buffer>();
  return buffer;
}

}  // namespace pw
