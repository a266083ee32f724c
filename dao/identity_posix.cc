// FileIdentity from stat(2).
#include <sys/stat.h>

#include "dao/identity.h"

namespace dao_jet {

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return base::IdentityFromStat(st);
}

}  // namespace dao_jet
