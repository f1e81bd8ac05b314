// A data file that is still being written: loading it so that the lines added to its end later
// can be read alone, and telling such an addition from any other change.
//
// A load notes where its reading stopped (after the last whole line: a last line without its
// line end may be unfinished and waits) and the few kilobytes before that place. Later, when
// the file is the same file (device and inode), larger, and those bytes are unchanged, the
// lines after that place are added to the buffer as if the whole file had been loaded again;
// the earlier lines are never read again. Anything else calls for a full load. A compressed
// file cannot be continued (its bytes do not go on where a decompressor stopped), so every
// change of one calls for a full load (which leaves an unfinished last line unread as well).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/file_stamp.h"
#include "data/d_databuffer.h"

namespace pw {

class TC_File_Def;

// Bytes before the place where reading stopped that must be unchanged for an addition.
inline constexpr std::size_t Tail_Bytes = 4096;

// What a load noted of the data file.
struct Data_File_Mark {
  bool Loaded = false;      // the fields below describe a load that ended without an error
  File_Stamp File;          // the file as it stood when reading began
  bool Compressed = false;  // gzip, zstd or UTF-16: only a full load reads it
  std::uint64_t Taken = 0;  // bytes of the whole lines read: reading goes on here
  std::uint64_t Lines = 0;  // lines in those bytes (header, comment and blank lines included)
  std::int32_t Points = 0;  // points the buffer held from them
  double Date_Offset = 0;   // as those lines left it (Base_Date is the run's, never reset)
  std::string Tail;  // the Tail_Bytes bytes before Taken (fewer near the file's start)
  // The file as it stood when a line stopped the latest addition: while it stays so, the same
  // line would stop the next one, so there is nothing to read. Not Exists otherwise.
  File_Stamp Stopped;
};

enum class Data_Change {
  Unchanged,    // nothing to read: the same bytes, or only a line still without its line end
  Lines_Added,  // whole lines were added at the end: Append_Followed reads them
  Other,        // shorter, replaced, changed before its end, compressed and changed, or the
                // latest load failed: a full load
  Missing,      // no file of that name: a full load reports it
};

// What became of the file `name` since `mark` was taken. Looks at the file's identity and
// size, at the Tail_Bytes before mark.Taken and at the bytes added, never at the lines read
// before. A change in place that keeps the size is told by the file's time of change. A name
// that is no regular file (a folder, a device, a named pipe, which is not waited on) is Missing.
Data_Change Classify_Data_Change(const Data_File_Mark& mark, const std::string& name);

// Load_File for a file being followed: a last line without its line end is left unread
// (in a compressed file too), and the result says where reading stopped. "Cannot open data
// file " and the load's own messages are raised as by Load_File; the mark is then not
// Loaded.
Data_File_Mark Load_Followed(TC_Data_Buffer& buffer, const std::string& name,
                             const TC_File_Def& def, const Progress_Fn& progress = {});

// Adds to `buffer` (loaded through `def` from the lines `mark` describes, possibly with points
// of a failed addition after them, which go first) the whole lines added to the file `name`
// since, with every rule, message and statistic of a full load of the longer file; progress
// counts the added bytes. False, with the buffer and `mark` untouched, when the file is not
// the one of `mark` grown at its end (it changed since Classify_Data_Change looked): a full
// load is needed. On success `mark` describes the longer file. When a line stops the
// addition, its error is raised, the points before it stay in the buffer as a full load
// would keep them, and `mark` still describes the lines before the addition (with Stopped
// set), so that the next addition, once the file changed again, reads all the added lines
// again. An addition of up to a mebibyte is read on the calling thread alone (Serial_Scope).
bool Append_Followed(TC_Data_Buffer& buffer, const std::string& name, const TC_File_Def& def,
                     Data_File_Mark& mark, const Progress_Fn& progress = {});

}  // namespace pw
