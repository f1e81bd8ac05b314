// The data buffer: every point of the data file in memory, with the current selection.
//
// One contiguous array of extended numbers per column (see Packed_Values) and, per selector, a
// dictionary of its distinct texts (of at most 31 characters) with one text number per point;
// the arrays grow in steps of NPts points. Graphs set Selection, then read values; a point
// that fails the selection reads as Missing.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "draw/D_Math.h"

namespace pw {

class TC_File_Def;
class TC_Byte_Source;
class TC_Text_Dictionary;
struct Load_Options;

// Longest selector text kept per point, in characters (see utf8_chars.h).
inline constexpr int Max_Text_Length = 31;

// A column of extended numbers stored 10 bytes apart: the 80 bits of the number without the
// six bytes of padding a long double carries in memory, which saves well over a third of the
// buffer. The x87 unit loads and stores the 10 bytes directly at any address.
class Packed_Values {
 public:
  static constexpr std::size_t Bytes = 10;
  // Bytes an array of n values needs (reads and writes go through a 16-byte type, so the last
  // value keeps some slack behind it).
  static constexpr std::size_t Array_Bytes(std::size_t n) { return n * Bytes + 16; }

  Packed_Values() = default;
  explicit Packed_Values(char* base) : base_(base) {}
  long double operator[](std::size_t i) const { return Cell_At(i)->value; }
  // Writes exactly the 10 bytes of value i: threads fill neighbouring values at once while
  // loading, and a store through the 16-byte type may count as touching its neighbour.
  void Set(std::size_t i, long double v) const {
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    // Stored by the x87 unit itself. A copy goes through a 10-byte store on the stack read back
    // as 8 and 2 bytes, which the processor cannot forward: the load waits for the store to
    // retire, on every field of the load. (The sanitizers see the copy below.)
    struct Ten_Bytes {
      char bytes[Bytes];
    };
    asm("fstpt %0" : "=m"(*reinterpret_cast<Ten_Bytes*>(base_ + i * Bytes)) : "t"(v) : "st");
#else
    std::memcpy(base_ + i * Bytes, &v, Bytes);
#endif
  }
  // Value i as a double cut short (not rounded) to 53 significant bits, so within 2^-52 of it
  // relatively, taken from its bits without the x87 unit (for the quick quotients of the
  // drawing passes). False unless its magnitude is a normal double: zero, values beyond the
  // double range, infinities and Missing give false.
  bool Near_Double(std::size_t i, double& d) const {
    std::uint64_t mantissa;
    std::uint16_t sign_exponent;
    std::memcpy(&mantissa, base_ + i * Bytes, 8);
    std::memcpy(&sign_exponent, base_ + i * Bytes + 8, 2);
    const int exponent = (sign_exponent & 0x7FFF) - 16383 + 1023;
    if (exponent < 1 || exponent > 2046 || (mantissa >> 63) == 0) return false;
    const std::uint64_t bits = std::uint64_t{sign_exponent} >> 15 << 63 |
                               static_cast<std::uint64_t>(exponent) << 52 | (mantissa << 1) >> 12;
    std::memcpy(&d, &bits, 8);
    return true;
  }
  // Value i rounded to the nearest double, halves to even: what static_cast<double> gives in
  // the default rounding mode, taken from its bits without the x87 unit. False (d untouched)
  // unless the result is a normal double: zero, subnormal results, results beyond the double
  // range, infinities and Missing give false.
  bool Nearest_Double(std::size_t i, double& d) const {
    std::uint64_t mantissa;
    std::uint16_t sign_exponent;
    std::memcpy(&mantissa, base_ + i * Bytes, 8);
    std::memcpy(&sign_exponent, base_ + i * Bytes + 8, 2);
    std::int64_t exponent = (sign_exponent & 0x7FFF) - 16383 + 1023;
    if (exponent < 1 || exponent > 2046 || (mantissa >> 63) == 0) return false;
    std::uint64_t top = mantissa >> 11;  // 53 bits, the leading one included
    // Up when the 11 bits cut off are above a half, or a half with an odd top: no branch (the
    // bits are as likely one way as the other).
    top += ((mantissa & 0x7FF) + 0x3FF + (top & 1)) >> 11;
    if (top >> 53 != 0) {  // rounded up to the next power of two
      top >>= 1;
      if (++exponent > 2046) return false;
    }
    const std::uint64_t bits = std::uint64_t{sign_exponent} >> 15 << 63 |
                               static_cast<std::uint64_t>(exponent) << 52 |
                               (top & ((std::uint64_t{1} << 52) - 1));
    std::memcpy(&d, &bits, 8);
    return true;
  }

 private:
  struct __attribute__((packed)) Cell {
    long double value;
  };
  static_assert(std::numeric_limits<long double>::digits == 64, "80-bit long double expected");
  Cell* Cell_At(std::size_t i) const { return reinterpret_cast<Cell*>(base_ + i * Bytes); }

  char* base_ = nullptr;
};

// Which points count. Key condition k (0..2 for the keys "Key1".."Key3") is on when
// Key_Sel[k] is not 0: the text of selector Key_Sel[k] must equal Key_Text[k] exactly.
struct T_Selection {
  std::bitset<136> Required;  // columns that must have a value
  std::bitset<136> Banned;    // columns that must be missing
  std::array<int, 3> Key_Sel{};
  std::array<std::string, 3> Key_Text;  // T_SelArr
};

// Called with the fraction of the file read so far, at most about ten times a second.
using Progress_Fn = std::function<void(double fraction)>;

class TC_Data_Buffer {
 public:
  TC_Data_Buffer();
  ~TC_Data_Buffer();
  TC_Data_Buffer(const TC_Data_Buffer&) = delete;
  TC_Data_Buffer& operator=(const TC_Data_Buffer&) = delete;

  // Loads the file through the definition (its table form included). Conversion errors stop
  // the load at that line and keep the points before it; a quoted field open at its line's
  // end stops it with "Quote not closed in line " + the line's number in the file (from 1,
  // header and comment lines counted) + " of " + file name; no point at all raises the fatal
  // "No points in data buffer loaded from " + file name. A file that starts with the gzip or
  // zstd magic bytes is decompressed while it is read (d_decode.h), whatever its name;
  // damaged data stop the load like a read error ("Cannot read data file " + name + ": " +
  // the reason) after the whole lines before them. The lines are parsed on up to
  // Thread_Count() threads; every outcome (values, texts, messages, the points kept) is the
  // one of a load on one thread. `progress` is called on the calling thread only, with the
  // fraction of the file's bytes (compressed bytes for a compressed file) read so far.
  void Load_File(const std::string& file_name, const TC_File_Def& def,
                 const Progress_Fn& progress = {});
  // Load_File from an open source (standard input, say), read to its end and named `name`
  // in messages; compressed data are detected and decompressed as by Load_File.
  void Load_Stream(TC_Byte_Source& raw, const std::string& name, const TC_File_Def& def,
                   const Progress_Fn& progress = {});
  // Load_File from any byte source (named `name` in messages), with the choices of
  // d_loader.h. Returns the bytes of the source taken by the lines read.
  std::uint64_t Load_Source(TC_Byte_Source& source, const std::string& name,
                            const TC_File_Def& def, const Progress_Fn& progress,
                            const Load_Options& options);
  // Load_Source from the source `open` returns (it must outlive the load), called once the
  // first room for points is there: as in Load_File, a growth step that cannot be had is
  // reported before the file is opened, and a file that cannot be opened leaves the buffer
  // emptied for the definition.
  std::uint64_t Load_Opened(const std::string& name, const TC_File_Def& def,
                            const Progress_Fn& progress, const Load_Options& options,
                            const std::function<TC_Byte_Source&()>& open);

  // Forgets the points after the first `count`, as if they had never been loaded (a load
  // that went on from there is to be made again); a count outside 0..Point_Count does nothing.
  // Their texts stay in the selectors' dictionaries, where no point refers to them.
  void Keep_Points(std::int32_t count);

  std::int32_t Point_Count() const { return point_count_; }
  // Points the storage holds before it grows: a whole number of NPts steps.
  std::int32_t Capacity() const;
  int Column_Count() const { return column_count_; }
  int Selector_Count() const { return selector_count_; }

  // Applies to every later read until the next call, across loads too. Bits of columns past
  // Column_Count are ignored; a key on a selector out of range, or with a text no point holds
  // (one longer than 31 characters among them), selects no point at all. Above
  // Parallel_Threshold points the selection is worked out on several threads.
  void Set_Selection(const T_Selection& selection);
  const T_Selection& Selection() const { return selection_; }

  // Points p are 1..Point_Count, columns c 1..Column_Count, selectors j 1..Selector_Count;
  // these are not checked.
  // Inline: drawing loops call these for every point of every graph.
  bool Is_Selected(std::int32_t p) const { return select_all_ || Mask_Bit(p - 1); }
  long double Get_Value(std::int32_t p, int c) const {
    return Is_Selected(p) ? values_[c - 1][p - 1] : Missing;
  }
  // The stored value whatever the selection.
  long double Raw_Value(std::int32_t p, int c) const { return values_[c - 1][p - 1]; }
  // The stored values of column c whatever the selection, Point_Count of them (point p at
  // index p - 1); valid until the next load.
  Packed_Values Column_Data(int c) const { return values_[c - 1]; }
  // The text of selector j at point p, valid until the next load.
  std::string_view Get_Text(std::int32_t p, int j) const;
  // Memory the points take: the values, the text numbers and the dictionaries, in bytes.
  std::size_t Storage_Bytes() const;

  struct Stats {
    std::int32_t n = 0;
    long double mean;       // Missing when n = 0
    long double deviation;  // Missing when n = 0, 0 when n = 1
  };
  struct Range {
    std::int32_t n = 0;
    long double minimum;  // Missing when n = 0
    long double maximum;
  };
  // Over the selected points with a value in column c. The statistics are summed in double
  // precision and leave out values beyond its range (about 1.8E308). The range takes every
  // value: its extremes are doubles where they fit (so a value may lie a hair outside them,
  // on them at their precision: Lowest_On, Highest_On) and a value beyond the double range
  // counts at full precision, so the range's n may be larger than the statistics' n.
  // The points are taken in pieces of Chunk_Points (parallel.h), each summed on its own and
  // the pieces merged in order, on several threads above Parallel_Threshold points: the
  // results are the same bit for bit on any number of threads.
  Stats Column_Stats(int c) const;
  Range Column_Range(int c) const;
  // Column_Stats and Column_Range in one pass, with exactly their results.
  struct Summary {
    Stats stats;
    Range range;
  };
  Summary Column_Summary(int c) const;

  // Calls f(value) for the value of column c of every selected point in point order, missing
  // values included (they are passed as stored). The selection test is hoisted out of the
  // loop, so this is the fast way for a drawing loop to walk a column.
  template <typename F>
  void For_Each_Selected(int c, F&& f) const {
    const Packed_Values column = values_[c - 1];
    For_Each_Index([&](std::size_t i) { f(column[i]); });
  }
  // Calls f(i) with the 0-based index of every selected point, in point order.
  template <typename F>
  void For_Each_Index(F&& f) const {
    For_Each_Index_In(0, static_cast<std::size_t>(point_count_), std::forward<F>(f));
  }
  // The same for the 0-based indexes in [begin, end); `begin` is a multiple of 64 and `end`
  // either a multiple of 64 not past Point_Count or Point_Count itself (not checked). Pieces of
  // a pass on several threads use it.
  template <typename F>
  void For_Each_Index_In(std::size_t begin, std::size_t end, F&& f) const {
    if (select_all_) {
      for (std::size_t i = begin; i < end; ++i) f(i);
      return;
    }
    const std::uint64_t* const words = mask_->data();
    const std::size_t word_end = (end + 63) / 64;
    for (std::size_t w = begin / 64; w < word_end; ++w) {
      std::uint64_t bits = words[w];
      while (bits != 0) {
        f(w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits)));
        bits &= bits - 1;
      }
    }
  }

  // Of column c (1..Column_Count, not checked), as the file definition gave them, also after
  // a load that failed; the title may be empty.
  const std::string& Get_Title(int c) const;
  int Get_Decimals(int c) const;

  // A field as a time (plus Date_Offset) or a number; raises the conversion error otherwise.
  long double Parse_Value(std::string_view text) const;

 private:
  struct Storage;
  class Loader;

  bool Check_Selection(std::int32_t p) const;
  void Prepare_Selection();
  // The number of the UTF-8 `text` in selector j's (0-based) dictionary, or None.
  std::uint32_t Find_Text(int j, const std::string& text) const;
  bool Mask_Bit(std::size_t i) const { return ((*mask_)[i >> 6] >> (i & 63)) & 1; }
  // Points the mask at the selected points of the prepared selection, from the cache or
  // worked out now (one pass over the keys' texts and the tested columns).
  void Select_Mask();
  // Re-points values_ and text_ids_ at the storage after it moved.
  void Refresh_Views();
  // Empties the buffer and sizes it for the definition's columns and selectors.
  void Reset_For(const TC_File_Def& def);
  std::uint64_t Run_Load(const std::string& name, const TC_File_Def& def,
                         const Progress_Fn& progress, const Load_Options& options,
                         const std::function<TC_Byte_Source&()>& open);

  std::int32_t point_count_ = 0;
  int column_count_ = 0;
  int selector_count_ = 0;
  T_Selection selection_;
  std::unique_ptr<Storage> storage_;

  // Views into storage_ (not owning), one per column and per selector.
  std::vector<Packed_Values> values_;
  std::vector<std::uint32_t*> text_ids_;

  // The selection reduced to what Is_Selected has to test, built by Set_Selection.
  bool select_all_ = true;
  std::vector<int> required_;  // 0-based columns that must have a value
  std::vector<int> banned_;    // 0-based columns that must be missing
  struct Key_Test {
    int selector;      // 0-based
    std::uint32_t id;  // the number of the key's text in the selector's dictionary
    bool operator==(const Key_Test&) const = default;
  };
  std::vector<Key_Test> keys_;
  bool never_ = false;  // a key text no point holds: nothing passes

  // One bit per point, set for the points that pass a selection. Graphs set the same few
  // selections over and over (limits, statistics, drawing), so the masks of the latest
  // selections are kept until the next load: a pass then tests one bit per point instead of
  // comparing texts and reading the tested columns.
  struct Mask_Entry {
    std::vector<int> required, banned;
    std::vector<Key_Test> keys;
    bool never;
    std::vector<std::uint64_t> bits;
  };
  std::vector<Mask_Entry> masks_;  // the most recently used last
  const std::vector<std::uint64_t>* mask_ = nullptr;
};

}  // namespace pw
