#include "data/d_databuffer.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <cstring>

#include "base/parallel.h"
#include "data/d_bufferstorage.h"
#include "data/d_filedef.h"

namespace pw {

TC_Data_Buffer::TC_Data_Buffer() : storage_(std::make_unique<Storage>()) {}
TC_Data_Buffer::~TC_Data_Buffer() = default;

std::int32_t TC_Data_Buffer::Capacity() const {
  return storage_->capacity;
}

void TC_Data_Buffer::Refresh_Views() {
  values_.clear();
  text_ids_.clear();
  for (auto& block : storage_->values) values_.emplace_back(block.get());
  for (auto& block : storage_->text_ids) {
    text_ids_.push_back(reinterpret_cast<std::uint32_t*>(block.get()));
  }
}

void TC_Data_Buffer::Reset_For(const TC_File_Def& def) {
  storage_ = std::make_unique<Storage>();
  point_count_ = 0;
  column_count_ = def.Column_Count();
  selector_count_ = def.Selector_Count();
  storage_->values.resize(column_count_);
  storage_->text_ids.resize(selector_count_);
  storage_->dictionaries.resize(selector_count_);
  if (!def.Encoding().empty()) {
    auto code_page = std::make_unique<TC_Code_Page>(def.Encoding(), "DataFile");
    if (!code_page->Is_Utf8()) {
      storage_->code_page = std::move(code_page);
      storage_->shown_texts.resize(selector_count_);
    }
  }
  // Titles and decimals before anything can fail: a load that stops early (the file cannot be
  // opened, say) still leaves every column of the count readable.
  for (int c = 1; c <= column_count_; ++c) {
    storage_->titles.push_back(def.Column(c).Title);
    storage_->decimals.push_back(def.Column(c).Decimals);
  }
  Refresh_Views();
}

void TC_Data_Buffer::Keep_Points(std::int32_t count) {
  if (count < 0 || count > point_count_) return;
  point_count_ = count;
  // The masks cover the points that went.
  masks_.clear();
  Prepare_Selection();
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
    // No selector beyond the count holds a text; a text that is not in the selector's
    // dictionary (one longer than any stored text among them) is held by no point.
    const std::uint32_t id = selector < 0 || selector > selector_count_
                                 ? TC_Text_Dictionary::None
                                 : Find_Text(selector - 1, selection_.Key_Text[k]);
    if (id == TC_Text_Dictionary::None) {
      never_ = true;
      continue;
    }
    keys_.push_back({selector - 1, id});
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
  std::uint64_t* const bits = entry.bits.data();
  // A piece of Chunk_Points points fills whole words of its own, so pieces never share one.
  if (!never_ && required_.empty() && banned_.empty() && keys_.size() == 1) {
    // The usual layer selection, one key text: one comparison of numbers per point.
    const std::uint32_t* const ids = text_ids_[keys_[0].selector];
    const std::uint32_t id = keys_[0].id;
    Parallel_Chunks(n, [&](std::size_t, std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        bits[i >> 6] |= std::uint64_t{ids[i] == id} << (i & 63);
      }
    });
  } else if (!never_) {
    Parallel_Chunks(n, [&](std::size_t, std::size_t begin, std::size_t end) {
      for (std::size_t i = begin; i < end; ++i) {
        if (Check_Selection(static_cast<std::int32_t>(i + 1))) {
          bits[i >> 6] |= std::uint64_t{1} << (i & 63);
        }
      }
    });
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
    if (text_ids_[key.selector][i] != key.id) return false;
  }
  return true;
}

std::uint32_t TC_Data_Buffer::Find_Text(int j, const std::string& text) const {
  const TC_Text_Dictionary& dictionary = storage_->dictionaries[static_cast<std::size_t>(j)];
  if (!storage_->code_page) return dictionary.Find(text);
  // The dictionary holds the file's bytes: the text the user typed is looked up as those.
  std::string bytes;
  if (!storage_->code_page->From_Utf8(text, bytes)) return TC_Text_Dictionary::None;
  return dictionary.Find(bytes);
}

std::string_view TC_Data_Buffer::Get_Text(std::int32_t p, int j) const {
  const std::uint32_t id = text_ids_[j - 1][p - 1];
  if (storage_->code_page) return storage_->shown_texts[j - 1][id];
  return storage_->dictionaries[j - 1].Text(id);
}

std::size_t TC_Data_Buffer::Storage_Bytes() const {
  const auto points = static_cast<std::size_t>(point_count_);
  std::size_t bytes = points * (static_cast<std::size_t>(column_count_) * Packed_Values::Bytes +
                                static_cast<std::size_t>(selector_count_) * sizeof(std::uint32_t));
  for (const TC_Text_Dictionary& dictionary : storage_->dictionaries) {
    bytes += dictionary.Bytes();
  }
  for (const std::vector<std::string>& texts : storage_->shown_texts) {
    bytes += texts.capacity() * sizeof(std::string);
    for (const std::string& text : texts) bytes += text.capacity() + 1;
  }
  return bytes;
}

namespace {

// Running sums and the range of a run of values, as doubles: Welford's mean and sum of
// squared deviations (the textbook sum of squares cancels catastrophically when the mean is
// large against the spread), the plain sum for the mean itself (it does not drift with n),
// the minimum and the maximum. A value beyond the double range is left out of the sums and
// kept on the side for the range (rare).
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
  // Before the count moves: the first value sets both ends.
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
  // Appends the sums of the run that follows this one (Chan's pairwise update). A run merged
  // with an empty one keeps its sums exactly.
  void Merge(const Summary_Sums& next) {
    if (next.beyond > 0) {
      if (beyond == 0 || next.beyond_low < beyond_low) beyond_low = next.beyond_low;
      if (beyond == 0 || next.beyond_high > beyond_high) beyond_high = next.beyond_high;
      beyond += next.beyond;
    }
    if (next.n == 0) return;
    if (n == 0) {
      n = next.n;
      sum = next.sum;
      mean = next.mean;
      squares = next.squares;
      low = next.low;
      high = next.high;
      return;
    }
    if (next.low < low) low = next.low;
    if (next.high > high) high = next.high;
    const double total = static_cast<double>(n) + next.n;
    const double delta = next.mean - mean;
    sum += next.sum;
    mean += delta * (next.n / total);
    squares += next.squares + delta * delta * (static_cast<double>(n) * next.n / total);
    n += next.n;
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

// The most pieces whose sums one thread works out side by side. The running mean is a chain
// of dependent divisions, one per value, whose latency bounds one piece; the chains of a few
// pieces interleaved keep the divider busy. Each piece's sums are the same whichever pieces
// run beside it, so how many do is free to follow the number of threads.
constexpr std::size_t Side_By_Side = 4;
// Values of each piece gathered at a time (a multiple of 64, as For_Each_Index_In wants).
constexpr std::size_t Sum_Block = 2048;

// Adds value j of every run to its sums, j = 0, 1, ... over the runs' common length, with the
// sums of the Side runs kept in registers (the chains then overlap), then the rest of each run
// on its own.
template <bool With_Stats, std::size_t Side>
static void Add_Interleaved(const double (*values)[Sum_Block], const std::size_t* counts,
                            Summary_Sums* sums) {
  std::size_t common = counts[0];
  for (std::size_t k = 1; k < Side; ++k) common = std::min(common, counts[k]);
  std::array<Summary_Sums, Side> local;
  for (std::size_t k = 0; k < Side; ++k) local[k] = sums[k];
  auto add = [](Summary_Sums& s, double v) {
    s.Add_Range(v);  // before the count moves: the first value sets both ends
    if constexpr (With_Stats) {
      s.Add_Stats(v);
    } else {
      ++s.n;
    }
  };
  for (std::size_t j = 0; j < common; ++j) {
    for (std::size_t k = 0; k < Side; ++k) add(local[k], values[k][j]);
  }
  for (std::size_t k = 0; k < Side; ++k) {
    for (std::size_t j = common; j < counts[k]; ++j) add(local[k], values[k][j]);
    sums[k] = local[k];
  }
}

template <bool With_Stats>
static void Run_Side_By_Side(const double (*values)[Sum_Block], const std::size_t* counts,
                             std::size_t side, Summary_Sums* sums) {
  switch (side) {
    case 4:
      Add_Interleaved<With_Stats, 4>(values, counts, sums);
      break;
    case 3:
      Add_Interleaved<With_Stats, 3>(values, counts, sums);
      break;
    case 2:
      Add_Interleaved<With_Stats, 2>(values, counts, sums);
      break;
    default:
      Add_Interleaved<With_Stats, 1>(values, counts, sums);
  }
}

// Adds the selected values of pieces first..first + side - 1 (1 <= side <= Side_By_Side) of
// column `column` (n points) to sums[first..]: each piece's values in point order, taken in
// blocks, the blocks of the pieces interleaved.
template <bool With_Stats>
static void Sum_Pieces(const TC_Data_Buffer& buffer, const Packed_Values& column, std::size_t n,
                       std::size_t first, std::size_t side, Summary_Sums* sums) {
  double values[Side_By_Side][Sum_Block];
  std::size_t counts[Side_By_Side];
  // The quick conversion rounds as the default rounding mode does.
  const bool nearest = std::fegetround() == FE_TONEAREST;
  for (std::size_t offset = 0; offset < Chunk_Points; offset += Sum_Block) {
    for (std::size_t k = 0; k < side; ++k) {
      counts[k] = 0;
      const std::size_t piece = first + k;
      const std::size_t begin = piece * Chunk_Points + offset;
      const std::size_t end = std::min({n, begin + Sum_Block, (piece + 1) * Chunk_Points});
      if (begin >= end) continue;
      Summary_Sums& s = sums[piece];
      double* const to = values[k];
      std::size_t& count = counts[k];
      buffer.For_Each_Index_In(begin, end, [&](std::size_t i) {
        if (nearest && column.Nearest_Double(i, to[count])) {
          ++count;
          return;
        }
        const long double x = column[i];
        const auto v = static_cast<double>(x);
        if (std::isfinite(v)) {
          to[count++] = v;
        } else if (!Missing_Value(x)) {
          s.Add_Beyond(x);
        }
      });
    }
    Run_Side_By_Side<With_Stats>(values, counts, side, sums + first);
  }
}

// The sums of column c over the selected points: per piece of Chunk_Points points, merged in
// piece order, so that the arithmetic does not depend on the number of threads.
template <bool With_Stats>
static Summary_Sums Sum_Column(const TC_Data_Buffer& buffer, int c) {
  const auto n = static_cast<std::size_t>(buffer.Point_Count());
  const std::size_t pieces = Chunk_Count(n);
  std::vector<Summary_Sums> sums(pieces);
  const Packed_Values column = buffer.Column_Data(c);
  // Enough groups to keep every thread busy.
  const auto threads = static_cast<std::size_t>(Thread_Count());
  const std::size_t side = pieces >= 8 * threads ? Side_By_Side : (pieces >= 4 * threads ? 2 : 1);
  const std::size_t groups = (pieces + side - 1) / side;
  auto group = [&](std::size_t g) {
    const std::size_t first = g * side;
    Sum_Pieces<With_Stats>(buffer, column, n, first, std::min(side, pieces - first), sums.data());
  };
  if (n < Parallel_Threshold) {
    for (std::size_t g = 0; g < groups; ++g) group(g);
  } else {
    Parallel_For(groups, group);
  }
  Summary_Sums total;
  for (const Summary_Sums& piece : sums) total.Merge(piece);
  return total;
}

TC_Data_Buffer::Stats TC_Data_Buffer::Column_Stats(int c) const {
  return Sum_Column<true>(*this, c).Stats();
}

TC_Data_Buffer::Range TC_Data_Buffer::Column_Range(int c) const {
  return Sum_Column<false>(*this, c).Range();
}

TC_Data_Buffer::Summary TC_Data_Buffer::Column_Summary(int c) const {
  const Summary_Sums sums = Sum_Column<true>(*this, c);
  return {sums.Stats(), sums.Range()};
}

const std::string& TC_Data_Buffer::Get_Title(int c) const {
  return storage_->titles[c - 1];
}

int TC_Data_Buffer::Get_Decimals(int c) const {
  return storage_->decimals[c - 1];
}

long double TC_Data_Buffer::Parse_Value(std::string_view text) const {
  return Field_Value(text, Date_Offset);
}

}  // namespace pw
