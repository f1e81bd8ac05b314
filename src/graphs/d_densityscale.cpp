// The scales of a density layer.
#include "graphs/d_densityscale.h"

#include <algorithm>
#include <cmath>

#include "setup/D_Name_Table.h"

namespace pw {

namespace {

// Counts up to this many have their entries worked out beforehand; larger ones (a few pixels
// under very many points) are worked out where they occur.
constexpr std::uint32_t Table_Counts = 65536;
constexpr int Top_Entry = 255;

constexpr Named_Value<Density_Scale> kNames[] = {
    {"log", Density_Scale::Log}, {"linear", Density_Scale::Linear}, {"eq", Density_Scale::Eq}};

// floor(255 part / whole + 1/2) for 0 <= part <= whole, whole > 0.
int Share_Of(std::uint64_t part, std::uint64_t whole) {
  return static_cast<int>((part * Top_Entry * 2 + whole) / (whole * 2));
}

}  // namespace

bool Density_Scale_By_Name(std::string_view name, Density_Scale& scale) {
  return Value_By_Name(kNames, name, scale);
}

const char* Density_Scale_Name(Density_Scale scale) { return Name_Of_Value(kNames, scale); }

Density_Levels::Density_Levels(Density_Scale scale, std::span<const std::uint32_t> counts,
                               std::span<const std::uint32_t> more)
    : scale_(scale) {
  const std::span<const std::uint32_t> lists[] = {counts, more};
  for (const auto& list : lists) {
    for (std::uint32_t c : list) {
      if (c == 0) continue;
      ++pixels_;
      if (c > largest_) largest_ = c;
      if (smallest_ == 0 || c < smallest_) smallest_ = c;
    }
  }
  if (largest_ == 0) return;
  const std::uint32_t table_end = std::min(largest_, Table_Counts) + 1;
  if (scale_ == Density_Scale::Eq) {
    cumulative_.assign(table_end, 0);
    for (const auto& list : lists) {
      for (std::uint32_t c : list) {
        if (c == 0) continue;
        if (c < table_end) {
          ++cumulative_[c];
        } else {
          beyond_.push_back(c);
        }
      }
    }
    for (std::size_t c = 1; c < cumulative_.size(); ++c) cumulative_[c] += cumulative_[c - 1];
    std::sort(beyond_.begin(), beyond_.end());
  }
  table_.resize(table_end);
  for (std::uint32_t c = 1; c < table_end; ++c) table_[c] = static_cast<std::uint8_t>(Compute(c));
}

std::uint64_t Density_Levels::Pixels_Up_To(std::uint32_t c) const {
  if (c < cumulative_.size()) return cumulative_[c];
  return cumulative_.back() +
         static_cast<std::uint64_t>(std::upper_bound(beyond_.begin(), beyond_.end(), c) -
                                    beyond_.begin());
}

int Density_Levels::Compute(std::uint32_t c) const {
  if (largest_ <= 1) return Top_Entry;
  switch (scale_) {
    case Density_Scale::Linear:
      return Share_Of(c - 1, largest_ - 1);
    case Density_Scale::Log:
      return static_cast<int>(
          std::floor(Top_Entry * std::log(static_cast<double>(c)) /
                         std::log(static_cast<double>(largest_)) +
                     0.5));
    case Density_Scale::Eq:
      break;
  }
  const std::uint64_t below = Pixels_Up_To(smallest_);
  if (pixels_ == below) return Top_Entry;
  const std::uint64_t up_to = Pixels_Up_To(c);
  return Share_Of(up_to > below ? up_to - below : 0, pixels_ - below);
}

}  // namespace pw
