// Reads a text file line by line in large blocks, without a heap allocation per line.
//
// A line ends at a line feed; a carriage return before it stays in the line (the loader
// strips control characters). A character with code 26 ends the file. The last line may
// lack its line feed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

class TC_Line_Reader {
 public:
  // Opens the file; raises a non-fatal Error naming the file and the system's reason when it
  // cannot be opened or is a folder. A device or pipe is read as it comes, its size taken as 0.
  explicit TC_Line_Reader(const std::string& file_name);
  ~TC_Line_Reader();
  TC_Line_Reader(const TC_Line_Reader&) = delete;
  TC_Line_Reader& operator=(const TC_Line_Reader&) = delete;

  // The next line without its line feed; valid until the next call. False at the end.
  // `overlong` is set when the line did not fit the block buffer: `line` then holds only its
  // first part and the rest has been skipped. Blanks at the front of a line and past its
  // first 65535 bytes are dropped when the buffer fills, so a line that is short once
  // stripped of blanks is returned (stripped at the front, maybe cut blanks at the end).
  bool Next_Line(std::string_view& line, bool& overlong);

  // Size of the file when opened, and bytes of it up to the end of the last line returned.
  std::uint64_t File_Size() const { return file_size_; }
  std::uint64_t Bytes_Consumed() const { return buffer_offset_ + begin_; }

  // Block buffer size; also the longest line handled whole.
  static constexpr std::size_t Block_Size = std::size_t{2} << 20;
  // Bytes after the end of every returned line that may be read (their content is
  // unspecified): lets the field splitter look at whole words.
  static constexpr std::size_t Tail_Padding = 16;

 private:
  bool Fill();               // reads more; false at the end of the data
  void Skip_Rest_Of_Line();  // after an overlong line
  bool Drop_Blanks();        // room in a full buffer without changing the stripped line
  [[noreturn]] void Fail(const char* what) const;

  std::string file_name_;
  int fd_ = -1;
  std::uint64_t file_size_ = 0;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;            // start of the unread data in buffer_
  std::size_t end_ = 0;              // end of the valid data in buffer_
  std::uint64_t buffer_offset_ = 0;  // file offset of buffer_[0]
  bool at_end_ = false;              // no more data to read (end of file or code 26)
  bool pending_skip_ = false;        // the rest of an overlong line is still to be skipped
};

}  // namespace pw
