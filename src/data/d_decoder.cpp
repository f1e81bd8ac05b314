#include "data/d_decoder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/D_Error.h"

namespace pw {

namespace {

// Compressed bytes read at a time: large enough that reading costs little beside decoding.
constexpr std::size_t kInputBytes = std::size_t{256} << 10;

}  // namespace

TC_Decoder_Source::TC_Decoder_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                     std::string name)
    : raw_(raw), name_(std::move(name)), input_(std::max(kInputBytes, first_bytes.size())) {
  std::memcpy(input_.data(), first_bytes.data(), first_bytes.size());
  end_ = first_bytes.size();
}

std::size_t TC_Decoder_Source::Read(char* into, std::size_t size) {
  // After a failed read of the compressed source, what it gave before is still decoded.
  if (!finished_ && !damaged_) {
    const std::size_t count = Decode(into, size);
    produced_ += count;
    if (count > 0) return count;
  }
  if (error_) std::rethrow_exception(error_);
  return 0;
}

std::uint64_t TC_Decoder_Source::Expected_Bytes() const {
  const std::uint64_t total = Total_Size();
  const std::uint64_t used = Bytes_Read();
  if (total == 0) return 0;
  if (used == 0 || produced_ == 0) return total * 4;
  return static_cast<std::uint64_t>(static_cast<double>(produced_) / used * total);
}

bool TC_Decoder_Source::Refill() {
  if (input_ended_ || error_) return false;
  if (begin_ > 0) {
    std::memmove(input_.data(), input_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  // Filled whole (or to the end), whatever sizes the source's reads come in: the decoder then
  // sees the same input in the same steps from a file and from a pipe.
  const std::size_t before = end_;
  while (end_ < input_.size()) {
    std::size_t count = 0;
    try {
      count = raw_.Read(reinterpret_cast<char*>(input_.data()) + end_, input_.size() - end_);
    } catch (...) {
      error_ = std::current_exception();
      break;
    }
    if (count == 0) {
      input_ended_ = true;
      break;
    }
    end_ += count;
  }
  // Bytes read before a failure are decoded first; the error follows them.
  return end_ > before;
}

void TC_Decoder_Source::Damaged(const std::string& what) {
  damaged_ = true;
  error_ = std::make_exception_ptr(Error("Cannot read data file " + name_ + ": " + what));
}

}  // namespace pw
