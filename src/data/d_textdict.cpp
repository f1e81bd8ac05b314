#include "data/d_textdict.h"

#include <algorithm>
#include <cstring>

namespace pw {

namespace {

constexpr std::size_t First_Block = 4096;
constexpr std::size_t Largest_Block = std::size_t{1} << 20;
constexpr std::size_t First_Table = 64;

}  // namespace

TC_Text_Dictionary::TC_Text_Dictionary() : table_(First_Table, None) {}
TC_Text_Dictionary::~TC_Text_Dictionary() = default;

// Selector texts are short (a few to 124 bytes) and looked up once per point while loading, so
// the hash takes eight bytes at a time with one multiplication each, and mixes the result once
// at the end (the finaliser of splitmix64): several times cheaper than a general byte hash on
// such texts, and the low bits that pick the slot depend on every byte.
std::size_t TC_Text_Dictionary::Hash(std::string_view text) {
  const char* p = text.data();
  std::size_t left = text.size();
  std::uint64_t h = 0x9E3779B97F4A7C15ull * (left + 1);
  for (; left >= 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 31;
  }
  if (left > 0) {
    std::uint64_t word = 0;
    for (std::size_t i = 0; i < left; ++i) {
      word |= std::uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
    }
    h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
  }
  h = (h ^ (h >> 30)) * 0x94D049BB133111EBull;
  return static_cast<std::size_t>(h ^ (h >> 31));
}

// The slot holding `text`, or the empty slot where it would go.
std::size_t TC_Text_Dictionary::Slot_Of(std::string_view text, std::size_t hash) const {
  const std::size_t mask = table_.size() - 1;
  for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t id = table_[slot];
    if (id == None || Text(id) == text) return slot;
  }
}

std::uint32_t TC_Text_Dictionary::Find(std::string_view text) const {
  if (text.size() > Max_Text_Bytes) return None;
  return table_[Slot_Of(text, Hash(text))];
}

std::uint32_t TC_Text_Dictionary::Add(std::string_view text) {
  const std::size_t hash = Hash(text);
  std::size_t slot = Slot_Of(text, hash);
  if (table_[slot] != None) return table_[slot];
  // Room first, so that running out of memory leaves the dictionary as it was.
  if ((texts_.size() + 1) * 10 > table_.size() * 7) {
    Grow_Table();
    slot = Slot_Of(text, hash);
  }
  if (texts_.size() == texts_.capacity())
    texts_.reserve(std::max<std::size_t>(16, texts_.size() * 2));
  const unsigned char* record = Store(text);
  const auto id = static_cast<std::uint32_t>(texts_.size());
  texts_.push_back(record);
  table_[slot] = id;
  return id;
}

const unsigned char* TC_Text_Dictionary::Store(std::string_view text) {
  const std::size_t need = text.size() + 1;
  if (blocks_.empty() || block_sizes_.back() - block_used_ < need) {
    const std::size_t size =
        blocks_.empty() ? First_Block : std::min(Largest_Block, block_sizes_.back() * 2);
    if (block_sizes_.size() == block_sizes_.capacity()) {
      block_sizes_.reserve(std::max<std::size_t>(4, block_sizes_.size() * 2));
      blocks_.reserve(block_sizes_.capacity());
    }
    blocks_.push_back(std::make_unique<unsigned char[]>(size));
    block_sizes_.push_back(size);
    block_used_ = 0;
  }
  unsigned char* record = blocks_.back().get() + block_used_;
  record[0] = static_cast<unsigned char>(text.size());
  if (!text.empty()) std::memcpy(record + 1, text.data(), text.size());
  block_used_ += need;
  return record;
}

void TC_Text_Dictionary::Grow_Table() {
  std::vector<std::uint32_t> table(table_.size() * 2, None);
  const std::size_t mask = table.size() - 1;
  for (std::uint32_t id = 0; id < texts_.size(); ++id) {
    std::size_t slot = Hash(Text(id)) & mask;
    while (table[slot] != None) slot = (slot + 1) & mask;
    table[slot] = id;
  }
  table_.swap(table);
}

void TC_Text_Dictionary::Clear() {
  texts_.clear();
  std::fill(table_.begin(), table_.end(), None);
  if (blocks_.size() > 1) {
    // Keep the largest block only: the next use is likely of the same size.
    blocks_.front() = std::move(blocks_.back());
    block_sizes_.front() = block_sizes_.back();
    blocks_.resize(1);
    block_sizes_.resize(1);
  }
  block_used_ = 0;
}

std::size_t TC_Text_Dictionary::Bytes() const {
  std::size_t bytes = sizeof(*this) + table_.capacity() * sizeof(std::uint32_t) +
                      texts_.capacity() * sizeof(const unsigned char*);
  for (std::size_t size : block_sizes_) bytes += size;
  return bytes;
}

}  // namespace pw
