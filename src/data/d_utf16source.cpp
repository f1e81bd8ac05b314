#include "data/d_utf16source.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <utility>

#include "base/utf16_text.h"

namespace pw {

namespace {

// UTF-16 bytes decoded at a time.
constexpr std::size_t kInputBytes = std::size_t{256} << 10;

class TC_Utf16_Source final : public TC_Byte_Source {
 public:
  // `head`: bytes already taken from `inner`, given before the rest of it.
  TC_Utf16_Source(std::unique_ptr<TC_Byte_Source> inner, std::string head)
      : inner_(std::move(inner)), input_(std::move(head)) {}

  std::size_t Read(char* into, std::size_t size) override;
  std::uint64_t Total_Size() const override { return inner_->Total_Size(); }
  std::uint64_t Bytes_Read() const override { return inner_->Bytes_Read(); }
  // The inner source's estimate scaled by the ratio seen so far (ASCII halves the bytes).
  std::uint64_t Expected_Bytes() const override;
  bool From_Utf16() const override { return true; }

 private:
  // Decodes the next input into output_; false when the input has ended.
  bool Decode_More();

  std::unique_ptr<TC_Byte_Source> inner_;
  std::string input_;
  std::string output_;
  std::size_t given_ = 0;  // bytes of output_ handed out
  std::unique_ptr<TC_Utf16_Decoder> decoder_;
  bool ended_ = false;
  std::exception_ptr error_;
  std::uint64_t consumed_ = 0;
  std::uint64_t produced_ = 0;
};

bool TC_Utf16_Source::Decode_More() {
  if (ended_) return false;
  output_.clear();
  given_ = 0;
  std::size_t have = input_.size();
  input_.resize(std::max(kInputBytes, have));
  // The whole block (or to the end) whatever sizes the inner reads come in.
  try {
    while (have < input_.size()) {
      const std::size_t count = inner_->Read(input_.data() + have, input_.size() - have);
      if (count == 0) {
        ended_ = true;
        break;
      }
      have += count;
    }
  } catch (...) {
    error_ = std::current_exception();
    ended_ = true;  // what came before the failure is still decoded
  }
  input_.resize(have);
  std::string_view bytes = input_;
  if (decoder_ == nullptr) {
    decoder_ = std::make_unique<TC_Utf16_Decoder>(bytes.starts_with("\xFE\xFF"));
    bytes.remove_prefix(std::min<std::size_t>(2, bytes.size()));  // the byte-order mark
  }
  decoder_->Decode(bytes, output_);
  if (ended_ && !error_) decoder_->Finish(output_);
  consumed_ += input_.size();
  produced_ += output_.size();
  input_.clear();
  return true;
}

std::size_t TC_Utf16_Source::Read(char* into, std::size_t size) {
  while (given_ == output_.size()) {
    if (!Decode_More()) {
      if (error_) std::rethrow_exception(error_);
      return 0;
    }
  }
  const std::size_t count = std::min(size, output_.size() - given_);
  std::memcpy(into, output_.data() + given_, count);
  given_ += count;
  return count;
}

std::uint64_t TC_Utf16_Source::Expected_Bytes() const {
  const std::uint64_t total = inner_->Expected_Bytes();
  if (consumed_ == 0 || produced_ == 0) return total / 2;
  return static_cast<std::uint64_t>(static_cast<double>(produced_) / consumed_ * total);
}

// Looks at the first bytes on the first Read.
class TC_Text_Source final : public TC_Byte_Source {
 public:
  explicit TC_Text_Source(std::unique_ptr<TC_Byte_Source> inner) : inner_(std::move(inner)) {}

  std::size_t Read(char* into, std::size_t size) override;
  std::uint64_t Total_Size() const override { return Active().Total_Size(); }
  std::uint64_t Bytes_Read() const override { return Active().Bytes_Read(); }
  std::uint64_t Expected_Bytes() const override { return Active().Expected_Bytes(); }
  bool From_Utf16() const override { return utf16_ != nullptr; }

 private:
  const TC_Byte_Source& Active() const { return utf16_ ? *utf16_ : *inner_; }

  std::unique_ptr<TC_Byte_Source> inner_;
  std::unique_ptr<TC_Byte_Source> utf16_;
  bool looked_ = false;
  std::string head_;  // first bytes taken from inner_ that were not a mark, still to give
  std::size_t given_ = 0;
  std::exception_ptr error_;  // inner_'s error, raised after the first bytes
};

std::size_t TC_Text_Source::Read(char* into, std::size_t size) {
  if (!looked_) {
    looked_ = true;
    char bytes[2];
    std::size_t have = 0;
    try {
      while (have < sizeof bytes) {
        const std::size_t count = inner_->Read(bytes + have, sizeof bytes - have);
        if (count == 0) break;
        have += count;
      }
    } catch (...) {
      if (have == 0) throw;
      error_ = std::current_exception();  // raised after the byte that came before it
    }
    head_.assign(bytes, have);
    if (!error_ && Starts_Utf16(head_)) {
      utf16_ = std::make_unique<TC_Utf16_Source>(std::move(inner_), std::move(head_));
      head_.clear();
    }
  }
  if (utf16_) return utf16_->Read(into, size);
  if (error_ && given_ == head_.size()) std::rethrow_exception(error_);
  std::size_t count = 0;
  if (given_ < head_.size()) {
    count = std::min(size, head_.size() - given_);
    std::memcpy(into, head_.data() + given_, count);
    given_ += count;
    if (count == size || error_) return count;
  }
  // The rest of the read from inner_, as large as without the look at the first bytes.
  try {
    return count + inner_->Read(into + count, size - count);
  } catch (...) {
    if (count == 0) throw;
    error_ = std::current_exception();
    return count;
  }
}

}  // namespace

std::unique_ptr<TC_Byte_Source> Make_Utf16_Source(std::unique_ptr<TC_Byte_Source> inner) {
  return std::make_unique<TC_Utf16_Source>(std::move(inner), std::string());
}

std::unique_ptr<TC_Byte_Source> Make_Text_Source(std::unique_ptr<TC_Byte_Source> inner) {
  return std::make_unique<TC_Text_Source>(std::move(inner));
}

}  // namespace pw
