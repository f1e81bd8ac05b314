// The fast field conversion against the exact one (Str_To_Float) on the numbers where a
// conversion is most likely to round wrongly: exact halfway cases, numbers a hair from a
// halfway point, 19-digit mantissas, every power of ten the fast path takes and its edges,
// and the texts it leaves to Str_To_Float (denormals, the largest values, long exponents).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/D_Error.h"
#include "data/d_fastnum.h"
#include "setup/D_Format.h"

namespace pw {
namespace {

__extension__ typedef unsigned __int128 U128;

std::uint64_t Pow5(int k) {
  std::uint64_t p = 1;
  while (k-- > 0) p *= 5;
  return p;
}

// A text with 8 more bytes readable after it, as a field in a data line.
struct Padded_Text {
  explicit Padded_Text(const std::string& text) : bytes(text + "98765432") {}
  std::string_view View() const { return std::string_view(bytes).substr(0, bytes.size() - 8); }
  std::string bytes;
};

// Every conversion of `text` gives exactly what Str_To_Float gives: the same 80 bits, or
// the same message. Returns whether the fast path took it.
bool Check(const std::string& text) {
  long double expected = 0;
  std::string expected_message;
  try {
    expected = Str_To_Float(text);
  } catch (const Error& e) {
    expected_message = e.Message();
  }
  long double fast = 0;
  long double padded = 0;
  const bool took = Fast_Str_To_Float(text, fast);
  const Padded_Text field(text);
  EXPECT_EQ(Fast_Padded_To_Float(field.View(), padded), took) << text;
  if (took) {
    EXPECT_TRUE(expected_message.empty()) << text;
    EXPECT_EQ(std::memcmp(&fast, &expected, 10), 0) << text;
    EXPECT_EQ(std::memcmp(&padded, &expected, 10), 0) << text;
  }
  try {
    const long double value = Field_To_Float(text);
    EXPECT_TRUE(expected_message.empty()) << text;
    EXPECT_EQ(std::memcmp(&value, &expected, 10), 0) << text;
  } catch (const Error& e) {
    EXPECT_EQ(e.Message(), expected_message) << text;
  }
  return took;
}

std::string Scientific(std::uint64_t m, int e10) {
  return std::to_string(m) + "e" + std::to_string(e10);
}

// The same number with the point moved `places` digits into the mantissa: "1234e5" and
// "1.234e8" must convert alike.
std::string With_Point(std::uint64_t m, int e10, int places) {
  std::string digits = std::to_string(m);
  if (places <= 0 || places >= static_cast<int>(digits.size())) return Scientific(m, e10);
  digits.insert(digits.size() - static_cast<std::size_t>(places), ".");
  return digits + "e" + std::to_string(e10 + places);
}

// m x 10^e exactly halfway between two neighbouring extended numbers: m x 5^e odd with 65
// significant bits (the power of two only moves the exponent). Each e from 1 to 27, the
// smallest and the largest such m below 10^19, and their neighbours (odd ones halfway too,
// even ones exact).
std::vector<std::string> Halfway_Texts() {
  std::vector<std::string> texts;
  const U128 low = U128{1} << 64;
  const U128 high = U128{1} << 65;
  for (int e = 1; e <= 27; ++e) {
    const U128 p = Pow5(e);
    U128 first = (low + p - 1) / p;
    if (first % 2 == 0) ++first;
    U128 last = (high - 1) / p;
    if (last >= U128{10000000000000000000ull}) last = U128{9999999999999999999ull};
    if (last % 2 == 0) --last;
    for (const U128 t : {first, last}) {
      for (int d = -2; d <= 2; ++d) {
        const auto m = static_cast<std::uint64_t>(t + static_cast<U128>(d));
        const U128 product = static_cast<U128>(m) * p;
        if (m < 10000000000000000000ull && product >= low / 2 && product < high * 2) {
          texts.push_back(Scientific(m, e));
          texts.push_back(With_Point(m, e, 1 + e % 7));
        }
      }
    }
  }
  return texts;
}

// m x 10^-k a hair from a halfway point (or from an extended number), k = 1..27:
// m x 2^a = Q x 5^k + r with Q of 65 bits and r tiny, so m x 10^-k = (Q + r / 5^k) x 2^-(a+k).
// m solves m x 2^a = r (mod 5^k).
std::vector<std::string> Near_Halfway_Texts() {
  std::vector<std::string> texts;
  for (int k = 1; k <= 27; ++k) {
    const std::uint64_t p = Pow5(k);
    for (int extra = 1; extra <= 3; ++extra) {
      const int a = std::bit_width(p) + extra;
      // 2^a mod 5^k, then its inverse by Euler: 2^(phi(5^k) - 1), phi = 4 x 5^(k-1).
      auto mul_mod = [p](std::uint64_t x, std::uint64_t y) {
        return static_cast<std::uint64_t>(static_cast<U128>(x) * y % p);
      };
      auto pow_mod = [&](std::uint64_t base, std::uint64_t exponent) {
        std::uint64_t result = 1 % p;
        for (; exponent != 0; exponent >>= 1, base = mul_mod(base, base)) {
          if (exponent & 1) result = mul_mod(result, base);
        }
        return result;
      };
      const std::uint64_t two_a = pow_mod(2, static_cast<std::uint64_t>(a));
      const std::uint64_t inverse = pow_mod(two_a, 4 * (p / 5) - 1);
      for (const std::int64_t r : {1, 2, 3, -1, -2, -3}) {
        const std::uint64_t r_mod = r > 0 ? static_cast<std::uint64_t>(r) % p
                                          : (p - static_cast<std::uint64_t>(-r) % p) % p;
        const std::uint64_t m0 = mul_mod(r_mod, inverse);
        // The smallest m = m0 (mod 5^k) with m x 2^a >= 2^64 x 5^k: Q then has 65 bits.
        const U128 lowest = ((U128{1} << 64) * p + ((U128{1} << a) - 1)) >> a;
        U128 m = lowest - lowest % p + m0;
        if (m < lowest) m += p;
        if (m == 0 || m >= U128{10000000000000000000ull}) continue;
        texts.push_back(Scientific(static_cast<std::uint64_t>(m), -k));
        texts.push_back(With_Point(static_cast<std::uint64_t>(m), -k, k % 19));
      }
    }
  }
  return texts;
}

TEST(FastNumHard, HalfwayCasesRoundToEven) {
  int taken = 0;
  for (const std::string& text : Halfway_Texts()) taken += Check(text);
  EXPECT_GT(taken, 200);       // all inside the fast path's range
  EXPECT_TRUE(Check("3e27"));  // 3 x 5^27 has 65 bits: the smallest halfway case of 10^27
}

TEST(FastNumHard, NumbersAHairFromHalfway) {
  int taken = 0;
  for (const std::string& text : Near_Halfway_Texts()) taken += Check(text);
  EXPECT_GT(taken, 300);
  // The mantissas whose quotient by 10^27 comes nearest a halfway point (m x 2^j = +-1 or
  // +-4 mod 5^27, searched over every normalizing shift j), and the same with a point.
  for (const char* text :
       {"8930413224313367611e-27", "5970747969534288639e-27", "8981830684289498306e-27",
        "4490915342144749153e-27", "5919330509558157944e-27", "2959665254779078972e-27",
        "1479832627389539486e-27", "739916313694769743e-27", "8.930413224313367611e-9",
        "0.000000005970747969534288639", "-5970747969534288639e-27"}) {
    EXPECT_TRUE(Check(text)) << text;
  }
}

// Every power of ten the fast path takes, with the mantissas at the edges of 19 digits and
// of the signed and unsigned 64-bit ranges, on both sides of the range's ends.
TEST(FastNumHard, PowersOfTenAndMantissaEdges) {
  const std::vector<std::string> mantissas = {
      "1",
      "9",
      "5",
      "999999999999999999",   // 18 digits
      "1000000000000000000",  // 19 digits, 10^18
      "1000000000000000001",
      "9223372036854775807",  // 2^63 - 1
      "9223372036854775808",  // 2^63
      "9223372036854775809",
      "9999999999999999999",   // the largest 19-digit mantissa
      "10000000000000000000",  // 20 digits: left to Str_To_Float
      "18446744073709551615",  // 2^64 - 1
      "18446744073709551616",
      "4611686018427387904",  // 2^62
      "4611686018427387905",
  };
  for (const std::string& m : mantissas) {
    for (int e = -30; e <= 30; ++e) {
      for (const char* sign : {"", "-", "+"}) Check(sign + m + "e" + std::to_string(e));
    }
  }
  for (int e = -27; e <= 27; ++e) EXPECT_TRUE(Check("1e" + std::to_string(e))) << e;
  // 10^-18 written out: the exponent counts the fraction's digits, -27 at the least.
  for (int e = -9; e <= 27; ++e) {
    EXPECT_TRUE(Check("-0.000000000000000001e" + std::to_string(e))) << e;
  }
}

// What the fast path leaves to Str_To_Float must still come out the same, values and
// messages: denormals, the smallest and largest extended numbers, overflow, long exponents,
// forms outside the fast grammar.
TEST(FastNumHard, TextsLeftToTheExactConverter) {
  const std::vector<std::string> texts = {
      "1e-4951",
      "3.6451995318824746025e-4951",
      "3.6e-4951",
      "1e-4950",
      "1e-4940",
      "3.3621031431120935063e-4932",
      "3.3621031431120935062e-4932",
      "1e-4932",
      "1.18973149535723176502e4932",
      "1.18973149535723176508e4932",
      "1.2e4932",
      "1e4933",
      "-1e4933",
      "1e5000",
      "1e-5000",
      "0e99999",
      "-0e-99999",
      "1e0027",
      "1e00028",
      "1e+0027",
      "1e-0027",
      "0.5e-27",
      "12345678901234567890e-28",
      "123456789012345678901234567890",
      ".5",
      "5.",
      "-.5e-3",
      "1e",
      "e5",
      "--1",
      "1e--5",
      "0x1p3",
      "inf",
      "nan",
      "1,5",
      "1_000",
      "١",
      "",
  };
  for (const std::string& text : texts) Check(text);
}

// Random numbers over the whole fast range: mantissas of every bit length up to 19 digits,
// every exponent from -30 to 30, the point anywhere, a sign now and then.
TEST(FastNumHard, RandomSweep) {
  std::mt19937_64 random(20261207);
  int taken = 0;
  const int count = 300000;
  for (int i = 0; i < count; ++i) {
    std::uint64_t m = random() >> (random() % 64);
    if (m > 9999999999999999999ull) m /= 2;
    const int e10 = static_cast<int>(random() % 61) - 30;
    std::string text = With_Point(m, e10, static_cast<int>(random() % 20));
    if (random() % 4 == 0) text.insert(0, random() % 2 ? "-" : "+");
    taken += Check(text);
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(taken, count * 8 / 10);
}

}  // namespace
}  // namespace pw
