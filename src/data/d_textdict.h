// The distinct texts of one selector, each stored once.
//
// A selector column usually holds a few texts many times over (a site, a group, a sample
// kind). Each point then keeps only the small number of its text in the dictionary, and a Key
// condition is one comparison of numbers per point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace pw {

class TC_Text_Dictionary {
 public:
  // The number Find gives for a text that is not there.
  static constexpr std::uint32_t None = UINT32_MAX;
  // Longest text a dictionary holds, in bytes (a selector text of 31 characters has at most
  // 124).
  static constexpr std::size_t Max_Text_Bytes = 255;

  TC_Text_Dictionary();
  ~TC_Text_Dictionary();
  TC_Text_Dictionary(const TC_Text_Dictionary&) = delete;
  TC_Text_Dictionary& operator=(const TC_Text_Dictionary&) = delete;
  // Texts already handed out stay valid in the dictionary moved to.
  TC_Text_Dictionary(TC_Text_Dictionary&&) noexcept = default;
  TC_Text_Dictionary& operator=(TC_Text_Dictionary&&) noexcept = default;

  // The number of `text`: the one it already has, else the next free one (0, 1, 2, ... in the
  // order texts are first added). `text` has at most Max_Text_Bytes bytes. Raises
  // std::bad_alloc when memory runs out; the dictionary is then unchanged.
  std::uint32_t Add(std::string_view text);
  // The number of `text`, or None when it was never added.
  std::uint32_t Find(std::string_view text) const;
  // The text of number `id` (below Size(), not checked); stays valid while the dictionary
  // lives, whatever is added later.
  std::string_view Text(std::uint32_t id) const {
    const unsigned char* record = texts_[id];
    return {reinterpret_cast<const char*>(record + 1), record[0]};
  }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(texts_.size()); }
  // Forgets every text; the room already taken is kept for the texts to come.
  void Clear();
  // Bytes of memory the dictionary holds.
  std::size_t Bytes() const;

 private:
  static std::size_t Hash(std::string_view text);
  std::size_t Slot_Of(std::string_view text, std::size_t hash) const;
  const unsigned char* Store(std::string_view text);
  void Grow_Table();

  // Each text as one length byte and its bytes, in blocks that never move.
  std::vector<std::unique_ptr<unsigned char[]>> blocks_;
  std::vector<std::size_t> block_sizes_;
  std::size_t block_used_ = 0;               // bytes taken in the last block
  std::vector<const unsigned char*> texts_;  // by number
  // Open addressing with linear probing: numbers, None where empty; a power of two long.
  std::vector<std::uint32_t> table_;
};

}  // namespace pw
