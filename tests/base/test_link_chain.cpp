// The names a file name leads to through symbolic links.
#include "base/link_chain.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace pw::test {
namespace {

namespace fs = std::filesystem;

TEST(Link_Chain, EachLinkOnTheWay) {
  const fs::path dir = fs::temp_directory_path() / ("pw_links_" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir / "a");
  const std::string d = dir.string() + "/";
  fs::create_symlink("a/file", d + "rel");         // relative: read from its own folder
  fs::create_symlink("../rel", d + "a/up");        // a chain through another folder
  fs::create_symlink(d + "a/up", d + "abs");       // absolute
  fs::create_symlink("loop2", d + "loop1");        // a loop ends after Max_Link_Hops
  fs::create_symlink("loop1", d + "loop2");
  struct Case {
    std::string name;
    std::vector<std::string> chain;
  };
  const Case cases[] = {
      {d + "a/file", {d + "a/file"}},  // not there: the name alone
      {d + "rel", {d + "rel", d + "a/file"}},
      {d + "abs", {d + "abs", d + "a/up", d + "a/../rel", d + "a/../a/file"}},
      {"no-such-name", {"no-such-name"}},
  };
  for (const Case& c : cases) EXPECT_EQ(Link_Chain(c.name), c.chain) << c.name;
  EXPECT_EQ(Link_Chain(d + "loop1").size(), static_cast<std::size_t>(Max_Link_Hops + 1));
  fs::remove_all(dir);
}

}  // namespace
}  // namespace pw::test
