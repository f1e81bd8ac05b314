#include "data/d_zstdsource.h"

#include <zstd.h>
#include <zstd_errors.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/D_Error.h"

namespace pw {

namespace {

// libzstd decodes into a buffer of its own size, which is then handed out: how much of a damaged
// frame comes out before the error depends on the sizes of the output buffers it is given (it
// may even decode a whole frame at once into a large one, and give nothing when its checksum
// fails), so it is always given the same.
class TC_Zstd_Source final : public TC_Decoder_Source {
 public:
  TC_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes, const std::string& name)
      : TC_Decoder_Source(raw, first_bytes, name),
        stream_(ZSTD_createDStream()),
        decoded_(ZSTD_DStreamOutSize()) {
    if (stream_ == nullptr) {
      throw Error("Cannot read data file " + name + ": " +
                  ZSTD_getErrorString(ZSTD_error_memory_allocation));
    }
  }
  ~TC_Zstd_Source() override { ZSTD_freeDStream(stream_); }
  TC_Zstd_Source(const TC_Zstd_Source&) = delete;
  TC_Zstd_Source& operator=(const TC_Zstd_Source&) = delete;

 private:
  std::size_t Decode(char* into, std::size_t size) override;
  // Decodes the next bytes into decoded_; false at the end of the data or on damage.
  bool Decode_More();

  ZSTD_DStream* stream_;
  std::vector<char> decoded_;
  std::size_t given_ = 0;    // bytes of decoded_ handed out
  std::size_t decoded_end_ = 0;
  bool in_frame_ = false;  // a frame begun and not yet wholly decoded and handed out
};

bool TC_Zstd_Source::Decode_More() {
  ZSTD_outBuffer out{decoded_.data(), decoded_.size(), 0};
  given_ = decoded_end_ = 0;
  while (out.pos == 0) {
    if (Available() == 0) Refill();
    const bool last_input = Available() == 0 && Input_Ended();
    if (last_input && !in_frame_) {
      if (!Failed()) Finished();  // else the read error follows
      return false;
    }
    ZSTD_inBuffer in{Input(), Available(), 0};
    const std::size_t status = ZSTD_decompressStream(stream_, &out, &in);
    Consume(in.pos);
    if (ZSTD_isError(status)) {
      Damaged(ZSTD_getErrorName(status));
      return false;
    }
    // 0: a frame is complete and all of it handed out; the next bytes may start another.
    in_frame_ = status != 0;
    if (last_input && out.pos == 0) {
      // No progress, and no more input will come: the frame was cut short (unless reading
      // failed, whose error follows).
      if (!Failed()) Damaged("unexpected end of file");
      return false;
    }
  }
  decoded_end_ = out.pos;
  return true;
}

std::size_t TC_Zstd_Source::Decode(char* into, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    if (given_ == decoded_end_ && !Decode_More()) break;
    const std::size_t count = std::min(size - done, decoded_end_ - given_);
    std::memcpy(into + done, decoded_.data() + given_, count);
    given_ += count;
    done += count;
  }
  return done;
}

}  // namespace

std::unique_ptr<TC_Byte_Source> Make_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name) {
  return std::make_unique<TC_Zstd_Source>(raw, first_bytes, name);
}

}  // namespace pw
