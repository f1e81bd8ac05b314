// Loading the data file into the buffer: one pass, no heap allocation per line or field.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/settings.h"
#include "data/d_bufferstorage.h"
#include "data/d_databuffer.h"
#include "data/d_fastnum.h"
#include "data/d_filedef.h"
#include "data/d_linereader.h"
#include "setup/D_Format.h"
#include "setup/D_String.h"

namespace pw {
namespace {

constexpr std::int32_t kDefaultStep = 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// What the loader needs of one column, packed for the inner loop.
struct Column_Plan {
  int source_a;  // 1-based field numbers
  int source_b;
  Column_Operation operation;
  long double scale;
  bool filtered;
  long double low;  // the lowest and highest value a filter keeps: those on its limits too
  long double high;
};

// A field that a line does not have is empty and reads like a missing marker.
inline bool Is_Missing_Field(std::string_view field) {
  return field.empty() || field[0] == '?' || field[0] == 'N' || field[0] == 'n';
}

inline bool Is_Comment(std::string_view line) {
  return line.empty() || line[0] == '/' || line[0] == ':' || line[0] == ';';
}

// The first space in [p, end), or end. Looks at eight bytes at a time, so up to seven bytes
// past `end` must be readable (the line reader's tail padding).
inline const char* Find_Space(const char* p, const char* end) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  constexpr std::uint64_t kSpaces = 0x2020202020202020;
  constexpr std::uint64_t kHigh = 0x8080808080808080;
  for (; p < end; p += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ kSpaces;  // a zero byte where a space was
    // The lowest flagged byte is exactly the first zero byte (little-endian).
    const std::uint64_t zero = (x - kOnes) & ~x & kHigh;
    if (zero != 0) {
      const char* space = p + (std::countr_zero(zero) >> 3);
      return space < end ? space : end;
    }
  }
  return end;
}

// Splits at runs of spaces (a tab is part of a field) into at most `limit` fields.
inline int Split_Line(std::string_view line, std::array<std::string_view, Max_Fields>& fields,
                      int limit) {
  const char* p = line.data();
  const char* const end = p + line.size();
  int count = 0;
  while (count < limit) {
    while (p != end && *p == ' ') ++p;
    if (p == end) break;
    const char* const start = p;
    p = Find_Space(p, end);
    fields[count++] = std::string_view(start, static_cast<std::size_t>(p - start));
  }
  return count;
}

inline long double Combine(long double a, long double b, Column_Operation operation) {
  switch (operation) {
    case Op_Add: return a + b;
    case Op_Sub: return a - b;
    case Op_Mul: return a * b;
    case Op_Div: return b == 0 ? Missing : a / b;
    default: return a;
  }
}

}  // namespace

class TC_Data_Buffer::Loader {
 public:
  Loader(TC_Data_Buffer& buffer, const std::string& file_name, const TC_File_Def& def,
         const Progress_Fn& progress)
      : buffer_(buffer), file_name_(file_name), def_(def), progress_(progress),
        step_(NPts >= 1 ? NPts : kDefaultStep) {
    Plan();
  }

  void Run();

 private:
  void Plan();
  void Allocate(std::int64_t points);
  void Grow(const TC_Line_Reader& reader);
  void Read_Point(std::string_view line, std::int32_t p);
  void Populate_Ahead();
  std::string_view Field(int k) const {
    return k >= 1 && k <= field_count_ ? fields_[k - 1] : std::string_view();
  }

  TC_Data_Buffer& buffer_;
  const std::string& file_name_;
  const TC_File_Def& def_;
  const Progress_Fn& progress_;
  const std::int32_t step_;
  std::vector<Column_Plan> columns_;
  std::vector<int> selector_fields_;
  int date_field_ = 0;
  int needed_fields_ = 0;  // fields past the last one referenced are never looked at
  std::array<std::string_view, Max_Fields> fields_;
  int field_count_ = 0;
  std::int32_t populated_ = 0;  // points whose storage pages are known to be mapped
};

// Maps the storage pages of the next points before they are written. Fresh pages would
// otherwise come one page fault at a time, which costs more than converting the numbers on
// a large file; asking for a run of pages at once is much cheaper. Only a hint: kernels
// without it just fault the pages in as before.
void TC_Data_Buffer::Loader::Populate_Ahead() {
  constexpr std::int32_t Points_Ahead = 32768;
  const std::int32_t from = buffer_.point_count_;
  const std::int32_t to = std::min(buffer_.storage_->capacity, from + Points_Ahead);
  populated_ = to;
#ifdef MADV_POPULATE_WRITE
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  auto populate = [](const char* base, std::size_t begin, std::size_t end) {
    // Whole pages inside the block only: the first may be partly written already, which
    // does no harm, and the block always covers its last page up to `end`.
    const auto first = (reinterpret_cast<std::uintptr_t>(base) + begin) & ~(page - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(base) + end) & ~(page - 1);
    if (last > first) {
      (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
  };
  for (auto& block : buffer_.storage_->values) {
    populate(block.get(), Packed_Values::Array_Bytes(static_cast<std::size_t>(from)) - 16,
             Packed_Values::Array_Bytes(static_cast<std::size_t>(to)) - 16);
  }
  for (auto& block : buffer_.storage_->texts) {
    populate(block.get(), static_cast<std::size_t>(from) * Slot_Size,
             static_cast<std::size_t>(to) * Slot_Size);
  }
#endif
}

void TC_Data_Buffer::Loader::Plan() {
  auto need = [this](int k) {
    if (k >= 1 && k <= Max_Fields) needed_fields_ = std::max(needed_fields_, k);
  };
  for (int c = 1; c <= def_.Column_Count(); ++c) {
    const Column_Def& column = def_.Column(c);
    const bool filtered = !Is_Missing(column.Filter_Low);
    columns_.push_back({column.Source_A, column.Source_B, column.Operation, column.Scale, filtered,
                        Lowest_On(column.Filter_Low), Highest_On(column.Filter_High)});
    need(column.Source_A);
    if (column.Operation != Op_None) need(column.Source_B);
  }
  for (int j = 1; j <= def_.Selector_Count(); ++j) {
    selector_fields_.push_back(def_.Selector(j).Column);
    need(def_.Selector(j).Column);
  }
  date_field_ = def_.DateCol;
  need(date_field_);
}

void TC_Data_Buffer::Loader::Allocate(std::int64_t points) {
  const std::int64_t limit = INT32_MAX / step_ * step_;
  points = std::min((points + step_ - 1) / step_ * step_, limit);
  if (points <= buffer_.storage_->capacity) {
    throw Error("Too many points in " + file_name_ + ": the buffer holds at most " +
                std::to_string(buffer_.storage_->capacity));
  }
  if (!buffer_.storage_->Resize(static_cast<std::int32_t>(points))) {
    buffer_.Refresh_Views();  // some arrays may have moved before memory ran out
    throw Error("Not enough memory to load " + file_name_ + " after " +
                std::to_string(buffer_.point_count_) + " points");
  }
  buffer_.Refresh_Views();
}

// Grows by at least one step, and straight to the point count the file size promises, so
// that a large file costs a handful of reallocations whatever the step; by an eighth at
// least, so that a file that grows while it is read stays linear too. Pages never written
// cost no memory, so planning ahead is cheap.
void TC_Data_Buffer::Loader::Grow(const TC_Line_Reader& reader) {
  const std::int64_t capacity = buffer_.storage_->capacity;
  std::int64_t target = capacity + std::max<std::int64_t>(step_, capacity / 8);
  if (reader.File_Size() > 0 && reader.Bytes_Consumed() > 0) {
    const double per_byte = (buffer_.point_count_ + 1.0) / reader.Bytes_Consumed();
    const double expected = per_byte * reader.File_Size() * 1.02;
    target = std::max(target, static_cast<std::int64_t>(std::min(expected, 4e9)));
  }
  Allocate(target);
}

void TC_Data_Buffer::Loader::Read_Point(std::string_view line, std::int32_t p) {
  field_count_ = Split_Line(line, fields_, needed_fields_);
  const std::size_t i = static_cast<std::size_t>(p - 1);
  if (date_field_ != 0) {
    const std::string_view date = Field(date_field_);
    if (Is_Missing_Field(date)) {
      Date_Offset = 0;
    } else {
      const double day = Str_To_Date(date);
      if (Base_Date == 0) {
        Base_Date = day;
        Date_Offset = 0;
      } else {
        Date_Offset = (day - Base_Date) * 24;
      }
    }
  }
  for (std::size_t j = 0; j < selector_fields_.size(); ++j) {
    const std::string_view text = Field(selector_fields_[j]);
    char* slot = buffer_.texts_[j] + i * Slot_Size;
    const std::size_t length = std::min<std::size_t>(text.size(), Max_Text_Length);
    std::memset(slot, 0, Slot_Size);
    if (length > 0) std::memcpy(slot, text.data(), length);
    slot[Slot_Size - 1] = static_cast<char>(length);
  }
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    const Column_Plan& column = columns_[c];
    long double v = Missing;
    const std::string_view a = Field(column.source_a);
    if (!Is_Missing_Field(a)) {
      v = Field_Value(a);
      if (column.operation != Op_None) {
        const std::string_view b = Field(column.source_b);
        v = Is_Missing_Field(b) ? Missing : Combine(v, Field_Value(b), column.operation);
      }
    }
    if (!Missing_Value(v)) {
      v *= column.scale;
      if (column.filtered && (v < column.low || v > column.high)) v = Missing;
    }
    buffer_.values_[c].Set(i, v);
  }
}

void TC_Data_Buffer::Loader::Run() {
  Allocate(step_);
  TC_Line_Reader reader(file_name_);
  const Storage& storage = *buffer_.storage_;
  auto last_report = std::chrono::steady_clock::now();
  std::string_view line;
  bool overlong = false;
  bool first_line = true;
  std::uint32_t lines = 0;
  while (reader.Next_Line(line, overlong)) {
    if (first_line && line.starts_with(kByteOrderMark)) line.remove_prefix(3);
    first_line = false;
    if (progress_ && (++lines & 4095) == 0) {
      const auto now = std::chrono::steady_clock::now();
      if (now - last_report >= kProgressInterval) {
        last_report = now;
        const auto size = std::max<std::uint64_t>(reader.File_Size(), 1);
        progress_(std::min(1.0, static_cast<double>(reader.Bytes_Consumed()) / size));
      }
    }
    line = Strip_Blanks(line);
    if (Is_Comment(line)) continue;
    if (overlong || line.size() > Max_Field_Text) throw Error(Range_Check_Message);
    if (buffer_.point_count_ == storage.capacity) {
      Grow(reader);
      populated_ = buffer_.point_count_;  // the arrays may have moved
    }
    if (buffer_.point_count_ >= populated_) Populate_Ahead();
    // The point counts only once all its fields converted: a failing line leaves no
    // half-filled point behind.
    Read_Point(line, buffer_.point_count_ + 1);
    ++buffer_.point_count_;
  }
  if (progress_) progress_(1.0);
}

void TC_Data_Buffer::Load_File(const std::string& file_name, const TC_File_Def& def,
                               const Progress_Fn& progress) {
  if (def.Column_Count() > Max_Columns) throw Error("Too many buffer columns");
  storage_ = std::make_unique<Storage>();
  point_count_ = 0;
  column_count_ = def.Column_Count();
  selector_count_ = def.Selector_Count();
  storage_->values.resize(column_count_);
  storage_->texts.resize(selector_count_);
  // Titles and decimals before anything can fail: a load that stops early (the file cannot be
  // opened, say) still leaves every column of the count readable.
  for (int c = 1; c <= column_count_; ++c) {
    storage_->titles.push_back(def.Column(c).Title);
    storage_->decimals.push_back(def.Column(c).Decimals);
  }
  Refresh_Views();
  masks_.clear();
  Prepare_Selection();
  // Selection masks cover the points loaded, so they are worked out again afterwards, also
  // after a load stopped by an error (the points before it stay usable).
  try {
    Loader(*this, file_name, def, progress).Run();
  } catch (...) {
    masks_.clear();
    Prepare_Selection();
    throw;
  }
  masks_.clear();
  Prepare_Selection();
  if (point_count_ == 0) {
    throw Error("No points in data buffer loaded from " + file_name, true);
  }
}

}  // namespace pw
