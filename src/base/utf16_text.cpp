#include "base/utf16_text.h"

#include "base/utf8_chars.h"

namespace pw {

namespace {

constexpr std::string_view kLittleEndianMark = "\xFF\xFE";
constexpr std::string_view kBigEndianMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

bool Is_High(std::uint16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool Is_Low(std::uint16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

bool Starts_Utf16(std::string_view bytes) {
  return bytes.starts_with(kLittleEndianMark) || bytes.starts_with(kBigEndianMark);
}

void TC_Utf16_Decoder::Take_Unit(std::uint16_t unit, std::string& out) {
  if (high_ != 0) {
    if (Is_Low(unit)) {
      Append_Utf8(0x10000 + ((char32_t{high_} - 0xD800) << 10) + (unit - 0xDC00), out);
      high_ = 0;
      return;
    }
    Append_Utf8(kReplacement, out);  // the high surrogate had no partner
    high_ = 0;
  }
  if (Is_High(unit)) {
    high_ = unit;
  } else {
    Append_Utf8(Is_Low(unit) ? kReplacement : unit, out);
  }
}

void TC_Utf16_Decoder::Decode(std::string_view bytes, std::string& out) {
  std::size_t at = 0;
  auto byte = [&](std::size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]));
  };
  auto unit_of = [&](unsigned first, unsigned second) {
    return static_cast<std::uint16_t>(big_endian_ ? (first << 8) | second : (second << 8) | first);
  };
  if (odd_byte_ >= 0 && !bytes.empty()) {
    Take_Unit(unit_of(static_cast<unsigned>(odd_byte_), byte(0)), out);
    odd_byte_ = -1;
    at = 1;
  }
  for (; at + 1 < bytes.size(); at += 2) {
    const std::uint16_t unit = unit_of(byte(at), byte(at + 1));
    // Plain ASCII, the bulk of a data file, straight through.
    if (unit < 0x80 && high_ == 0) {
      out += static_cast<char>(unit);
    } else {
      Take_Unit(unit, out);
    }
  }
  if (at < bytes.size()) odd_byte_ = static_cast<int>(byte(at));
}

void TC_Utf16_Decoder::Finish(std::string& out) {
  if (high_ != 0) Append_Utf8(kReplacement, out);
  if (odd_byte_ >= 0) Append_Utf8(kReplacement, out);
  high_ = 0;
  odd_byte_ = -1;
}

std::string Utf16_To_Utf8(std::string_view text) {
  if (!Starts_Utf16(text)) return std::string(text);
  TC_Utf16_Decoder decoder(text.starts_with(kBigEndianMark));
  std::string out;
  out.reserve(text.size());  // enough for ASCII and most letters beyond it
  decoder.Decode(text.substr(kLittleEndianMark.size()), out);
  decoder.Finish(out);
  return out;
}

}  // namespace pw
