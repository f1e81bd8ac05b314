#include "data/d_decode.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "base/utf16_text.h"
#include "data/d_gzipsource.h"
#include "data/d_utf16source.h"
#include "data/d_zstdsource.h"

namespace pw {

namespace {

// Bytes that tell the formats apart: the longest magic.
constexpr std::size_t kHeadBytes = 4;

// A source with the bytes already taken from it put back in front.
class TC_Put_Back_Source final : public TC_Byte_Source {
 public:
  TC_Put_Back_Source(TC_Byte_Source& raw, std::string_view head) : raw_(raw), head_(head) {}

  std::size_t Read(char* into, std::size_t size) override {
    if (given_ == head_.size()) return raw_.Read(into, size);
    const std::size_t count = std::min(size, head_.size() - given_);
    std::memcpy(into, head_.data() + given_, count);
    given_ += count;
    return count;
  }
  std::uint64_t Total_Size() const override { return raw_.Total_Size(); }
  std::uint64_t Bytes_Read() const override { return raw_.Bytes_Read() - (head_.size() - given_); }
  std::uint64_t Expected_Bytes() const override { return raw_.Expected_Bytes(); }

 private:
  TC_Byte_Source& raw_;
  const std::string head_;
  std::size_t given_ = 0;
};

}  // namespace

std::unique_ptr<TC_Byte_Source> Open_Decoded(TC_Byte_Source& raw, const std::string& name,
                                             bool* compressed) {
  char bytes[kHeadBytes];
  std::size_t have = 0;
  // A pipe may give fewer bytes than asked for before its end.
  while (have < kHeadBytes) {
    const std::size_t count = raw.Read(bytes + have, kHeadBytes - have);
    if (count == 0) break;
    have += count;
  }
  const std::string_view head(bytes, have);
  if (compressed != nullptr) {
    *compressed = head.starts_with(Gzip_Magic) || Starts_Zstd(head) || Starts_Utf16(head);
  }
  // The decompressed data may be UTF-16 too: the text source looks at their first bytes.
  if (head.starts_with(Gzip_Magic)) return Make_Text_Source(Make_Gzip_Source(raw, head, name));
  if (Starts_Zstd(head)) return Make_Text_Source(Make_Zstd_Source(raw, head, name));
  auto plain = std::make_unique<TC_Put_Back_Source>(raw, head);
  if (Starts_Utf16(head)) return Make_Utf16_Source(std::move(plain));
  return plain;
}

}  // namespace pw
