#include "data/d_followfile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "base/settings.h"
#include "data/d_bytesource.h"
#include "data/d_decode.h"
#include "data/d_filedef.h"
#include "data/d_loader.h"

namespace pw {

namespace {

// Added bytes up to which an addition is read on the calling thread alone: parsing them takes
// a few milliseconds, about what handing them to other threads can cost on a busy machine.
constexpr std::uint64_t kSerialBytes = std::uint64_t{1} << 20;
// Bytes read at a time while looking for a line end among the added bytes.
constexpr std::size_t kScanBytes = 64 * 1024;
// The last bytes handed out that a source keeps, from which the tail is taken after a load.
constexpr std::size_t kKeptBytes = 64 * 1024;

// A file from byte `start` on, as a source of its own (sizes and progress count from there),
// that keeps the last bytes it handed out: the tail of a load is taken from the very bytes
// that were read, not from the file again, which may have changed meanwhile.
class TC_Followed_Source final : public TC_Byte_Source {
 public:
  TC_Followed_Source(TC_File_Source& file, std::uint64_t start) : file_(file), start_(start) {}

  std::size_t Read(char* into, std::size_t size) override {
    const std::size_t count = file_.Read(into, size);
    const std::size_t keep = std::min(count, kKeptBytes);
    kept_.append(into + count - keep, keep);
    if (kept_.size() > kKeptBytes) kept_.erase(0, kept_.size() - kKeptBytes);
    return count;
  }
  std::uint64_t Total_Size() const override {
    const std::uint64_t total = file_.Total_Size();
    return total > start_ ? total - start_ : 0;
  }
  std::uint64_t Bytes_Read() const override { return file_.Bytes_Read() - start_; }

  // The Tail_Bytes bytes of the file before byte `end` (fewer near its start), `before`
  // being those before `start`.
  std::string Tail(std::uint64_t end, const std::string& before) const {
    const std::uint64_t from = end > Tail_Bytes ? end - Tail_Bytes : 0;
    const std::uint64_t kept_end = file_.Bytes_Read();
    const std::uint64_t kept_from = kept_end - kept_.size();
    if (end <= kept_end && from >= kept_from) {
      return kept_.substr(static_cast<std::size_t>(from - kept_from),
                          static_cast<std::size_t>(end - from));
    }
    // A short addition: the rest comes from the tail before it.
    if (end <= kept_end && kept_from == start_ && from + before.size() >= start_) {
      const auto from_before = static_cast<std::size_t>(start_ - from);
      return before.substr(before.size() - from_before) +
             kept_.substr(0, static_cast<std::size_t>(end - start_));
    }
    // A long unfinished line (or data after a character 26) was read past the tail.
    return file_.Read_At(from, static_cast<std::size_t>(end - from));
  }

 private:
  TC_File_Source& file_;
  const std::uint64_t start_;
  std::string kept_;
};

// An open file descriptor, closed when it goes.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Up to `size` bytes at `offset` (fewer at the end); false when reading fails.
bool Read_At(int fd, std::uint64_t offset, std::size_t size, std::string& bytes) {
  bytes.resize(size);
  std::size_t have = 0;
  while (have < size) {
    const ssize_t count =
        ::pread(fd, bytes.data() + have, size - have, static_cast<off_t>(offset + have));
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return false;
    if (count == 0) break;
    have += static_cast<std::size_t>(count);
  }
  bytes.resize(have);
  return true;
}

bool Tail_Unchanged(int fd, const Data_File_Mark& mark) {
  std::string bytes;
  return Read_At(fd, mark.Taken - mark.Tail.size(), mark.Tail.size(), bytes) &&
         bytes == mark.Tail;
}

// Whether the bytes from `from` to `to` hold a line end, or a character 26 (which ends the
// data and so ends the line before it).
bool Line_End_In(int fd, std::uint64_t from, std::uint64_t to) {
  std::string bytes;
  while (from < to) {
    const auto size = static_cast<std::size_t>(std::min<std::uint64_t>(to - from, kScanBytes));
    if (!Read_At(fd, from, size, bytes)) return true;  // let a load report it
    if (bytes.empty()) return false;
    if (bytes.find_first_of("\n\x1A") != std::string::npos) return true;
    from += bytes.size();
  }
  return false;
}

}  // namespace

Data_Change Classify_Data_Change(const Data_File_Mark& mark, const std::string& name) {
  // Without O_NONBLOCK a named pipe with no writer would hold the open for ever. Only a
  // regular file is read past the check below, and on one the flag changes nothing.
  const Descriptor file{::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (file.fd < 0) return errno == ENOENT || errno == ENOTDIR ? Data_Change::Missing
                                                              : Data_Change::Other;
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return Data_Change::Other;
  const File_Stamp now = Stamp_Of(info);
  if (!now.Exists) return Data_Change::Missing;  // a folder, a device or a pipe of that name
  if (!mark.Loaded || !now.Same_File(mark.File)) return Data_Change::Other;
  if (now.Size == mark.File.Size && now.Modified_Ns == mark.File.Modified_Ns) {
    return Data_Change::Unchanged;
  }
  if (now == mark.Stopped) return Data_Change::Unchanged;  // the same line would stop it
  if (mark.Compressed || now.Size <= mark.File.Size) return Data_Change::Other;
  if (!Tail_Unchanged(file.fd, mark)) return Data_Change::Other;
  return Line_End_In(file.fd, mark.Taken, now.Size) ? Data_Change::Lines_Added
                                                    : Data_Change::Unchanged;
}

Data_File_Mark Load_Followed(TC_Data_Buffer& buffer, const std::string& name,
                             const TC_File_Def& def, const Progress_Fn& progress) {
  Data_File_Mark mark;
  std::unique_ptr<TC_File_Source> file;
  std::unique_ptr<TC_Followed_Source> followed;
  std::unique_ptr<TC_Byte_Source> decoded;
  Load_Options options;
  // The writer may be in the middle of the last line, of a compressed file too.
  options.Keep_Unfinished_Line = true;
  options.Lines_Taken = &mark.Lines;
  mark.Taken = buffer.Load_Opened(name, def, progress, options, [&]() -> TC_Byte_Source& {
    file = std::make_unique<TC_File_Source>(name);
    mark.File = Stamp_Of(file->Status());
    followed = std::make_unique<TC_Followed_Source>(*file, 0);
    decoded = Open_Decoded(*followed, name, &mark.Compressed);
    return *decoded;
  });
  mark.Points = buffer.Point_Count();
  mark.Date_Offset = Date_Offset;
  if (!mark.Compressed) mark.Tail = followed->Tail(mark.Taken, {});
  mark.Loaded = true;
  return mark;
}

bool Append_Followed(TC_Data_Buffer& buffer, const std::string& name, const TC_File_Def& def,
                     Data_File_Mark& mark, const Progress_Fn& progress) {
  if (!mark.Loaded || mark.Compressed) return false;
  std::unique_ptr<TC_File_Source> file;
  try {
    file = std::make_unique<TC_File_Source>(name, mark.Taken);
  } catch (const Error&) {
    return false;  // gone or unreadable since it was looked at: a full load reports it
  }
  const File_Stamp now = Stamp_Of(file->Status());
  if (!now.Same_File(mark.File) || now.Size < mark.File.Size || now.Size < mark.Taken ||
      file->Read_At(mark.Taken - mark.Tail.size(), mark.Tail.size()) != mark.Tail) {
    return false;
  }
  // As the lines before the addition left them (a failed addition may have gone further).
  // Base_Date stays: it is the first date of the whole run, even when an addition that a later
  // line stopped read it, and a full load would count from it too.
  buffer.Keep_Points(mark.Points);
  Date_Offset = mark.Date_Offset;

  TC_Followed_Source added(*file, mark.Taken);
  std::uint64_t lines = 0;
  Load_Options options;
  options.Append = true;
  options.At_File_Start = false;
  options.Keep_Unfinished_Line = true;
  options.Lines_Before = mark.Lines;
  options.Lines_Taken = &lines;
  std::uint64_t taken = 0;
  std::optional<Serial_Scope> serial;
  if (now.Size - mark.Taken <= kSerialBytes) serial.emplace();
  try {
    taken = buffer.Load_Source(added, name, def, progress, options);
  } catch (...) {
    mark.Stopped = now;
    throw;
  }
  mark.File = now;
  mark.Stopped = File_Stamp();
  if (taken > 0) {
    mark.Taken += taken;
    mark.Tail = added.Tail(mark.Taken, mark.Tail);
  }
  mark.Lines += lines;
  mark.Points = buffer.Point_Count();
  mark.Date_Offset = Date_Offset;
  return true;
}

}  // namespace pw
