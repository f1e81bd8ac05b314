// Choices for TC_Data_Buffer::Load_Source beyond those of Load_File.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pw {

struct Load_Options {
  // Bytes read and parsed at a time; 0 chooses from the source's size. A line longer than a
  // batch is read on its own; results never depend on this.
  std::size_t Batch_Bytes = 0;
  // Bytes of lines in one piece of a batch, the unit of work of one thread; 0 chooses from the
  // batch size and the thread count. Results never depend on this.
  std::size_t Piece_Bytes = 0;
  // Keep the points already loaded and add the source's lines after them, as if they had
  // followed in the same file. The buffer must have been loaded through the same definition;
  // "No points in data buffer loaded from " is not raised when no line is added.
  bool Append = false;
  // The source starts at the file's first byte, where a byte-order mark and the definition's
  // header lines are skipped.
  bool At_File_Start = true;
  // Lines of the file before the source's first byte (a source that goes on where an earlier
  // load stopped): line numbers in messages count them, so they name the line in the file.
  std::uint64_t Lines_Before = 0;
  // When not null, receives the lines of the source taken by the load (header, comment and
  // blank lines included), once it ends without an error.
  std::uint64_t* Lines_Taken = nullptr;
  // A last line without a line end is left unread, and its bytes are not counted as taken: it
  // may be unfinished. Code 26 still ends the data (its line is then read).
  bool Keep_Unfinished_Line = false;
};

}  // namespace pw
