#include "data/d_linebatches.h"

#include <cstring>

#include "data/d_fieldsplit.h"

namespace pw {

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

bool Is_Blank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

}  // namespace

TC_Line_Batches::TC_Line_Batches(TC_Byte_Source& source, std::size_t batch_bytes,
                                 bool at_file_start, bool keep_unfinished_line, char kept_blank)
    : source_(source),
      room_(batch_bytes),
      keep_unfinished_line_(keep_unfinished_line),
      kept_blank_(kept_blank) {
  for (Batch& batch : batches_) batch.bytes.resize(room_ + Split_Padding);
  Fill();
  if (at_file_start &&
      std::string_view(Current().bytes.data(), Current().end).starts_with(kByteOrderMark)) {
    begin_ = taken_ = 3;
    skipped_mark_ = true;
  }
}

// Fills the other batch: the bytes of the current one from `from` on, then what the source
// gives until the batch is full or the data end.
void TC_Line_Batches::Read_Into_Next(std::size_t from) {
  const Batch& current = batches_[current_];
  Batch& next = batches_[1 - current_];
  next.end = current.end - from;
  std::memcpy(next.bytes.data(), current.bytes.data() + from, next.end);
  while (!at_end_ && next.end < room_) {
    std::size_t count = 0;
    try {
      count = source_.Read(next.bytes.data() + next.end, room_ - next.end);
    } catch (...) {
      read_error_ = std::current_exception();
      at_end_ = true;
      break;
    }
    if (count == 0) {
      at_end_ = true;
      break;
    }
    const char* const read = next.bytes.data() + next.end;
    const auto* stop = static_cast<const char*>(std::memchr(read, 26, count));
    if (stop != nullptr) {
      next.end += static_cast<std::size_t>(stop - read);
      at_end_ = code_26_ = true;
      break;
    }
    next.end += count;
  }
}

// Reads on behind the unread bytes, which come to the front. False when nothing was added.
bool TC_Line_Batches::Fill() {
  const std::size_t unread = Current().end - begin_;
  Read_Into_Next(begin_);
  current_ = 1 - current_;
  begin_ = 0;
  return Current().end > unread;
}

bool TC_Line_Batches::Next(Block& block) {
  block = Block();
  pending_ = 0;
  read_ahead_ = false;
  for (;;) {
    const std::string_view unread(Current().bytes.data() + begin_, Current().end - begin_);
    const std::size_t last_feed = unread.rfind('\n');
    if (last_feed != std::string_view::npos) {
      pending_ = last_feed + 1;
    } else if (!at_end_ && Current().end == room_ && begin_ == 0) {
      if (Long_Line(block)) return true;
      continue;
    } else if (!at_end_) {
      Fill();
      continue;
    } else if (read_error_) {
      std::rethrow_exception(read_error_);
    } else if (unread.empty() || (keep_unfinished_line_ && !code_26_)) {
      return false;
    } else {
      pending_ = unread.size();  // the last line, without a line end
    }
    block.lines = unread.substr(0, pending_);
    return true;
  }
}

void TC_Line_Batches::Read_Ahead() {
  Read_Into_Next(begin_ + pending_);
  read_ahead_ = true;
}

std::string_view TC_Line_Batches::Ahead_Lines() const {
  const Batch& next = batches_[1 - current_];
  const std::string_view unread(next.bytes.data(), next.end);
  const std::size_t last_feed = unread.rfind('\n');
  if (last_feed != std::string_view::npos) return unread.substr(0, last_feed + 1);
  if (!at_end_ || read_error_ || (keep_unfinished_line_ && !code_26_)) return {};
  return unread;  // the last line, without a line end
}

void TC_Line_Batches::Done() {
  taken_ += pending_;
  if (read_ahead_) {
    current_ = 1 - current_;
    begin_ = 0;
  } else {
    begin_ += pending_;
  }
  pending_ = 0;
  read_ahead_ = false;
}

// A line that fills the whole batch. Blanks carry nothing at its front, nor far past its start
// (see Longest_Line_Bytes), so only its first part is kept, and whether anything but blanks
// follows it. False when there is nothing to hand out: the line was left unread as
// unfinished.
bool TC_Line_Batches::Long_Line(Block& block) {
  const std::uint64_t taken_before = taken_;
  long_line_.clear();
  bool started = false;  // past the blanks at the front
  bool ended = false;    // the line feed was found
  std::size_t front = 0;  // kept blanks at the front
  while (!ended) {
    const char* p = Current().bytes.data() + begin_;
    const char* const end = Current().bytes.data() + Current().end;
    const auto* feed = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* const stop = feed != nullptr ? feed : end;
    for (; p < stop; ++p) {
      if (!started && Is_Blank(*p)) {
        // Beyond Max_Fields of them no field is read anyway.
        if (kept_blank_ != 0 && *p == kept_blank_ && front < Max_Fields) {
          long_line_.push_back(*p);
          ++front;
        }
        continue;
      }
      started = true;
      if (long_line_.size() - front < Longest_Line_Bytes) {
        long_line_.push_back(*p);
      } else if (!Is_Blank(*p)) {
        block.too_long = true;
      }
    }
    ended = feed != nullptr;
    const std::size_t consumed =
        static_cast<std::size_t>(stop - (Current().bytes.data() + begin_)) + ended;
    begin_ += consumed;
    taken_ += consumed;
    if (!ended && !Fill()) break;
  }
  if (!ended && read_error_) std::rethrow_exception(read_error_);
  if (!ended && keep_unfinished_line_ && !code_26_) {
    taken_ = taken_before;  // may still be growing: left for a later read
    return false;
  }
  long_line_.push_back('\n');
  const std::size_t length = long_line_.size();
  long_line_.append(Split_Padding, ' ');
  block.lines = std::string_view(long_line_).substr(0, length);
  block.long_line = true;
  return true;
}

}  // namespace pw
