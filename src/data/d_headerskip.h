// The lines of a source after its first few: the header lines of a table (column names).
#pragma once

#include <cstdint>

#include "data/d_bytesource.h"

namespace pw {

class TC_Header_Skip_Source final : public TC_Byte_Source {
 public:
  // Gives the bytes of `source` (which must outlive this) after its first `lines` lines, each
  // ended by a line feed. A character with code 26 among them is given on, so that it ends
  // the data as it would anywhere.
  TC_Header_Skip_Source(TC_Byte_Source& source, std::uint64_t lines);

  std::size_t Read(char* into, std::size_t size) override;
  std::uint64_t Total_Size() const override { return source_.Total_Size(); }
  std::uint64_t Bytes_Read() const override { return source_.Bytes_Read(); }
  std::uint64_t Expected_Bytes() const override { return source_.Expected_Bytes(); }
  bool From_Utf16() const override { return source_.From_Utf16(); }
  // Whether the first line skipped began with a UTF-8 byte-order mark.
  bool Began_With_Mark() const { return began_with_mark_; }

  // Bytes of the source skipped so far.
  std::uint64_t Skipped() const { return skipped_; }

 private:
  TC_Byte_Source& source_;
  std::uint64_t left_;  // lines still to skip
  std::uint64_t skipped_ = 0;
  bool began_with_mark_ = false;
};

}  // namespace pw
