// The data read in batches of whole lines, the next batch read while this one is parsed.
//
// A batch buffer holds the bytes of many lines; its whole lines are handed out as one block,
// and the unfinished line at its end moves on to the next batch. A line longer than a batch
// is handed out on its own by its first part. A byte-order mark at the start of the file is
// skipped, and a character with code 26 ends the data. When reading fails, the whole lines
// read before are still handed out; the source's error is raised after them (an unfinished
// line before the failure is dropped: it may have been cut anywhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "data/d_bytesource.h"
#include "setup/D_String.h"

namespace pw {

class TC_Line_Batches {
 public:
  // A stripped line of more bytes than this has more than 65535 characters (4 bytes at most
  // make one), whatever they are.
  static constexpr std::size_t Longest_Line_Bytes = 4 * Max_Field_Text;

  struct Block {
    // Whole lines, each ending in a line feed but the last, which may end with the data;
    // Split_Padding bytes past the end are readable.
    std::string_view lines;
    // One line longer than a batch: `lines` holds it from its first byte that is not blank
    // (a space or control character), at most Longest_Line_Bytes of it, with a line feed;
    // the kept blank byte (see the constructor) is kept in front, at most Max_Fields of it.
    bool long_line = false;
    // (long_line) something other than blanks follows those bytes: the line is too long.
    bool too_long = false;
  };

  // Reads from `source` (which must outlive this) in batches of `batch_bytes` (> 0) bytes.
  // `at_file_start`: the source starts at the file's first byte, where a byte-order mark is
  // skipped. `keep_unfinished_line`: a last line without a line end is not handed out (a
  // line cut short by code 26 still is). `kept_blank`: a blank byte that separates fields (a
  // tab delimiter), whose place at the front of a line counts; 0 for none.
  TC_Line_Batches(TC_Byte_Source& source, std::size_t batch_bytes, bool at_file_start,
                  bool keep_unfinished_line, char kept_blank = 0);

  // The next block; false at the end of the data. Raises the source's error once the whole
  // lines read before it have been handed out.
  bool Next(Block& block);
  // Whether Read_Ahead may be called for the block Next gave.
  bool Can_Read_Ahead() const { return pending_ > 0 && !at_end_; }
  // Reads the next batch. Touches nothing of the block Next gave, so it may run on another
  // thread while that block is parsed. The source's error is kept for Next.
  void Read_Ahead();
  // After Read_Ahead: the block the next Next will give if it gives whole lines of that
  // batch; empty when it will give something else (a long line, or nothing). May run on the
  // thread that ran Read_Ahead.
  std::string_view Ahead_Lines() const;
  // Moves past the block Next gave (after Read_Ahead, to the batch it read).
  void Done();
  // Bytes of the source taken by the lines of the blocks done.
  std::uint64_t Taken() const { return taken_; }
  // Whether a byte-order mark at the file's start was skipped.
  bool Skipped_Mark() const { return skipped_mark_; }

 private:
  struct Batch {
    std::vector<char> bytes;  // room, then Split_Padding bytes
    std::size_t end = 0;      // valid bytes end here
  };
  void Read_Into_Next(std::size_t from);
  bool Fill();
  bool Long_Line(Block& block);
  Batch& Current() { return batches_[current_]; }

  TC_Byte_Source& source_;
  const std::size_t room_;
  const bool keep_unfinished_line_;
  const char kept_blank_;
  Batch batches_[2];
  int current_ = 0;
  std::size_t begin_ = 0;    // unread lines of the current batch start here
  std::size_t pending_ = 0;  // bytes of the block handed out, from begin_ on
  bool read_ahead_ = false;  // the next batch was read for the block handed out
  bool at_end_ = false;      // nothing more to read (end of the source or code 26)
  bool code_26_ = false;
  std::exception_ptr read_error_;  // reading failed after the bytes in the batches
  std::uint64_t taken_ = 0;
  bool skipped_mark_ = false;
  std::string long_line_;  // the block of a long line
};

}  // namespace pw
