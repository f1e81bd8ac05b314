// The names a file name leads to through symbolic links: what a watch must look at to see the
// file change, since changing any link on the way (or the file at its end) changes what the
// name opens.
#pragma once

#include <string>
#include <vector>

namespace pw {

// `name` itself, then the name each symbolic link on the way names (a relative link read
// from its own folder), as the links stand now; at most Max_Link_Hops links are followed (a
// loop ends there). A name that is no link, or does not exist, ends the list.
std::vector<std::string> Link_Chain(const std::string& name);

inline constexpr int Max_Link_Hops = 40;

}  // namespace pw
