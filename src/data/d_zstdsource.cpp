#include "data/d_zstdsource.h"

#include <zstd.h>
#include <zstd_errors.h>

#include "base/D_Error.h"

namespace pw {

namespace {

class TC_Zstd_Source final : public TC_Decoder_Source {
 public:
  TC_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes, const std::string& name)
      : TC_Decoder_Source(raw, first_bytes, name), stream_(ZSTD_createDStream()) {
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

  ZSTD_DStream* stream_;
  bool in_frame_ = false;  // a frame begun and not yet wholly decoded and handed out
};

std::size_t TC_Zstd_Source::Decode(char* into, std::size_t size) {
  ZSTD_outBuffer out{into, size, 0};
  while (out.pos < out.size) {
    if (Available() == 0) Refill();
    if (Failed()) break;
    if (Available() == 0 && Input_Ended() && !in_frame_) {
      Finished();
      break;
    }
    ZSTD_inBuffer in{Input(), Available(), 0};
    const std::size_t before = out.pos;
    const std::size_t status = ZSTD_decompressStream(stream_, &out, &in);
    Consume(in.pos);
    if (ZSTD_isError(status)) {
      Damaged(ZSTD_getErrorName(status));
      break;
    }
    // 0: a frame is complete and all of it handed out; the next bytes may start another.
    in_frame_ = status != 0;
    if (in.pos == 0 && out.pos == before && Input_Ended()) {
      Damaged("unexpected end of file");  // no progress, and no more input will come
      break;
    }
  }
  return out.pos;
}

}  // namespace

std::unique_ptr<TC_Byte_Source> Make_Zstd_Source(TC_Byte_Source& raw, std::string_view first_bytes,
                                                 const std::string& name) {
  return std::make_unique<TC_Zstd_Source>(raw, first_bytes, name);
}

}  // namespace pw
