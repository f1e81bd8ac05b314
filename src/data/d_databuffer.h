// The data buffer: every point of the data file in memory, with the current selection.
//
// One contiguous array of long double per column, one array of fixed 31-character text slots
// per selector, grown in steps of NPts points. Graphs set Selection, then read values; a point
// that fails the selection reads as Missing.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "draw/D_Math.h"

namespace pw {

class TC_File_Def;

// Longest selector text kept per point.
inline constexpr int Max_Text_Length = 31;

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

  // Loads the file through the definition. Conversion errors stop the load at that line and
  // keep the points before it; no point at all raises the fatal
  // "No points in data buffer loaded from " + file name.
  void Load_File(const std::string& file_name, const TC_File_Def& def,
                 const Progress_Fn& progress = {});

  std::int32_t Point_Count() const { return point_count_; }
  // Points the storage holds before it grows: a whole number of NPts steps.
  std::int32_t Capacity() const;
  int Column_Count() const { return column_count_; }
  int Selector_Count() const { return selector_count_; }

  void Set_Selection(const T_Selection& selection);
  const T_Selection& Selection() const { return selection_; }

  // Points p are 1..Point_Count, columns c 1..Column_Count, selectors j 1..Selector_Count;
  // these are not checked.
  // Inline: drawing loops call these for every point of every graph.
  bool Is_Selected(std::int32_t p) const { return select_all_ || Check_Selection(p); }
  long double Get_Value(std::int32_t p, int c) const {
    return Is_Selected(p) ? values_[c - 1][p - 1] : Missing;
  }
  // The stored value whatever the selection.
  long double Raw_Value(std::int32_t p, int c) const { return values_[c - 1][p - 1]; }
  std::string_view Get_Text(std::int32_t p, int j) const;

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
  // Over the selected points with a value in column c.
  Stats Column_Stats(int c) const;
  Range Column_Range(int c) const;

  const std::string& Get_Title(int c) const;
  int Get_Decimals(int c) const;

  // A field as a time (plus Date_Offset) or a number; raises the conversion error otherwise.
  long double Parse_Value(std::string_view text) const;

 private:
  struct Storage;
  class Loader;
  // A selector text slot: up to 31 characters, zero padded, the length in the last byte.
  static constexpr int Slot_Size = 32;

  bool Check_Selection(std::int32_t p) const;
  void Prepare_Selection();
  // Re-points values_ and texts_ at the storage after it moved.
  void Refresh_Views();

  std::int32_t point_count_ = 0;
  int column_count_ = 0;
  int selector_count_ = 0;
  T_Selection selection_;
  std::unique_ptr<Storage> storage_;

  // Views into storage_ (not owning), one per column and per selector.
  std::vector<long double*> values_;
  std::vector<char*> texts_;

  // The selection reduced to what Is_Selected has to test, built by Set_Selection.
  bool select_all_ = true;
  std::vector<int> required_;  // 0-based columns that must have a value
  std::vector<int> banned_;    // 0-based columns that must be missing
  struct Key_Test {
    int selector;                // 0-based
    std::array<char, 32> slot;   // the text as a stored slot would hold it
  };
  std::vector<Key_Test> keys_;
  bool never_ = false;  // a key text longer than any stored text: nothing passes
};

}  // namespace pw
