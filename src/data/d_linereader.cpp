#include "data/d_linereader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/D_Error.h"
#include "setup/D_String.h"

namespace pw {

TC_Line_Reader::TC_Line_Reader(const std::string& file_name) : file_name_(file_name) {
  // The buffer first: nothing may throw once the file is open, since a throwing constructor
  // runs no destructor to close it.
  buffer_.resize(Block_Size + Tail_Padding);
  fd_ = ::open(file_name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) Fail("Cannot open data file ");
  struct stat info {};
  const int error = ::fstat(fd_, &info) != 0 ? errno : S_ISDIR(info.st_mode) ? EISDIR : 0;
  if (error != 0) {
    ::close(fd_);
    fd_ = -1;
    errno = error;
    Fail("Cannot read data file ");
  }
  file_size_ = S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
}

TC_Line_Reader::~TC_Line_Reader() {
  if (fd_ >= 0) ::close(fd_);
}

void TC_Line_Reader::Fail(const char* what) const {
  const int reason = errno;
  throw Error(what + file_name_ + ": " + std::strerror(reason));
}

bool TC_Line_Reader::Fill() {
  if (at_end_) return false;
  if (begin_ > 0) {  // keep the partial line, at the front
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    buffer_offset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == Block_Size) return false;  // full: the caller handles the overlong line
  ssize_t count;
  do {
    count = ::read(fd_, buffer_.data() + end_, Block_Size - end_);
  } while (count < 0 && errno == EINTR);
  if (count < 0) Fail("Cannot read data file ");
  if (count == 0) {
    at_end_ = true;
    return false;
  }
  const auto* stop = static_cast<const char*>(std::memchr(buffer_.data() + end_, 26, count));
  if (stop != nullptr) {
    end_ = static_cast<std::size_t>(stop - buffer_.data());
    at_end_ = true;
  } else {
    end_ += static_cast<std::size_t>(count);
  }
  return true;
}

void TC_Line_Reader::Skip_Rest_Of_Line() {
  for (;;) {
    const auto* feed =
        static_cast<const char*>(std::memchr(buffer_.data() + begin_, '\n', end_ - begin_));
    if (feed != nullptr) {
      begin_ = static_cast<std::size_t>(feed - buffer_.data()) + 1;
      return;
    }
    begin_ = end_;
    if (!Fill()) return;
  }
}

// Blanks (control characters and spaces) carry nothing at the front of a line, nor past its
// first Max_Field_Text bytes: there a later non-blank byte makes the stripped line too long
// whatever stood between. Dropping them lets a line that is short once stripped be returned
// whole. False when nothing could be dropped.
bool TC_Line_Reader::Drop_Blanks() {
  auto blank = [this](std::size_t i) { return static_cast<unsigned char>(buffer_[i]) <= ' '; };
  std::size_t first = begin_;
  while (first < end_ && blank(first)) ++first;
  if (first > begin_) {
    begin_ = first;
    return true;
  }
  const std::size_t keep = begin_ + Max_Field_Text;
  if (keep >= end_) return false;
  for (std::size_t i = keep; i < end_; ++i) {
    if (!blank(i)) return false;
  }
  buffer_offset_ += end_ - keep;  // so that Bytes_Consumed still counts the dropped bytes
  end_ = keep;
  return true;
}

bool TC_Line_Reader::Next_Line(std::string_view& line, bool& overlong) {
  overlong = false;
  if (pending_skip_) {
    pending_skip_ = false;
    Skip_Rest_Of_Line();
  }
  std::size_t searched = begin_;  // bytes before this offset hold no line feed
  for (;;) {
    const auto* feed =
        static_cast<const char*>(std::memchr(buffer_.data() + searched, '\n', end_ - searched));
    if (feed != nullptr) {
      const auto at = static_cast<std::size_t>(feed - buffer_.data());
      line = std::string_view(buffer_.data() + begin_, at - begin_);
      begin_ = at + 1;
      return true;
    }
    const std::size_t scanned = end_ - begin_;
    if (!Fill()) {
      if (at_end_ || !Drop_Blanks()) break;
      searched = end_;  // what is left holds no line feed
      continue;
    }
    searched = begin_ + scanned;
  }
  if (begin_ == end_) return false;
  line = std::string_view(buffer_.data() + begin_, end_ - begin_);
  if (!at_end_) {  // stopped by a full buffer, not by the end of the file
    overlong = true;
    // The view must stay valid until the next call, so the rest is skipped then.
    begin_ = end_;
    pending_skip_ = true;
    return true;
  }
  begin_ = end_;
  return true;
}

}  // namespace pw
