// Parsing a block of complete data lines into points.
//
// The loader cuts the data into blocks of whole lines and hands each to a parser, several at
// once on several threads. A parser depends only on the text it is given and on where its
// first point goes, not on where the text came from, so every block comes out the same
// whether it is parsed alone or beside others.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "data/d_databuffer.h"
#include "data/d_fieldsplit.h"
#include "data/d_filedef.h"
#include "data/d_textdict.h"

namespace pw {

// What the loader needs of the file definition, packed for the inner loop.
struct Load_Plan {
  struct Column {
    int source_a;  // 1-based field numbers
    int source_b;
    Column_Operation operation;
    long double scale;
    bool filtered;
    long double low;  // the lowest and highest value a filter keeps: those on its limits too
    long double high;
    bool plain;  // one field, no operation, scale 1, no filter: a number is stored as it reads
  };
  std::vector<Column> columns;
  std::vector<int> selector_fields;  // 1-based field number of each selector
  int date_field = 0;                // 0: none
  char delimiter = 0;                // 0: runs of spaces; else that byte (Table_Form)
  int header_lines = 0;              // lines skipped at the top of the file
  int needed_fields = 0;             // fields past the last one referenced are never split off

  explicit Load_Plan(const TC_File_Def& def);
};

// Where parsed points go: views into the buffer's storage, and the buffer's dictionaries, which
// parsers only read.
struct Point_Store {
  std::vector<Packed_Values> values;                    // per column
  std::vector<std::uint32_t*> text_ids;                 // per selector
  std::vector<const TC_Text_Dictionary*> dictionaries;  // per selector
};

// A text number with this bit set is the number of the text in the parser's own dictionary of
// that selector: the text was not yet in the buffer's dictionary.
inline constexpr std::uint32_t Local_Text_Bit = 0x80000000u;

// The dates of one load. Base_Date is the first date read since the program started; lines
// before the one that set it read their dates as offset 0.
struct Date_Context {
  double base = 0;  // Base_Date from `base_point` on
  std::int64_t base_point = std::numeric_limits<std::int64_t>::max();  // 0-based point index
  double offset = 0;  // Date_Offset before the block's first line
};

// The first date of a block that may set Base_Date.
struct First_Date {
  bool found = false;     // `point` and `day` are valid
  bool blocked = false;   // a line that stops the load came first: no date after it counts
  std::size_t point = 0;  // points of the block before that line
  double day = 0;
};

struct Block_Result {
  std::size_t points = 0;             // points written, from the first on
  std::exception_ptr error;           // why the block stopped early, if it did
  bool limited = false;               // stopped at the point limit
  std::int64_t last_date_point = -1;  // 0-based index of the last line whose date was read
  double offset = 0;                  // Date_Offset after that line
  bool local_texts = false;           // some point holds a text number with Local_Text_Bit
  std::size_t lines = 0;              // lines looked at, comments and the failing line included
  bool open_quote = false;            // `error` is a quoted field open at the end of line
                                      // `lines` of the block: the loader names that line
};

// Parsers of neighbouring pieces run on different threads at once: each has cache lines of
// its own, so that what one writes for every line never evicts what another reads.
class alignas(64) TC_Block_Parser {
 public:
  explicit TC_Block_Parser(const Load_Plan& plan);

  // `text` holds whole lines, each ending in a line feed but the last, which may end with the
  // text; Split_Padding bytes past its end are readable.

  // The points (lines that are neither blank nor comments) in `text`.
  static std::size_t Count_Points(std::string_view text);
  // The first line whose date field holds a date other than day 0 (which cannot set
  // Base_Date), for a block at whose start Base_Date is still unset.
  First_Date Find_First_Date(std::string_view text);

  // Parses the points of `text` into the store, the first at 0-based index `first_point`,
  // writing at most `limit` points. Stops at the first line that fails (a field that does not
  // convert, a quoted field open at the line's end, a line longer than 65535 characters,
  // memory running out): that line's point is
  // not counted, and its error is kept in the result. Texts missing from the store's
  // dictionaries are added to this parser's own ones (see Local_Text_Bit), which the caller
  // merges in block order.
  Block_Result Parse(std::string_view text, std::size_t first_point, std::size_t limit,
                     const Point_Store& store, const Date_Context& dates);

  // This parser's dictionary of selector j (0-based), filled by the latest Parse.
  const TC_Text_Dictionary& Local_Texts(std::size_t j) const { return local_[j]; }

 private:
  // Splits a line into fields_ up to field `limit`; `raw` is the line as it stands, `line` the
  // same stripped of blanks at both ends. False when a quoted field is open at its end.
  bool Split(std::string_view raw, std::string_view line, int limit);
  // Whether `text` lies in unquoted_ (valid only until the next line is split).
  bool In_Unquoted(std::string_view text) const;
  void Parse_Point(std::string_view raw, std::string_view line, std::size_t index,
                   const Point_Store& store, const Date_Context& dates, Block_Result& result);
  std::string_view Field(int k) const {
    return k >= 1 && k <= field_count_ ? fields_[k - 1] : std::string_view();
  }

  // A selector's text on the latest line parsed, and its number (valid within one Parse).
  struct Last_Text {
    std::string_view text;
    std::uint32_t id = 0;
    bool valid = false;
  };

  const Load_Plan& plan_;
  std::vector<TC_Text_Dictionary> local_;
  std::array<Last_Text, Max_Selectors> last_texts_;  // in the object: see above
  Line_Fields fields_;
  int field_count_ = 0;
  std::string unquoted_;  // quoted fields put together (see Split_Delimited)
};

}  // namespace pw
