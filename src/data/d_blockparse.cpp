#include "data/d_blockparse.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "base/D_Error.h"
#include "base/utf8_chars.h"
#include "data/d_bufferstorage.h"
#include "setup/D_Format.h"
#include "setup/D_String.h"

namespace pw {

namespace {

// A field that a line does not have is empty and reads like a missing marker.
inline bool Is_Missing_Field(std::string_view field) {
  return field.empty() || field[0] == '?' || field[0] == 'N' || field[0] == 'n';
}

inline bool Is_Comment(std::string_view line) {
  return line.empty() || line[0] == '/' || line[0] == ':' || line[0] == ';';
}

// More than 65535 characters: the line stops the load with "Range check error". Characters
// are counted only for lines that could have too many.
inline bool Too_Long(std::string_view line) {
  return line.size() > Max_Field_Text && Character_Count(line) > Max_Field_Text;
}

inline long double Combine(long double a, long double b, Column_Operation operation) {
  switch (operation) {
    case Op_Add:
      return a + b;
    case Op_Sub:
      return a - b;
    case Op_Mul:
      return a * b;
    case Op_Div:
      return b == 0 ? Missing : a / b;
    default:
      return a;
  }
}

// Calls f(line) for each line of `text`, without its line feed.
template <typename F>
void For_Each_Line(std::string_view text, F&& f) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end) {
    const auto* feed = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* const stop = feed != nullptr ? feed : end;
    if (!f(std::string_view(p, static_cast<std::size_t>(stop - p)))) return;
    p = stop + 1;
  }
}

}  // namespace

Load_Plan::Load_Plan(const TC_File_Def& def) {
  auto need = [this](int k) {
    if (k >= 1 && k <= Max_Fields) needed_fields = std::max(needed_fields, k);
  };
  for (int c = 1; c <= def.Column_Count(); ++c) {
    const Column_Def& column = def.Column(c);
    const bool filtered = !Is_Missing(column.Filter_Low);
    const bool plain = column.Operation == Op_None && column.Scale == 1 && !filtered;
    columns.push_back({column.Source_A, column.Source_B, column.Operation, column.Scale, filtered,
                       Lowest_On(column.Filter_Low), Highest_On(column.Filter_High), plain});
    need(column.Source_A);
    if (column.Operation != Op_None) need(column.Source_B);
  }
  for (int j = 1; j <= def.Selector_Count(); ++j) {
    selector_fields.push_back(def.Selector(j).Column);
    need(def.Selector(j).Column);
  }
  date_field = def.DateCol;
  need(date_field);
  delimiter = def.Form.Delimiter;
  header_lines = def.Form.Header_Lines;
}

TC_Block_Parser::TC_Block_Parser(const Load_Plan& plan)
    : plan_(plan), local_(plan.selector_fields.size()) {}

bool TC_Block_Parser::In_Unquoted(std::string_view text) const {
  const std::less<const char*> before;
  return !text.empty() && !before(text.data(), unquoted_.data()) &&
         before(text.data(), unquoted_.data() + unquoted_.size());
}

bool TC_Block_Parser::Split(std::string_view raw, std::string_view line, int limit) {
  if (plan_.delimiter == 0) {
    field_count_ = Split_Line(line, fields_, limit);
    return true;
  }
  // A blank delimiter (a tab, a space) is not stripped off the ends: an empty first or last
  // field keeps its place. Any other blanks at the ends go with the first and last field's.
  const bool blank = static_cast<unsigned char>(plan_.delimiter) <= ' ';
  field_count_ = Split_Delimited(blank ? raw : line, plan_.delimiter, fields_, limit, unquoted_);
  if (field_count_ >= 0) return true;
  field_count_ = 0;
  return false;
}

std::size_t TC_Block_Parser::Count_Points(std::string_view text) {
  std::size_t points = 0;
  For_Each_Line(text, [&points](std::string_view line) {
    // The first byte that is not blank decides; trailing blanks do not matter.
    std::size_t i = 0;
    while (i < line.size() && static_cast<unsigned char>(line[i]) <= ' ') ++i;
    if (i < line.size() && !Is_Comment(line.substr(i, 1))) ++points;
    return true;
  });
  return points;
}

First_Date TC_Block_Parser::Find_First_Date(std::string_view text) {
  First_Date first;
  For_Each_Line(text, [&](std::string_view raw) {
    const std::string_view line = Strip_Blanks(raw);
    if (Is_Comment(line)) return true;
    if (Too_Long(line)) {
      first.blocked = true;
      return false;
    }
    if (!Split(raw, line, std::min(plan_.date_field, Max_Fields))) {
      first.blocked = true;  // the load stops on this line
      return false;
    }
    const std::string_view date = Field(plan_.date_field);
    if (!Is_Missing_Field(date)) {
      try {
        first.day = Str_To_Date(date);
      } catch (const Error&) {
        first.blocked = true;  // the load stops on this line
        return false;
      }
      if (first.day != 0) {
        first.found = true;
        return false;
      }
    }
    ++first.point;
    return true;
  });
  return first;
}

Block_Result TC_Block_Parser::Parse(std::string_view text, std::size_t first_point,
                                    std::size_t limit, const Point_Store& store,
                                    const Date_Context& dates) {
  for (TC_Text_Dictionary& local : local_) local.Clear();
  for (Last_Text& last : last_texts_) last.valid = false;
  Block_Result result;
  result.offset = dates.offset;
  For_Each_Line(text, [&](std::string_view raw) {
    ++result.lines;
    const std::string_view line = Strip_Blanks(raw);
    if (Is_Comment(line)) return true;
    try {
      // An over-long line is refused before the storage is asked for room.
      if (Too_Long(line)) throw Error(Range_Check_Message);
      if (result.points == limit) {
        result.limited = true;
        return false;
      }
      // The point counts only once all its fields converted: a failing line leaves no
      // half-filled point behind.
      Parse_Point(raw, line, first_point + result.points, store, dates, result);
    } catch (...) {
      result.error = std::current_exception();
      return false;
    }
    ++result.points;
    return true;
  });
  return result;
}

void TC_Block_Parser::Parse_Point(std::string_view raw, std::string_view line, std::size_t index,
                                  const Point_Store& store, const Date_Context& dates,
                                  Block_Result& result) {
  if (!Split(raw, line, plan_.needed_fields)) {
    result.open_quote = true;  // the loader words the message: it knows the line's number
    throw Error("Quote not closed");
  }
  if (plan_.date_field != 0) {
    const std::string_view date = Field(plan_.date_field);
    double offset = 0;
    if (!Is_Missing_Field(date)) {
      const double day = Str_To_Date(date);
      // Before the line that set Base_Date every date read as the first one, offset 0.
      if (static_cast<std::int64_t>(index) >= dates.base_point) offset = (day - dates.base) * 24;
    }
    result.offset = offset;
    result.last_date_point = static_cast<std::int64_t>(index);
  }
  const double offset = result.offset;
  for (std::size_t c = 0; c < plan_.columns.size(); ++c) {
    const Load_Plan::Column& column = plan_.columns[c];
    const std::string_view a = Field(column.source_a);
    // The usual column and number: stored straight away. The steps below would leave it as
    // it is, but their extended-number tests and loads cost about a tenth of the load.
    long double fast;
    if (column.plain && !Is_Missing_Field(a) && Fast_Padded_To_Float(a, fast)) {
      store.values[c].Set(index, fast);
      continue;
    }
    long double v = Missing;
    if (!Is_Missing_Field(a)) {
      v = Field_Value<true>(a, offset);
      if (column.operation != Op_None) {
        const std::string_view b = Field(column.source_b);
        v = Is_Missing_Field(b) ? Missing
                                : Combine(v, Field_Value<true>(b, offset), column.operation);
      }
    }
    if (!Missing_Value(v)) {
      if (column.scale != 1) v *= column.scale;  // times 1 changes nothing: spared
      if (column.filtered && (v < column.low || v > column.high)) v = Missing;
    }
    store.values[c].Set(index, v);
  }
  // Texts last: a line that fails on a number adds no text to any dictionary.
  for (std::size_t j = 0; j < plan_.selector_fields.size(); ++j) {
    const std::string_view text =
        Cut_To_Characters(Field(plan_.selector_fields[j]), Max_Text_Length);
    // Files often hold runs of lines of one site or group: the same text as the line before
    // needs no look-up.
    Last_Text& last = last_texts_[j];
    if (!last.valid || text != last.text) {
      std::uint32_t id = store.dictionaries[j]->Find(text);
      if (id == TC_Text_Dictionary::None) {
        id = local_[j].Add(text) | Local_Text_Bit;
        result.local_texts = true;
      }
      // A text put together from quotes lives in unquoted_, which the next line overwrites:
      // only a text that stands in the line itself can be compared with the next.
      // Member by member: a whole struct put together on the stack and copied is read back
      // in pieces wider than the stores that wrote them, which the processor cannot forward.
      last.text = text;
      last.id = id;
      last.valid = !In_Unquoted(text);
      store.text_ids[j][index] = id;
      continue;
    }
    store.text_ids[j][index] = last.id;
  }
}

}  // namespace pw
