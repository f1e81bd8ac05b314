// Loading the data file into the buffer.
//
// The data is read in batches of whole lines (d_linebatches.h). Each batch is cut at line
// ends into pieces, and each piece counts its points, so that every piece knows where its
// first point goes; then the pieces parse their lines on several threads straight into their
// final place in the storage, while one thread reads the next batch and counts its points.
// Texts new to a selector's dictionary are collected per piece and added in piece order
// afterwards, so the dictionary numbers its texts in the order they first occur in the file.
// An error stops the load at the first failing line in file order, whichever piece found its
// error first. The source may be a decompressor (d_decode.h) and may start with header lines
// to skip (d_headerskip.h): the loader sees the text lines either way.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_blockparse.h"
#include "data/d_bufferstorage.h"
#include "data/d_bytesource.h"
#include "data/d_databuffer.h"
#include "data/d_decode.h"
#include "data/d_filedef.h"
#include "data/d_headerskip.h"
#include "data/d_linebatches.h"
#include "data/d_loader.h"

namespace pw {
namespace {

constexpr std::int32_t kDefaultStep = 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr std::size_t kMiB = std::size_t{1} << 20;
// Bytes per batch: a thirty-second of the file (as far as its size is known: a compressed
// file's is estimated), within 1 to 8 MiB (less for a small file), so that the two batch
// buffers stay small beside the points while a batch gives every thread work.
std::size_t Batch_Bytes(const Load_Options& options, std::uint64_t total) {
  if (options.Batch_Bytes > 0) return options.Batch_Bytes;
  if (total == 0) return 4 * kMiB;
  const auto wanted =
      static_cast<std::size_t>(std::clamp<std::uint64_t>(total / 32, kMiB, 8 * kMiB));
  return std::min<std::size_t>(wanted, std::max<std::uint64_t>(total + 1, 64 * 1024));
}

// Bytes per piece: a batch gives each thread about sixteen pieces, so that the threads run out
// of work at nearly the same time at the end of a batch (a piece takes a few milliseconds).
std::size_t Piece_Bytes(const Load_Options& options, std::size_t batch) {
  if (options.Piece_Bytes > 0) return options.Piece_Bytes;
  const auto threads = static_cast<std::size_t>(Thread_Count());
  if (threads == 1) return batch;
  return std::clamp<std::size_t>(batch / (16 * threads), 64 * 1024, kMiB);
}

// [begin, end) of `text`, cut after a line feed about every `size` bytes.
std::vector<std::string_view> Cut_Pieces(std::string_view text, std::size_t size) {
  std::vector<std::string_view> pieces;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.size();
    if (text.size() - begin > size) {
      const std::size_t feed = text.find('\n', begin + size - 1);
      if (feed != std::string_view::npos) end = feed + 1;
    }
    pieces.push_back(text.substr(begin, end - begin));
    begin = end;
  }
  return pieces;
}

}  // namespace

class TC_Data_Buffer::Loader {
 public:
  Loader(TC_Data_Buffer& buffer, const std::string& name, const TC_File_Def& def,
         const Progress_Fn& progress, const Load_Options& options)
      : buffer_(buffer),
        name_(name),
        plan_(def),
        progress_(progress),
        options_(options),
        step_(NPts >= 1 ? NPts : kDefaultStep) {
    // Date_Offset is the date of the line read last. Without a date column no line has a date:
    // the offset an earlier load's dates left must not move this file's times.
    dates_.offset = plan_.date_field != 0 ? Date_Offset : 0;
    if (Base_Date != 0) {  // set by an earlier load: every line reads its date against it
      dates_.base = Base_Date;
      dates_.base_point = 0;
      base_pending_ = false;
    }
  }

  // The first NPts points of room, for a buffer that has none yet.
  void Start() {
    start_points_ = buffer_.point_count_;
    if (buffer_.storage_->capacity == 0) Allocate(step_);
  }
  // Reads the whole source; returns the bytes of it taken by the lines read.
  std::uint64_t Run(TC_Byte_Source& source);

 private:
  void Process(std::string_view block, std::uint64_t bytes_through,
               const std::function<void()>& beside);
  std::vector<std::size_t> Place_Pieces(const std::vector<std::size_t>& counts) const;
  void Prepare(std::string_view lines);
  void Take_Results(const std::vector<std::size_t>& firsts,
                    const std::vector<Block_Result>& results);
  [[noreturn]] void Raise_Open_Quote(std::size_t stop, const std::vector<Block_Result>& results);
  void Find_Base_Date(const std::vector<std::string_view>& pieces,
                      const std::vector<std::size_t>& firsts);
  void Parse_Pieces(const std::vector<std::string_view>& pieces,
                    const std::vector<std::size_t>& firsts, std::vector<Block_Result>& results,
                    const std::function<void()>& beside);
  void Add_Shown_Texts(const TC_Text_Dictionary& local, TC_Text_Dictionary& global,
                       std::vector<std::string>& shown, std::vector<std::uint32_t>& numbers);
  void Merge_Texts(std::size_t pieces, const std::vector<std::size_t>& firsts,
                   const std::vector<Block_Result>& results);
  void Reserve(std::size_t points, std::uint64_t bytes_through);
  void Allocate(std::int64_t points);
  bool Try_Resize(std::int64_t points);
  [[noreturn]] void Raise_Limit();
  void Populate(std::size_t from, std::size_t to) const;
  void Report_Progress();
  void Publish_Dates() const;
  Point_Store Store() const;

  TC_Data_Buffer& buffer_;
  const std::string& name_;
  const Load_Plan plan_;
  const Progress_Fn& progress_;
  const Load_Options& options_;
  const std::int32_t step_;

  TC_Byte_Source* source_ = nullptr;
  std::size_t batch_bytes_ = 0;
  // A block cut into pieces, with the points of each.
  struct Prepared {
    std::string_view lines;
    std::vector<std::string_view> pieces;
    std::vector<std::size_t> counts;
  };
  Prepared prepared_;  // the next block, made ready while the one before is parsed

  std::vector<TC_Block_Parser> parsers_;  // one per piece, kept from batch to batch
  Date_Context dates_;
  bool base_pending_ = true;           // Base_Date may still be set by a line of this load
  std::int64_t last_date_point_ = -1;  // the last point whose date was read
  std::uint64_t lines_done_ = 0;       // lines of the file before the block being parsed
  std::int64_t start_points_ = 0;      // points in the buffer before this load (an append's)
  std::size_t limit_ = std::numeric_limits<std::size_t>::max();  // points that fit
  enum class Limit { None, Memory, Count } limit_kind_ = Limit::None;
  std::chrono::steady_clock::time_point last_report_ = std::chrono::steady_clock::now();
};

void TC_Data_Buffer::Loader::Allocate(std::int64_t points) {
  if (!Try_Resize(points)) {
    buffer_.Refresh_Views();  // some arrays may have moved before memory ran out
    throw Error("Not enough memory to load " + name_ + " after " +
                std::to_string(buffer_.point_count_) + " points");
  }
}

// Grows every array to `points` (rounded up to whole steps, at most the largest count the
// point numbers allow); false when memory runs out.
bool TC_Data_Buffer::Loader::Try_Resize(std::int64_t points) {
  const std::int64_t largest = INT32_MAX / step_ * step_;
  points = std::min((points + step_ - 1) / step_ * step_, largest);
  if (points <= buffer_.storage_->capacity) return true;
  const bool done = buffer_.storage_->Resize(static_cast<std::int32_t>(points));
  buffer_.Refresh_Views();
  return done;
}

// Room for `points` points in all. Grows by at least one step, and straight to the point
// count the file size promises, so that a large file costs a handful of reallocations whatever
// the step; by an eighth at least, so that a file that grows while it is read stays linear
// too. Pages never written cost no memory, so planning ahead is cheap. When memory runs out
// the points that fit are still read, and the load stops after them.
void TC_Data_Buffer::Loader::Reserve(std::size_t points, std::uint64_t bytes_through) {
  const std::int64_t capacity = buffer_.storage_->capacity;
  const auto need = static_cast<std::int64_t>(std::min<std::size_t>(points, INT64_MAX / 2));
  if (need <= capacity) return;
  std::int64_t target = std::max(need, capacity + std::max<std::int64_t>(step_, capacity / 8));
  const std::uint64_t total = source_->Expected_Bytes();
  if (total > 0 && bytes_through > 0) {
    // The points of this source so far, scaled to its whole size (an append's points before
    // it are not in its bytes).
    const double expected =
        start_points_ + static_cast<double>(need - start_points_) / bytes_through * total * 1.02;
    target = std::max(target, static_cast<std::int64_t>(std::min(expected, 4e9)));
  }
  if (!Try_Resize(target) && !Try_Resize(need)) {
    limit_ = static_cast<std::size_t>(buffer_.storage_->capacity);
    limit_kind_ = Limit::Memory;
    return;
  }
  if (need > buffer_.storage_->capacity) {  // past the largest count of points
    limit_ = static_cast<std::size_t>(buffer_.storage_->capacity);
    limit_kind_ = Limit::Count;
  }
}

void TC_Data_Buffer::Loader::Raise_Limit() {
  if (limit_kind_ == Limit::Count) {
    throw Error("Too many points in " + name_ + ": the buffer holds at most " +
                std::to_string(buffer_.storage_->capacity));
  }
  throw Error("Not enough memory to load " + name_ + " after " +
              std::to_string(buffer_.point_count_) + " points");
}

Point_Store TC_Data_Buffer::Loader::Store() const {
  Point_Store store;
  store.values = buffer_.values_;
  store.text_ids = buffer_.text_ids_;
  for (const TC_Text_Dictionary& dictionary : buffer_.storage_->dictionaries) {
    store.dictionaries.push_back(&dictionary);
  }
  return store;
}

// Maps the storage pages of points [from, to) before they are written. Fresh pages would
// otherwise come one page fault at a time, which costs more than converting the numbers on a
// large file; asking for a run of pages at once is much cheaper. Every page the range touches
// is asked for: a piece's range is only a few pages long, and a page already mapped (by the
// piece beside, say) is left as it is, contents and all. The pages lie inside the block's
// mapping, which malloc makes whole pages. Only a hint: kernels without it just fault the
// pages in as before.
void TC_Data_Buffer::Loader::Populate([[maybe_unused]] std::size_t from,
                                      [[maybe_unused]] std::size_t to) const {
#ifdef MADV_POPULATE_WRITE
  static const std::uintptr_t page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  auto populate = [](const char* base, std::size_t begin, std::size_t end) {
    const auto first = (reinterpret_cast<std::uintptr_t>(base) + begin) & ~(page - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(base) + end + page - 1) & ~(page - 1);
    if (last > first) {
      (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
    }
  };
  for (auto& block : buffer_.storage_->values) {
    populate(block.get(), from * Packed_Values::Bytes, to * Packed_Values::Bytes);
  }
  for (auto& block : buffer_.storage_->text_ids) {
    populate(block.get(), Storage::Id_Bytes(from), Storage::Id_Bytes(to));
  }
#endif
}

std::uint64_t TC_Data_Buffer::Loader::Run(TC_Byte_Source& source) {
  // Header lines are the file's first lines: a load that starts further on has none. A
  // byte-order mark would be part of the first of them.
  std::optional<TC_Header_Skip_Source> header;
  lines_done_ = options_.Lines_Before;
  if (plan_.header_lines > 0 && options_.At_File_Start) {
    header.emplace(source, static_cast<std::uint64_t>(plan_.header_lines));
    lines_done_ += static_cast<std::uint64_t>(plan_.header_lines);
  }
  source_ = header ? &*header : &source;
  batch_bytes_ = Batch_Bytes(options_, source_->Expected_Bytes());
  struct Publish {
    const Loader& loader;
    ~Publish() { loader.Publish_Dates(); }
  } publish{*this};
  // A blank delimiter (a tab, a space) at the front of a line marks empty fields: it stays.
  const bool blank_delimiter =
      plan_.delimiter != 0 && static_cast<unsigned char>(plan_.delimiter) <= ' ';
  TC_Line_Batches batches(*source_, batch_bytes_, options_.At_File_Start && !header,
                          options_.Keep_Unfinished_Line, blank_delimiter ? plan_.delimiter : 0);
  // A byte-order mark says what the text is, whatever code page the setup names.
  const bool marked = source.From_Utf16() || batches.Skipped_Mark() ||
                      (header && header->Began_With_Mark());
  if (marked && options_.At_File_Start && !options_.Append) buffer_.storage_->Read_As_Utf8();
  // The next batch is read, and its points counted, while this one is parsed.
  const std::function<void()> read_ahead = [this, &batches] {
    batches.Read_Ahead();
    Prepare(batches.Ahead_Lines());
  };
  TC_Line_Batches::Block block;
  while (batches.Next(block)) {
    if (!block.too_long) {
      Process(block.lines, batches.Taken() + block.lines.size(),
              batches.Can_Read_Ahead() ? read_ahead : nullptr);
    } else if (TC_Block_Parser::Count_Points(block.lines) > 0) {  // not a comment
      throw Error(Range_Check_Message);
    } else {
      ++lines_done_;
    }
    batches.Done();
    Report_Progress();
  }
  if (progress_) progress_(1.0);
  if (options_.Lines_Taken != nullptr) *options_.Lines_Taken = lines_done_ - options_.Lines_Before;
  return batches.Taken() + (header ? header->Skipped() : 0);
}

void TC_Data_Buffer::Loader::Report_Progress() {
  if (!progress_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - last_report_ < kProgressInterval) return;
  last_report_ = now;
  const auto size = std::max<std::uint64_t>(source_->Total_Size(), 1);
  progress_(std::min(1.0, static_cast<double>(source_->Bytes_Read()) / size));
}

// Base_Date and Date_Offset as a load on one thread leaves them: the offset of the last line
// whose date was read, and the first date if its line was reached.
void TC_Data_Buffer::Loader::Publish_Dates() const {
  if (plan_.date_field == 0 || last_date_point_ < 0) return;
  Date_Offset = dates_.offset;
  if (last_date_point_ >= dates_.base_point) Base_Date = dates_.base;
}

// Parses a block of whole lines, which end `bytes_through` bytes into the source, running
// `beside` (if any) beside the parsing; an error of `beside` is raised once the block's points
// are in place, unless a line failed before.
void TC_Data_Buffer::Loader::Process(std::string_view block, std::uint64_t bytes_through,
                                     const std::function<void()>& beside) {
  Prepared ready;
  if (prepared_.lines.data() == block.data() && prepared_.lines.size() == block.size()) {
    ready = std::move(prepared_);  // cut and counted while the block before was parsed
  } else {
    ready.pieces = Cut_Pieces(block, Piece_Bytes(options_, batch_bytes_));
    ready.counts.resize(ready.pieces.size());
    Parallel_For(ready.pieces.size(), [&](std::size_t k) {
      ready.counts[k] = TC_Block_Parser::Count_Points(ready.pieces[k]);
    });
  }
  prepared_ = Prepared();
  const std::vector<std::string_view>& pieces = ready.pieces;
  while (parsers_.size() < pieces.size()) parsers_.emplace_back(plan_);
  const std::vector<std::size_t> firsts = Place_Pieces(ready.counts);
  if (plan_.date_field != 0 && base_pending_) Find_Base_Date(pieces, firsts);
  Reserve(firsts.back(), bytes_through);

  std::vector<Block_Result> results(pieces.size());
  std::exception_ptr beside_error;
  const std::function<void()> guarded_beside = [&] {
    try {
      beside();
    } catch (...) {
      beside_error = std::current_exception();
    }
  };
  Parse_Pieces(pieces, firsts, results, beside ? guarded_beside : nullptr);
  Take_Results(firsts, results);
  if (beside_error) std::rethrow_exception(beside_error);
}

// Where each piece's first point goes, from the points each holds; the last entry is where
// the block's points end.
std::vector<std::size_t> TC_Data_Buffer::Loader::Place_Pieces(
    const std::vector<std::size_t>& counts) const {
  std::vector<std::size_t> firsts(counts.size() + 1);
  firsts[0] = static_cast<std::size_t>(buffer_.point_count_);
  for (std::size_t k = 0; k < counts.size(); ++k) firsts[k + 1] = firsts[k] + counts[k];
  return firsts;
}

// Cuts the lines of the next block into pieces and counts their points (beside the parsing of
// the block before, on one thread).
void TC_Data_Buffer::Loader::Prepare(std::string_view lines) {
  prepared_.lines = lines;
  prepared_.pieces = Cut_Pieces(lines, Piece_Bytes(options_, batch_bytes_));
  prepared_.counts.clear();
  for (std::string_view piece : prepared_.pieces) {
    prepared_.counts.push_back(TC_Block_Parser::Count_Points(piece));
  }
}

// The points, texts and dates of the pieces up to the first that stopped early, which holds
// the first failing line in file order: the pieces before it hold all the points before that
// line. Then raises that line's error, if any.
void TC_Data_Buffer::Loader::Take_Results(const std::vector<std::size_t>& firsts,
                                          const std::vector<Block_Result>& results) {
  std::size_t stop = results.size();
  for (std::size_t k = 0; k < results.size() && stop == results.size(); ++k) {
    if (results[k].error || results[k].limited) stop = k;
  }
  const std::size_t used = std::min(stop + 1, results.size());
  for (std::size_t k = 0; k < used; ++k) {
    if (results[k].last_date_point >= 0) {
      last_date_point_ = results[k].last_date_point;
      dates_.offset = results[k].offset;
    }
  }
  Merge_Texts(used, firsts, results);
  buffer_.point_count_ = static_cast<std::int32_t>(firsts[used - 1] + results[used - 1].points);
  if (stop == results.size()) {
    for (const Block_Result& result : results) lines_done_ += result.lines;
    return;
  }
  if (results[stop].open_quote) Raise_Open_Quote(stop, results);
  if (results[stop].error) std::rethrow_exception(results[stop].error);
  Raise_Limit();
}

// The pieces before the one that stopped were parsed whole: their lines count in full.
void TC_Data_Buffer::Loader::Raise_Open_Quote(std::size_t stop,
                                              const std::vector<Block_Result>& results) {
  std::uint64_t line = lines_done_;
  for (std::size_t k = 0; k <= stop; ++k) line += results[k].lines;
  throw Error("Quote not closed in line " + std::to_string(line) + " of " + name_);
}

// Base_Date still unset: the first line in file order whose date is not day 0 sets it, unless
// a line that stops the load comes first.
void TC_Data_Buffer::Loader::Find_Base_Date(const std::vector<std::string_view>& pieces,
                                            const std::vector<std::size_t>& firsts) {
  std::vector<First_Date> found(pieces.size());
  Parallel_For(pieces.size(),
               [&](std::size_t k) { found[k] = parsers_[k].Find_First_Date(pieces[k]); });
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    if (found[k].found) {
      dates_.base = found[k].day;
      dates_.base_point = static_cast<std::int64_t>(firsts[k] + found[k].point);
      base_pending_ = false;
      return;
    }
    if (found[k].blocked) {
      base_pending_ = false;  // the load ends on that line
      return;
    }
  }
}

void TC_Data_Buffer::Loader::Parse_Pieces(const std::vector<std::string_view>& pieces,
                                          const std::vector<std::size_t>& firsts,
                                          std::vector<Block_Result>& results,
                                          const std::function<void()>& beside) {
  const Point_Store store = Store();
  const std::size_t capacity = static_cast<std::size_t>(buffer_.storage_->capacity);
  // Task 0 is `beside` when there is one: started first, it overlaps the most parsing.
  const std::size_t shift = beside ? 1 : 0;
  Parallel_For(pieces.size() + shift, [&](std::size_t task) {
    if (task < shift) {
      beside();
      return;
    }
    const std::size_t k = task - shift;
    const std::size_t limit = firsts[k] < limit_ ? limit_ - firsts[k] : 0;
    Populate(firsts[k], std::min(firsts[k + 1], capacity));
    results[k] = parsers_[k].Parse(pieces[k], firsts[k], limit, store, dates_);
  });
}

// Merge_Texts for a selector of a file in a code page: each text new to `global` is also
// converted to UTF-8, once, into `shown` (its number's place). Out of memory leaves `global`
// and `shown` in step.
void TC_Data_Buffer::Loader::Add_Shown_Texts(const TC_Text_Dictionary& local,
                                             TC_Text_Dictionary& global,
                                             std::vector<std::string>& shown,
                                             std::vector<std::uint32_t>& numbers) {
  const TC_Code_Page& code_page = *buffer_.storage_->code_page;
  const std::size_t needed = shown.size() + local.Size();
  if (needed > shown.capacity()) shown.reserve(std::max(needed, shown.capacity() * 2));
  for (std::uint32_t id = 0; id < local.Size(); ++id) {
    const std::string_view text = local.Text(id);
    std::uint32_t number = global.Find(text);
    if (number == TC_Text_Dictionary::None) {
      std::string utf8 = code_page.To_Utf8(text);
      number = global.Add(text);
      shown.push_back(std::move(utf8));  // room reserved: cannot fail
    }
    numbers.push_back(number);
  }
}

// Adds the texts the pieces found new to the buffer's dictionaries, piece by piece in file
// order, and renumbers the points that hold them. When memory runs out on the way, the points
// from the piece then merged on are given up.
void TC_Data_Buffer::Loader::Merge_Texts(std::size_t pieces, const std::vector<std::size_t>& firsts,
                                         const std::vector<Block_Result>& results) {
  const std::size_t selectors = plan_.selector_fields.size();
  std::vector<std::size_t> renumbered;
  std::vector<std::vector<std::vector<std::uint32_t>>> numbers(pieces);
  std::exception_ptr failure;
  for (std::size_t k = 0; k < pieces && !failure; ++k) {
    if (!results[k].local_texts) continue;
    try {
      numbers[k].resize(selectors);
      for (std::size_t j = 0; j < selectors; ++j) {
        const TC_Text_Dictionary& local = parsers_[k].Local_Texts(j);
        TC_Text_Dictionary& global = buffer_.storage_->dictionaries[j];
        numbers[k][j].reserve(local.Size());
        if (buffer_.storage_->code_page) {
          Add_Shown_Texts(local, global, buffer_.storage_->shown_texts[j], numbers[k][j]);
          continue;
        }
        for (std::uint32_t id = 0; id < local.Size(); ++id) {
          numbers[k][j].push_back(global.Add(local.Text(id)));
        }
      }
      renumbered.push_back(k);
    } catch (...) {
      failure = std::current_exception();
      buffer_.point_count_ = static_cast<std::int32_t>(firsts[k]);
    }
  }
  std::uint32_t* const* const ids = buffer_.text_ids_.data();
  Parallel_For(renumbered.size(), [&](std::size_t r) {
    const std::size_t k = renumbered[r];
    for (std::size_t j = 0; j < selectors; ++j) {
      const std::vector<std::uint32_t>& number = numbers[k][j];
      std::uint32_t* const column = ids[j];
      for (std::size_t i = firsts[k]; i < firsts[k] + results[k].points; ++i) {
        if (column[i] & Local_Text_Bit) column[i] = number[column[i] & ~Local_Text_Bit];
      }
    }
  });
  if (failure) std::rethrow_exception(failure);
}

// Loads through `open`, which opens the source once the first room for points is there (so
// that an impossible growth step is reported before anything is read).
std::uint64_t TC_Data_Buffer::Run_Load(const std::string& name, const TC_File_Def& def,
                                       const Progress_Fn& progress, const Load_Options& options,
                                       const std::function<TC_Byte_Source&()>& open) {
  if (def.Column_Count() > Max_Columns) throw Error("Too many buffer columns");
  if (!options.Append) {
    Reset_For(def);
  } else if (def.Column_Count() != column_count_ || def.Selector_Count() != selector_count_) {
    throw Error("Cannot add the points of " + name + " to data of another definition");
  }
  // Selection masks cover the points loaded, so they are worked out again afterwards, also
  // after a load stopped by an error (the points before it stay usable).
  masks_.clear();
  Prepare_Selection();
  std::uint64_t taken = 0;
  try {
    Loader loader(*this, name, def, progress, options);
    loader.Start();
    taken = loader.Run(open());
  } catch (...) {
    masks_.clear();
    Prepare_Selection();
    throw;
  }
  masks_.clear();
  Prepare_Selection();
  if (!options.Append && point_count_ == 0) {
    throw Error("No points in data buffer loaded from " + name, true);
  }
  return taken;
}

void TC_Data_Buffer::Load_File(const std::string& file_name, const TC_File_Def& def,
                               const Progress_Fn& progress) {
  std::unique_ptr<TC_File_Source> file;
  std::unique_ptr<TC_Byte_Source> decoded;
  Run_Load(file_name, def, progress, Load_Options{}, [&]() -> TC_Byte_Source& {
    file = std::make_unique<TC_File_Source>(file_name);
    decoded = Open_Decoded(*file, file_name);
    return *decoded;
  });
}

void TC_Data_Buffer::Load_Stream(TC_Byte_Source& raw, const std::string& name,
                                 const TC_File_Def& def, const Progress_Fn& progress) {
  std::unique_ptr<TC_Byte_Source> decoded;
  Run_Load(name, def, progress, Load_Options{}, [&]() -> TC_Byte_Source& {
    decoded = Open_Decoded(raw, name);
    return *decoded;
  });
}

std::uint64_t TC_Data_Buffer::Load_Source(TC_Byte_Source& source, const std::string& name,
                                          const TC_File_Def& def, const Progress_Fn& progress,
                                          const Load_Options& options) {
  return Run_Load(name, def, progress, options, [&]() -> TC_Byte_Source& { return source; });
}

std::uint64_t TC_Data_Buffer::Load_Opened(const std::string& name, const TC_File_Def& def,
                                          const Progress_Fn& progress,
                                          const Load_Options& options,
                                          const std::function<TC_Byte_Source&()>& open) {
  return Run_Load(name, def, progress, options, open);
}

}  // namespace pw
