#include "base/D_Error.h"

#include <gtest/gtest.h>

namespace pw {
namespace {

// Fatal_Error is what closes the program after the message; only a fatal error may set it,
// and nothing clears it.
TEST(D_Error, OnlyAFatalErrorSetsFatalError) {
  Fatal_Error = false;
  const Error plain("Wrong histogram limits");
  EXPECT_FALSE(plain.Fatal());
  EXPECT_FALSE(Fatal_Error);
  EXPECT_STREQ(plain.what(), "Wrong histogram limits");

  const Error fatal("Missing file: /x.dat", true);
  EXPECT_TRUE(fatal.Fatal());
  EXPECT_TRUE(Fatal_Error);
  EXPECT_EQ(fatal.Message(), "Missing file: /x.dat");

  const Error later("Bad Boolean constant: on");
  EXPECT_TRUE(Fatal_Error);
  Fatal_Error = false;
}

}  // namespace
}  // namespace pw
