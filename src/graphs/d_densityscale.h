// The scales of a density layer: which entry of its colour map each count per pixel takes.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pw {

enum class Density_Scale { Log, Linear, Eq };

// "log", "linear" or "eq", letters in any case; false (`scale` untouched) for anything else.
bool Density_Scale_By_Name(std::string_view name, Density_Scale& scale);
// The name in lower case, as Density_Scale_By_Name takes it.
const char* Density_Scale_Name(Density_Scale scale);

// The map entries (0..255) of the counts of one picture. With M the largest count, m the
// smallest count above 0, P the number of pixels with a count and F(c) the number of pixels
// whose count is 1 to c:
// - M = 1 (every pixel with a point has exactly one): entry 255 on every scale;
// - linear: floor(255 (c - 1) / (M - 1) + 1/2), in whole numbers (1 gives 0, M gives 255);
// - log: floor(255 ln c / ln M + 1/2), in double precision (1 gives 0, M gives 255);
// - eq (histogram equalization): floor(255 (F(c) - F(m)) / (P - F(m)) + 1/2), in whole
//   numbers: each count's entry follows the share of pixels with a smaller or equal count, so
//   every entry range holds about as many pixels as every other. m gives 0, M gives 255; when
//   all pixels share one count (P = F(m)) it gives 255.
class Density_Levels {
 public:
  // From the counts per pixel (0: no point there), those of `counts` and of `more` together
  // (the pixels of one picture may come in two lists). No count at all: Largest and
  // Smallest 0.
  Density_Levels(Density_Scale scale, std::span<const std::uint32_t> counts,
                 std::span<const std::uint32_t> more = {});

  std::uint32_t Largest() const { return largest_; }
  std::uint32_t Smallest() const { return smallest_; }
  // The entry of count c, for 1 <= c <= Largest (eq: any such c, present or not).
  int Entry(std::uint32_t c) const {
    return c < table_.size() ? table_[c] : Compute(c);
  }

 private:
  int Compute(std::uint32_t c) const;
  // F(c) of eq.
  std::uint64_t Pixels_Up_To(std::uint32_t c) const;

  Density_Scale scale_;
  std::uint32_t largest_ = 0, smallest_ = 0;
  std::uint64_t pixels_ = 0;
  // eq: F(c) for c below cumulative_.size(); the counts beyond it, sorted.
  std::vector<std::uint64_t> cumulative_;
  std::vector<std::uint32_t> beyond_;
  // The entries of the counts below its size (the usual counts), worked out once.
  std::vector<std::uint8_t> table_;
};

}  // namespace pw
