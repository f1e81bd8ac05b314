#include "data/d_databuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/d_bufferstorage.h"

namespace pw {

TC_Data_Buffer::TC_Data_Buffer() : storage_(std::make_unique<Storage>()) {}
TC_Data_Buffer::~TC_Data_Buffer() = default;

std::int32_t TC_Data_Buffer::Capacity() const { return storage_->capacity; }

void TC_Data_Buffer::Refresh_Views() {
  values_.clear();
  texts_.clear();
  for (auto& block : storage_->values) values_.emplace_back(block.get());
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
  if (!select_all_) Select_Mask();
}

void TC_Data_Buffer::Select_Mask() {
  // Few selections are live at a time (one per layer and graph); beyond this the oldest goes.
  constexpr std::size_t Max_Masks = 8;
  for (std::size_t k = 0; k < masks_.size(); ++k) {
    Mask_Entry& entry = masks_[k];
    if (entry.never == never_ && entry.required == required_ && entry.banned == banned_ &&
        entry.keys == keys_) {
      std::rotate(masks_.begin() + static_cast<std::ptrdiff_t>(k),
                  masks_.begin() + static_cast<std::ptrdiff_t>(k) + 1, masks_.end());
      mask_ = &masks_.back().bits;
      return;
    }
  }
  if (masks_.size() == Max_Masks) masks_.erase(masks_.begin());
  Mask_Entry entry{required_, banned_, keys_, never_, {}};
  const auto n = static_cast<std::size_t>(point_count_);
  entry.bits.assign((n + 63) / 64, 0);
  if (!never_ && required_.empty() && banned_.empty() && keys_.size() == 1) {
    // The usual layer selection, one key text: compared slot by slot without a call.
    const char* slot = texts_[keys_[0].selector];
    static_assert(Slot_Size == 4 * sizeof(std::uint64_t));
    std::uint64_t key[4];
    std::memcpy(key, keys_[0].slot.data(), Slot_Size);
    for (std::size_t i = 0; i < n; ++i, slot += Slot_Size) {
      std::uint64_t text[4];
      std::memcpy(text, slot, Slot_Size);
      if (((text[0] ^ key[0]) | (text[1] ^ key[1]) | (text[2] ^ key[2]) | (text[3] ^ key[3])) ==
          0) {
        entry.bits[i >> 6] |= std::uint64_t{1} << (i & 63);
      }
    }
  } else if (!never_) {
    for (std::size_t i = 0; i < n; ++i) {
      if (Check_Selection(static_cast<std::int32_t>(i + 1))) {
        entry.bits[i >> 6] |= std::uint64_t{1} << (i & 63);
      }
    }
  }
  masks_.push_back(std::move(entry));
  mask_ = &masks_.back().bits;
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

namespace {

// Welford's running sums and the range, both over the values as doubles. A value beyond the
// double range is left out of the sums and kept on the side for the range (rare).
struct Summary_Sums {
  std::int32_t n = 0;
  double sum = 0;
  double mean = 0;
  double squares = 0;
  double low = 0;
  double high = 0;
  std::int32_t beyond = 0;
  long double beyond_low = 0;
  long double beyond_high = 0;

  void Add_Stats(double v) {
    ++n;
    sum += v;
    const double delta = v - mean;
    mean += delta / n;
    squares += delta * (v - mean);
  }
  void Add_Range(double v) {
    if (n == 0 || v < low) low = v;
    if (n == 0 || v > high) high = v;
  }
  // x: a value that is not missing but not finite as a double.
  void Add_Beyond(long double x) {
    if (beyond == 0 || x < beyond_low) beyond_low = x;
    if (beyond == 0 || x > beyond_high) beyond_high = x;
    ++beyond;
  }

  TC_Data_Buffer::Stats Stats() const {
    TC_Data_Buffer::Stats stats;
    stats.n = n;
    if (n == 0) {
      stats.mean = stats.deviation = Missing;
      return stats;
    }
    stats.mean = sum / n;
    stats.deviation = n == 1 ? 0.0 : std::sqrt(std::fabs(squares) / (n - 1));
    return stats;
  }
  TC_Data_Buffer::Range Range() const {
    TC_Data_Buffer::Range range;
    range.n = n + beyond;
    if (range.n == 0) {
      range.minimum = range.maximum = Missing;
    } else if (beyond == 0) {
      range.minimum = low;
      range.maximum = high;
    } else if (n == 0) {
      range.minimum = beyond_low;
      range.maximum = beyond_high;
    } else {
      range.minimum = std::min<long double>(low, beyond_low);
      range.maximum = std::max<long double>(high, beyond_high);
    }
    return range;
  }
};

}  // namespace

// The deviation comes from Welford's running sum of squared deviations: the textbook sum of
// squares cancels catastrophically when the mean is large against the spread. The mean
// itself is the plain sum / n, which does not drift with n.
TC_Data_Buffer::Stats TC_Data_Buffer::Column_Stats(int c) const {
  Summary_Sums sums;
  For_Each_Selected(c, [&sums](long double x) {
    const auto v = static_cast<double>(x);
    if (std::isfinite(v)) sums.Add_Stats(v);
  });
  return sums.Stats();
}

TC_Data_Buffer::Range TC_Data_Buffer::Column_Range(int c) const {
  Summary_Sums sums;
  For_Each_Selected(c, [&sums](long double x) {
    const auto v = static_cast<double>(x);
    if (!std::isfinite(v)) {
      if (!Missing_Value(x)) sums.Add_Beyond(x);
      return;
    }
    sums.Add_Range(v);
    ++sums.n;
  });
  return sums.Range();
}

TC_Data_Buffer::Summary TC_Data_Buffer::Column_Summary(int c) const {
  Summary_Sums sums;
  For_Each_Selected(c, [&sums](long double x) {
    const auto v = static_cast<double>(x);
    if (!std::isfinite(v)) {
      if (!Missing_Value(x)) sums.Add_Beyond(x);
      return;
    }
    sums.Add_Range(v);  // before the count moves: the first value sets both ends
    sums.Add_Stats(v);
  });
  return {sums.Stats(), sums.Range()};
}

const std::string& TC_Data_Buffer::Get_Title(int c) const { return storage_->titles[c - 1]; }

int TC_Data_Buffer::Get_Decimals(int c) const { return storage_->decimals[c - 1]; }

long double TC_Data_Buffer::Parse_Value(std::string_view text) const {
  return Field_Value(text);
}

}  // namespace pw
