#include "data/d_databuffer.h"

#include <cmath>
#include <cstring>

#include "data/d_bufferstorage.h"
#include "data/d_fastnum.h"
#include "setup/D_Format.h"
#include "base/settings.h"

namespace pw {
namespace {

inline bool Missing_Value(long double x) { return !std::isfinite(x); }

}  // namespace

TC_Data_Buffer::TC_Data_Buffer() : storage_(std::make_unique<Storage>()) {}
TC_Data_Buffer::~TC_Data_Buffer() = default;

std::int32_t TC_Data_Buffer::Capacity() const { return storage_->capacity; }

void TC_Data_Buffer::Refresh_Views() {
  values_.clear();
  texts_.clear();
  for (auto& block : storage_->values) values_.push_back(block.get());
  for (auto& block : storage_->texts) texts_.push_back(block.get());
}

void TC_Data_Buffer::Set_Selection(const T_Selection& selection) {
  selection_ = selection;
  Prepare_Selection();
}

void TC_Data_Buffer::Prepare_Selection() {
  required_.clear();
  banned_.clear();
  keys_.clear();
  never_ = false;
  for (int c = 1; c <= column_count_; ++c) {
    if (selection_.Required.test(c)) required_.push_back(c - 1);
    if (selection_.Banned.test(c)) banned_.push_back(c - 1);
  }
  for (int k = 0; k < 3; ++k) {
    const int selector = selection_.Key_Sel[k];
    if (selector == 0) continue;
    const std::string& text = selection_.Key_Text[k];
    // No stored text is longer than a slot, and no selector beyond the count holds one.
    if (selector < 0 || selector > selector_count_ || text.size() > Max_Text_Length) {
      never_ = true;
      continue;
    }
    Key_Test test{selector - 1, {}};
    std::memcpy(test.slot.data(), text.data(), text.size());
    test.slot[Slot_Size - 1] = static_cast<char>(text.size());
    keys_.push_back(test);
  }
  select_all_ = required_.empty() && banned_.empty() && keys_.empty() && !never_;
}

bool TC_Data_Buffer::Check_Selection(std::int32_t p) const {
  if (never_) return false;
  const std::size_t i = static_cast<std::size_t>(p - 1);
  for (int c : required_) {
    if (Missing_Value(values_[c][i])) return false;
  }
  for (int c : banned_) {
    if (!Missing_Value(values_[c][i])) return false;
  }
  for (const Key_Test& key : keys_) {
    if (std::memcmp(texts_[key.selector] + i * Slot_Size, key.slot.data(), Slot_Size) != 0) {
      return false;
    }
  }
  return true;
}

std::string_view TC_Data_Buffer::Get_Text(std::int32_t p, int j) const {
  const char* slot = texts_[j - 1] + static_cast<std::size_t>(p - 1) * Slot_Size;
  return {slot, static_cast<std::size_t>(static_cast<unsigned char>(slot[Slot_Size - 1]))};
}

TC_Data_Buffer::Stats TC_Data_Buffer::Column_Stats(int c) const {
  // The deviation comes from Welford's running sum of squared deviations: the textbook
  // sum of squares cancels catastrophically when the mean is large against the spread.
  // The mean itself is the plain sum / n, which does not drift with n.
  Stats stats;
  double sum = 0;
  double mean = 0;
  double squares = 0;
  for (std::int32_t p = 1; p <= point_count_; ++p) {
    const auto v = static_cast<double>(Get_Value(p, c));
    if (!std::isfinite(v)) continue;
    ++stats.n;
    sum += v;
    const double delta = v - mean;
    mean += delta / stats.n;
    squares += delta * (v - mean);
  }
  if (stats.n == 0) {
    stats.mean = stats.deviation = Missing;
    return stats;
  }
  stats.mean = sum / stats.n;
  stats.deviation = stats.n == 1 ? 0.0 : std::sqrt(std::fabs(squares) / (stats.n - 1));
  return stats;
}

TC_Data_Buffer::Range TC_Data_Buffer::Column_Range(int c) const {
  Range range;
  double low = 0;
  double high = 0;
  for (std::int32_t p = 1; p <= point_count_; ++p) {
    const auto v = static_cast<double>(Get_Value(p, c));
    if (!std::isfinite(v)) continue;
    if (range.n == 0 || v < low) low = v;
    if (range.n == 0 || v > high) high = v;
    ++range.n;
  }
  range.minimum = range.n == 0 ? Missing : low;
  range.maximum = range.n == 0 ? Missing : high;
  return range;
}

const std::string& TC_Data_Buffer::Get_Title(int c) const { return storage_->titles[c - 1]; }

int TC_Data_Buffer::Get_Decimals(int c) const { return storage_->decimals[c - 1]; }

long double TC_Data_Buffer::Parse_Value(std::string_view text) const {
  long double value;
  if (Parse_Time(text, value)) return value + Date_Offset;
  return Field_To_Float(text);
}

}  // namespace pw
