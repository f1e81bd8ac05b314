#include "setup/d_inifile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "base/D_Error.h"
#include "base/code_page.h"
#include "base/utf16_text.h"
#include "base/utf8_chars.h"
#include "setup/D_Fold_Case.h"
#include "setup/D_Format.h"
#include "setup/D_String.h"

namespace pw {

namespace {

// The section whose key "Encoding" names the file's code page: the program's main section.
constexpr const char* Encoding_Section = "Plotwright";

struct Entry {
  std::string key;    // as written in the file
  std::string value;  // empty for a repeated key: its value is the first occurrence's
  std::size_t first;  // the entry of the key's first occurrence (this one's own index if it is)
};

struct Section {
  std::unordered_map<std::string, std::size_t> index;  // folded key -> first occurrence
  std::vector<Entry> entries;                          // every entry, in file order
};

bool Is_Blank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && Is_Blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && Is_Blank(text.back())) text.remove_suffix(1);
  return text;
}

// Drops one pair of enclosing quotes, then cuts to the longest value the reader returns, in
// characters: a letter beyond ASCII counts once, and a cut never splits it (utf8_chars.h).
std::string Clean_Value(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(Cut_To_Characters(value, Max_Value_Length));
}

// Reads the whole file; anything but a regular file gives no text. Devices and pipes are
// refused so that a setup named like /dev/zero cannot hang the reader. A regular file that
// cannot be read raises "Cannot read file NAME: reason": reading it as empty would blame the
// setup's content ("Zero columns ...") for what is a permission or disk problem.
std::string Read_File_Text(const std::string& file_name) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file_name, ec) || ec) return {};
  auto fail = [&](int error) {
    throw Error("Cannot read file " + file_name + ": " + std::strerror(error));
  };
  // Owned so that running out of memory while the text grows still closes the file.
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(file_name.c_str(), "rb"),
                                                             &std::fclose);
  if (file == nullptr) fail(errno);
  std::string text;
  char block[65536];
  std::size_t count;
  while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) text.append(block, count);
  if (std::ferror(file.get()) != 0) fail(errno != 0 ? errno : EIO);
  return text;
}

// Integer rule: "0x"/"0X" + hex digits is the "$" hex form; sign, range and digits are the
// notation's. Returns false for anything that does not convert, empty included.
bool Integer_Rule(const std::string& value, std::int32_t& result) {
  if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
    return Try_Str_To_Int("$" + value.substr(2), result);
  }
  return Try_Str_To_Int(value, result);
}

// Floating-point rule: the notation's number read, then held at double precision. A number
// beyond the double range does not convert (it would become an infinity).
bool Float_Rule(const std::string& value, long double& result) {
  long double number = 0;
  if (!Try_Str_To_Float(value, number) || !Fits_Double(number)) return false;
  result = static_cast<double>(number);
  return true;
}

}  // namespace

struct TC_Ini_File::Content {
  std::unordered_map<std::string, Section> sections;  // folded section name -> section

  void Add_Line(std::string_view line, Section*& current);
  void Parse(std::string_view text);
  // The value of `key` (already folded) in `section`; nullptr when the section lacks it.
  const std::string* Find(std::string_view section, const std::string& folded_key) const;
};

const std::string* TC_Ini_File::Content::Find(std::string_view section,
                                              const std::string& folded_key) const {
  const auto sec = sections.find(Fold_Case(section));
  if (sec == sections.end()) return nullptr;
  const auto entry = sec->second.index.find(folded_key);
  if (entry == sec->second.index.end()) return nullptr;
  return &sec->second.entries[entry->second].value;
}

void TC_Ini_File::Content::Add_Line(std::string_view line, Section*& current) {
  line = Trim(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return;
  if (line.front() == '[') {
    // A header missing its "]" still names a section (the rest of the line), so that its
    // entries do not silently land in the section above.
    std::string_view name = line.substr(1);
    const std::size_t close = name.find(']');
    if (close != std::string_view::npos) name = name.substr(0, close);
    current = &sections[Fold_Case(Trim(name))];
    return;
  }
  if (current == nullptr) return;  // text before the first section
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return;
  const std::string_view key = Trim(line.substr(0, eq));
  if (key.empty()) return;  // "=value" names nothing that could be read
  auto [it, added] = current->index.try_emplace(Fold_Case(key), current->entries.size());
  // A repeated key is still an entry of its own (the file definition makes one column per
  // line, even for two columns of one name), but the first occurrence's value is the one
  // every read gives, so the listing repeats that value. It is not copied: a long value
  // repeated under one key would cost its length per line, gigabytes for a setup of a few
  // megabytes.
  std::string value = added ? Clean_Value(Trim(line.substr(eq + 1))) : std::string();
  current->entries.push_back({std::string(key), std::move(value), it->second});
}

void TC_Ini_File::Content::Parse(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  Section* current = nullptr;
  // Lines end at LF, CRLF or a lone CR.
  while (!text.empty()) {
    const std::size_t end = text.find_first_of("\r\n");
    if (end == std::string_view::npos) {
      Add_Line(text, current);
      break;
    }
    Add_Line(text.substr(0, end), current);
    const std::size_t next =
        (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? end + 2 : end + 1;
    text.remove_prefix(next);
  }
}

TC_Ini_File::TC_Ini_File(std::string file_name) : file_name_(std::move(file_name)) {}

TC_Ini_File::~TC_Ini_File() = default;

const TC_Ini_File::Content& TC_Ini_File::Parsed() const {
  if (!content_) {
    auto content = std::make_unique<Content>();
    std::string text = Read_File_Text(file_name_);
    // Text saved as UTF-16 ("Unicode" in Windows editors) is read as its UTF-8.
    const bool marked = Starts_Utf16(text) || text.starts_with("\xEF\xBB\xBF");
    if (Starts_Utf16(text)) text = Utf16_To_Utf8(text);
    content->Parse(text);
    // A file in another code page names it in its own ASCII; a byte-order mark says what
    // the file is, whatever the key.
    const std::string* encoding = marked ? nullptr : content->Find(Encoding_Section, "encoding");
    if (encoding != nullptr) {
      const TC_Code_Page code_page(*encoding, Encoding_Section);
      if (!code_page.Is_Utf8()) {
        const std::string converted = code_page.To_Utf8(text);
        content = std::make_unique<Content>();
        content->Parse(converted);
      }
    }
    content_ = std::move(content);
  }
  return *content_;
}

const std::string* TC_Ini_File::Find_Folded(std::string_view section,
                                            const std::string& folded_key) const {
  return Parsed().Find(section, folded_key);
}

const std::string* TC_Ini_File::Find(std::string_view section, std::string_view key) const {
  return Find_Folded(section, Fold_Case(key));
}

const std::string* TC_Ini_File::Find_Last(const Section_List& sections,
                                          std::string_view key) const {
  const std::string folded_key = Fold_Case(key);  // once for every section of the list
  for (auto it = sections.rbegin(); it != sections.rend(); ++it) {
    if (const std::string* value = Find_Folded(*it, folded_key)) return value;
  }
  return nullptr;
}

bool TC_Ini_File::Key_Exists(std::string_view section, std::string_view key) const {
  return Find(section, key) != nullptr;
}

std::string TC_Ini_File::Get_String(std::string_view section, std::string_view key,
                                    const std::string& default_value) const {
  const std::string* value = Find(section, key);
  return value ? *value : default_value;
}

std::int32_t TC_Ini_File::Get_Integer(std::string_view section, std::string_view key,
                                      std::int32_t default_value) const {
  const std::string* value = Find(section, key);
  std::int32_t result = default_value;
  if (value && Integer_Rule(*value, result)) return result;
  return default_value;
}

std::vector<std::string> TC_Ini_File::Get_Section_Lines(std::string_view section,
                                                        std::size_t max_lines) const {
  std::vector<std::string> lines;
  const Content& content = Parsed();
  const auto sec = content.sections.find(Fold_Case(section));
  if (sec == content.sections.end()) return lines;
  const std::vector<Entry>& entries = sec->second.entries;
  const std::size_t count = std::min(entries.size(), max_lines);
  lines.reserve(count);
  for (std::size_t k = 0; k < count; ++k) {
    lines.push_back(entries[k].key + "=" + entries[entries[k].first].value);
  }
  return lines;
}

std::size_t TC_Ini_File::Stored_Bytes() const {
  const Content& content = Parsed();
  std::size_t bytes = 0;
  for (const auto& [name, section] : content.sections) {
    bytes += name.capacity() + section.entries.capacity() * sizeof(Entry);
    for (const Entry& entry : section.entries)
      bytes += entry.key.capacity() + entry.value.capacity();
  }
  return bytes;
}

std::string TC_Ini_File::Read_String(const Section_List& sections, std::string_view key,
                                     const std::string& default_value) const {
  const std::string* value = Find_Last(sections, key);
  return value ? *value : default_value;
}

std::int32_t TC_Ini_File::Read_Integer(const Section_List& sections, std::string_view key,
                                       std::int32_t default_value) const {
  const std::string* value = Find_Last(sections, key);
  std::int32_t result = default_value;
  if (value && Integer_Rule(*value, result)) return result;
  return default_value;
}

long double TC_Ini_File::Read_Float(const Section_List& sections, std::string_view key,
                                    long double default_value) const {
  const std::string* value = Find_Last(sections, key);
  long double result = default_value;
  if (value && Float_Rule(*value, result)) return result;
  return default_value;
}

bool TC_Ini_File::Read_Bool(const Section_List& sections, std::string_view key,
                            bool default_value) const {
  const std::string* value = Find_Last(sections, key);
  if (!value) return default_value;
  switch (value->empty() ? '\0' : value->front()) {
    case '1':
    case 'T':
    case 'Y':
    case 't':
    case 'y':
      return true;
    case '0':
    case 'F':
    case 'N':
    case 'f':
    case 'n':
      return false;
    default:
      throw Error("Bad Boolean constant: " + *value);
  }
}

std::uint16_t TC_Ini_File::Read_List(const Section_List& sections, std::string_view key,
                                     std::span<std::string> items, std::size_t max_count) const {
  const std::string* value = Find_Last(sections, key);
  if (!value) return 0;
  std::string text = *value;
  return Split_Fields(text, items, ' ', max_count);
}

}  // namespace pw
