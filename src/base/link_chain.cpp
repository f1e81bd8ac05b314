#include "base/link_chain.h"

#include <filesystem>
#include <system_error>

namespace pw {

std::vector<std::string> Link_Chain(const std::string& name) {
  std::vector<std::string> chain{name};
  std::filesystem::path at(name);
  for (int hop = 0; hop < Max_Link_Hops; ++hop) {
    std::error_code error;
    if (!std::filesystem::is_symlink(at, error)) break;
    const std::filesystem::path target = std::filesystem::read_symlink(at, error);
    if (error || target.empty()) break;
    at = target.is_absolute() ? target : at.parent_path() / target;
    chain.push_back(at.string());
  }
  return chain;
}

}  // namespace pw
