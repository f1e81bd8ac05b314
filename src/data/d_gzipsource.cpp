#include "data/d_gzipsource.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "base/D_Error.h"

namespace pw {

namespace {

class TC_Gzip_Source final : public TC_Decoder_Source {
 public:
  TC_Gzip_Source(TC_Byte_Source& raw, std::string_view first_bytes, const std::string& name)
      : TC_Decoder_Source(raw, first_bytes, name) {
    // 16 + 15: a gzip wrapper around a window of up to 32 KiB.
    const int status = inflateInit2(&stream_, 16 + MAX_WBITS);
    if (status != Z_OK) throw Error("Cannot read data file " + name + ": " + zError(status));
  }
  ~TC_Gzip_Source() override { inflateEnd(&stream_); }
  TC_Gzip_Source(const TC_Gzip_Source&) = delete;
  TC_Gzip_Source& operator=(const TC_Gzip_Source&) = delete;

 private:
  std::size_t Decode(char* into, std::size_t size) override;
  // Between members: true when another member starts here.
  bool Next_Member();

  z_stream stream_{};
  bool in_member_ = true;
};

bool TC_Gzip_Source::Next_Member() {
  while (Available() < Gzip_Magic.size() && Refill()) {
  }
  if (Available() < 2 || Input()[0] != 0x1f || Input()[1] != 0x8b) return false;
  inflateReset(&stream_);
  in_member_ = true;
  return true;
}

std::size_t TC_Gzip_Source::Decode(char* into, std::size_t size) {
  const auto room = static_cast<uInt>(std::min<std::size_t>(size, UINT_MAX));
  stream_.next_out = reinterpret_cast<Bytef*>(into);
  stream_.avail_out = room;
  while (stream_.avail_out > 0) {
    if (Available() == 0) Refill();
    if (!in_member_ && !Next_Member()) {
      if (!Failed()) Finished();  // else the read error follows
      break;
    }
    const bool last_input = Available() == 0 && Input_Ended();
    stream_.next_in = const_cast<Bytef*>(Input());
    stream_.avail_in = static_cast<uInt>(std::min<std::size_t>(Available(), UINT_MAX));
    const uInt offered = stream_.avail_in;
    const int status = inflate(&stream_, Z_NO_FLUSH);
    Consume(offered - stream_.avail_in);
    if (status == Z_STREAM_END) {
      in_member_ = false;
    } else if (status == Z_BUF_ERROR && last_input) {
      // No progress, and no more input will come: the member was cut short (unless reading
      // failed, whose error follows).
      if (!Failed()) Damaged("unexpected end of file");
      break;
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      Damaged(stream_.msg != nullptr ? stream_.msg : zError(status));
      break;
    }
  }
  return static_cast<std::size_t>(room - stream_.avail_out);
}

}  // namespace

std::unique_ptr<TC_Byte_Source> Make_Gzip_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name) {
  return std::make_unique<TC_Gzip_Source>(raw, first_bytes, name);
}

}  // namespace pw
