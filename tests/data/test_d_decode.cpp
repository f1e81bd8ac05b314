// Compressed data files and the sources under the loader: detection by the first bytes,
// streams of several members or frames, damaged data, header lines, failing reads.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "base/parallel.h"
#include "data/d_bytesource.h"
#include "data/d_databuffer.h"
#include "data/d_decode.h"
#include "data/d_filedef.h"
#include "data/d_headerskip.h"
#include "data/d_loader.h"
#include "compress_util.h"
#include "data_test_util.h"
#include "utf16_util.h"

namespace pw {
namespace {

using pw_test::Gzip;
using pw_test::Make_Def;
using pw_test::Temp_File;
using pw_test::Utf16;
using pw_test::Zstd;

// Bytes from memory, at most `step` per Read (a slow pipe), failing with "Cannot read data
// file mem: Input/output error" once `fail_at` bytes are given.
class Memory_Source : public TC_Byte_Source {
 public:
  explicit Memory_Source(std::string bytes, std::size_t step = SIZE_MAX,
                         std::size_t fail_at = SIZE_MAX)
      : bytes_(std::move(bytes)), step_(step), fail_at_(fail_at) {}
  std::size_t Read(char* into, std::size_t size) override {
    if (at_ >= fail_at_) throw Error("Cannot read data file mem: Input/output error");
    const std::size_t count = std::min({size, step_, bytes_.size() - at_, fail_at_ - at_});
    std::copy_n(bytes_.data() + at_, count, into);
    at_ += count;
    return count;
  }
  std::uint64_t Total_Size() const override { return bytes_.size(); }
  std::uint64_t Bytes_Read() const override { return at_; }

 private:
  std::string bytes_;
  std::size_t step_, fail_at_, at_ = 0;
};

// All a source gives, or its error's message after what it gave.
std::string Drain(TC_Byte_Source& source) {
  std::string out;
  char block[777];
  try {
    while (const std::size_t count = source.Read(block, sizeof block)) out.append(block, count);
  } catch (const Error& e) {
    out += "<" + e.Message() + ">";
  }
  return out;
}

std::string Decoded(const std::string& bytes, std::size_t step = SIZE_MAX) {
  Memory_Source raw(bytes, step);
  return Drain(*Open_Decoded(raw, "mem"));
}

std::string Lines(int from, int to) {
  std::string text;
  for (int i = from; i <= to; ++i) text += std::to_string(i) + " " + std::to_string(i * 7) + "\n";
  return text;
}

TEST(Decode, FormatsByTheirFirstBytes) {
  const std::string text = Lines(1, 3000);
  struct Case {
    const char* what;
    std::string bytes;
    std::string decoded;
  };
  const std::vector<Case> cases = {
      {"plain", text, text},
      {"short plain", "1", "1"},
      {"empty", "", ""},
      {"gzip magic without the method", "\x1f\x8bxy", "\x1f\x8bxy"},
      {"gzip", Gzip(text), text},
      {"gzip members", Gzip(text) + Gzip("") + Gzip("x\n"), text + "x\n"},
      {"gzip and trailing bytes", Gzip(text) + "trailing", text},
      {"gzip and a lone 1f", Gzip(text) + "\x1f", text},
      {"zstd", Zstd(text), text},
      {"zstd frames", Zstd(text) + Zstd("x\n"), text + "x\n"},
      {"gzip in zstd", Zstd(Gzip(text)), Gzip(text)},
      {"empty gzip", Gzip(""), ""},
      {"gzip, bad checksum", Gzip(text).replace(Gzip(text).size() - 6, 1, "\x01"),
       text + "<Cannot read data file mem: incorrect data check>"},
      {"zstd, trailing bytes", Zstd("a\n") + "trailing",
       "a\n<Cannot read data file mem: Unknown frame descriptor>"},
      {"gzip, cut in the trailer", Gzip(text).substr(0, Gzip(text).size() - 3),
       text + "<Cannot read data file mem: unexpected end of file>"},
      {"zstd magic only", "\x28\xb5\x2f\xfd", "<Cannot read data file mem: unexpected end of file>"},
      // A skippable frame first, as pzstd writes one before each frame.
      {"zstd after a skippable frame", std::string("\x50\x2a\x4d\x18\x04\0\0\0abcd", 12) + Zstd(text),
       text},
      {"zstd, skippable frames between", Zstd("a\n") + std::string("\x5f\x2a\x4d\x18\0\0\0\0", 8) +
       Zstd("b\n"), "a\nb\n"},
      {"a skippable frame only", std::string("\x5a\x2a\x4d\x18\x01\0\0\0x", 9), ""},
      {"skippable frame magic, cut", "\x50\x2a\x4d\x18\x04",
       "<Cannot read data file mem: unexpected end of file>"},
      {"not quite skippable", "\x60\x2a\x4d\x18", "\x60\x2a\x4d\x18"},
      {"UTF-16LE", Utf16(text), text},
      {"UTF-16BE", Utf16(text, true), text},
      {"UTF-16LE beyond ASCII", Utf16("\xC3\xBC\xF0\x9F\x98\x80\n"), "\xC3\xBC\xF0\x9F\x98\x80\n"},
      {"UTF-16, odd byte at the end", Utf16("a\n") + "b", "a\n\xEF\xBF\xBD"},
      {"UTF-16 mark only", "\xFF\xFE", ""},
      {"FF alone", "\xFF", "\xFF"},
      {"gzip of UTF-16LE", Gzip(Utf16(text)), text},
      {"zstd of UTF-16BE", Zstd(Utf16(text, true)), text},
      {"gzip of a lone FF", Gzip("\xFF"), "\xFF"},
      {"gzip of UTF-16, cut", Gzip(Utf16(text)).substr(0, 20),
       "<Cannot read data file mem: unexpected end of file>"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decoded(c.bytes), c.decoded) << c.what;
    EXPECT_EQ(Decoded(c.bytes, 1), c.decoded) << c.what << ", a byte at a time";
  }
}

// Cut short, a gzip stream gives what zlib's own reader gives before the same message.
TEST(Decode, CutShortGivesWhatZlibReads) {
  const std::string gzip = Gzip(Lines(1, 100000));
  const std::string cut = gzip.substr(0, gzip.size() / 3);
  Temp_File file(cut, ".gz");
  gzFile z = gzopen(file.Path().c_str(), "rb");
  std::string expected;
  char block[4096];
  int count;
  while ((count = gzread(z, block, sizeof block)) > 0) expected.append(block, count);
  int status = 0;
  const std::string reason = gzerror(z, &status);  // "path: reason"
  expected += "<Cannot read data file mem: " + reason.substr(reason.rfind(": ") + 2) + ">";
  gzclose(z);
  const std::string decoded = Decoded(cut);
  EXPECT_GT(decoded.size(), 100000u);
  EXPECT_TRUE(decoded == expected) << decoded.size() << " bytes, not " << expected.size() << ": "
                                   << decoded.substr(decoded.size() - 80);
}

TEST(Decode, ProgressCountsCompressedBytes) {
  const std::string text = Lines(1, 50000);
  const std::string zstd = Zstd(text);
  Memory_Source raw(zstd);
  const std::unique_ptr<TC_Byte_Source> source = Open_Decoded(raw, "mem");
  EXPECT_EQ(source->Total_Size(), zstd.size());
  EXPECT_EQ(source->Expected_Bytes(), 4 * zstd.size());  // nothing decoded yet: a guess
  char block[100000];
  ASSERT_EQ(source->Read(block, sizeof block), sizeof block);
  EXPECT_LT(source->Bytes_Read(), zstd.size());
  EXPECT_EQ(Drain(*source).size(), text.size() - sizeof block);
  EXPECT_EQ(source->Bytes_Read(), zstd.size());
  EXPECT_EQ(source->Expected_Bytes(), text.size());  // the ratio of the whole
}

TEST(Decode, HeaderLinesAreSkipped) {
  struct Case {
    std::string text;
    std::uint64_t lines;
    std::string rest;
    std::uint64_t skipped;
  };
  const std::vector<Case> cases = {
      {"a\nb\nc\n", 2, "c\n", 4},
      {"a\r\nb", 1, "b", 3},
      {"a\nb", 2, "", 3},
      {"a\x1a\nb\n", 2, "\x1a\nb\n", 1},  // code 26 ends the data, also in a header line
      {std::string(5000, 'h') + "\nd\n", 1, "d\n", 5001},
  };
  for (const Case& c : cases) {
    for (std::size_t step : {SIZE_MAX, std::size_t{1}, std::size_t{3}}) {
      Memory_Source raw(c.text, step);
      TC_Header_Skip_Source source(raw, c.lines);
      EXPECT_EQ(Drain(source), c.rest) << c.text.substr(0, 8) << " " << step;
      EXPECT_EQ(source.Skipped(), c.skipped);
    }
  }
}

struct Loaded {
  std::string message;
  std::int32_t points = 0;
};

Loaded Load(TC_Byte_Source& source, const Table_Form& form, int threads) {
  Set_Thread_Count(threads);
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  def->Form = form;
  TC_Data_Buffer buffer;
  Loaded loaded;
  try {
    Load_Options options;
    options.Batch_Bytes = 1000;
    buffer.Load_Source(source, "mem", *def, {}, options);
  } catch (const Error& e) {
    loaded.message = e.Message();
  }
  Set_Thread_Count(0);
  loaded.points = buffer.Point_Count();
  for (std::int32_t p = 1; p <= buffer.Point_Count(); ++p) {
    if (buffer.Raw_Value(p, 2) != buffer.Raw_Value(p, 1) * 7) loaded.message += " wrong point";
  }
  return loaded;
}

// A read that fails part way keeps every whole line before it; the line it cut is dropped.
TEST(Decode, FailedReadKeepsTheWholeLinesBefore) {
  const std::string text = Lines(1, 5000);
  const std::size_t fail_at = text.find('\n', 20000) + 4;  // inside line 2000 and some
  const auto whole = std::count(text.begin(), text.begin() + fail_at, '\n');
  for (int threads : {1, 3}) {
    Memory_Source raw(text, 700, fail_at);
    const Loaded loaded = Load(raw, {}, threads);
    EXPECT_EQ(loaded.message, "Cannot read data file mem: Input/output error");
    EXPECT_EQ(loaded.points, whole);
    // The same through a decompressor, whose input fails.
    const std::string gzip = Gzip(text);
    Memory_Source compressed(gzip, 500, gzip.size() / 2);
    const std::unique_ptr<TC_Byte_Source> source = Open_Decoded(compressed, "mem");
    const Loaded decoded = Load(*source, {}, threads);
    EXPECT_EQ(decoded.message, "Cannot read data file mem: Input/output error");
    EXPECT_GT(decoded.points, 1000);
  }
}

// UTF-16 data load as their UTF-8, and a failing read keeps the whole lines before it.
TEST(Decode, Utf16LoadsAsUtf8) {
  const std::string text = Lines(1, 5000);
  const std::size_t fail_at = 2 * text.find('\n', 20000) + 10;  // inside line 2000 and some
  const auto whole = std::count(text.begin(), text.begin() + fail_at / 2, '\n');
  for (int threads : {1, 3}) {
    for (const bool big_endian : {false, true}) {
      Memory_Source raw(Utf16(text, big_endian), 333);
      const std::unique_ptr<TC_Byte_Source> source = Open_Decoded(raw, "mem");
      const Loaded loaded = Load(*source, {}, threads);
      EXPECT_EQ(loaded.message, "");
      EXPECT_EQ(loaded.points, 5000);
    }
    Memory_Source failing(Utf16(text), 700, fail_at);
    const std::unique_ptr<TC_Byte_Source> source = Open_Decoded(failing, "mem");
    const Loaded loaded = Load(*source, {}, threads);
    EXPECT_EQ(loaded.message, "Cannot read data file mem: Input/output error");
    EXPECT_EQ(loaded.points, whole);
  }
}

TEST(Decode, PlainFileNamedAsCompressedReadsPlain) {
  const auto def = Make_Def("[DataFile]\nA=1 1\nB=2 1\n");
  for (const char* suffix : {".gz", ".zst"}) {
    Temp_File file("1 7\n2 14\n", suffix);
    TC_Data_Buffer buffer;
    buffer.Load_File(file.Path(), *def);
    EXPECT_EQ(buffer.Point_Count(), 2) << suffix;
  }
  Temp_File empty(Gzip("; only a comment\n"), ".dat");
  TC_Data_Buffer buffer;
  try {
    buffer.Load_File(empty.Path(), *def);
    ADD_FAILURE();
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), "No points in data buffer loaded from " + empty.Path());
    EXPECT_TRUE(e.Fatal());
  }
}

}  // namespace
}  // namespace pw
