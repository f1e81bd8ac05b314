// The setup reader: typed reads of an INI-style setup file, with multi-section lookup.
//
// Syntax: "[name]" starts a section; "key = value" lines are its entries. Names of sections
// and keys compare without regard to letter case, for every letter ("[Übersicht]" is found
// as "übersicht"; Fold_Case says how, also for names that are not UTF-8); spaces around keys
// and values are dropped; a value wholly inside double or single quotes loses the quotes;
// values are cut to 2047 characters (a letter beyond ASCII counts once; bytes that are not
// UTF-8 count one each); the first occurrence of a key in a section wins. Lines
// starting with ";" or "#" are comments; text before the first section and lines without "="
// are ignored. UTF-8 with or without a byte-order mark, or UTF-16 (little- or big-endian)
// with its byte-order mark, read as its UTF-8 (utf16_text.h: a unit that is not valid UTF-16
// reads as U+FFFD); LF, CRLF or CR line ends. A file without a byte-order mark whose section
// "Plotwright" holds the key "Encoding" (read as every key is) is in that code page and is
// read as its UTF-8 (code_page.h); a value no converter knows makes every read raise "Wrong
// Encoding in [Plotwright]: " + value (not fatal), so nothing is taken from a half-read
// setup. UTF-8, the default, is read as it is. A header's
// name ends at the first "]" (a header without "]" takes the rest of the line); a section
// named twice is one section. Lines with nothing before "=" are ignored; NUL bytes are
// ordinary characters.
//
// A reader never writes the file. It reads the file once, on first use, and keeps the parsed
// content for its own lifetime; a new reader sees the file as it is then. A file that does
// not exist (or is a folder, device or pipe) has no keys: every read gives its default. A
// regular file that cannot be read makes the first read raise "Cannot read file " + name +
// ": " + the system's reason (not fatal).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pw {

// Ordered section names, most general first; the last section holding a key supplies it.
using Section_List = std::vector<std::string>;

// Longest value the reader returns; longer values are cut.
inline constexpr std::size_t Max_Value_Length = 2047;

class TC_Ini_File {
 public:
  explicit TC_Ini_File(std::string file_name);
  ~TC_Ini_File();
  TC_Ini_File(const TC_Ini_File&) = delete;
  TC_Ini_File& operator=(const TC_Ini_File&) = delete;

  const std::string& File_Name() const { return file_name_; }

  // Single-section reads.
  bool Key_Exists(std::string_view section, std::string_view key) const;
  std::string Get_String(std::string_view section, std::string_view key,
                         const std::string& default_value) const;
  // Integer rule: optional sign and decimal digits, "$" + hex digits, or "0x"/"0X" + hex digits
  // (when longer than 2 characters); anything else, empty, or outside 32 bits: the default.
  std::int32_t Get_Integer(std::string_view section, std::string_view key,
                           std::int32_t default_value) const;
  // One "key=value" line per entry of the section, in file order: a key repeated (in any
  // letter case) is listed again, under its own spelling but with the value reads give, i.e.
  // the first occurrence's. Empty for a section that is not there. Only the first `max_lines`
  // entries are listed (a caller that stops after so many need not pay for the rest).
  std::vector<std::string> Get_Section_Lines(std::string_view section,
                                             std::size_t max_lines = SIZE_MAX) const;
  // Bytes of the names, keys, values and entries the reader keeps (hash tables not counted). It
  // grows with the number and length of the file's lines: a repeated key does not hold its
  // value again.
  std::size_t Stored_Bytes() const;

  // Multi-section reads: the last section of the list that holds the key supplies the value;
  // sections before it are not consulted even when that value is empty or does not convert.
  std::string Read_String(const Section_List& sections, std::string_view key,
                          const std::string& default_value) const;
  std::int32_t Read_Integer(const Section_List& sections, std::string_view key,
                            std::int32_t default_value) const;
  // Floating-point rule: "." decimal point whatever the locale, read at double precision;
  // empty or not a number: the default.
  long double Read_Float(const Section_List& sections, std::string_view key,
                         long double default_value) const;
  // Boolean rule: first character 1/T/Y/t/y true, 0/F/N/f/n false; anything else or empty
  // raises Error "Bad Boolean constant: " + value (not fatal).
  bool Read_Bool(const Section_List& sections, std::string_view key, bool default_value) const;
  // List rule: the value split at runs of spaces into items[0..]; at most `max_count` items
  // (limited to items.size()); returns the count. Positions at or beyond the count, and the
  // whole array when no section holds the key, are left as they were.
  std::uint16_t Read_List(const Section_List& sections, std::string_view key,
                          std::span<std::string> items, std::size_t max_count) const;

 private:
  struct Content;
  const Content& Parsed() const;
  const std::string* Find(std::string_view section, std::string_view key) const;
  // Find with the key already folded (Fold_Case).
  const std::string* Find_Folded(std::string_view section, const std::string& folded_key) const;
  // The value of `key` in the last section of `sections` that holds it; nullptr when none does.
  const std::string* Find_Last(const Section_List& sections, std::string_view key) const;

  std::string file_name_;
  mutable std::unique_ptr<Content> content_;
};

}  // namespace pw
