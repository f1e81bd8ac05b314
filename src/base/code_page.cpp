#include "base/code_page.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "base/D_Error.h"

namespace pw {

namespace {

const std::string Replacement = "\xEF\xBF\xBD";  // U+FFFD

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');  // whatever the locale
  }
  return lower;
}

// The spellings iconv does not know itself.
std::string Iconv_Name(const std::string& lower) {
  if (lower == "latin-1") return "ISO-8859-1";
  return lower;
}

// Every byte a setup's syntax and the Encoding key itself are written with.
const std::string_view Syntax_Bytes =
    "\t\n\r []=;#\"'-_.:0123456789"
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

}  // namespace

struct TC_Code_Page::Converter {
  iconv_t handle;
  explicit Converter(iconv_t h) : handle(h) {}
  ~Converter() { iconv_close(handle); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `text`, bad bytes as U+FFFD (or, when `strict`, false at the first one); the
  // converter starts and ends in its initial state.
  std::string Convert(std::string_view text) const {
    std::string out;
    Convert(text, out, false);
    return out;
  }
  bool Convert(std::string_view text, std::string& out, bool strict) const {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    out.reserve(text.size() + text.size() / 2 + 16);
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    char block[16384];
    auto put_block = [&](char* put) { out.append(block, static_cast<std::size_t>(put - block)); };
    while (in_left > 0) {
      char* put = block;
      std::size_t room = sizeof block;
      const bool failed = iconv(handle, &in, &in_left, &put, &room) == static_cast<std::size_t>(-1);
      const int error = failed ? errno : 0;
      put_block(put);
      if (error == 0 || error == E2BIG) continue;
      if (error != EILSEQ && error != EINVAL) throw Error("Range check error");
      if (strict) return false;
      // An undefined byte, or (EINVAL) a sequence cut off by the end of the text.
      out += Replacement;
      if (error == EINVAL) break;
      ++in;
      --in_left;
    }
    char* put = block;
    std::size_t room = sizeof block;
    iconv(handle, nullptr, nullptr, &put, &room);  // back to the initial shift state
    put_block(put);
    return true;
  }
};

TC_Code_Page::TC_Code_Page(const std::string& name, const std::string& section) {
  const std::string lower = Lower(name);
  if (lower == "utf-8" || lower == "utf8") return;
  auto wrong = [&] { return Error("Wrong Encoding in [" + section + "]: " + name); };
  // iconv reads a name without letters or digits as the user's locale, and "//" adds options.
  const bool named = std::any_of(lower.begin(), lower.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
  });
  if (!named || lower.find('/') != std::string::npos) throw wrong();
  const iconv_t handle = iconv_open("UTF-8", Iconv_Name(lower).c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) throw wrong();
  auto converter = std::make_unique<Converter>(handle);
  if (converter->Convert(Syntax_Bytes) != Syntax_Bytes) throw wrong();
  const iconv_t back = iconv_open(Iconv_Name(lower).c_str(), "UTF-8");
  if (back == reinterpret_cast<iconv_t>(-1)) throw wrong();
  back_ = std::make_unique<Converter>(back);
  converter_ = std::move(converter);
}

TC_Code_Page::~TC_Code_Page() = default;

std::string TC_Code_Page::To_Utf8(std::string_view text) const {
  if (!converter_) return std::string(text);
  return converter_->Convert(text);
}

bool TC_Code_Page::From_Utf8(std::string_view text, std::string& bytes) const {
  if (!back_) {
    bytes = text;
    return true;
  }
  return back_->Convert(text, bytes, true);
}

}  // namespace pw
