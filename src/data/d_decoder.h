// A byte source that is another source decompressed while it is read.
//
// The base keeps the compressed input and the rules every format shares: progress and size
// count the compressed bytes, and when the data turn out damaged (or reading the compressed
// source fails) the bytes decoded before are handed out first and the error is raised by the
// next Read, as "Cannot read data file " + name + ": " + what the library says.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "data/d_bytesource.h"

namespace pw {

class TC_Decoder_Source : public TC_Byte_Source {
 public:
  std::size_t Read(char* into, std::size_t size) final;
  // The compressed source's size and the compressed bytes used so far.
  std::uint64_t Total_Size() const final { return raw_.Total_Size(); }
  std::uint64_t Bytes_Read() const final { return raw_.Bytes_Read() - Available(); }
  // The compressed size times the ratio seen so far (four before anything was decoded).
  std::uint64_t Expected_Bytes() const final;

 protected:
  // Reads the compressed bytes from `raw` (which must outlive this), after `first_bytes`
  // that were already taken from it; `name` is the file's name in messages.
  TC_Decoder_Source(TC_Byte_Source& raw, std::string_view first_bytes, std::string name);

  // Decodes into [into, into + size); returns the bytes written, 0 only at the end of the
  // data (Finished), after Damaged, or when reading the compressed source failed and all it
  // gave is decoded. Not called again after Finished or Damaged.
  virtual std::size_t Decode(char* into, std::size_t size) = 0;

  // The unused compressed bytes.
  const unsigned char* Input() const { return input_.data() + begin_; }
  std::size_t Available() const { return end_ - begin_; }
  void Consume(std::size_t count) { begin_ += count; }
  // Reads more compressed bytes behind the unused ones; false when none came (the end, or a
  // failure, kept for Read to raise once the bytes before it are decoded).
  bool Refill();
  // No more compressed bytes will come: the source ended, or reading it failed.
  bool Input_Ended() const { return input_ended_ || error_ != nullptr; }
  // Reading the compressed source failed (not a sign of damaged data).
  bool Failed() const { return error_ != nullptr && !damaged_; }
  // The data are damaged: nothing more is decoded, and the next Read raises
  // "Cannot read data file " + name + ": " + what.
  void Damaged(const std::string& what);
  // The data ended where they may: Read gives 0 from now on.
  void Finished() { finished_ = true; }

  const std::string& Name() const { return name_; }

 private:
  TC_Byte_Source& raw_;
  const std::string name_;
  std::vector<unsigned char> input_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool input_ended_ = false;
  bool finished_ = false;
  bool damaged_ = false;
  std::exception_ptr error_;
  std::uint64_t produced_ = 0;
};

}  // namespace pw
