// Text saved as UTF-16 (as Windows editors save "Unicode" text) turned into UTF-8.
//
// A UTF-16 text is known by its byte-order mark: FF FE little-endian, FE FF big-endian. Those
// bytes never start UTF-8 text (0xFF and 0xFE never occur in it), so a file that starts with
// them is UTF-16 without doubt. A surrogate pair becomes one 4-byte character. What is not
// valid UTF-16 (a surrogate without its partner, a last odd byte) becomes U+FFFD, one for
// each bad unit, as text editors show it; the units after it read as usual.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pw {

// Whether `bytes` start with a UTF-16 byte-order mark (FF FE or FE FF).
bool Starts_Utf16(std::string_view bytes);

// Decodes UTF-16 given in pieces of any size (an odd byte or a high surrogate at the end of
// one piece is completed by the next).
class TC_Utf16_Decoder {
 public:
  explicit TC_Utf16_Decoder(bool big_endian) : big_endian_(big_endian) {}
  // Appends the UTF-8 of the complete characters in `bytes` to `out`.
  void Decode(std::string_view bytes, std::string& out);
  // The text ended: a unit or pair left incomplete is appended as U+FFFD. The decoder is then
  // as new.
  void Finish(std::string& out);

 private:
  void Take_Unit(std::uint16_t unit, std::string& out);

  bool big_endian_;
  int odd_byte_ = -1;         // a byte waiting for the other half of its unit, or -1
  std::uint16_t high_ = 0;    // a high surrogate waiting for its low one, or 0
};

// `text`, which starts with a UTF-16 byte-order mark (Starts_Utf16), as UTF-8 without the mark.
// Text without the mark is returned as it is.
std::string Utf16_To_Utf8(std::string_view text);

}  // namespace pw
