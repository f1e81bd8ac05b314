// Where the loader's bytes come from.
//
// The loader only asks for bytes in order; a source may be a plain file, standard input, or
// anything that yields a byte stream (a decompressor over another source, d_decode.h).
// Sources are used by one thread at a time.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace pw {

class TC_Byte_Source {
 public:
  virtual ~TC_Byte_Source() = default;
  // Reads up to `size` (> 0) bytes into `into`; returns how many, 0 only at the end. Raises a
  // non-fatal Error naming the source and the system's reason when reading fails.
  virtual std::size_t Read(char* into, std::size_t size) = 0;
  // Bytes the whole source holds as far as known at the start; 0 when not known.
  virtual std::uint64_t Total_Size() const = 0;
  // Bytes of the source read so far, in the same units as Total_Size (for progress).
  virtual std::uint64_t Bytes_Read() const = 0;
  // Bytes Read is expected to give in all, as far as can be told so far (a decompressor
  // estimates it from what it has seen); 0 when not known. Only a hint for planning storage.
  virtual std::uint64_t Expected_Bytes() const { return Total_Size(); }
  // Whether the bytes are text that a UTF-16 byte-order mark said is UTF-16, given as UTF-8
  // (known once the first bytes are read).
  virtual bool From_Utf16() const { return false; }
};

// A file read as it is. A device or pipe is read as it comes, its size taken as 0.
class TC_File_Source : public TC_Byte_Source {
 public:
  // Opens the file, from byte `offset` on; raises a non-fatal Error "Cannot open data file " or
  // "Cannot read data file " + name + ": " + the system's reason when it cannot be opened or
  // is a folder.
  explicit TC_File_Source(const std::string& file_name, std::uint64_t offset = 0);
  // Standard input, from where it stands, named `name` in messages; it is left open. A
  // closed standard input raises "Cannot read data file " + name + ": " + the reason.
  static std::unique_ptr<TC_File_Source> Standard_Input(const std::string& name);
  ~TC_File_Source() override;
  TC_File_Source(const TC_File_Source&) = delete;
  TC_File_Source& operator=(const TC_File_Source&) = delete;

  std::size_t Read(char* into, std::size_t size) override;
  std::uint64_t Total_Size() const override { return size_; }
  std::uint64_t Bytes_Read() const override { return position_; }

  // What the system says of the open file now (fstat): which file it is, its size. Raises
  // "Cannot read data file " + name + ": " + the reason.
  struct stat Status() const;
  // Up to `size` bytes from byte `offset` of the file, without moving where Read goes on;
  // fewer at the file's end. Raises "Cannot read data file " + name + ": " + the reason.
  std::string Read_At(std::uint64_t offset, std::size_t size) const;

 private:
  TC_File_Source() = default;
  [[noreturn]] void Fail(const char* what) const;

  std::string file_name_;
  int fd_ = -1;
  bool owned_ = true;  // closed at the end
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
};

}  // namespace pw
