// Text saved in a code page other than UTF-8 (a Windows "ANSI" setup, a Latin-1 table) read as
// UTF-8, through the C library's iconv.
//
// A code page is named as the user writes it in a setup, letter case ignored: "UTF-8" (also
// "UTF8": nothing is converted), "Windows-1252" or "cp1252", "ISO-8859-1" or "Latin-1" or
// "latin1", "ISO-8859-15", or any other name iconv knows whose letters, digits, spaces, line
// ends and the characters a setup line is made of ([ ] = ; # " ' - _ . :) are the ASCII bytes
// themselves. The rest (UTF-16 or EBCDIC without their mark, say) could not hold the key that
// names them, so they are refused, as are names iconv only reads as the user's locale ("")
// or with options ("CP1252//TRANSLIT").
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace pw {

class TC_Code_Page {
 public:
  // Raises Error "Wrong Encoding in [" + section + "]: " + name (not fatal) when `name` is not
  // a code page as above.
  TC_Code_Page(const std::string& name, const std::string& section);
  ~TC_Code_Page();
  TC_Code_Page(const TC_Code_Page&) = delete;
  TC_Code_Page& operator=(const TC_Code_Page&) = delete;

  // Whether the code page is UTF-8, so that text needs no conversion.
  bool Is_Utf8() const { return converter_ == nullptr; }

  // `text` as UTF-8 (UTF-8 text as it is). A byte or sequence the code page does not define
  // (0x81 in Windows-1252) and an incomplete sequence at the end each become U+FFFD, as text
  // editors show them; the bytes after it convert as usual. Not safe for two threads at once.
  std::string To_Utf8(std::string_view text) const;
  // The bytes of UTF-8 `text` in the code page (so that a text the user typed can be looked
  // up among bytes read from a file); false when the code page lacks one of its characters or
  // `text` is not UTF-8. Not safe for two threads at once.
  bool From_Utf8(std::string_view text, std::string& bytes) const;

 private:
  struct Converter;
  std::unique_ptr<Converter> converter_;  // none for UTF-8
  std::unique_ptr<Converter> back_;       // to the code page; none for UTF-8
};

}  // namespace pw
